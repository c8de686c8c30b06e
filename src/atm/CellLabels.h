// CellLabels: the cell tests and label searches the ATM layers of terminals
// and switches share - management cells, (VPI, VCI) keys and the search of a
// block's table for the connection that incoming labels belong to.
#pragma once
#include <cstdint>
#include <unordered_map>

#include "core/Cell.h"
#include "core/DataTable.h"

namespace atmcell {

// Cells an ATM layer drops before routing: OAM F5 (PTI 4, 5), OAM F4
// (VCI 3, 4), resource management (VCI 6) and meta-signalling (VCI 1).
inline bool IsManagementCell(const Cell& c) {
  const short pti = c.PTI();
  const int vci = c.VCI();
  return pti == 4 || pti == 5 || vci == 3 || vci == 4 || vci == 6 || vci == 1;
}

// The (VPI, VCI) pair as one hash key.
inline uint64_t LabelKey(int vpi, int vci) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(vpi)) << 32) | static_cast<uint32_t>(vci);
}

// 1 and the value when (key, name) holds an integer of any integer type;
// reads only, never adds a key.
int PeekInteger(const DataTable& table, const Sstring& key, const Sstring& name, long long& out);

// Which connection incoming cells belong to: the first key of a block's
// table (newest first) whose "Input VPI" and "Input VCI" equal the cell's
// labels. The table is indexed on first use; Clear() before every run.
class InputLabelIndex {
 public:
  void Clear() {
    keys_.clear();
    built_ = false;
  }
  // The connection key, or null when no key carries these input labels.
  const Sstring* Find(const DataTable& table, int vpi, int vci);

 private:
  std::unordered_map<uint64_t, Sstring> keys_;
  bool built_ = false;
};

}  // namespace atmcell
