// The file and load commands: a network's destination file and script loading.
#include "console/RunFileLoad.h"

#include <filesystem>
#include <ostream>
#include <set>
#include <string>

#include "console/CommandReader.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
#include "console/Variables.h"
#include "model/Kernel.h"
#include "platform/Console.h"
#include "platform/Files.h"

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
  auto execute = [&]() {
    if (ExecuteLine(kernel, pending.c_str())) return true;
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
      hasPending = true;
    } else if (hasPending) {
      pending += '\n';
      pending += line;
    } else {
      out << "load error: file = " << file << ",line = " << number << '\n';
      return 0;
    }
  }
  if (hasPending && !execute()) return 0;
  return 1;
}
