// Sstring: the text string of the whole system. Its input operator is the
// tokeniser of every command, parameter text, data text and script line; its
// output operator writes the value between double quotes.
#pragma once
#include <functional>
#include <iosfwd>
#include <string>

class Sstring {
 public:
  Sstring() = default;
  Sstring(const char* s) : s_(s ? s : "") {}
  Sstring(std::string s) : s_(std::move(s)) {}

  long length() const { return static_cast<long>(s_.size()); }
  bool empty() const { return s_.empty(); }
  const char* c_str() const { return s_.c_str(); }
  const std::string& str() const { return s_; }
  char& operator[](long i) { return s_[static_cast<size_t>(i)]; }
  char operator[](long i) const { return s_[static_cast<size_t>(i)]; }

  Sstring& operator+=(const Sstring& o) { s_ += o.s_; return *this; }
  Sstring& operator+=(const char* o) { s_ += o; return *this; }
  Sstring& operator+=(char c) { s_ += c; return *this; }

  friend Sstring operator+(const Sstring& a, const Sstring& b) { return Sstring(a.s_ + b.s_); }
  friend Sstring operator+(const Sstring& a, const char* b) { return Sstring(a.s_ + b); }
  friend Sstring operator+(const char* a, const Sstring& b) { return Sstring(a + b.s_); }
  friend Sstring operator+(const Sstring& a, char c) { return Sstring(a.s_ + c); }
  friend Sstring operator+(char c, const Sstring& b) { return Sstring(std::string(1, c) + b.s_); }

  // Byte-wise comparison as unsigned characters (strcmp order).
  int compare(const Sstring& o) const { return s_.compare(o.s_); }
  friend bool operator==(const Sstring& a, const Sstring& b) { return a.s_ == b.s_; }
  friend bool operator!=(const Sstring& a, const Sstring& b) { return a.s_ != b.s_; }
  friend bool operator<(const Sstring& a, const Sstring& b) { return a.s_ < b.s_; }
  friend bool operator<=(const Sstring& a, const Sstring& b) { return a.s_ <= b.s_; }
  friend bool operator>(const Sstring& a, const Sstring& b) { return a.s_ > b.s_; }
  friend bool operator>=(const Sstring& a, const Sstring& b) { return a.s_ >= b.s_; }
  friend bool operator==(const Sstring& a, const char* b) { return a.s_ == b; }
  friend bool operator!=(const Sstring& a, const char* b) { return a.s_ != b; }
  friend bool operator==(const char* a, const Sstring& b) { return b.s_ == a; }
  friend bool operator!=(const char* a, const Sstring& b) { return b.s_ != a; }
  friend bool operator<(const Sstring& a, const char* b) { return a.s_.compare(b) < 0; }
  friend bool operator<(const char* a, const Sstring& b) { return b.s_.compare(a) > 0; }
  friend bool operator<=(const Sstring& a, const char* b) { return a.s_.compare(b) <= 0; }
  friend bool operator<=(const char* a, const Sstring& b) { return b.s_.compare(a) >= 0; }
  friend bool operator>(const Sstring& a, const char* b) { return a.s_.compare(b) > 0; }
  friend bool operator>(const char* a, const Sstring& b) { return b.s_.compare(a) < 0; }
  friend bool operator>=(const Sstring& a, const char* b) { return a.s_.compare(b) >= 0; }
  friend bool operator>=(const char* a, const Sstring& b) { return b.s_.compare(a) <= 0; }

  // Reads one word: a run of non-blank characters, or a double-quoted phrase.
  // Trailing white space is skipped so the stream stands at the next word.
  friend std::istream& operator>>(std::istream& in, Sstring& s);
  // Writes the value between double quotes (a quote already present at either
  // end is not doubled).
  friend std::ostream& operator<<(std::ostream& out, const Sstring& s);

 private:
  std::string s_;
};

namespace std {
template <>
struct hash<Sstring> {
  size_t operator()(const Sstring& s) const noexcept { return hash<string>()(s.str()); }
};
}  // namespace std

// Text of a value written with the output operator (quoted).
std::string Quoted(const Sstring& s);
// Text that the word reader reads back as s, for scripts: quoted, or bare
// when s holds a double quote that quoting would cut (a bare word carries it
// unless s begins with a quote or a blank or holds a blank, tab, line break
// or NUL; such an s cannot be written, and is written quoted).
std::string ScriptWord(const Sstring& s);
