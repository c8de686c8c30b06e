// NewestFirstMap: a dictionary that lists its members most recently inserted
// first; a member keeps its place once added. Used by every registry and
// table of the system that lists newest first. Lookup is a hash probe, or
// a search in order while the dictionary is small.
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
    if (index_) index_->emplace(key, entries_.size() - 1);
    else if (entries_.size() > kLinear) Reindex(0);
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
    const size_t pos = static_cast<size_t>(i);
    if (index_) index_->erase(key);
    entries_.erase(entries_.begin() + i);
    if (entries_.size() <= kLinear) index_.reset();
    else Reindex(pos);
    return true;
  }
  void Clear() {
    entries_.clear();
    index_.reset();
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

  long Locate(const K& key) const {
    if (!index_) {
      for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i]->key == key) return static_cast<long>(i);
      return -1;
    }
    auto it = index_->find(key);
    return it == index_->end() ? -1 : static_cast<long>(it->second);
  }
  // Indexes the members from place `from` on.
  void Reindex(size_t from) {
    if (!index_) index_ = std::make_unique<std::unordered_map<K, size_t>>();
    for (size_t i = from; i < entries_.size(); ++i) (*index_)[entries_[i]->key] = i;
  }

  // Entries are held by pointer so that references handed out stay valid
  // while the dictionary grows.
  std::vector<std::unique_ptr<Entry>> entries_;  // oldest first
  // Null while Size() <= kLinear: an empty hash map alone is larger than
  // most dictionaries' entries, and tables hold many of them.
  std::unique_ptr<std::unordered_map<K, size_t>> index_;
};
