// Binary heap of event keys over a pool of events.
#include "model/EventPriorityQueue.h"

void EventPriorityQueue::Add(Event&& e) {
  e.stamp = stamp_++;
  uint32_t slot;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
    pool_[slot] = std::move(e);
  } else {
    slot = static_cast<uint32_t>(pool_.size());
    pool_.push_back(std::move(e));
  }
  heap_.push_back(Key{pool_[slot].time, pool_[slot].stamp, slot});
  SiftUp(heap_.size() - 1);
}

int EventPriorityQueue::RemoveFirst(Event& out) {
  if (heap_.empty()) return 0;
  uint32_t slot = heap_[0].slot;
  out = std::move(pool_[slot]);
  pool_[slot].message = std::monostate{};
  free_.push_back(slot);
  heap_[0] = heap_.back();
  heap_.pop_back();
  if (!heap_.empty()) SiftDown(0);
  return 1;
}

void EventPriorityQueue::Clear() {
  heap_.clear();
  pool_.clear();
  free_.clear();
}

void EventPriorityQueue::SiftUp(size_t i) {
  Key k = heap_[i];
  while (i > 0) {
    size_t parent = (i - 1) / 2;
    if (!Before(k, heap_[parent])) break;
    heap_[i] = heap_[parent];
    i = parent;
  }
  heap_[i] = k;
}

void EventPriorityQueue::SiftDown(size_t i) {
  Key k = heap_[i];
  size_t n = heap_.size();
  for (;;) {
    size_t child = 2 * i + 1;
    if (child >= n) break;
    if (child + 1 < n && Before(heap_[child + 1], heap_[child])) ++child;
    if (!Before(heap_[child], k)) break;
    heap_[i] = heap_[child];
    i = child;
  }
  heap_[i] = k;
}
