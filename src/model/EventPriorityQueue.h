// EventPriorityQueue: the kernel's one event queue, ordered by (time,
// insertion stamp). While few events wait (most networks have two to ten
// pending), each has its own key in an array sorted from the latest to the
// earliest: taking the first is taking the last key, and a new event shifts
// the few keys before it. Past kSmallMax events the queue turns into
// buckets in a heap, and back once no more than kSmallMin wait; the gap
// keeps it from switching at every event.
// In the heap form, events of one time are kept in buckets: first-in
// first-out lists, which is stamp order since stamps are given in insertion
// order. Synchronised sources make many exact ties, so the heap holds far
// fewer buckets than there are events, and an event added to a time that
// already has a bucket costs no heap operation at all. A small direct-mapped
// cache finds the newest bucket of a time; when it has forgotten one, a
// second bucket of that time is made, and buckets of equal time are ordered
// by the stamp of their creation, so the (time, stamp) order holds exactly.
// The heap is 4-ary over 16-byte keys: the time's bits in an
// order-preserving form, then the bucket's stamp and index packed in one
// word (in the sorted array: the event's stamp and slot), so that comparing
// two keys is one 128-bit unsigned comparison and the four children of a
// node share one cache line. The events sit in a slot
// pool reused through a free list, so a warmed-up run adds and removes
// events without allocating. The kernel takes an event and handles it where
// it lies in the pool (events stay put while others are added), then
// releases its slot.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "model/Event.h"

class EventPriorityQueue {
 public:
  // The stamps inside the keys are renumbered, keeping their order, when
  // they reach keyStampLimit, which must exceed the number of pending events
  // (tests set a small limit to exercise that).
  // At most maxPending events wait at once (about 0.5 GB of events): a run
  // that needs more gets std::length_error from the Add or Slot that would
  // exceed it, and the queue stays as it was.
  static constexpr uint32_t kMaxPending = uint32_t(1) << 22;
  explicit EventPriorityQueue(uint64_t keyStampLimit = kKeyStampLimit,
                              uint32_t maxPending = kMaxPending);
  ~EventPriorityQueue();
  EventPriorityQueue(const EventPriorityQueue&) = delete;
  EventPriorityQueue& operator=(const EventPriorityQueue&) = delete;

