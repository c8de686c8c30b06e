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

// The nine element types, listed once, in the order of their index: the
// type and its keyword. Everything below that names the types is generated
// from this list.
#define CELVANE_ELEMENT_TYPES(X)    \
  X(int, "int")                     \
  X(double, "double")               \
  X(Complex, "complex")             \
  X(long, "long")                   \
  X(Sstring, "string")              \
  X(unsigned char, "unsigned char") \
  X(short, "short int")             \
  X(unsigned int, "unsigned int")   \
  X(float, "float")

template <class... T>
struct TypeList {};

namespace element_detail {
template <class Skip, class... T>
struct DropFirst {
  using type = TypeList<T...>;
};
#define CELVANE_ELEMENT_COMMA_TYPE(T, KEYWORD) , T
using List = DropFirst<void CELVANE_ELEMENT_TYPES(CELVANE_ELEMENT_COMMA_TYPE)>::type;
#undef CELVANE_ELEMENT_COMMA_TYPE

template <class T, class... E>
constexpr bool Contains(TypeList<E...>) {
  return (std::is_same_v<T, E> || ...);
}
template <class... E>
std::variant<E...> VariantOf(TypeList<E...>);
}  // namespace element_detail

using ElementTypes = element_detail::List;

// True for the nine element types only.
template <class T>
constexpr bool kIsElement = element_detail::Contains<T>(ElementTypes{});

template <class T>
struct ElementTraits;  // defined for the nine element types only
#define CELVANE_ELEMENT_TRAITS(T, KEYWORD)          \
  template <>                                       \
  struct ElementTraits<T> {                         \
    static constexpr const char* keyword = KEYWORD; \
  };
CELVANE_ELEMENT_TYPES(CELVANE_ELEMENT_TRAITS)
#undef CELVANE_ELEMENT_TRAITS

// Calls f(T{}) for the element type whose keyword is `keyword`; returns false
// when the keyword names none of the nine.
namespace element_detail {
template <class F, class... T>
bool WithType(const std::string& keyword, F& f, TypeList<T...>) {
  return ((keyword == ElementTraits<T>::keyword ? (f(T{}), true) : false) || ...);
}
}  // namespace element_detail

template <class F>
bool WithElementType(const Sstring& keyword, F&& f) {
  return element_detail::WithType(keyword.str(), f, ElementTypes{});
}

bool IsElementKeyword(const Sstring& keyword);

// The nine keywords, each followed by a semicolon.
Sstring ElementKeywordList();

// Writes one element as listings and records show it: numbers in the given
// style, a complex as "(re, im)", an unsigned char as its character.
template <class T>
void WriteElement(std::ostream& out, const T& v, NumberStyle style);

// Reads one element by the reading rule of its type (integers must fit the
// type; a complex is "re" or "(re)" or "(re, im)"); false when the text is
// not a value of that type (the stream is then failed).
template <class T>
bool ReadElement(std::istream& in, T& v);

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
using Scalar = decltype(element_detail::VariantOf(ElementTypes{}));

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
