// LineArena: storage for long-lived objects of many sizes that are reached
// one after another at run time (a network's components). Objects are laid
// out side by side in large chunks, in the order they are made, instead of
// between the many small allocations made with them, so that the objects of
// a connection share pages and the address translations of a large network
// stay few. Sizes are whole cache lines; a freed object's room goes on the
// free list of its size and is handed out again. Chunks stay until the
// process ends. Single-threaded, as the kernel is; sanitized builds bypass
// it, so that each object is its own allocation.
#pragma once
#include <cstddef>

namespace line_arena {

constexpr std::size_t kLine = 64;

// Room for size bytes, aligned to a cache line.
void* Allocate(std::size_t size);
// Gives back what Allocate(size) returned.
void Release(void* p, std::size_t size) noexcept;

}  // namespace line_arena
