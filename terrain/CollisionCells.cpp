#include "terrain/CollisionCells.h"

namespace CollisionCells {

int IndexAt(float x, float z) {
  const float extent = kCellsPerSide * kCellSize;
  if (!(x >= 0.0f && x < extent && z >= 0.0f && z < extent)) return -1;
  return int(x / kCellSize) + int(z / kCellSize) * kCellsPerSide;
}

}  // namespace CollisionCells
