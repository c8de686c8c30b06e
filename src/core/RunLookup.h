// RunLookup: what a layer resolves from its block's tables once per run, by
// key (a data connection, a cell label, a port). The values never move; the
// keys sit in an open-addressed table beside their value's address, so that
// a lookup reads one slot and the value, not a chain of nodes (a switch
// looks up one of thousands of ports or labels per cell). The last key
// asked and its value are kept too: the cells of one connection, one after
// the other, skip the hashing. Clearing forgets the keys, the values and
// the kept key together.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

template <class K, class V>
class RunLookup {
 public:
  // The value of key: the last one asked at once, else the table's, else the
  // one resolve() makes (only for a key not met since Clear), kept.
  template <class Resolve>
  V& Get(const K& key, Resolve&& resolve) {
    if (last_ && key == lastKey_) return *last_;
    return Find(key, resolve);
  }
  void Clear() {
    slots_.clear();
    chunks_.clear();
    count_ = 0;
    last_ = nullptr;
  }
  // For values kept from run to run: hands each to reset and forgets the
  // last key.
  template <class Reset>
  void Restart(Reset&& reset) {
    for (size_t c = 0; c < chunks_.size(); ++c)
      for (size_t i = ChunkStart(c); i < count_ && i < ChunkStart(c + 1); ++i)
        reset(chunks_[c][i - ChunkStart(c)]);
    last_ = nullptr;
  }

 private:
  using Value = std::remove_const_t<V>;
  struct Slot {
    K key{};
    Value* value = nullptr;  // null: an empty slot
  };
  static constexpr size_t kFirstSlots = 4;

  // The top bits of the key's hash times a large odd number: they depend on
  // every bit of the key.
  size_t Home(const K& key) const {
    const uint64_t h = static_cast<uint64_t>(std::hash<K>{}(key)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> shift_);
  }
  // The slot holding key, or the empty slot where it belongs.
  Slot& SlotOf(const K& key) {
    size_t i = Home(key);
    while (slots_[i].value && !(slots_[i].key == key)) i = (i + 1) & (slots_.size() - 1);
    return slots_[i];
  }
  template <class Resolve>
  [[gnu::noinline]] V& Find(const K& key, Resolve& resolve) {
    if (2 * (count_ + 1) > slots_.size()) Grow();
    Slot& s = SlotOf(key);
    if (!s.value) {
      s.value = Place(resolve());
      s.key = key;
    }
    lastKey_ = key;
    last_ = s.value;
    return *last_;
  }
  // Twice the slots (at most half of them in use), the keys placed anew.
  void Grow() {
    std::vector<Slot> old(slots_.empty() ? kFirstSlots : 2 * slots_.size());
    old.swap(slots_);
    shift_ = 64;
    for (size_t n = slots_.size(); n > 1; n >>= 1) --shift_;
    for (const Slot& s : old)
      if (s.value) SlotOf(s.key) = s;
  }
  // Values fill chunks of 1, 2, 4, ... values, which never move: a lookup
  // of one key holds one value.
  static size_t ChunkStart(size_t chunk) { return (size_t(1) << chunk) - 1; }
  Value* Place(Value&& v) {
    if (count_ == ChunkStart(chunks_.size()))
      chunks_.emplace_back(new Value[size_t(1) << chunks_.size()]);
    Value* p = &chunks_.back()[count_ - ChunkStart(chunks_.size() - 1)];
    *p = std::move(v);
    ++count_;
    return p;
  }

  std::vector<Slot> slots_;
  std::vector<std::unique_ptr<Value[]>> chunks_;
  size_t count_ = 0;  // values placed
  int shift_ = 64;    // 64 - log2 of the slots
  K lastKey_{};
  V* last_ = nullptr;
};
