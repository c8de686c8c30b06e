// PlaceIndex: the hash index of a list that is searched in order while it is
// small - the places (0 .. n-1) of its members by the hash of their keys,
// open-addressed with linear probing, at most half full. Four bytes a slot,
// where a node-based map costs some forty bytes a member; tables and
// registries of a large network hold thousands of members.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

class PlaceIndex {
 public:
  bool Built() const { return slots_ != nullptr; }
  void Reset() { slots_.reset(); }

  // The place p for which isAt(p) holds, among those of that hash; -1 when
  // there is none.
  template <class IsAt>
  long Find(size_t hash, IsAt&& isAt) const {
    const size_t mask = slots_[0];
    for (size_t i = Home(hash, mask);; i = (i + 1) & mask) {
      const uint32_t place = slots_[i + 1];
      if (place == 0) return -1;
      if (isAt(place - 1)) return static_cast<long>(place - 1);
    }
  }
  // Enters the member just added at place n - 1; hashAt(p) is the hash of
  // the member at place p.
  template <class HashAt>
  void Added(size_t n, HashAt&& hashAt) {
    if (2 * n > static_cast<size_t>(slots_[0]) + 1) Rebuild(n, hashAt);
    else Enter(hashAt(n - 1), n - 1);
  }
  // Indexes the n members anew, a quarter full.
  template <class HashAt>
  void Rebuild(size_t n, HashAt&& hashAt) {
    size_t slots = 32;
    while (slots < 4 * n) slots *= 2;
    slots_ = std::make_unique<uint32_t[]>(slots + 1);
    slots_[0] = static_cast<uint32_t>(slots - 1);
    for (size_t p = 0; p < n; ++p) Enter(hashAt(p), p);
  }

 private:
  static size_t Home(size_t hash, size_t mask) {
    uint64_t h = hash;
    h ^= h >> 29;
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> 32) & mask;
  }
  void Enter(size_t hash, size_t place) {
    const size_t mask = slots_[0];
    size_t i = Home(hash, mask);
    while (slots_[i + 1] != 0) i = (i + 1) & mask;
    slots_[i + 1] = static_cast<uint32_t>(place + 1);
  }

  std::unique_ptr<uint32_t[]> slots_;  // the mask, then the slots: place + 1, or 0 when free
};
