// Joker text forms, resize-and-fill and element access by text.
#include "core/Joker.h"

#include <istream>
#include <ostream>
#include <sstream>

const Joker::Storage& Joker::Elements() const {
  static const Storage kNone;
  return elements_ ? *elements_ : kNone;
}

Joker::Storage& Joker::MutableElements() {
  if (elements_.use_count() > 1) elements_ = std::make_shared<Storage>(*elements_);
  return *elements_;
}

void Joker::Clear() {
  elements_.reset();
  rows_ = cols_ = 0;
}

Sstring Joker::Type() const {
  return std::visit(
      [](const auto& e) -> Sstring {
        using V = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<V, std::monostate>) return Sstring();
        else return ElementTraits<typename V::value_type>::keyword;
      },
      Elements());
}

void Joker::Put(const Sstring& type, long lines, long cols, const Sstring& text) {
  if (!SizeAllowed(lines, cols)) return;
  WithElementType(type, [&](auto proto) {
    using T = decltype(proto);
    T fill{};
    std::istringstream in(text.str());
    ReadElement(in, fill);
    std::vector<T> e(static_cast<size_t>(lines * cols), fill);
    if (const auto* old = std::get_if<std::vector<T>>(&Elements())) {
      for (long i = 0; i < std::min(lines, rows_); ++i)
        for (long j = 0; j < std::min(cols, cols_); ++j)
          e[static_cast<size_t>(i * cols + j)] = (*old)[static_cast<size_t>(i * cols_ + j)];
    }
    Store(std::move(e), lines, cols);
  });
}

int Joker::Put(long line, long col, const Sstring& text) {
  if (line < 0 || line >= rows_ || col < 0 || col >= cols_ || !elements_) return 0;
  return std::visit(
      [&](auto& e) -> int {
        using V = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<V, std::monostate>) return 0;
        else {
          typename V::value_type v{};
          std::istringstream in(text.str());
          if (!ReadElement(in, v)) return 0;
          e[static_cast<size_t>(line * cols_ + col)] = v;
          return 1;
        }
      },
      MutableElements());
}

Sstring Joker::Get(long line, long col) const {
  if (line < 0 || line >= rows_ || col < 0 || col >= cols_) return Sstring();
  std::ostringstream out;
  Visit([&](const auto& e) {
    WriteElement(out, e[static_cast<size_t>(line * cols_ + col)], NumberStyle::Screen);
    return true;
  });
  std::string s = out.str();
  if (s.size() > 511) s.resize(511);
  return Sstring(std::move(s));
}

// Each row on a line of its own; in a script (exact style) a row that would
// begin with "#" stays on the line before, since load skips such a line.
void Joker::Write(std::ostream& out, NumberStyle style) const {
  out << Type() << ' ' << rows_ << ' ' << cols_;
  Visit([&](const auto& e) {
    for (long i = 0; i < rows_; ++i) {
      std::ostringstream row;
      for (long j = 0; j < cols_; ++j) {
        WriteElement(row, e[static_cast<size_t>(i * cols_ + j)], style);
        row << ' ';
      }
      const std::string text = row.str();
      out << (style == NumberStyle::Exact && text[0] == '#' ? ' ' : '\n') << text;
    }
    return true;
  });
}

bool Joker::Read(std::istream& in) {
  Clear();
  Sstring type;
  in >> type;
  long long lines = -1, cols = -1;
  if (!(in >> lines >> cols) || !SizeAllowed(lines, cols)) {
    in.setstate(std::ios::failbit);
    return false;
  }
  bool ok = false;
  bool known = WithElementType(type, [&](auto proto) {
    using T = decltype(proto);
    std::vector<T> e;
    // Elements are read one by one, so a size the text cannot back never
    // allocates more than what was actually read.
    for (long long k = 0; k < lines * cols; ++k) {
      T v{};
      if (!ReadElement(in, v)) return;
      e.push_back(std::move(v));
    }
    Store(std::move(e), static_cast<long>(lines), static_cast<long>(cols));
    ok = true;
  });
  if (!known || !ok) {
    Clear();
    in.setstate(std::ios::failbit);
    return false;
  }
  return true;
}

void Joker::GetASCII(std::ostream& out) const {
  Visit([&](const auto& e) {
    for (long i = 0; i < rows_; ++i) {
      if (i > 0 && cols_ != 1) out << '\n';
      for (long j = 0; j < cols_; ++j) {
        WriteElement(out, e[static_cast<size_t>(i * cols_ + j)], NumberStyle::Screen);
        out << ' ';
      }
    }
    return true;
  });
}

std::ostream& operator<<(std::ostream& out, const Joker& j) {
  j.Write(out, NumberStyle::Screen);
  return out;
}

std::istream& operator>>(std::istream& in, Joker& j) {
  j.Read(in);
  return in;
}
