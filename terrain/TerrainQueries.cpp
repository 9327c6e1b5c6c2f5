// The read side of the terrain manager: heights, normals, colours, cells,
// tiles and ground picking. Everything here reads the current map's data.
#include "terrain/TerrainManager.h"

#include "terrain/CollisionManager.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainTile.h"

#include <OgreAxisAlignedBox.h>
#include <OgreManualObject.h>
#include <OgreMath.h>
#include <OgreMovableObject.h>
#include <OgreSceneNode.h>
#include <OgreSceneQuery.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Truncates toward zero into [-1, limit]; anything past either end reads
// the clamped edge anyway, and this keeps huge or NaN values defined.
int TruncIndex(float v, int limit) {
  if (!(v > -1.0f)) return -1;
  if (v >= float(limit)) return limit;
  return int(v);
}

}  // namespace

size_t CGATerrainManager::CellIndex(unsigned x, unsigned z) const {
  const unsigned w = mMap.WorldSizeX(), h = mMap.WorldSizeZ();
  // Callers truncate world positions to int: one left of or above the map
  // arrives as a negative number made unsigned and reads the first column
  // or row, as one past the far edge reads the last.
  const unsigned cx = int32_t(x) < 0 ? 0 : std::min(x, w - 1);
  const unsigned cz = int32_t(z) < 0 ? 0 : std::min(z, h - 1);
  return size_t(cz) * w + cx;
}

uint8_t CGATerrainManager::GetLogic(unsigned x, unsigned z) const {
  return mMap.Logic.empty() ? 0 : mMap.Logic[CellIndex(x, z)];
}

void CGATerrainManager::SetLogic(unsigned x, unsigned z, uint8_t value) {
  if (!mMap.Logic.empty()) mMap.Logic[CellIndex(x, z)] = value;
}

uint8_t CGATerrainManager::GetObstacle(unsigned x, unsigned z) const {
  return mMap.Obstacles.empty() ? 0 : mMap.Obstacles[CellIndex(x, z)];
}

void CGATerrainManager::SetObstacle(unsigned x, unsigned z, uint8_t value) {
  if (mMap.Obstacles.empty()) return;
  const size_t cell = CellIndex(x, z);
  mMap.Obstacles[cell] = value;
  // The path finder keeps the blocked cells beside its visit marks.
  if (mPathFinder)
    mPathFinder->SetBlocked(unsigned(cell % mMap.WorldSizeX()), unsigned(cell / mMap.WorldSizeX()), value == kBlockedCell);
}

uint32_t CGATerrainManager::RawHeightAt(int vx, int vz) const {
  if (mMap.Heights.empty()) return 0;
  const int lastX = int(mMap.GridSizeX()) - 1, lastZ = int(mMap.GridSizeZ()) - 1;
  vx = std::clamp(vx, 0, lastX);
  vz = std::clamp(vz, 0, lastZ);
  return mMap.Heights[size_t(vz) * mMap.GridSizeX() + size_t(vx)];
}

float CGATerrainManager::GetVertexHeight(int vx, int vz) const {
  return float(RawHeightAt(vx, vz)) / kHeightDivisor;
}

double CGATerrainManager::GetRawHeight(int vx, int vz) const { return double(RawHeightAt(vx, vz)); }

void CGATerrainManager::SetRawHeight(int vx, int vz, float value) {
  if (mMap.Heights.empty()) return;
  const int lastX = int(mMap.GridSizeX()) - 1, lastZ = int(mMap.GridSizeZ()) - 1;
  vx = std::clamp(vx, 0, lastX);
  vz = std::clamp(vz, 0, lastZ);
  uint32_t stored = 0;
  if (value >= 4294967296.0f) stored = std::numeric_limits<uint32_t>::max();
  else if (value > 0.0f) stored = uint32_t(value);
  mMap.Heights[size_t(vz) * mMap.GridSizeX() + size_t(vx)] = stored;
}

