// EventPriorityQueue: the kernel's one event queue, a binary min-heap ordered
// by (time, insertion stamp). The heap holds small keys; the events themselves
// sit in a slot pool reused through a free list, so a warmed-up run adds and
// removes events without allocating. Add and removal are O(log n). The kernel
// takes an event and handles it where it lies in the pool (events stay put
// while others are added), then releases its slot.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "model/Event.h"

class EventPriorityQueue {
 public:
  // Gives the event the next stamp and queues it.
  void Add(Event&& e);
  // Building an event in place: Slot() hands out a free slot whose event the
  // caller fills in completely, Push(slot) stamps and queues it.
  uint32_t Slot();
  Event& At(uint32_t slot) { return pool_[slot]; }
  void Push(uint32_t slot);
  // Moves the earliest event into out; 0 when the queue is empty.
  int RemoveFirst(Event& out);
  // The earliest event, taken out of the order but left in its slot: valid
  // until Release, also while further events are added.
  struct Taken {
    Event* event = nullptr;
    uint32_t slot = 0;
  };
  bool TakeFirst(Taken& taken);
  void Release(const Taken& taken) { free_.push_back(taken.slot); }
  // The earliest event, or nullptr.
  const Event* First() const { return heap_.empty() ? nullptr : &pool_[heap_[0].slot]; }
  bool IsEmpty() const { return heap_.empty(); }
  size_t Size() const { return heap_.size(); }
  // Discards every queued event with its message. The stamp counter goes on.
  void Clear();
  uint64_t NextStamp() const { return stamp_; }

 private:
  struct Key {
    double time;
    uint64_t stamp;
    uint32_t slot;
  };
  static bool Before(const Key& a, const Key& b) {
    return a.time < b.time || (a.time == b.time && a.stamp < b.stamp);
  }
  void SiftUp(size_t i);
  void SiftDown(size_t i);

  std::vector<Key> heap_;
  std::deque<Event> pool_;
  std::vector<uint32_t> free_;
  uint64_t stamp_ = 0;
};
