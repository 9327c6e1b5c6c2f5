#include "particles/PRandom.h"

#include "platform/Random.h"

#include <cmath>

namespace PSim {

float URand() {
  const float scale = 1.0f / static_cast<float>(platform::kRandMax);
  return static_cast<float>(platform::Rand()) * scale;
}

PVec3 RandVec() {
  // Drawn one by one so the order is fixed: z, y, x.
  const float z = URand();
  const float y = URand();
  const float x = URand();
  return PVec3(x, y, z);
}

float NormalRandom(float sigma) {
  float u, s;
  do {
    u = 2.0f * URand() - 1.0f;
    const float v = 2.0f * URand() - 1.0f;
    s = u * u + v * v;
  } while (s > 1.0f || s == 0.0f);
  return u * std::sqrt(-2.0f * std::log(s) / s) * sigma;
}

}  // namespace PSim