float CGATerrainManager::TerrainHeightAt(float x, float z) const {
  const float cell = float(mMap.Scale * mMap.Step);
  const float lastX = float(mMap.GridSizeX()) - 1.0f, lastZ = float(mMap.GridSizeZ()) - 1.0f;
  if (mMap.Heights.empty() || lastX < 1.0f || lastZ < 1.0f) return 0.0f;
  // Beyond the edges the height continues flat from the edge vertices.
  float fx = x / cell, fz = z / cell;
  fx = fx > 0.0f ? std::min(fx, lastX) : 0.0f;
  fz = fz > 0.0f ? std::min(fz, lastZ) : 0.0f;
  int ix = int(fx), iz = int(fz);
  float dx = fx - float(ix), dz = fz - float(iz);
  // On the last vertex column or row, the cell before it with full weight
  // on its far side.
  if (ix == int(lastX)) {
    ix -= 1;
    dx = 1.0f;
  }
  if (iz == int(lastZ)) {
    iz -= 1;
    dz = 1.0f;
  }
  const float h00 = GetVertexHeight(ix, iz), h01 = GetVertexHeight(ix, iz + 1);
  const float h10 = GetVertexHeight(ix + 1, iz), h11 = GetVertexHeight(ix + 1, iz + 1);
  return ((1 - dx) * (1 - dz) * h00 + (1 - dx) * dz * h01 + dx * (1 - dz) * h10 + dx * dz * h11) * cell;
}

bool CGATerrainManager::GetGroundHeight(Ogre::Vector3& pos, bool withObjects) const {
  // A map without terrain is flat at 0, and its statics are ground all the
  // same.
  const float h = TerrainHeightAt(pos.x, pos.z);
  CGACollisionManager* collision = withObjects ? CGACollisionManager::getSingletonPtr() : nullptr;
  if (!collision) {
    pos.y = h;
    return false;
  }
  // Straight down onto the "collide" surfaces of the statics of the cell; one
  // above the terrain carries the point.
  const Ogre::Ray down(Ogre::Vector3(pos.x, pos.y + h + 1.0f, pos.z), Ogre::Vector3::NEGATIVE_UNIT_Y);
  Ogre::Vector3 onStatic = pos;
  const bool hit = collision->RayPickGrid(onStatic, down, false);
  pos = hit && onStatic.y >= h ? onStatic : Ogre::Vector3(pos.x, h, pos.z);
  return hit;
}

float CGATerrainManager::GetHeight(float x, float z, void*) const {
  Ogre::Vector3 pos(x, 0.0f, z);
  GetGroundHeight(pos, false);
  return pos.y;
}

float CGATerrainManager::TerrainHeightFunction(float x, float z, void*) {
  const CGATerrainManager* terrain = getSingletonPtr();
  return terrain ? terrain->GetHeight(x, z) : 0.0f;
}

Ogre::Vector3 CGATerrainManager::NormalAtVertex(float vx, float vz) const {
  const int limitX = int(mMap.GridSizeX()), limitZ = int(mMap.GridSizeZ());
  auto at = [&](float x, float z) {
    return Ogre::Vector3(x, GetVertexHeight(TruncIndex(x, limitX), TruncIndex(z, limitZ)), z);
  };
  const Ogre::Vector3 p0 = at(vx, vz);
  Ogre::Vector3 pa = at(vx - 1, vz), pb = at(vx, vz + 1);
  float sign = 1.0f;
  // At the first column and the last row the neighbour on the other side
  // stands in; flipping the sign keeps the normal pointing up.
  if (pa.x < 0.0f) {
    pa = at(vx + 1, vz);
    sign = -sign;
  }
  if (pb.z >= float(limitZ)) {
    pb = at(vx, vz - 1);
    sign = -sign;
  }
  Ogre::Vector3 n = sign * (pa - p0).crossProduct(pb - p0);
  n.normalise();
  return n;
}

Ogre::Vector3 CGATerrainManager::GetVertexNormal(float vx, float vz) const { return NormalAtVertex(vx, vz); }

Ogre::Vector3 CGATerrainManager::GetNormalAt(float x, float z) const {
  const float cell = float(mMap.Scale * mMap.Step);
  return NormalAtVertex(x / cell, z / cell);
}

Ogre::ColourValue CGATerrainManager::GetColourMapColour(unsigned vx, unsigned vz) const {
  const CGACoverageMap* m = mMap.ColourMap.get();
  if (!m) return Ogre::ColourValue::Black;
  return Ogre::ColourValue(m->GetValue(vx, vz, 0) / 255.0f, m->GetValue(vx, vz, 1) / 255.0f,
                           m->GetValue(vx, vz, 2) / 255.0f, 1.0f);
}

