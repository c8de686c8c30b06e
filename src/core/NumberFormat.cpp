// Number formatting shared by listings, saves and logs.
#include "core/NumberFormat.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::string Format(double v, int digits) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}
}  // namespace

std::string FormatG(double v) { return Format(v, 6); }

std::string FormatExact(double v) {
  for (int digits = 6; digits < 17; ++digits) {
    std::string s = Format(v, digits);
    if (std::strtod(s.c_str(), nullptr) == v) return s;
  }
  return Format(v, 17);
}

std::string FormatExactFloat(float v) {
  for (int digits = 6; digits < 9; ++digits) {
    std::string s = Format(v, digits);
    if (std::strtof(s.c_str(), nullptr) == v) return s;
  }
  return Format(v, 9);
}
