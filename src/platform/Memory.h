// Memory: hints to the operating system about how the process uses its memory.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// Backs the used part of the heap with huge pages, where the system can: a
// run on a large network reaches its thousands of objects one event at a
// time, and with small pages most of those reaches first miss the address
// translation cache. Only whole 2 MB ranges the heap has already filled are
// collapsed, so the memory in use does not grow. Only a hint: where the
// system cannot, nothing changes.
class HugePageHeap {
 public:
  // Collapses the ranges the heap has filled since the last call (cheap
  // when it has not grown by a whole range).
  void Update();

 private:
  uintptr_t first_ = 0;  // the heap's first whole range, 0 until read
  uintptr_t done_ = 0;   // collapsed (or tried) up to here
  bool off_ = false;     // the system refused: stop asking
};

// The size of a huge page, and of the regions MapHugePages hands out.
constexpr std::size_t kHugePageBytes = std::size_t(2) << 20;

// One 2 MB region, aligned to its size, for objects made one after another;
// never given back. nullptr where the system has no such mapping: the
// caller then takes the heap.
void* MapHugePageRegion();
// Once a region is full: backs it with a huge page where the system can
// (its small pages copied into one, about 1 ms; or later, in the
// background, on a system that only takes the hint). Only a hint.
void FillHugePageRegion(void* region);

}  // namespace platform
