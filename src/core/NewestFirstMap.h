// NewestFirstMap: a dictionary that lists its members most recently inserted
// first; a member keeps its place once added. Used by every registry and
// table of the system that lists newest first. Lookup is a hash probe.
#pragma once
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

template <class K, class V>
class NewestFirstMap {
 public:
  struct Entry {
    K key;
    V value;
  };

  V* Find(const K& key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second]->value;
  }
  const V* Find(const K& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second]->value;
  }
  bool Contains(const K& key) const { return index_.count(key) != 0; }
  // The member's place in insertion order (0 is the oldest), or -1. Places
  // of members added before it never change; an Erase shifts later ones.
  long Position(const K& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? -1 : static_cast<long>(it->second);
  }

  // The member under key, added (default-constructed) at the head if absent.
  V& GetOrInsert(const K& key) {
    auto it = index_.find(key);
    if (it != index_.end()) return entries_[it->second]->value;
    index_.emplace(key, entries_.size());
    entries_.push_back(std::make_unique<Entry>(Entry{key, V()}));
    return entries_.back()->value;
  }
  // Stores value under key: replaces in place, or adds at the head.
  V& Put(const K& key, V value) {
    V& slot = GetOrInsert(key);
    slot = std::move(value);
    return slot;
  }
  bool Erase(const K& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    size_t pos = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<long>(pos));
    for (size_t i = pos; i < entries_.size(); ++i) index_[entries_[i]->key] = i;
    return true;
  }
  void Clear() {
    entries_.clear();
    index_.clear();
  }
  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }

  // Visits the members newest first; f(key, value).
  template <class F>
  void ForEach(F&& f) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) f((*it)->key, (*it)->value);
  }
  template <class F>
  void ForEach(F&& f) {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) f((*it)->key, (*it)->value);
  }
  // The keys, newest first.
  std::vector<K> Keys() const {
    std::vector<K> keys;
    keys.reserve(entries_.size());
    ForEach([&](const K& k, const V&) { keys.push_back(k); });
    return keys;
  }

 private:
  // Entries are held by pointer so that references handed out stay valid
  // while the dictionary grows.
  std::vector<std::unique_ptr<Entry>> entries_;  // oldest first
  std::unordered_map<K, size_t> index_;
};
