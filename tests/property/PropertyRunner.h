// PropertyRunner: runs generated scripts and checks what must always hold.
// Each script runs in a child process with a time limit, in a scratch folder
// of its own: no crash, no hang, no sanitizer report, no "nan" or "inf" in
// any console line or file, and every network it leaves saves into a script
// that a fresh kernel loads into a network that runs identically (every
// statistics file and the event log byte for byte, with the same seed) and
// saves again into the same script.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "ScriptGenerator.h"

namespace property {

struct Finding {
  // crash, hang, sanitizer, nan, save-failed, load-failed, save-differs,
  // run-differs (files or run report of the reloaded network differ),
  // run-order (they differ only while the blocks are in reloaded order)
  std::string kind;
  std::string detail;  // one line
};

// Executes the script and its checks in this process, in folder dir (which
// must exist and be empty). Adds the number of runs executed to runs.
std::vector<Finding> CheckScript(const Script& script, const std::string& dir, size_t& runs);

struct CampaignOptions {
  uint64_t firstSeed = 1;
  size_t scripts = 100;
  double timeoutSeconds = 60;  // per script, each checked in a child process
  std::string scratch;    // parent of the script folder; empty: /dev/shm or the temp folder
  std::string keep;       // failing scripts are written here; empty: a temp folder
  bool progress = false;  // a line every 500 scripts
};

struct CampaignSummary {
  size_t scripts = 0, commandLines = 0, runs = 0, failingScripts = 0;
  std::map<std::string, size_t> findings;  // by kind
  std::vector<std::string> failures;       // "seed N: kind: detail", first per script
  std::string keep;                        // where the failing scripts are
};

CampaignSummary RunCampaign(CampaignOptions options, std::ostream& log);
void PrintSummary(const CampaignSummary& s, std::ostream& out);

// The first line of text holding "nan" or "inf" outside double quotes, as a
// number would print them; empty when there is none.
std::string FindNanOrInf(const std::string& text);

// Differences between the files of two folders (names relative to them),
// wall-clock files left out; empty when they hold the same files and bytes.
std::string CompareFolders(const std::string& a, const std::string& b);

}  // namespace property
