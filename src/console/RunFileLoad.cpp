// The run, file and load commands: a run and its warnings, a network's
// destination file, script loading.
#include "console/RunFileLoad.h"

#include <filesystem>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "atm/TrafficSource.h"
#include "console/CommandReader.h"
#include "console/CommandTable.h"
#include "console/Diagnostics.h"
#include "core/NameHint.h"
#include "console/Dispatcher.h"
#include "console/Variables.h"
#include "model/Block.h"
#include "model/Kernel.h"
#include "model/Network.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/Interrupt.h"

namespace {
// Calls fn on every traffic source of the network.
template <class F>
void ForEachSource(Network& net, F&& fn) {
  net.ForEachBlock([&](Block& b) {
    b.ForEach(ComponentKind::Layer, [&](Component& c) {
      if (auto* source = dynamic_cast<TrafficSource*>(&c)) fn(*source);
    });
  });
}
}  // namespace

int RunNetwork(CommandContext& c) {
  Network& net = *c.network;
  const double endTime = c.numbers[1];
  const std::string name = Quoted(c.words[0]);
  // What makes a run move no traffic, warned about before it starts.
  if (endTime < 0) {
    std::ostringstream text;
    text << "simulation time " << endTime << " is negative: no event runs";
    c.Warn(text.str());
  }
  const bool hasDc = !net.DcIds().empty();
  if (!hasDc)
    c.Warn("network " + name + " has no DC, so no traffic flows (bind two applications with "
           "create dc)");
  // The sources' per-run counts start from zero here too, so the test below
  // holds with or without a run recorder.
  ForEachSource(net, [](TrafficSource& s) { s.BeginRunFigures(); });
  const int result = c.kernel.Run(c.words[0], endTime);
  if (!result || platform::InterruptRequested() || !hasDc || endTime < 0) return result;
  int64_t packets = 0;
  ForEachSource(net, [&](TrafficSource& s) { packets += s.RunFigures().packets; });
  if (packets == 0)
    c.Warn("no source of network " + name + " sent a packet (check the sources' parameters, "
           "files and start times against the simulation time)");
  return result;
}

int SetDestinationFile(CommandContext& c) {
  std::ofstream f = platform::OpenForWriting(c.words[1].str());
  if (!f) {
    c.out << "file error: I can't create the file " << c.words[1] << '\n';
    return 0;
  }
  c.kernel.SetDestinationFile(c.words[0], c.words[1]);
  return 1;
}

std::string ScriptLineFirstWord(const std::string& line) {
  size_t b = line.find_first_not_of(" \t\r\n\v\f");
  if (b == std::string::npos) return std::string();
  size_t e = line.find_first_of(" \t\r\n\v\f", b);
  return line.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

namespace {

// Files being loaded right now, so that a script that loads itself, directly
// or through other scripts, is refused instead of recursing without end.
std::set<std::string>& FilesBeingLoaded() {
  static std::set<std::string> files;
  return files;
}

// Script lines longer than this are refused: a file without line breaks (or
// an endless one) must not exhaust the memory.
constexpr size_t kMaxScriptLine = size_t(1) << 24;

// Scripts that load scripts may nest this deep; every level holds a frame
// of the reader and of the command it runs, so a chain of thousands would
// exhaust the stack.
constexpr size_t kMaxLoadDepth = 64;

std::string Identity(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : p.string();
}
}  // namespace

int LoadScript(Kernel& kernel, const Sstring& file) {
  std::ostream& out = platform::Out();
  std::ifstream in = platform::OpenForReading(file.str());
  if (!in) {
    out << "load error: I can't open the file " << file << '\n';
    return 0;
  }
  if (FilesBeingLoaded().size() >= kMaxLoadDepth) {
    out << "load error: the file " << file << " would nest loads deeper than " << kMaxLoadDepth
        << '\n';
    return 0;
  }
  const std::string id = Identity(file.str());
  if (!FilesBeingLoaded().insert(id).second) {
    out << "load error: the file " << file << " is already being loaded\n";
    return 0;
  }
  struct Guard {
    std::string id;
    ~Guard() { FilesBeingLoaded().erase(id); }
  } guard{id};

  std::string pending, line;
  bool hasPending = false;
  long pendingLine = 0, number = 0;
  std::vector<long> pendingLines;  // the file line of each line of the command
  diag::ScriptScope position(file.str());
  auto execute = [&]() {
    position.SetLines(pendingLines);
    const int result = ExecuteLine(kernel, pending.c_str());
    // An interrupt stops the script after the command it came in; the run
    // it stopped has said so already.
    if (platform::InterruptRequested()) return false;
    if (result) return true;
    out << "load error: file = " << file << ",line = " << pendingLine << '\n';
    return false;
  };
  for (;;) {
    const platform::ReadResult r = platform::ReadLimitedLine(in, line, kMaxScriptLine);
    if (r == platform::ReadResult::kEnd) break;
    ++number;
    if (r == platform::ReadResult::kTooLong) {
      out << "load error: file = " << file << ",line = " << number << " is too long\n";
      return 0;
    }
    // The command pending is not run: its text may be cut short.
    if (r == platform::ReadResult::kFailed) {
      out << "load error: file = " << file << ",line = " << number << " cannot be read\n";
      return 0;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();  // written on another system
    std::string word = ScriptLineFirstWord(line);
    if (word.empty() || word[0] == '#') continue;
    if (!ExpandVariables(line, file.str(), number)) {
      // The command before this line is complete only if this line begins
      // another; the command holding the bad line does not run.
      if (hasPending && StartsCommand(word) && !execute()) return 0;
      out << "load error: file = " << file << ",line = " << number << '\n';
      return 0;
    }
    word = ScriptLineFirstWord(line);
    if (word.empty() || word[0] == '#') continue;  // a value made it blank or a comment
    if (StartsCommand(word)) {
      if (hasPending && !execute()) return 0;
      pending = line;
      pendingLine = number;
      pendingLines.assign(1, number);
      hasPending = true;
    } else if (hasPending) {
      pending += '\n';
      pending += line;
      pendingLines.push_back(number);
    } else {
      out << "load error: file = " << file << ",line = " << number << '\n';
      return 0;
    }
  }
  if (hasPending && !execute()) return 0;
  return 1;
}
