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
    static const char* const kWords[] = {
        "", "SEND_PACKET", "END", "CPCS_UNITDATA_INVOKE", "CPCS_UNITDATA_SIGNAL",
        "ATM_DATA_REQUEST", "ATM_DATA_INDICATION", "INSERT_ATMCELL", "ATM_SEND_CELL",
        "PHY_DATA_REQUEST", "PHY_DATA_INDICATION", "PHY_SEND_CELL", "RECEIVE_CELL",
        "INSERT_PLCELL", "PLCELL_LOOP", "LOG_BY_TIME", "LOG_SAMPLE_STATISTICS",
        "NONE_MESSAGE", "UNNECESSARY", "CPCS_UNITDATA", "SAR_UNITDATA", "ATM_DATA", "CELL",
        "PHY_DATA", "UNKNOW", "ATM", "AAL5", "PHY", "PHY_QS", "TR", "UNI", "NNI",
        "EMPTY_CELL", "USER_CELL"};
    static_assert(sizeof(kWords) / sizeof(kWords[0]) == static_cast<size_t>(Word::Count),
                  "word list and Word enum differ");
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

const Sstring& Name::str() const {
  return Table().texts[id_];
}

uint32_t Name::Count() { return static_cast<uint32_t>(Table().texts.size()); }

std::ostream& operator<<(std::ostream& out, Name n) { return out << n.str(); }
