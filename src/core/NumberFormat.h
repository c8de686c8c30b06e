// Number formatting shared by listings, saves and logs.
#pragma once
#include <string>

// Six significant digits, shortest of fixed and exponent form (printf %g):
// how a default-state output stream writes a double.
std::string FormatG(double v);

// Like FormatG when six significant digits already read back to the same
// value; otherwise the fewest further significant digits (up to 17) that do.
// Used wherever a value is written to be read again (saved scripts).
std::string FormatExact(double v);
// The same for a single-precision value: it must read back to the same float.
std::string FormatExactFloat(float v);
