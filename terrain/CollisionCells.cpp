#include "terrain/CollisionCells.h"

#include <algorithm>
#include <cmath>

namespace CollisionCells {

int IndexAt(float x, float z) {
  const float extent = kCellsPerSide * kCellSize;
  if (!(x >= 0.0f && x < extent && z >= 0.0f && z < extent)) return -1;
  return int(x / kCellSize) + int(z / kCellSize) * kCellsPerSide;
}

// In doubles, so that no float box, however large, overflows or stalls. A
// box without finite ends covers the cells between them.
Span SpanOf(float lo, float hi) {
  const double first = std::floor(double(lo) / kCellSize);
  const double extent = double(hi) - double(lo);
  const double last = std::isfinite(extent) ? first + std::ceil(extent / kCellSize) : std::floor(double(hi) / kCellSize);
  if (!(last >= 0.0 && first < kCellsPerSide)) return {0, -1};  // also NaN
  return {int(std::max(first, 0.0)), int(std::min(last, kCellsPerSide - 1.0))};
}

}  // namespace CollisionCells
