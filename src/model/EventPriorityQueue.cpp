// 4-ary heap of time buckets over a pool of events.
#include "model/EventPriorityQueue.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {
constexpr std::align_val_t kLine{64};
}  // namespace

EventPriorityQueue::EventPriorityQueue(uint64_t keyStampLimit, uint32_t maxPending)
    : maxPending_(std::min(maxPending, uint32_t(1) << kSlotBits)),
      keyStampLimit_(std::min(keyStampLimit, kKeyStampLimit)) {
  std::fill(std::begin(cache_), std::end(cache_), kNone);
  Grow();  // the sorted array's room: kSmallMax keys fit in the first storage
}

EventPriorityQueue::~EventPriorityQueue() {
  if (storage_) ::operator delete(storage_, kLine);
}

void EventPriorityQueue::Grow() {
  size_t capacity = capacity_ ? 2 * capacity_ : 61;
  Key* storage = static_cast<Key*>(::operator new((capacity + 3) * sizeof(Key), kLine));
  if (heapSize_) std::memcpy(storage + 3, heap_, heapSize_ * sizeof(Key));
  if (storage_) ::operator delete(storage_, kLine);
  storage_ = storage;
  heap_ = storage + 3;
  capacity_ = capacity;
}

uint32_t EventPriorityQueue::NewSlot() {
  if (poolSize_ >= maxPending_) throw std::length_error("too many pending events");
  if ((poolSize_ & kChunkMask) == 0) {
    chunks_.emplace_back(new Event[size_t(1) << kChunkBits]);
    next_.resize(next_.size() + (size_t(1) << kChunkBits));
  }
  return poolSize_++;
}

// Stamps only need their order inside the heap: when the key stamps run
// out, the queued ones are numbered afresh from 0 in the order they had.
void EventPriorityQueue::RenumberKeyStamps() {
  std::vector<Key*> byStamp;
  byStamp.reserve(heapSize_);
  for (size_t i = 0; i < heapSize_; ++i) byStamp.push_back(&heap_[i]);
  std::sort(byStamp.begin(), byStamp.end(),
            [](const Key* a, const Key* b) { return KeyStampOf(*a) < KeyStampOf(*b); });
  uint64_t n = 0;
  for (Key* k : byStamp) {
    Key time = *k >> 64 << 64;
    *k = time | (Key(n++) << kSlotBits) | SlotOf(*k);
  }
  keyStamp_ = n;
}

bool EventPriorityQueue::PushSortedSlow(uint32_t slot, uint64_t bits) {
  if (size_ > kSmallMax) {
    ToBuckets();
    return false;
  }
  RenumberKeyStamps();
  InsertSorted((Key(bits) << 64) | (Key(keyStamp_++) << kSlotBits) | slot);
  return true;
}

// A bucket holding the one event in slot: a free one, or a new one.
inline uint32_t EventPriorityQueue::NewBucket(uint64_t bits, uint32_t slot) {
  uint32_t index = freeBucket_;
  if (index != kNone) {
    freeBucket_ = buckets_[index].tail;
  } else {
    index = static_cast<uint32_t>(buckets_.size());
    buckets_.emplace_back();
  }
  buckets_[index] = Bucket{bits, slot, slot};
  return index;
}

// The sorted keys, one per event, become one bucket per time: the events of
// a time are consecutive and in stamp order there, and the buckets' keys
// (the time and the stamp of their first event) stay sorted, which makes
// them a valid heap.
void EventPriorityQueue::ToBuckets() {
  Key keys[kSmallMax];
  const size_t n = heapSize_;
  // Room first: a failed allocation leaves the sorted array as it was.
  buckets_.reserve(buckets_.size() + n);
  for (size_t i = 0; i < n; ++i) keys[i] = heap_[n - 1 - i];
  size_t buckets = 0;
  for (size_t i = 0; i < n; ++i) {
    const Key k = keys[i];
    const uint64_t bits = static_cast<uint64_t>(k >> 64);
    const uint32_t slot = SlotOf(k);
    next_[slot] = kNone;
    if (buckets > 0) {
      Bucket& last = buckets_[SlotOf(heap_[buckets - 1])];
      if (last.timeBits == bits) {
        next_[last.tail] = slot;
        last.tail = slot;
        continue;
      }
    }
    const uint32_t index = NewBucket(bits, slot);
    cache_[(bits * 0x9E3779B97F4A7C15ull) >> (64 - kCacheBits)] = index;
    heap_[buckets++] = (k >> kSlotBits << kSlotBits) | index;
  }
  heapSize_ = buckets;
  sorted_ = false;
  sortedUpTo_ = kSmallMin;
}