  // Gives the event the next stamp and queues it.
  void Add(Event&& e);
  // Building an event in place: Slot() hands out a free slot whose event the
  // caller fills in completely, Push(slot) stamps and queues it (given the
  // event At(slot) as well, it need not find it again).
  uint32_t Slot() {
    if (free_.empty()) return NewSlot();
    uint32_t slot = free_.back();
    free_.pop_back();
    return slot;
  }
  Event& At(uint32_t slot) { return chunks_[slot >> kChunkBits][slot & kChunkMask]; }
  const Event& At(uint32_t slot) const { return chunks_[slot >> kChunkBits][slot & kChunkMask]; }
  void Push(uint32_t slot) { Push(slot, At(slot)); }
  void Push(uint32_t slot, Event& e) {
    e.stamp = stamp_++;
    ++size_;
    const uint64_t bits = OrderedBits(e.time);
    if (sorted_) {
      if (size_ <= kSmallMax && keyStamp_ < keyStampLimit_) {
        InsertSorted((Key(bits) << 64) | (Key(keyStamp_++) << kSlotBits) | slot);
        return;
      }
      if (PushSortedSlow(slot, bits)) return;
    }
    next_[slot] = kNone;
    uint32_t& cached = cache_[(bits * 0x9E3779B97F4A7C15ull) >> (64 - kCacheBits)];
    // The newest bucket of this time takes the event at its end: every event
    // in it, and in any older bucket of the same time, has a smaller stamp.
    if (cached != kNone) {
      Bucket& b = buckets_[cached];
      if (b.timeBits == bits) {
        if (b.head != kNone) {
          next_[b.tail] = slot;
          b.tail = slot;
          return;
        }
        // The root bucket just emptied is the newest, and then the only,
        // bucket of its time: it takes the event without leaving the heap.
        if (cached == emptyRoot_) {
          b.head = b.tail = slot;
          emptyRoot_ = kNone;
          return;
        }
      }
    }
    PushBucket(slot, bits, cached);
  }
  // Moves the earliest event into out; 0 when the queue is empty.
  int RemoveFirst(Event& out);
  // The earliest event, taken out of the order but left in its slot: valid
  // until Release, also while further events are added.
  struct Taken {
    Event* event = nullptr;
    uint32_t slot = 0;
  };
  bool TakeFirst(Taken& taken) {
    // One comparison sends the heap's takes on.
    if (size_ <= sortedUpTo_) {
      if (size_ == 0) return false;
      if (!sorted_) ToSorted();
      heapSize_ = --size_;
      taken.slot = SlotOf(heap_[size_]);
      taken.event = &At(taken.slot);
      return true;
    }
    --size_;
    if (emptyRoot_ != kNone) DropEmptyRoot();
    const uint32_t index = SlotOf(heap_[0]);
    Bucket& b = buckets_[index];
    taken.slot = b.head;
    taken.event = &At(taken.slot);
    b.head = next_[taken.slot];
    // An emptied bucket stays at the root until the next take or new
    // bucket: a handler often plans its follow-up at the time it handles.
    if (b.head == kNone) emptyRoot_ = index;
    return true;
  }
  void Release(const Taken& taken) { free_.push_back(taken.slot); }
  // Asks the memory for what the coming events will touch while the taken
  // one is handled: the third event from now, and the first lines of the
  // handler of the second (whose event the previous call asked for), so
  // that each has the time of two events' handling to arrive. With
  // thousands of events pending, each event's data lies elsewhere in memory
  // and the loop would otherwise wait for it at every event; the few events
  // of the sorted array stay in the cache anyway. Only a hint: the next
  // events may still change. (Always inlined: a call to a function that
  // only prefetches counts as having no effect, and the compiler drops it.)
  [[gnu::always_inline]] void PrefetchAhead() const {
    if (sorted_) return;
    const uint32_t next = buckets_[SlotOf(heap_[0])].head;
    if (next == kNone) return;
    const uint32_t after = next_[next];
    if (after == kNone) return;
    const uint32_t third = next_[after];
    if (third != kNone) {
      const char* e = reinterpret_cast<const char*>(&At(third));
      __builtin_prefetch(e);
      __builtin_prefetch(e + 64);
    }
    if (const char* h = reinterpret_cast<const char*>(At(after).handler))
      for (int line = 0; line < kHandlerLines; ++line) __builtin_prefetch(h + 64 * line);
  }
  // The earliest event, or nullptr.
  const Event* First() {
    if (!size_) return nullptr;
    if (emptyRoot_ != kNone) DropEmptyRoot();
    uint32_t slot = sorted_ ? SlotOf(heap_[heapSize_ - 1]) : buckets_[SlotOf(heap_[0])].head;
    return &chunks_[slot >> kChunkBits][slot & kChunkMask];
  }
  bool IsEmpty() const { return size_ == 0; }
  size_t Size() const { return size_; }
  // Discards every queued event with its message. The stamp counter goes on.
  void Clear();
  uint64_t NextStamp() const { return stamp_; }

 private:
  __extension__ typedef unsigned __int128 Key;
  static constexpr int kSlotBits = 28;
  // Cache lines of a handler asked for ahead: its first line and its own fields.
  static constexpr int kHandlerLines = 4;
  uint32_t maxPending_;
  static constexpr uint64_t kKeyStampLimit = uint64_t(1) << (64 - kSlotBits);
  // The pool grows by chunks of 2^kChunkBits events, which never move.
  static constexpr int kChunkBits = 8;
  static constexpr uint32_t kChunkMask = (uint32_t(1) << kChunkBits) - 1;

