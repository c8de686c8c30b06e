// The process-wide table of interned names.
#include "core/Name.h"

#include <ostream>
#include <unordered_map>
#include <deque>

namespace {
struct NameTable {
  std::deque<Sstring> texts;  // stable references: str() hands them out
  std::unordered_map<std::string, uint32_t> ids;
  NameTable() {
#define CELVANE_WORD_TEXT(W) #W,
    static const char* const kWords[] = {"", CELVANE_WORDS(CELVANE_WORD_TEXT)};
#undef CELVANE_WORD_TEXT
    for (const char* w : kWords) Intern(w);
  }
  uint32_t Intern(const std::string& s) {
    auto it = ids.find(s);
    if (it != ids.end()) return it->second;
    uint32_t id = static_cast<uint32_t>(texts.size());
    texts.emplace_back(s);
    ids.emplace(s, id);
    return id;
  }
};

NameTable& Table() {
  static NameTable table;
  return table;
}
}  // namespace

Name::Name(const Sstring& s) : id_(Table().Intern(s.str())) {}
Name::Name(const char* s) : id_(Table().Intern(s)) {}

bool Name::Lookup(const Sstring& s, Name& out) {
  const NameTable& t = Table();
  auto it = t.ids.find(s.str());
  if (it == t.ids.end()) return false;
  out.id_ = it->second;
  return true;
}

const Sstring& Name::str() const {
  return Table().texts[id_];
}

uint32_t Name::Count() { return static_cast<uint32_t>(Table().texts.size()); }

std::ostream& operator<<(std::ostream& out, Name n) { return out << n.str(); }
