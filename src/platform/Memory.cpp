// Memory: regions backed by huge pages once full (Linux 6.1 on; the hint
// alone before).
#include "platform/Memory.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <cerrno>
#include <cstdint>
#endif

namespace platform {

#if defined(__linux__)
namespace {
#ifdef MADV_COLLAPSE
constexpr int kCollapse = MADV_COLLAPSE;
#else
constexpr int kCollapse = 25;  // the value of Linux's MADV_COLLAPSE
#endif
}  // namespace

void* MapHugePageRegion() {
  // Twice the size, so that an aligned region lies inside; the rest is
  // given back.
  const std::size_t span = 2 * kHugePageBytes;
  void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return nullptr;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(m);
  const uintptr_t aligned = (begin + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  if (aligned > begin) munmap(m, aligned - begin);
  const uintptr_t end = begin + span, regionEnd = aligned + kHugePageBytes;
  if (end > regionEnd) munmap(reinterpret_cast<void*>(regionEnd), end - regionEnd);
  return reinterpret_cast<void*>(aligned);
}

void FillHugePageRegion(void* region) {
  // Asked only for a full region: a huge page asked for at the start would
  // make the whole 2 MB resident at the first touch, wasted in the last,
  // partly used region.
  if (madvise(region, kHugePageBytes, kCollapse) != 0 && errno == EINVAL) {
#ifdef MADV_HUGEPAGE
    madvise(region, kHugePageBytes, MADV_HUGEPAGE);
#endif
  }
}
#else
void* MapHugePageRegion() { return nullptr; }
void FillHugePageRegion(void*) {}
#endif

}  // namespace platform
