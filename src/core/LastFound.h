// LastFound: the last key looked up in a map whose values never move (a
// node-based map) and where its value lies, so that a lookup repeating it -
// the cells of one connection, one after the other - skips the hashing.
// Forget() whenever the map is cleared or an entry is erased.
#pragma once

template <class K, class V>
class LastFound {
 public:
  // The value of key when it was the last one kept, else null.
  V* Find(const K& key) const { return value_ && key == key_ ? value_ : nullptr; }
  V& Keep(const K& key, V& value) {
    key_ = key;
    value_ = &value;
    return value;
  }
  void Forget() { value_ = nullptr; }

 private:
  K key_{};
  V* value_ = nullptr;
};
