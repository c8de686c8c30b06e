// File helpers shared by the unit tests.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The whole content of a file ("" when it cannot be read).
inline std::string Slurp(const std::filesystem::path& p) {
  std::stringstream s;
  s << std::ifstream(p).rdbuf();
  return s.str();
}
