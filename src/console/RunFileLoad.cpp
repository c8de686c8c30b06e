// The file and load commands: a network's destination file and script loading.
#include "console/RunFileLoad.h"

#include <filesystem>
#include <ostream>
#include <set>
#include <string>

#include "console/CommandReader.h"
#include "console/CommandTable.h"
#include "console/Dispatcher.h"
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

// Reads one line of at most kMaxScriptLine characters; false at the end of
// the file. tooLong is set when the limit was reached before a line break.
bool ReadScriptLine(std::istream& in, std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  std::streambuf* sb = in.rdbuf();
  for (;;) {
    int c = sb->sbumpc();
    if (c == std::char_traits<char>::eof()) return !line.empty();
    if (c == '\n') return true;
    if (line.size() >= kMaxScriptLine) {
      tooLong = true;
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
}

std::string Identity(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : p.string();
}
}  // namespace

int LoadScript(Kernel& kernel, const Sstring& file) {
  std::ostream& out = platform::Out();
  std::error_code ec;
  std::ifstream in = platform::OpenForReading(file.str());
  if (!in || std::filesystem::is_directory(file.str(), ec)) {
    out << "load error: I can't open the file " << file << '\n';
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
  bool tooLong = false;
  while (ReadScriptLine(in, line, tooLong)) {
    ++number;
    if (tooLong) {
      out << "load error: file = " << file << ",line = " << number << " is too long\n";
      return 0;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();  // written on another system
    std::string word = ScriptLineFirstWord(line);
    if (word.empty() || word[0] == '#') continue;
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
