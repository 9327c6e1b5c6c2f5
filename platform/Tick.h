#pragma once
#include <cstdint>

namespace platform {

// Milliseconds of a monotonic clock, wrapping as an unsigned 32-bit value.
uint32_t GetTickCount();

}  // namespace platform
