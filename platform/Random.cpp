#include "platform/Random.h"

#include <cstdint>

namespace platform {
namespace {
uint32_t g_state = 1;
}

int Rand() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7fffu);
}

float RangeRandom(float low, float high) {
  return low + (high - low) * static_cast<float>(Rand()) / static_cast<float>(kRandMax);
}

void SeedRand(unsigned seed) { g_state = seed; }

}  // namespace platform
