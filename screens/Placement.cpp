#include "screens/Placement.h"

#include <algorithm>
#include <cmath>

namespace {

float CellCentre(float v) { return 2.0f * std::trunc(v / 2.0f) + 1.0f; }

}  // namespace

Ogre::Vector3 SnapToGridCell(const Ogre::Vector3& ground) {
  return Ogre::Vector3(CellCentre(ground.x), ground.y, CellCentre(ground.z));
}

bool MayPlace(const std::string& need, const std::string& unitUnder, bool placeBlocked, int logic) {
  if (!need.empty()) return unitUnder == need;
  return !placeBlocked && logic != 0;
}

Ogre::Vector3 ReachMarkerScale(int range, int laneSpan) {
  return Ogre::Vector3(static_cast<float>(std::max(2, 2 * range)), 1.0f, static_cast<float>(4 * laneSpan - 2));
}
