// Writing, reading and naming the nine element types.
#include "core/ElementTypes.h"

#include <cmath>
#include <cstdlib>
#include <limits>

bool IsElementKeyword(const Sstring& keyword) {
  return WithElementType(keyword, [](auto) {});
}

Sstring ElementKeywordList() {
#define CELVANE_KEYWORD_AND_SEMICOLON(T, KEYWORD) KEYWORD ";"
  return CELVANE_ELEMENT_TYPES(CELVANE_KEYWORD_AND_SEMICOLON);
#undef CELVANE_KEYWORD_AND_SEMICOLON
}

template <class T>
void WriteElement(std::ostream& out, const T& v, NumberStyle style) {
  if constexpr (std::is_same_v<T, double>) {
    out << (style == NumberStyle::Exact ? FormatExact(v) : FormatG(v));
  } else if constexpr (std::is_same_v<T, float>) {
    out << (style == NumberStyle::Exact ? FormatExactFloat(v) : FormatG(v));
  } else if constexpr (std::is_same_v<T, Complex>) {
    out << '(';
    WriteElement(out, v.real(), style);
    out << ", ";
    WriteElement(out, v.imag(), style);
    out << ')';
  } else if constexpr (std::is_same_v<T, unsigned char>) {
    out << static_cast<char>(v);
  } else if constexpr (std::is_same_v<T, Sstring>) {
    if (style == NumberStyle::Exact) out << ScriptWord(v);  // read back by scripts
    else out << v;
  } else {
    out << v;  // the integers and strings
  }
}

namespace {
// Reads a decimal integer and checks that it fits the target type.
template <class T>
bool ReadInteger(std::istream& in, T& v) {
  long long x;
  if (!(in >> x) || x < static_cast<long long>(std::numeric_limits<T>::min()) ||
      x > static_cast<long long>(std::numeric_limits<T>::max())) {
    in.setstate(std::ios::failbit);
    return false;
  }
  v = static_cast<T>(x);
  return true;
}

bool ReadComplex(std::istream& in, Complex& v) {
  double re = 0, im = 0;
  in >> std::ws;
  if (in.peek() == '(') {
    in.get();
    if (!(in >> re)) return false;
    in >> std::ws;
    int c = in.get();
    if (c == ',') {
      if (!(in >> im)) return false;
      in >> std::ws;
      c = in.get();
    }
    if (c != ')') {
      in.setstate(std::ios::failbit);
      return false;
    }
  } else if (!(in >> re)) {
    return false;
  }
  v = Complex(re, im);
  return true;
}
}  // namespace

template <class T>
bool ReadElement(std::istream& in, T& v) {
  if constexpr (std::is_same_v<T, double> || std::is_same_v<T, float>) {
    return static_cast<bool>(in >> v);
  } else if constexpr (std::is_same_v<T, Complex>) {
    return ReadComplex(in, v);
  } else if constexpr (std::is_same_v<T, Sstring>) {
    if (in.eof()) {
      in.setstate(std::ios::failbit);
      return false;
    }
    in >> v;
    return !in.fail();
  } else if constexpr (std::is_same_v<T, unsigned char>) {
    char c;
    if (!(in >> c)) return false;
    v = static_cast<unsigned char>(c);
    return true;
  } else {
    return ReadInteger(in, v);
  }
}

#define CELVANE_ELEMENT_IO(T, KEYWORD)                                   \
  template void WriteElement<T>(std::ostream&, const T&, NumberStyle); \
  template bool ReadElement<T>(std::istream&, T&);
CELVANE_ELEMENT_TYPES(CELVANE_ELEMENT_IO)
#undef CELVANE_ELEMENT_IO

const char* ScalarKeyword(const Scalar& s) {
  return std::visit([](const auto& v) { return ElementTraits<std::decay_t<decltype(v)>>::keyword; },
                    s);
}

void WriteScalar(std::ostream& out, const Scalar& s, NumberStyle style) {
  std::visit([&](const auto& v) { WriteElement(out, v, style); }, s);
}
