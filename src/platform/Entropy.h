// Entropy: a seed from the operating system's source of randomness, so that
// runs started at the same moment never share it.
#pragma once
#include <cstdint>

namespace platform {

// 32 bits from the system's random device; should that fail, a
// high-resolution clock reading mixed with the process id.
uint32_t EntropySeed();

}  // namespace platform
