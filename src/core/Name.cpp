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

  std::deque<Sstring> texts;    // stable references: str() hands them out
  std::vector<uint32_t> hashes;  // of each text, so a probe compares texts only on a match
  std::vector<uint32_t> slots = std::vector<uint32_t>(64, kFree);

  NameTable() {
#define CELVANE_WORD_TEXT(W) #W,
    static const char* const kWords[] = {"", CELVANE_WORDS(CELVANE_WORD_TEXT)};
#undef CELVANE_WORD_TEXT
    for (const char* w : kWords) Intern(w);
  }
  static uint32_t Hash(std::string_view s) {
    return static_cast<uint32_t>(std::hash<std::string_view>()(s));
  }
  // The slot holding s's id, or the free slot where it belongs.
  size_t Probe(std::string_view s, uint32_t h) const {
    const size_t mask = slots.size() - 1;
    size_t i = h & mask;
    while (slots[i] != kFree && (hashes[slots[i]] != h || texts[slots[i]].str() != s))
      i = (i + 1) & mask;
    return i;
  }
  bool Find(std::string_view s, uint32_t& id) const {
    const uint32_t found = slots[Probe(s, Hash(s))];
    if (found == kFree) return false;
    id = found;
    return true;
  }
  uint32_t Intern(std::string_view s) {
    const uint32_t h = Hash(s);
    size_t i = Probe(s, h);
    if (slots[i] != kFree) return slots[i];
    const uint32_t id = static_cast<uint32_t>(texts.size());
    texts.emplace_back(std::string(s));
    hashes.push_back(h);
    if (2 * texts.size() > slots.size()) {
      Grow();
      i = Probe(s, h);
    }
    slots[i] = id;
    return id;
  }
  // Doubles the slots; the ids are placed by their kept hashes (all distinct
  // texts, so no text is compared).
  void Grow() {
    std::vector<uint32_t> old(2 * slots.size(), kFree);
    old.swap(slots);
    const size_t mask = slots.size() - 1;
    for (uint32_t id : old) {
      if (id == kFree) continue;
      size_t i = hashes[id] & mask;
      while (slots[i] != kFree) i = (i + 1) & mask;
      slots[i] = id;
    }
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
