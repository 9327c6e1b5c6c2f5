// The read side of the terrain manager: heights, normals, colours, cells,
// tiles and ground picking. Everything here reads the current map's data.
#include "terrain/TerrainManager.h"

#include "terrain/CollisionManager.h"
#include "terrain/PathFinder.h"

#include <OgreAxisAlignedBox.h>
#include <OgreMath.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kNoHit = std::numeric_limits<float>::infinity();

// Truncates toward zero into [-1, limit]; anything past either end reads
// the clamped edge anyway, and this keeps huge or NaN values defined.
int TruncIndex(float v, int limit) {
  if (!(v > -1.0f)) return -1;
  if (v >= float(limit)) return limit;
  return int(v);
}

// Narrows [t0, t1] to where the ray's coordinate o + d t lies in [0, size].
bool ClipAxis(float o, float d, float size, float& t0, float& t1) {
  if (d == 0.0f) return o >= 0.0f && o <= size;
  float ta = -o / d, tb = (size - o) / d;
  if (ta > tb) std::swap(ta, tb);
  t0 = std::max(t0, ta);
  t1 = std::min(t1, tb);
  return t0 <= t1;
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

bool CGATerrainManager::GetGroundHeight(Ogre::Vector3& pos, bool withObjects) const {
  const float cell = float(mMap.Scale * mMap.Step);
  const float lastX = float(mMap.GridSizeX()) - 1.0f, lastZ = float(mMap.GridSizeZ()) - 1.0f;
  if (mMap.Heights.empty() || lastX < 1.0f || lastZ < 1.0f) {
    pos.y = 0.0f;
    return false;
  }
  // Beyond the edges the height continues flat from the edge vertices.
  float fx = pos.x / cell, fz = pos.z / cell;
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
  const float h = ((1 - dx) * (1 - dz) * h00 + (1 - dx) * dz * h01 + dx * (1 - dz) * h10 + dx * dz * h11) * cell;
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
  // The nearer of a static's "collide" surface and the terrain.
  std::pair<bool, float> onStatic(false, 0.0f);
  if (CGACollisionManager* collision = skipObjects ? nullptr : CGACollisionManager::getSingletonPtr())
    onStatic = collision->RayPick(ray, false);
  Ogre::Vector3 fallback = Ogre::Vector3::ZERO;
  const Ogre::AxisAlignedBox slab(0.0f, mPickSlabTop - 1.0f, 0.0f, 512.0f, mPickSlabTop, 512.0f);
  const Ogre::RayTestResult entry = Ogre::Math::intersects(ray, slab);
  if (entry.first) fallback = ray.getPoint(entry.second);
  Ogre::Vector3 onTerrain;
  const bool terrain = mMap.Material && !mMap.Heights.empty() && PickTerrain(ray, onTerrain);
  if (onStatic.first) {
    const Ogre::Vector3 point = ray.getPoint(onStatic.second);
    if (!terrain || ray.getOrigin().distance(point) <= ray.getOrigin().distance(onTerrain)) return point;
  }
  return terrain ? onTerrain : fallback;
}

bool CGATerrainManager::PickCell(const Ogre::Ray& ray, int cx, int cz, float& best) const {
  const float cell = float(mMap.Scale * mMap.Step);
  auto corner = [&](int a, int b) {
    const float x = float(cx + a) * cell, z = float(cz + b) * cell;
    return Ogre::Vector3(x, GetHeight(x, z), z);
  };
  const Ogre::Vector3 p00 = corner(0, 0), p10 = corner(1, 0), p01 = corner(0, 1), p11 = corner(1, 1);
  bool hit = false;
  for (const Ogre::RayTestResult& r :
       {Ogre::Math::intersects(ray, p00, p10, p11, true, true), Ogre::Math::intersects(ray, p00, p01, p11, true, true)}) {
    if (r.first && r.second < best) {
      best = r.second;
      hit = true;
    }
  }
  return hit;
}

bool CGATerrainManager::PickTerrain(const Ogre::Ray& ray, Ogre::Vector3& hit) const {
  const int cellsX = int(mMap.GridSizeX()), cellsZ = int(mMap.GridSizeZ());
  if (mMap.Heights.empty() || cellsX < 1 || cellsZ < 1) return false;
  const Ogre::Vector3 o = ray.getOrigin(), d = ray.getDirection();
  if (!o.isNaN() && !d.isNaN() && std::isfinite(o.x + o.y + o.z + d.x + d.y + d.z)) {
    // The part of the ray over the map, then cell by cell along it. A
    // cell's triangles lie over its own square, so the first cell with a
    // hit nearer than its far side holds the nearest hit.
    const float cell = float(mMap.Scale * mMap.Step);
    float t0 = 0.0f, t1 = kNoHit;
    if (!ClipAxis(o.x, d.x, float(cellsX) * cell, t0, t1) || !ClipAxis(o.z, d.z, float(cellsZ) * cell, t0, t1))
      return false;
    const Ogre::Vector3 p = o + d * t0;
    int cx = std::clamp(int(std::floor(p.x / cell)), 0, cellsX - 1);
    int cz = std::clamp(int(std::floor(p.z / cell)), 0, cellsZ - 1);
    const int stepX = d.x > 0 ? 1 : -1, stepZ = d.z > 0 ? 1 : -1;
    float nextX = d.x != 0 ? (float(cx + (d.x > 0)) * cell - o.x) / d.x : kNoHit;
    float nextZ = d.z != 0 ? (float(cz + (d.z > 0)) * cell - o.z) / d.z : kNoHit;
    const float deltaX = d.x != 0 ? cell / std::fabs(d.x) : kNoHit;
    const float deltaZ = d.z != 0 ? cell / std::fabs(d.z) : kNoHit;
    float best = kNoHit;
    for (;;) {
      PickCell(ray, cx, cz, best);
      const float exit = std::min(nextX, nextZ);
      if (best <= exit || exit > t1) break;
      if (nextX < nextZ) {
        cx += stepX;
        nextX += deltaX;
      } else {
        cz += stepZ;
        nextZ += deltaZ;
      }
      if (cx < 0 || cx >= cellsX || cz < 0 || cz >= cellsZ) break;
    }
    if (best < kNoHit) {
      hit = ray.getPoint(best);
      return true;
    }
  }
  return false;
}
