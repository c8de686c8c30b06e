// Sstring word reading and quoted writing.
#include "core/Sstring.h"

#include <istream>
#include <ostream>

namespace {
bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
}  // namespace

std::istream& operator>>(std::istream& in, Sstring& s) {
  s.s_.clear();
  if (!in.good()) {
    if (!in.fail()) in.setstate(std::ios::failbit | std::ios::eofbit);
    return in;
  }
  std::streambuf* sb = in.rdbuf();
  typedef std::char_traits<char> tr;
  int c = sb->sgetc();
  while (c != tr::eof() && IsBlank(c)) c = sb->snextc();
  if (c == tr::eof()) {
    in.setstate(std::ios::eofbit | std::ios::failbit);
    return in;
  }
  std::string& w = s.s_;
  bool ended = false;
  if (c == '"') {
    c = sb->snextc();
    while (c != tr::eof() && c != '"') {
      w.push_back(static_cast<char>(c));
      c = sb->snextc();
    }
    if (c == tr::eof()) ended = true;
    else sb->sbumpc();  // closing quote
  } else {
    while (c != tr::eof() && c != ' ' && c != '\t' && c != '\n' && c != '\0') {
      w.push_back(static_cast<char>(c));
      c = sb->snextc();
    }
    if (c == tr::eof()) ended = true;
    else sb->sbumpc();  // delimiter
  }
  if (!ended) {
    c = sb->sgetc();
    while (c != tr::eof() && IsBlank(c)) c = sb->snextc();
    if (c == tr::eof()) ended = true;
  }
  if (ended) in.setstate(std::ios::eofbit);
  return in;
}

std::ostream& operator<<(std::ostream& out, const Sstring& s) {
  const std::string& v = s.s_;
  if (v.empty() || v.front() != '"') out << '"';
  out << v;
  if (v.empty() || v.back() != '"') out << '"';
  return out;
}

std::string Quoted(const Sstring& s) {
  const std::string& v = s.str();
  std::string r;
  r.reserve(v.size() + 2);
  if (v.empty() || v.front() != '"') r += '"';
  r += v;
  if (v.empty() || v.back() != '"') r += '"';
  return r;
}

std::string ScriptWord(const Sstring& s) {
  const std::string& v = s.str();
  if (v.find('"') == std::string::npos || IsBlank(static_cast<unsigned char>(v.front())) ||
      v.front() == '"' || v.find_first_of(std::string(" \t\n\0", 4)) != std::string::npos)
    return Quoted(s);
  return v;
}
