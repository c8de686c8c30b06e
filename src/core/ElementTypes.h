// The nine element types of typed values and data tables, listed once: their
// keywords, how an element is written and read, and the conversions allowed
// when a value of one type is fetched as another.
#pragma once
#include <complex>
#include <istream>
#include <ostream>
#include <type_traits>
#include <variant>

#include "core/NumberFormat.h"
#include "core/Sstring.h"

using Complex = std::complex<double>;

// How elements are written: floating-point ones with six significant digits
// for listings, or exactly (round-trip) for scripts that are read back, where
// texts are written as script words (ScriptWord).
enum class NumberStyle { Screen, Exact };

template <class T>
struct ElementTraits;  // defined for the nine element types only

#define CELVANE_ELEMENT(T, KEYWORD, INDEX)            \
  template <>                                         \
  struct ElementTraits<T> {                           \
    static constexpr const char* keyword = KEYWORD;   \
    static constexpr int index = INDEX;               \
  };
CELVANE_ELEMENT(int, "int", 0)
CELVANE_ELEMENT(double, "double", 1)
CELVANE_ELEMENT(Complex, "complex", 2)
CELVANE_ELEMENT(long, "long", 3)
CELVANE_ELEMENT(Sstring, "string", 4)
CELVANE_ELEMENT(unsigned char, "unsigned char", 5)
CELVANE_ELEMENT(short, "short int", 6)
CELVANE_ELEMENT(unsigned int, "unsigned int", 7)
CELVANE_ELEMENT(float, "float", 8)
#undef CELVANE_ELEMENT

constexpr int kElementTypeCount = 9;

// True for the nine element types only.
template <class T>
constexpr bool kIsElement =
    std::is_same_v<T, int> || std::is_same_v<T, double> || std::is_same_v<T, Complex> ||
    std::is_same_v<T, long> || std::is_same_v<T, Sstring> || std::is_same_v<T, unsigned char> ||
    std::is_same_v<T, short> || std::is_same_v<T, unsigned int> || std::is_same_v<T, float>;

// Calls f(T{}) for the element type whose keyword is `keyword`; returns false
// when the keyword names none of the nine.
template <class F>
bool WithElementType(const Sstring& keyword, F&& f) {
  const std::string& k = keyword.str();
  if (k == "int") { f(int{}); return true; }
  if (k == "double") { f(double{}); return true; }
  if (k == "complex") { f(Complex{}); return true; }
  if (k == "long") { f(long{}); return true; }
  if (k == "string") { f(Sstring{}); return true; }
  if (k == "unsigned char") { f((unsigned char){}); return true; }
  if (k == "short int") { f(short{}); return true; }
  if (k == "unsigned int") { f((unsigned int){}); return true; }
  if (k == "float") { f(float{}); return true; }
  return false;
}

bool IsElementKeyword(const Sstring& keyword);

// The nine keywords, each followed by a semicolon.
Sstring ElementKeywordList();

// Writes one element as listings and records show it.
void WriteElement(std::ostream& out, int v, NumberStyle);
void WriteElement(std::ostream& out, long v, NumberStyle);
void WriteElement(std::ostream& out, short v, NumberStyle);
void WriteElement(std::ostream& out, unsigned int v, NumberStyle);
void WriteElement(std::ostream& out, double v, NumberStyle);
void WriteElement(std::ostream& out, float v, NumberStyle);
void WriteElement(std::ostream& out, const Complex& v, NumberStyle);
void WriteElement(std::ostream& out, const Sstring& v, NumberStyle);
void WriteElement(std::ostream& out, unsigned char v, NumberStyle);

// Reads one element by the reading rule of its type; false when the text is
// not a value of that type (the stream is then failed).
bool ReadElement(std::istream& in, int& v);
bool ReadElement(std::istream& in, long& v);
bool ReadElement(std::istream& in, short& v);
bool ReadElement(std::istream& in, unsigned int& v);
bool ReadElement(std::istream& in, double& v);
bool ReadElement(std::istream& in, float& v);
bool ReadElement(std::istream& in, Complex& v);
bool ReadElement(std::istream& in, Sstring& v);
bool ReadElement(std::istream& in, unsigned char& v);

// Conversion of a stored element to a requested type. The numeric targets
// int, long, double and complex accept any of those four stored types; every
// other target accepts only its own type.
template <class T>
constexpr bool kIsWideNumeric = std::is_same_v<T, int> || std::is_same_v<T, long> ||
                                std::is_same_v<T, double> || std::is_same_v<T, Complex>;

template <class From, class To>
bool ConvertElement(const From& from, To& to) {
  if constexpr (std::is_same_v<From, To>) {
    to = from;
    return true;
  } else if constexpr (kIsWideNumeric<From> && kIsWideNumeric<To>) {
    if constexpr (std::is_same_v<To, Complex>) {
      to = Complex(static_cast<double>(from), 0.0);
    } else if constexpr (std::is_same_v<From, Complex>) {
      to = static_cast<To>(std::abs(from));  // modulus, truncated for integers
    } else {
      to = static_cast<To>(from);
    }
    return true;
  } else {
    return false;
  }
}

// One scalar of any of the nine types (a data-table entry).
using Scalar = std::variant<int, double, Complex, long, Sstring, unsigned char, short,
                            unsigned int, float>;

template <class T>
bool ScalarGet(const Scalar& s, T& out) {
  return std::visit([&](const auto& v) { return ConvertElement(v, out); }, s);
}

// Exact equality of a stored scalar with a value of type T (same type only).
template <class T>
bool ScalarEquals(const Scalar& s, const T& v) {
  const T* p = std::get_if<T>(&s);
  return p && *p == v;
}

const char* ScalarKeyword(const Scalar& s);
void WriteScalar(std::ostream& out, const Scalar& s, NumberStyle style);
