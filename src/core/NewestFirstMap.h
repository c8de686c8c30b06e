// NewestFirstMap: a dictionary that lists its members most recently inserted
// first; a member keeps its place once added. Used by every registry and
// table of the system that lists newest first. Lookup is a hash probe, or
// a search in order while the dictionary is small.
#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/PlaceIndex.h"

template <class K, class V>
class NewestFirstMap {
 public:
  struct Entry {
    K key;
    V value;
  };

  V* Find(const K& key) {
    const long i = Locate(key);
    return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)]->value;
  }
  const V* Find(const K& key) const {
    const long i = Locate(key);
    return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)]->value;
  }
  bool Contains(const K& key) const { return Locate(key) >= 0; }
  // The member's place in insertion order (0 is the oldest), or -1. Places
  // of members added before it never change; an Erase shifts later ones.
  long Position(const K& key) const { return Locate(key); }

  // The member under key, added (default-constructed) at the head if absent.
  V& GetOrInsert(const K& key) {
    const long i = Locate(key);
    if (i >= 0) return entries_[static_cast<size_t>(i)]->value;
    entries_.push_back(std::make_unique<Entry>(Entry{key, V()}));
    if (!index_.Built()) Reindex();
    else index_.Added(entries_.size(), [&](size_t p) { return Hash(entries_[p]->key); });
    return entries_.back()->value;
  }
  // Stores value under key: replaces in place, or adds at the head.
  V& Put(const K& key, V value) {
    V& slot = GetOrInsert(key);
    slot = std::move(value);
    return slot;
  }
  bool Erase(const K& key) {
    const long i = Locate(key);
    if (i < 0) return false;
    entries_.erase(entries_.begin() + i);
    Reindex();
    return true;
  }
  void Clear() {
    entries_.clear();
    index_.Reset();
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
  // Up to this many members are searched in order: most dictionaries (the
  // rows of data tables, a block's components) are small, and a hash index
  // would cost more memory than they hold.
  static constexpr size_t kLinear = 8;

  static size_t Hash(const K& key) { return std::hash<K>()(key); }
  long Locate(const K& key) const {
    if (index_.Built())
      return index_.Find(Hash(key), [&](size_t p) { return entries_[p]->key == key; });
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i]->key == key) return static_cast<long>(i);
    return -1;
  }
  void Reindex() {
    if (entries_.size() <= kLinear) index_.Reset();
    else index_.Rebuild(entries_.size(), [&](size_t p) { return Hash(entries_[p]->key); });
  }

  // Entries are held by pointer so that references handed out stay valid
  // while the dictionary grows.
  std::vector<std::unique_ptr<Entry>> entries_;  // oldest first
  // None while Size() <= kLinear: an index alone would be larger than most
  // dictionaries' entries, and tables hold many of them.
  PlaceIndex index_;
};
