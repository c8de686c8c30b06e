// FreeVccIndex: the network's EMPTY VCCs by (first block, last block, service
// category), each group in table order, so that choosing the VCC of a new
// data connection costs a lookup instead of a scan of every key of the
// network's table. The table tells the index which keys changed; those are
// read again, with the very reads the scan would make, before the next
// search. Keys never leave a data table, so a key's place stays fixed.
#pragma once
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/DataTable.h"

class FreeVccIndex {
 public:
  // The entries under key changed.
  void Touch(const Sstring& key) { dirty_.insert(key); }
  // The newest key of the table (the first one a newest-first scan meets)
  // that holds an EMPTY VCC from `first` to `last` of `category` whose
  // bandwidth is at least bitRate; null when there is none.
  const Sstring* Find(const DataTable& table, const Sstring& first, const Sstring& last,
                      const Sstring& category, double bitRate);

 private:
  using Ends = std::tuple<Sstring, Sstring, Sstring>;  // first, last, category
  void Refresh(const DataTable& table);

  std::unordered_set<Sstring> dirty_;
  std::map<Ends, std::map<long, Sstring>> free_;  // by the key's place in the table
  std::unordered_map<Sstring, std::pair<Ends, long>> indexed_;  // where each indexed key is filed
};
