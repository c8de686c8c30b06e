// Memory: hints to the operating system about how the process uses its memory.
#pragma once
#include <cstddef>

namespace platform {

// The size of a huge page, and of the regions MapHugePageRegion hands out.
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
