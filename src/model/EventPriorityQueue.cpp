// Binary heap of event keys over a pool of events.
#include "model/EventPriorityQueue.h"

uint32_t EventPriorityQueue::Slot() {
  if (!free_.empty()) {
    uint32_t slot = free_.back();
    free_.pop_back();
    return slot;
  }
  pool_.emplace_back();
  return static_cast<uint32_t>(pool_.size() - 1);
}

void EventPriorityQueue::Push(uint32_t slot) {
  Event& e = pool_[slot];
  e.stamp = stamp_++;
  heap_.push_back(Key{e.time, e.stamp, slot});
  SiftUp(heap_.size() - 1);
}

void EventPriorityQueue::Add(Event&& e) {
  uint32_t slot = Slot();
  pool_[slot] = std::move(e);
  Push(slot);
}

bool EventPriorityQueue::TakeFirst(Taken& taken) {
  if (heap_.empty()) return false;
  taken.slot = heap_[0].slot;
  taken.event = &pool_[taken.slot];
  heap_[0] = heap_.back();
  heap_.pop_back();
  if (!heap_.empty()) SiftDown(0);
  return true;
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
