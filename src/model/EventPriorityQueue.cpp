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

void EventPriorityQueue::DropEmptyRoot() {
  buckets_[emptyRoot_].tail = freeBucket_;
  freeBucket_ = emptyRoot_;
  emptyRoot_ = kNone;
  PopRoot();
}

void EventPriorityQueue::PushBucket(uint32_t slot, uint64_t bits, uint32_t& cached) {
  if (emptyRoot_ != kNone) DropEmptyRoot();
  uint32_t index = freeBucket_;
  if (index != kNone) {
    freeBucket_ = buckets_[index].tail;
  } else {
    index = static_cast<uint32_t>(buckets_.size());
    buckets_.emplace_back();
  }
  buckets_[index] = Bucket{bits, slot, slot};
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
  chunks_.clear();
  next_.clear();
  poolSize_ = 0;
  free_.clear();
  buckets_.clear();
  freeBucket_ = kNone;
  emptyRoot_ = kNone;
  std::fill(std::begin(cache_), std::end(cache_), kNone);
}
