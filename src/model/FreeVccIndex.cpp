// FreeVccIndex: re-reading changed keys and the search by ends and category.
#include "model/FreeVccIndex.h"

#include "model/DataKeys.h"
#include "model/VccRecord.h"

using namespace datakey;

void FreeVccIndex::Refresh(const DataTable& table) {
  for (const Sstring& key : dirty_) {
    auto was = indexed_.find(key);
    if (was != indexed_.end()) {
      auto group = free_.find(was->second.first);
      group->second.erase(was->second.second);
      if (group->second.empty()) free_.erase(group);
      indexed_.erase(was);
    }
    Sstring status, category, first, last;
    short n = 0;
    if (table.PeekData(key, kStatus, status) && status == "EMPTY" &&
        table.PeekData(key, kNumberOfBlocks, n) && table.PeekData(key, VccBlockEntry(n), last) &&
        table.PeekData(key, VccBlockEntry(1), first) && table.PeekData(key, kCategory, category)) {
      const long place = table.KeyPosition(key);
      Ends ends{first, last, category};
      free_[ends].emplace(place, key);
      indexed_.emplace(key, std::make_pair(std::move(ends), place));
    }
  }
  dirty_.clear();
}

const Sstring* FreeVccIndex::Find(const DataTable& table, const Sstring& first, const Sstring& last,
                                  const Sstring& category, double bitRate) {
  Refresh(table);
  auto group = free_.find(Ends{first, last, category});
  if (group == free_.end()) return nullptr;
  for (auto it = group->second.rbegin(); it != group->second.rend(); ++it) {
    double bandwidth = 0;
    if (table.PeekData(it->second, kBandwidth, bandwidth) && bitRate <= bandwidth)
      return &it->second;
  }
  return nullptr;
}
