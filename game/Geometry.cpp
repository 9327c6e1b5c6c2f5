#include "game/Geometry.h"

#include <cmath>
#include <cstdlib>

int ApproxDistance(int dx, int dz) {
  const int a = std::abs(dx);
  const int b = std::abs(dz);
  const int m = a < b ? a : b;
  return a + b - (m >> 1) - (m >> 2) + (m >> 4);
}

bool InSquareRange(int x1, int z1, int x2, int z2, int range) {
  if (std::fabs(static_cast<float>(x1 - x2)) > static_cast<float>(range)) return false;
  return std::fabs(static_cast<float>(z1 - z2)) <= static_cast<float>(range);
}
