// Text file access through the standard streams and std::filesystem.
#include "platform/Files.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

namespace platform {

void TreatFileSizeLimitAsWriteError() { std::signal(SIGXFSZ, SIG_IGN); }

std::ofstream OpenForWriting(const std::string& path) {
  return std::ofstream(path, std::ios::out | std::ios::trunc);
}

std::ifstream OpenForReading(const std::string& path) {
  std::error_code ec;
  std::ifstream in;
  // A directory opens on some systems and fails at the first read.
  if (std::filesystem::is_directory(path, ec)) in.setstate(std::ios::failbit);
  else in.open(path);
  return in;
}

bool EnsureParentDirectory(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path parent = fs::path(path).parent_path();
  if (parent.empty()) return true;
  std::error_code ec;
  fs::create_directories(parent, ec);
  return fs::is_directory(parent, ec);
}

// The file buffer throws when the system refuses a read; the reading below
// goes through the buffer directly for speed, so it catches that itself.
ReadResult ReadLimitedLine(std::istream& in, std::string& line, std::size_t maxLength) {
  line.clear();
  typedef std::char_traits<char> tr;
  std::streambuf* sb = in.rdbuf();
  if (!sb) return ReadResult::kFailed;
  try {
    for (;;) {
      const int c = sb->sbumpc();
      if (c == tr::eof()) return line.empty() ? ReadResult::kEnd : ReadResult::kDone;
      if (c == '\n') return ReadResult::kDone;
      if (line.size() >= maxLength) return ReadResult::kTooLong;
      line.push_back(static_cast<char>(c));
    }
  } catch (const std::exception&) {
    in.setstate(std::ios::badbit);
    return ReadResult::kFailed;
  }
}

ReadResult ReadRest(std::istream& in, std::string& text, std::size_t maxLength) {
  text.clear();
  std::streambuf* sb = in.rdbuf();
  if (!sb) return ReadResult::kFailed;
  try {
    char chunk[65536];
    for (;;) {
      const std::streamsize n = sb->sgetn(chunk, sizeof chunk);
      if (n <= 0) return ReadResult::kDone;
      if (text.size() + static_cast<std::size_t>(n) > maxLength) return ReadResult::kTooLong;
      text.append(chunk, static_cast<std::size_t>(n));
    }
  } catch (const std::exception&) {
    in.setstate(std::ios::badbit);
    return ReadResult::kFailed;
  }
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  return WriteWholeFile(path, [&](std::ostream& f) { return static_cast<bool>(f << text); });
}

bool WriteWholeFile(const std::string& path, const std::function<bool(std::ostream&)>& write) {
  if (!EnsureParentDirectory(path)) return false;
  const std::string temporary = path + ".tmp";
  {
    std::ofstream f(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!write(f) || !f || !f.flush()) {
      f.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
