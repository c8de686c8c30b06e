// FreeListAllocator: an allocator for objects made and dropped at a high
// rate (the packets and PDUs of a run, through std::allocate_shared). Freed
// blocks of one size are kept on a free list and handed out again, so a
// warmed-up run allocates nothing per packet; the list keeps at most as many
// blocks as were ever alive at once. Single-threaded, as the kernel is.
// Sanitized builds bypass the lists.
#pragma once
#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define CELVANE_FREE_LISTS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CELVANE_FREE_LISTS 0
#endif
#endif
#ifndef CELVANE_FREE_LISTS
#define CELVANE_FREE_LISTS 1
#endif

namespace freelist {

// The free list of blocks of Size bytes (one per size, shared by every type
// of that size). The blocks stay reachable from here until the process ends.
template <size_t Size>
struct Blocks {
  struct Node {
    Node* next;
  };
  static_assert(Size >= sizeof(Node), "a block holds its link");
  static inline Node* head = nullptr;

  static void* Take() {
#if !CELVANE_FREE_LISTS
    // Under AddressSanitizer every block is its own, so that a use after the
    // last owner let go is caught.
    return ::operator new(Size);
#endif
    if (Node* n = head) {
      head = n->next;
      return n;
    }
    return ::operator new(Size);
  }
  static void Give(void* p) {
#if !CELVANE_FREE_LISTS
    ::operator delete(p);
    return;
#endif
    Node* n = static_cast<Node*>(p);
    n->next = head;
    head = n;
  }
};

}  // namespace freelist

template <class T>
struct FreeListAllocator {
  using value_type = T;

  FreeListAllocator() = default;
  template <class U>
  FreeListAllocator(const FreeListAllocator<U>&) noexcept {}

  // Single objects come from the free list; arrays, which allocate_shared
  // never asks for, from the heap.
  T* allocate(size_t n) {
    if (n == 1) return static_cast<T*>(freelist::Blocks<BlockSize()>::Take());
    return static_cast<T*>(::operator new(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept {
    if (n == 1)
      freelist::Blocks<BlockSize()>::Give(p);
    else
      ::operator delete(p);
  }

  template <class U>
  bool operator==(const FreeListAllocator<U>&) const noexcept {
    return true;
  }
  template <class U>
  bool operator!=(const FreeListAllocator<U>&) const noexcept {
    return false;
  }

 private:
  // Rounded up to whole pointers, so that types of nearly one size share a list.
  static constexpr size_t BlockSize() {
    constexpr size_t w = sizeof(void*);
    return (sizeof(T) < w ? w : sizeof(T) + w - 1) / w * w;
  }
};
