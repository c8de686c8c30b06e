// CommandLine: the program's options (help, version, batch mode, seed,
// replication, script variables and script files) parsed from argv.
#pragma once
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

struct ProgramOptions {
  bool batch = false;             // -b/--batch: run the scripts, skip the console
  bool seedGiven = false;         // --seed N was given
  unsigned long long seed = 0;    // its N
  unsigned long long run = 0;     // --run K: the replication index
  // -D NAME=VALUE, in order (a later definition of a name wins).
  std::vector<std::pair<std::string, std::string>> defines;
  std::vector<std::string> scripts;  // SCRIPT arguments, in order
};

struct ParsedCommandLine {
  ProgramOptions options;
  bool exit = false;   // true: nothing to run, leave with exitStatus
  int exitStatus = 0;  // 0 after --help/--version, 2 for a usage error
};

// Parses argv. --help and --version print to out; a usage error prints one
// line to err. Neither the console nor the kernel is touched.
ParsedCommandLine ParseCommandLine(int argc, const char* const argv[], std::ostream& out,
                                   std::ostream& err);
