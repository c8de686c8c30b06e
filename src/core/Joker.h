// Joker: one typed value - a scalar, a vector (n lines x 1 column) or a matrix
// of one of the nine element types. Its record text form is the value part of
// every parameter line that commands read and saved scripts hold.
#pragma once
#include <iosfwd>
#include <memory>
#include <variant>
#include <vector>

#include "core/ElementTypes.h"

class Joker {
 public:
  Joker() = default;
  template <class T>
  explicit Joker(const T& v) { Put(v); }
  template <class T>
  Joker(const T* v, long n) { Put(v, n); }
  template <class T>
  Joker(T* const* v, long lines, long cols) { Put(v, lines, cols); }

  // Largest size a value may take, counted as lines x max(columns, 1): a
  // value of lines x 0 still writes one line break per line wherever it is
  // shown or saved. A million is far above any parameter of the models (a
  // few per layer, none with more than a handful of elements) and keeps
  // one value's text within a few megabytes.
  static constexpr long long kMaxSize = 1000000;
  // True when lines x cols is a size a value may take.
  static bool SizeAllowed(long long lines, long long cols) {
    return lines >= 0 && cols >= 0 && lines <= kMaxSize / (cols > 0 ? cols : 1);
  }

  // Empties the value: no type, 0 x 0.
  void Clear();

  template <class T>
  void Put(const T& v) {
    Store(std::vector<T>{v}, 1, 1);
  }
  void Put(const char* v) { Put(Sstring(v)); }
  template <class T>
  void Put(const T* v, long n) {
    Store(std::vector<T>(v, v + (n > 0 ? n : 0)), n > 0 ? n : 0, 1);
  }
  template <class T>
  void Put(T* const* v, long lines, long cols) {
    std::vector<T> e;
    if (lines > 0 && cols > 0) {
      e.reserve(static_cast<size_t>(lines * cols));
      for (long i = 0; i < lines; ++i) e.insert(e.end(), v[i], v[i] + cols);
    } else {
      lines = cols = 0;
    }
    Store(std::move(e), lines, cols);
  }

  // Element (0, 0), converted to T; 0 (target untouched) when the stored type
  // cannot be delivered as T or the value is empty.
  template <class T>
  int Get(T& out) const {
    return Visit([&](const auto& e) { return !e.empty() && ConvertElement(e[0], out); });
  }
  // Column 0 of every line into out[0..Rows()-1].
  template <class T>
  int Get(T* out) const {
    return Visit([&](const auto& e) {
      using E = typename std::decay_t<decltype(e)>::value_type;
      T probe{};
      if (!ConvertElement(E{}, probe)) return false;
      for (long i = 0; i < rows_; ++i) ConvertElement(e[static_cast<size_t>(i * cols_)], out[i]);
      return true;
    });
  }
  // Every element into out[line][col].
  template <class T>
  int Get(T** out) const {
    return Visit([&](const auto& e) {
      using E = typename std::decay_t<decltype(e)>::value_type;
      T probe{};
      if (!ConvertElement(E{}, probe)) return false;
      for (long i = 0; i < rows_; ++i)
        for (long j = 0; j < cols_; ++j)
          ConvertElement(e[static_cast<size_t>(i * cols_ + j)], out[i][j]);
      return true;
    });
  }

  long Rows() const { return rows_; }
  long Cols() const { return cols_; }
  Sstring Type() const;
  bool IsEmpty() const { return !elements_; }

  // Resize-and-fill from text: keeps elements inside both extents when the
  // type is unchanged, fills the rest with the first value read from text.
  // A size SizeAllowed refuses changes nothing.
  void Put(const Sstring& type, long lines, long cols, const Sstring& text);
  // One element from text; 1 when the position lies inside the value.
  int Put(long line, long col, const Sstring& text);
  // One element as written by the record form (no trailing blank); empty
  // text when the position lies outside the value.
  Sstring Get(long line, long col) const;
  // The nine keywords, each followed by a semicolon.
  static Sstring GetTypes() { return ElementKeywordList(); }

  // Record form: quoted keyword, lines, columns, then every line on a new
  // line with each element followed by one blank.
  void Write(std::ostream& out, NumberStyle style) const;
  // Reads the record form; false when type, sizes or an element cannot be
  // read, or the size is one SizeAllowed refuses (the value is then left
  // empty).
  bool Read(std::istream& in);
  // Elements only, one line for a scalar or vector.
  void GetASCII(std::ostream& out) const;

  friend std::ostream& operator<<(std::ostream& out, const Joker& j);
  friend std::istream& operator>>(std::istream& in, Joker& j);

 private:
  template <class... T>
  static std::variant<std::monostate, std::vector<T>...> StorageOf(TypeList<T...>);
  // No value, or the elements of one of the nine types, line by line.
  using Storage = decltype(StorageOf(ElementTypes{}));

  template <class T>
  void Store(std::vector<T> e, long lines, long cols) {
    elements_ = std::make_shared<Storage>(std::move(e));
    rows_ = lines;
    cols_ = cols;
  }
  // Calls f on the element vector; false for an empty value.
  template <class F>
  bool Visit(F&& f) const {
    return std::visit(
        [&](const auto& e) -> bool {
          if constexpr (std::is_same_v<std::decay_t<decltype(e)>, std::monostate>) return false;
          else return f(e);
        },
        Elements());
  }
  const Storage& Elements() const;
  // The elements for writing: shared ones are copied first.
  Storage& MutableElements();

  // Shared between copies until one of them writes: the objects of a kind
  // start from one set of defaults, and a copied parameter set keeps the
  // values it does not change.
  std::shared_ptr<Storage> elements_;  // null for no value
  long rows_ = 0;
  long cols_ = 0;
};
