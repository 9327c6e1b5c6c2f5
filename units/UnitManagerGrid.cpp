// The unit manager's grid and what is asked of it: neighbourhood queries,
// the placement test, picking and the refiling of moved units.
#include "units/UnitManager.h"

#include "units/Unit.h"
#include "units/UnitNumbers.h"
#include "units/UnitWorld.h"

#include <OgreMath.h>
#include <OgreRay.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

std::pair<int, int> CGAUnitManager::CellOf(const Ogre::Vector3& position) {
  return {TruncateToInt(position.x / kCellSize), TruncateToInt(position.z / kCellSize)};
}

UnitGridCell* CGAUnitManager::CellAt(int x, int z) {
  if (x < 0 || z < 0 || x >= kGridSize || z >= kGridSize) return nullptr;
  return &mGrid[static_cast<size_t>(z) * kGridSize + static_cast<size_t>(x)];
}

void CGAUnitManager::AddToCell(int x, int z, CGAUnit* unit) {
  UnitGridCell* cell = CellAt(x, z);
  if (cell && std::find(cell->units.begin(), cell->units.end(), unit) == cell->units.end()) cell->units.push_back(unit);
}

void CGAUnitManager::RemoveFromCell(int x, int z, CGAUnit* unit) {
  if (UnitGridCell* cell = CellAt(x, z))
    cell->units.erase(std::remove(cell->units.begin(), cell->units.end(), unit), cell->units.end());
}

void CGAUnitManager::RefileUnit(CGAUnit* unit) {
  const std::pair<int, int> cell = CellOf(unit->GetPosition());
  const std::pair<int, int> filed = unit->GetGridCell();
  if (cell == filed) return;
  RemoveFromCell(filed.first, filed.second, unit);
  AddToCell(cell.first, cell.second, unit);
  unit->SetGridCell(cell.first, cell.second);
}

void CGAUnitManager::GetCellUnits(std::vector<CGAUnit*>& out, int x, int z) {
  const UnitGridCell* cell = CellAt(x, z);
  if (!cell) return;
  for (CGAUnit* unit : cell->units) {
    const Ogre::Vector3& p = unit->GetPosition();
    if (mWorld->GetLogic(TruncateToInt(p.x), TruncateToInt(p.z)) != 0) out.push_back(unit);
  }
}

void CGAUnitManager::GetUnitsAround(std::vector<CGAUnit*>& out, int x, int z, int r) {
  GetUnitsInRect(out, x, z, r, r);
}

void CGAUnitManager::GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) {
  // Only the cells on the grid are walked: a reach of 1,000 must not mean
  // four million empty cells.
  const auto clampToGrid = [](int64_t v) {
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(v, 0), kGridSize - 1));
  };
  if (rx < 0 || rz < 0) return;
  const int64_t x0 = int64_t(x) - rx, x1 = int64_t(x) + rx, z0 = int64_t(z) - rz, z1 = int64_t(z) + rz;
  if (x1 < 0 || z1 < 0 || x0 >= kGridSize || z0 >= kGridSize) return;
  for (int cx = clampToGrid(x0); cx <= clampToGrid(x1); ++cx)
    for (int cz = clampToGrid(z0); cz <= clampToGrid(z1); ++cz) GetCellUnits(out, cx, cz);
}

bool CGAUnitManager::IsPlaceBlocked(CGAUnit* unit) {
  const Ogre::Vector3& p = unit->GetPosition();
  const float radius = unit->GetRadius();
  // The footprint: 2r x 2r logic cells around the position, all placeable.
  const int r = std::max(1, TruncateToInt(radius));
  for (int i = -r; i < r; ++i)
    for (int j = -r; j < r; ++j)
      if (mWorld->GetLogic(TruncateToInt(p.x + i), TruncateToInt(p.z + j)) != 1) return true;
  if (radius <= 0.1f) return false;

  mNearby.clear();
  const std::pair<int, int> cell = unit->GetGridCell();
  GetUnitsAround(mNearby, cell.first, cell.second, 2);
  for (CGAUnit* other : mNearby) {
    if (other == unit || other->GetInt(kSlotHp) <= 0) continue;
    if (other->GetInt(kSlotSide) != unit->GetInt(kSlotSide) && *other->GetType() != kUnitPassive) continue;
    // Radii-padded boxes that overlap or miss by less than one world unit.
    const Ogre::Vector3& o = other->GetPosition();
    const float padding = other->GetRadius() + radius;
    if (TruncateToInt(std::fabs(o.x - p.x) - padding) <= 0 && TruncateToInt(std::fabs(o.z - p.z) - padding) <= 0)
      return true;
  }
  return false;
}

bool CGAUnitManager::IsPickable(CGAUnit& unit) {
  return !unit.IsInAction("die") && !unit.IsFading() && unit.GetInt(kSlotSide) != 0 && *unit.GetType() != kUnitPreview;
}

CGAUnit* CGAUnitManager::PickUnitAt(const Ogre::Vector3& point) {
  CGAUnit* picked = nullptr;
  for (CGAUnit* unit : mUnits) {
    if (!IsPickable(*unit)) continue;
    const Ogre::Vector3& p = unit->GetPosition();
    if (std::fabs(point.x - p.x) >= 1.0f || std::fabs(point.z - p.z) >= 1.0f) continue;
    if (!picked || *unit->GetType() == kUnitPickUp) picked = unit;
  }
  return picked;
}

namespace {

// Whether the ray, in front of its origin, comes within radius of a point.
bool RayPassesNear(const Ogre::Ray& ray, const Ogre::Vector3& point, float radius) {
  const Ogre::Vector3& direction = ray.getDirection();
  const Ogre::Vector3 toPoint = point - ray.getOrigin();
  const float t = std::max(0.0f, toPoint.dotProduct(direction) / direction.squaredLength());
  return (toPoint - direction * t).squaredLength() <= radius * radius;
}

}  // namespace

CGAUnit* CGAUnitManager::PickUnitByRay(const Ogre::Ray& ray) {
  // The farthest corner of the shape bounds it: units the ray passes further
  // away than that are not tested triangle by triangle.
  float shapeRadius = 0.0f;
  for (const Ogre::Vector3& corner : mPickingShape) shapeRadius = std::max(shapeRadius, corner.length());
  CGAUnit* picked = nullptr;
  for (CGAUnit* unit : mUnits) {
    if (!IsPickable(*unit)) continue;
    // Once a unit is picked only a pick-up can take its place.
    if (picked && *unit->GetType() != kUnitPickUp) continue;
    const Ogre::Vector3 size = unit->GetCollideBox() * unit->GetScale();
    const Ogre::Vector3& at = unit->GetDerivedPosition();
    const float reach = shapeRadius * std::max({std::fabs(size.x), std::fabs(size.y), std::fabs(size.z)});
    if (!RayPassesNear(ray, at, reach * 1.001f + 1e-4f)) continue;
    const Ogre::Quaternion& orientation = unit->GetNodeOrientation();
    const auto place = [&](const Ogre::Vector3& corner) { return (orientation * corner) * size + at; };
    for (size_t i = 0; i + 2 < mPickingShape.size(); i += 3) {
      if (Ogre::Math::intersects(ray, place(mPickingShape[i]), place(mPickingShape[i + 1]),
                                 place(mPickingShape[i + 2]), true, true)
              .first) {
        picked = unit;
        break;
      }
    }
  }
  return picked;
}

void CGAUnitManager::RefreshUnitHeights() {
  for (CGAUnit* unit : mUnits)
    if (!unit->HasWaypoints()) unit->SetPosition(Ogre::Vector3(unit->GetPosition()));
}
