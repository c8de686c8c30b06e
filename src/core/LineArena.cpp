// LineArena: bump allocation in chunks, free lists by size in lines.
#include "core/LineArena.h"

#include <new>

#include "core/FreeListAllocator.h"  // CELVANE_FREE_LISTS: off under AddressSanitizer
#include "platform/Memory.h"

namespace line_arena {
namespace {

// Chunks are 2 MB regions, each backed by a huge page once it is full: a
// large network's components are reached one event at a time, and in
// small pages most of those reaches would first miss the address
// translation cache. Where the system has no such regions, 64 KB chunks of
// the heap.
constexpr std::size_t kChunk = std::size_t(1) << 16;
// Larger objects than this come from the heap directly.
constexpr std::size_t kMaxLines = 64;

struct FreeNode {
  FreeNode* next;
};

struct Arena {
  char* next = nullptr;  // the free part of the current chunk
  char* end = nullptr;
  void* region = nullptr;  // the current chunk's region, if it is one
  FreeNode* free[kMaxLines + 1] = {};
};

Arena& TheArena() {
  static Arena arena;
  return arena;
}

std::size_t Lines(std::size_t size) { return (size + kLine - 1) / kLine; }

}  // namespace

void* Allocate(std::size_t size) {
  const std::size_t lines = Lines(size);
  if (!CELVANE_FREE_LISTS || lines > kMaxLines || lines == 0)
    return ::operator new(size, std::align_val_t(kLine));
  Arena& a = TheArena();
  if (FreeNode* n = a.free[lines]) {
    a.free[lines] = n->next;
    return n;
  }
  const std::size_t bytes = lines * kLine;
  if (static_cast<std::size_t>(a.end - a.next) < bytes) {
    // The rest of the old chunk is left: at most one object's room.
    if (a.region) platform::FillHugePageRegion(a.region);
    a.region = platform::MapHugePageRegion();
    if (a.region) {
      a.next = static_cast<char*>(a.region);
      a.end = a.next + platform::kHugePageBytes;
    } else {
      a.next = static_cast<char*>(::operator new(kChunk, std::align_val_t(kLine)));
      a.end = a.next + kChunk;
    }
  }
  void* p = a.next;
  a.next += bytes;
  return p;
}

void Release(void* p, std::size_t size) noexcept {
  const std::size_t lines = Lines(size);
  if (!CELVANE_FREE_LISTS || lines > kMaxLines || lines == 0) {
    ::operator delete(p, std::align_val_t(kLine));
    return;
  }
  FreeNode* n = static_cast<FreeNode*>(p);
  n->next = TheArena().free[lines];
  TheArena().free[lines] = n;
}

}  // namespace line_arena
