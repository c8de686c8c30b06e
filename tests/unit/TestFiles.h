// File helpers shared by the unit tests.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The whole content of a file ("" when it cannot be read).
inline std::string Slurp(const std::filesystem::path& p) {
  std::stringstream s;
  s << std::ifstream(p).rdbuf();
  return s.str();
}

// The rows of numbers of a ".dat" file, its header skipped.
inline std::vector<std::vector<double>> ReadDat(const std::filesystem::path& p) {
  std::ifstream f(p);
  std::string line;
  std::getline(f, line);
  std::vector<std::vector<double>> rows;
  while (std::getline(f, line)) {
    std::istringstream s(line);
    rows.emplace_back();
    for (double x; s >> x;) rows.back().push_back(x);
  }
  return rows;
}
