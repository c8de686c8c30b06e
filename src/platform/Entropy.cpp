// Entropy: std::random_device, with a clock-and-process fallback.
#include "platform/Entropy.h"

#include <unistd.h>

#include <chrono>
#include <random>

namespace platform {

uint32_t EntropySeed() {
  try {
    std::random_device device;
    return static_cast<uint32_t>(device());
  } catch (...) {
    // No device: the clock's nanoseconds and the process id, mixed so that
    // neighbouring values give unrelated seeds.
  }
  uint64_t z = static_cast<uint64_t>(
                   std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
               (static_cast<uint64_t>(::getpid()) << 40);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>(z ^ (z >> 31));
}

}  // namespace platform
