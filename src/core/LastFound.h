// LastFound: the last key looked up in a map whose values never move (a
// node-based map) and where its value lies, so that a lookup repeating it -
// the cells of one connection, one after the other - skips the hashing.
// Forget() whenever the map is cleared or an entry is erased.
#pragma once

template <class K, class V>
class LastFound {
 public:
  // The value of key: the kept one when key was the last asked, else
  // find(), which looks it up in the map, kept from then on.
  template <class Find>
  V& Get(const K& key, Find&& find) {
    if (value_ && key == key_) return *value_;
    V& value = find();
    key_ = key;
    value_ = &value;
    return value;
  }
  void Forget() { value_ = nullptr; }

 private:
  K key_{};
  V* value_ = nullptr;
};