// The buckets' events, taken in order, get one key each, numbered afresh
// from 0 in that order; the buckets are freed.
void EventPriorityQueue::ToSorted() {
  std::sort(heap_, heap_ + heapSize_);
  uint32_t slots[kSmallMin];
  uint64_t times[kSmallMin];
  size_t n = 0;
  for (size_t i = 0; i < heapSize_; ++i) {
    const uint32_t index = SlotOf(heap_[i]);
    Bucket& b = buckets_[index];
    for (uint32_t s = b.head; s != kNone; s = next_[s]) {
      slots[n] = s;
      times[n++] = b.timeBits;
    }
    b.head = kNone;
    b.tail = freeBucket_;
    freeBucket_ = index;
  }
  emptyRoot_ = kNone;
  for (size_t i = 0; i < n; ++i)
    heap_[n - 1 - i] = (Key(times[i]) << 64) | (Key(i) << kSlotBits) | slots[i];
  heapSize_ = n;
  keyStamp_ = n;
  sorted_ = true;
  sortedUpTo_ = ~size_t(0);
}

void EventPriorityQueue::DropEmptyRoot() {
  buckets_[emptyRoot_].tail = freeBucket_;
  freeBucket_ = emptyRoot_;
  emptyRoot_ = kNone;
  PopRoot();
}

void EventPriorityQueue::PushBucket(uint32_t slot, uint64_t bits, uint32_t& cached) {
  if (emptyRoot_ != kNone) DropEmptyRoot();
  const uint32_t index = NewBucket(bits, slot);
  cached = index;
  if (keyStamp_ >= keyStampLimit_) RenumberKeyStamps();
  if (heapSize_ == capacity_) Grow();
  Key k = (Key(bits) << 64) | (Key(keyStamp_++) << kSlotBits) | index;
  SiftUp(heapSize_++, k);
}

void EventPriorityQueue::Add(Event&& e) {
  uint32_t slot = Slot();
  At(slot) = std::move(e);
  Push(slot);
}

void EventPriorityQueue::SiftUp(size_t i, Key k) {
  while (i > 0) {
    size_t parent = (i - 1) / 4;
    if (!(k < heap_[parent])) break;
    heap_[i] = heap_[parent];
    i = parent;
  }
  heap_[i] = k;
}

// Bottom-up removal of the root: the hole sinks to a leaf along the
// smallest children (three comparisons a level, none against the moved
// key), then the last key fills it and rises, usually not at all.
void EventPriorityQueue::PopRoot() {
  size_t n = --heapSize_;
  if (n == 0) return;
  Key last = heap_[n];
  size_t hole = 0;
  for (;;) {
    size_t c = 4 * hole + 1;
    if (c + 3 < n) {
      size_t m = c;
      if (heap_[c + 1] < heap_[m]) m = c + 1;
      if (heap_[c + 2] < heap_[m]) m = c + 2;
      if (heap_[c + 3] < heap_[m]) m = c + 3;
      heap_[hole] = heap_[m];
      hole = m;
    } else {
      if (c < n) {
        size_t m = c;
        for (size_t j = c + 1; j < n; ++j)
          if (heap_[j] < heap_[m]) m = j;
        heap_[hole] = heap_[m];
        hole = m;
      }
      break;
    }
  }
  SiftUp(hole, last);
}

int EventPriorityQueue::RemoveFirst(Event& out) {
  Taken taken;
  if (!TakeFirst(taken)) return 0;
  // The slot keeps a moved-from event, which holds nothing any more.
  out = std::move(*taken.event);
  Release(taken);
  return 1;
}

void EventPriorityQueue::Clear() {
  size_ = 0;
  heapSize_ = 0;
  sorted_ = true;
  sortedUpTo_ = ~size_t(0);
  chunks_.clear();
  next_.clear();
  poolSize_ = 0;
  free_.clear();
  buckets_.clear();
  freeBucket_ = kNone;
  emptyRoot_ = kNone;
  std::fill(std::begin(cache_), std::end(cache_), kNone);
}
