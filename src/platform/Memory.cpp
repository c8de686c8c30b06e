// Memory: the heap's filled ranges collapsed into huge pages (Linux 6.1 on),
// and regions mapped to be backed by huge pages from their first touch.
#include "platform/Memory.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#endif

namespace platform {

#if defined(__linux__)
namespace {
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
#ifdef MADV_COLLAPSE
constexpr int kCollapse = MADV_COLLAPSE;
#else
constexpr int kCollapse = 25;  // the value of Linux's MADV_COLLAPSE
#endif

// The start of the heap's mapping, 0 when it is not found.
uintptr_t HeapStart() {
  std::FILE* maps = std::fopen("/proc/self/maps", "r");
  if (!maps) return 0;
  char line[512];
  uintptr_t begin = 0, end = 0;
  while (std::fgets(line, sizeof line, maps)) {
    // A line longer than the buffer continues on the next read; its rest
    // holds no range, and "[heap]" ends a short line.
    if (std::strstr(line, "[heap]") &&
        std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR, &begin, &end) == 2)
      break;
    begin = 0;
  }
  std::fclose(maps);
  return begin;
}
}  // namespace

void HugePageHeap::Update() {
  if (off_) return;
  const uintptr_t top = reinterpret_cast<uintptr_t>(sbrk(0)) & ~(kHugePage - 1);
  if (first_ == 0) {
    const uintptr_t begin = HeapStart();
    if (begin == 0) {
      off_ = true;
      return;
    }
    first_ = done_ = (begin + kHugePage - 1) & ~(kHugePage - 1);
  }
  if (top <= done_) {
    // The heap gave memory back: what it fills again is collapsed anew.
    done_ = top > first_ ? top : first_;
    return;
  }
  // A system without the call, or one that forbids it, is not asked again;
  // a range it could not collapse for now (memory short) stays as it is.
  if (madvise(reinterpret_cast<void*>(done_), top - done_, kCollapse) != 0 &&
      (errno == EINVAL || errno == EPERM || errno == ENOSYS))
    off_ = true;
  done_ = top;
}

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
void HugePageHeap::Update() {}
void* MapHugePageRegion() { return nullptr; }
void FillHugePageRegion(void*) {}
#endif

}  // namespace platform
