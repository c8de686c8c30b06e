// Text file access through the standard streams and std::filesystem.
#include "platform/Files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform {

std::ofstream OpenForWriting(const std::string& path) {
  return std::ofstream(path, std::ios::out | std::ios::trunc);
}

std::ifstream OpenForReading(const std::string& path) { return std::ifstream(path); }

bool EnsureParentDirectory(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path parent = fs::path(path).parent_path();
  if (parent.empty()) return true;
  std::error_code ec;
  fs::create_directories(parent, ec);
  return fs::is_directory(parent, ec);
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  if (!EnsureParentDirectory(path)) return false;
  const std::string temporary = path + ".tmp";
  {
    std::ofstream f(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!(f << text) || !f.flush()) {
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