Ogre::ColourValue CGATerrainManager::GetLightColour(unsigned vx, unsigned vz) const {
  const CGACoverageMap* m = mMap.LightMap.get();
  if (!m) return Ogre::ColourValue::Black;
  return Ogre::ColourValue(m->GetValue(vx, vz, 0) / 255.0f, m->GetValue(vx, vz, 1) / 255.0f,
                           m->GetValue(vx, vz, 2) / 255.0f, 1.0f);
}

unsigned CGATerrainManager::GetTileIndex(unsigned vx, unsigned vz) const {
  return (vz / mMap.CellsPerTile) * mMap.TileCountX + vx / mMap.CellsPerTile;
}

CGATerrainTile* CGATerrainManager::GetTileAt(unsigned vx, unsigned vz) const {
  unsigned index = 0;
  return FindTileIndex(vx, vz, index) && index < mTiles.size() ? mTiles[index] : nullptr;
}

bool CGATerrainManager::FindTileIndex(unsigned vx, unsigned vz, unsigned& index) const {
  const unsigned tx = vx / mMap.CellsPerTile, tz = vz / mMap.CellsPerTile;
  if (tx >= mMap.TileCountX || tz >= mMap.TileCountZ) return false;
  index = tz * mMap.TileCountX + tx;
  return true;
}

void CGATerrainManager::SetVertexLayer(unsigned vx, unsigned vz, int layer) {
  if (mMap.Material) mMap.Material->SetVertexLayer(int(vx), int(vz), layer);
}

long long CGATerrainManager::BucketIndex(float tx, float tz) const {
  // Past this no index is below the number of buckets; it also keeps NaN
  // and infinities out of the conversions.
  constexpr float kFar = 1e9f;
  if (!(std::fabs(tx) < kFar && std::fabs(tz) < kFar)) return -1;
  const long long index = (long long)tz * mMap.TileCountX + (long long)tx;
  return index >= 0 && index < (long long)mBuckets.size() ? index : -1;
}

Ogre::Vector3 CGATerrainManager::PickGround(Ogre::Ray ray, void*, bool skipObjects) const {
  if (CGACollisionManager* collision = skipObjects ? nullptr : CGACollisionManager::getSingletonPtr()) {
    const std::pair<bool, float> onStatic = collision->RayPick(ray, false);
    if (onStatic.first) return ray.getPoint(onStatic.second);
  }
  Ogre::Vector3 fallback = Ogre::Vector3::ZERO;
  const Ogre::AxisAlignedBox slab(0.0f, mPickSlabTop - 1.0f, 0.0f, 512.0f, mPickSlabTop, 512.0f);
  const Ogre::RayTestResult entry = Ogre::Math::intersects(ray, slab);
  if (entry.first) fallback = ray.getPoint(entry.second);
  if (!mMap.Material || mMap.Heights.empty() || !mTerrainQuery) return fallback;

  mTerrainQuery->setRay(ray);
  const float cell = float(mMap.Scale * mMap.Step);
  // A tile's node stands at its first corner. Half a tile in finds the tile
  // whatever the Scale (a step of Scale vertices would reach the next tile
  // once Scale is a tile wide).
  const float halfTile = float(mMap.CellsPerTile) / 2;
  for (const Ogre::RaySceneQueryResultEntry& result : mTerrainQuery->execute()) {
    const Ogre::MovableObject* object = result.movable;
    if (!object || !object->getParentSceneNode()) continue;
    const Ogre::Vector3 corner = object->getParentSceneNode()->getPosition() / cell;
    const float vx = corner.x + halfTile, vz = corner.z + halfTile;
    if (!(vx >= 0 && vz >= 0 && vx < 4e9f && vz < 4e9f)) continue;
    // Only the tile's own object counts: the editor's grid overlay shares
    // its node, and any other object would name the tile it stands near.
    const CGATerrainTile* tile = GetTileAt(unsigned(vx), unsigned(vz));
    Ogre::Vector3 hit;
    if (tile && tile->GetManualObject() == object && tile->RayPick(ray, hit)) return hit;
  }
  return fallback;
}
