// Writing, reading and naming the nine element types.
#include "core/ElementTypes.h"

#include <cmath>
#include <cstdlib>
#include <limits>

bool IsElementKeyword(const Sstring& keyword) {
  return WithElementType(keyword, [](auto) {});
}

Sstring ElementKeywordList() {
  return "int;double;complex;long;string;unsigned char;short int;unsigned int;float;";
}

void WriteElement(std::ostream& out, int v, NumberStyle) { out << v; }
void WriteElement(std::ostream& out, long v, NumberStyle) { out << v; }
void WriteElement(std::ostream& out, short v, NumberStyle) { out << v; }
void WriteElement(std::ostream& out, unsigned int v, NumberStyle) { out << v; }
void WriteElement(std::ostream& out, double v, NumberStyle style) {
  out << (style == NumberStyle::Exact ? FormatExact(v) : FormatG(v));
}
void WriteElement(std::ostream& out, float v, NumberStyle style) {
  out << (style == NumberStyle::Exact ? FormatExactFloat(v) : FormatG(v));
}
void WriteElement(std::ostream& out, const Complex& v, NumberStyle style) {
  out << '(';
  WriteElement(out, v.real(), style);
  out << ", ";
  WriteElement(out, v.imag(), style);
  out << ')';
}
void WriteElement(std::ostream& out, const Sstring& v, NumberStyle style) {
  if (style == NumberStyle::Exact) out << ScriptWord(v);
  else out << v;
}
void WriteElement(std::ostream& out, unsigned char v, NumberStyle) {
  out << static_cast<char>(v);
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
}  // namespace

bool ReadElement(std::istream& in, int& v) { return ReadInteger(in, v); }
bool ReadElement(std::istream& in, long& v) { return ReadInteger(in, v); }
bool ReadElement(std::istream& in, short& v) { return ReadInteger(in, v); }
bool ReadElement(std::istream& in, unsigned int& v) { return ReadInteger(in, v); }
bool ReadElement(std::istream& in, double& v) { return static_cast<bool>(in >> v); }
bool ReadElement(std::istream& in, float& v) { return static_cast<bool>(in >> v); }

bool ReadElement(std::istream& in, Complex& v) {
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

bool ReadElement(std::istream& in, Sstring& v) {
  if (in.eof()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  in >> v;
  return !in.fail();
}

bool ReadElement(std::istream& in, unsigned char& v) {
  char c;
  if (!(in >> c)) return false;
  v = static_cast<unsigned char>(c);
  return true;
}

const char* ScalarKeyword(const Scalar& s) {
  return std::visit([](const auto& v) { return ElementTraits<std::decay_t<decltype(v)>>::keyword; },
                    s);
}

void WriteScalar(std::ostream& out, const Scalar& s, NumberStyle style) {
  std::visit([&](const auto& v) { WriteElement(out, v, style); }, s);
}
