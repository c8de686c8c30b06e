// RunLookup: what a layer resolves from its block's tables once per run, by
// key (a data connection, a cell label, a port). The values sit in a node
// map, so they never move; the last key asked and its value are kept, so
// that a lookup repeating it - the cells of one connection, one after the
// other - skips the hashing. Clearing the map forgets the kept key with it.
#pragma once
#include <unordered_map>
#include <utility>

template <class K, class V>
class RunLookup {
 public:
  // The value of key: the last one asked at once, else the map's, else the
  // one resolve() makes (only for a key not met since Clear), kept.
  template <class Resolve>
  V& Get(const K& key, Resolve&& resolve) {
    if (last_ && key == lastKey_) return *last_;
    return Find(key, resolve);
  }
  void Clear() {
    map_.clear();
    last_ = nullptr;
  }
  // For values kept from run to run: hands each to reset and forgets the
  // last key.
  template <class Reset>
  void Restart(Reset&& reset) {
    for (auto& entry : map_) reset(entry.second);
    last_ = nullptr;
  }

 private:
  template <class Resolve>
  [[gnu::noinline]] V& Find(const K& key, Resolve& resolve) {
    auto it = map_.find(key);
    if (it == map_.end()) it = map_.emplace(key, resolve()).first;
    lastKey_ = key;
    last_ = &it->second;
    return it->second;
  }

  std::unordered_map<K, V> map_;
  K lastKey_{};
  V* last_ = nullptr;
};