  static uint32_t SlotOf(Key k) {
    return static_cast<uint32_t>(k) & ((uint32_t(1) << kSlotBits) - 1);
  }
  static uint64_t KeyStampOf(Key k) { return static_cast<uint64_t>(k) >> kSlotBits; }
  // The time's bits as an unsigned number that orders like the time:
  // positive numbers get the sign bit set, negative ones are inverted.
  // Adding 0.0 turns -0.0 into +0.0, which the double comparison treats as
  // equal.
  static uint64_t OrderedBits(double t) {
    t += 0.0;
    uint64_t bits;
    std::memcpy(&bits, &t, sizeof bits);
    return (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
  }
  // Push of an event whose time has no bucket the cache knows: a new bucket
  // in the heap.
  void PushBucket(uint32_t slot, uint64_t bits, uint32_t& cached);
  [[gnu::noinline]] uint32_t NewSlot();
  // Frees the emptied bucket at the root and removes it from the heap.
  void DropEmptyRoot();
  [[gnu::cold, gnu::noinline]] void Grow();
  [[gnu::cold, gnu::noinline]] void RenumberKeyStamps();
  void SiftUp(size_t i, Key k);
  void PopRoot();
  // The sorted array: k goes before every smaller key. Its key stamp is the
  // largest there, so a key of the same time is smaller too: comparing the
  // times' bits decides.
  void InsertSorted(Key k) {
    const uint64_t bits = static_cast<uint64_t>(k >> 64);
    size_t i = heapSize_++;
    for (; i > 0 && static_cast<uint64_t>(heap_[i - 1] >> 64) <= bits; --i) heap_[i] = heap_[i - 1];
    heap_[i] = k;
  }
  // Push into the sorted array when the key stamps run out (true: done) or
  // the array is full (false: it became the heap, the caller goes on there).
  [[gnu::noinline]] bool PushSortedSlow(uint32_t slot, uint64_t bits);
  // Turns the sorted array into buckets in a heap, and back.
  [[gnu::noinline]] void ToBuckets();
  uint32_t NewBucket(uint64_t bits, uint32_t slot);
  [[gnu::noinline]] void ToSorted();

  // Events at which the sorted array becomes the heap (on growing past
  // kSmallMax) and the heap the sorted array (on shrinking to kSmallMin).
  static constexpr size_t kSmallMax = 16;
  static constexpr size_t kSmallMin = 6;

  static constexpr uint32_t kNone = ~uint32_t(0);
  static constexpr int kCacheBits = 8;
  // A bucket: the events of one time, linked through next_ in stamp order.
  // A bucket in the heap is never empty; head == kNone marks a free one.
  struct Bucket {
    uint64_t timeBits = 0;
    uint32_t head = kNone;
    uint32_t tail = kNone;
  };

  // Sorted: heap_[0 .. heapSize_) descending, one key per event. Heap:
  // heap_[0] is the root; the children of i are 4i+1 .. 4i+4. The storage
  // starts 3 keys before a 64-byte boundary, so every group of four
  // children fills one cache line.
  Key* heap_ = nullptr;
  Key* storage_ = nullptr;
  size_t size_ = 0;      // events
  size_t heapSize_ = 0;  // keys: buckets in the heap, events when sorted
  size_t capacity_ = 0;
  bool sorted_ = true;  // the keys form the sorted array, not the heap
  // Takes at a size up to this one use the sorted array (kSmallMin while
  // the heap serves, which then turns into it).
  size_t sortedUpTo_ = ~size_t(0);
  std::vector<Bucket> buckets_;
  uint32_t freeBucket_ = kNone;  // free buckets, linked through their tail
  uint32_t emptyRoot_ = kNone;   // the bucket at the root when it holds no event
  std::vector<uint32_t> next_;  // per event slot: the next slot of its bucket
  uint32_t cache_[1u << kCacheBits];  // time hash -> newest bucket (or stale)
  std::vector<std::unique_ptr<Event[]>> chunks_;
  uint32_t poolSize_ = 0;
  std::vector<uint32_t> free_;
  uint64_t stamp_ = 0;
  uint64_t keyStamp_ = 0;
  uint64_t keyStampLimit_;
};
