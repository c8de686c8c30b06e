// The process-wide table of interned names.
#include "core/Name.h"

#include <cstdint>
#include <deque>
#include <ostream>
#include <string_view>
#include <vector>

namespace {
// The texts by id, and an open-addressed hash index of their ids (linear
// probing, at most half full): a few bytes per name where a node-based map
// would keep a second copy of every text in its own node.
struct NameTable {
  static constexpr uint32_t kFree = UINT32_MAX;

  std::deque<Sstring> texts;  // stable references: str() hands them out
  std::vector<uint32_t> slots = std::vector<uint32_t>(64, kFree);

  NameTable() {
#define CELVANE_WORD_TEXT(W) #W,
    static const char* const kWords[] = {"", CELVANE_WORDS(CELVANE_WORD_TEXT)};
#undef CELVANE_WORD_TEXT
    for (const char* w : kWords) Intern(w);
  }
  // The slot holding s's id, or the free slot where it belongs.
  size_t Probe(std::string_view s) const {
    const size_t mask = slots.size() - 1;
    size_t i = std::hash<std::string_view>()(s) & mask;
    while (slots[i] != kFree && texts[slots[i]].str() != s) i = (i + 1) & mask;
    return i;
  }
  bool Find(std::string_view s, uint32_t& id) const {
    const uint32_t found = slots[Probe(s)];
    if (found == kFree) return false;
    id = found;
    return true;
  }
  uint32_t Intern(std::string_view s) {
    size_t i = Probe(s);
    if (slots[i] != kFree) return slots[i];
    const uint32_t id = static_cast<uint32_t>(texts.size());
    texts.emplace_back(std::string(s));
    if (2 * texts.size() > slots.size()) {
      Grow();
      i = Probe(s);
    }
    slots[i] = id;
    return id;
  }
  void Grow() {
    std::vector<uint32_t> old(2 * slots.size(), kFree);
    old.swap(slots);
    for (uint32_t id : old)
      if (id != kFree) slots[Probe(texts[id].str())] = id;
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
  return Table().Find(s.str(), out.id_);
}

const Sstring& Name::str() const {
  return Table().texts[id_];
}

uint32_t Name::Count() { return static_cast<uint32_t>(Table().texts.size()); }

std::ostream& operator<<(std::ostream& out, Name n) { return out << n.str(); }
