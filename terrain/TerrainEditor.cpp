// The terrain editor's operations: height brushes, cell painting with its
// overlay, colour, light and blend painting, terrain layers, the height
// image import, tile grids and placing and removing statics. The game never
// calls them; a terrain manager in editor mode has the brush images.
#include "terrain/TerrainManager.h"

#include "game/GameLog.h"
#include "game/Geometry.h"
#include "platform/Console.h"
#include "terrain/CollisionManager.h"
#include "terrain/MapWorld.h"
#include "terrain/TerrainTile.h"
#include "terrain/TerrainWater.h"

#include <OgreException.h>
#include <OgreImage.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Brush images are (2k + 1) pixels square for k up to this.
constexpr int kLargestBrush = 15;

// The tiles a brush changed, in the order first touched, each once.
class TouchedTiles {
 public:
  explicit TouchedTiles(const CGATerrainManager& terrain) : mTerrain(terrain) {}
  // The tiles of the cells that have vertex (vx, vz) as a corner.
  void AddAround(unsigned vx, unsigned vz) {
    for (unsigned dz = 0; dz <= 1; ++dz)
      for (unsigned dx = 0; dx <= 1; ++dx) Add(mTerrain.GetTileAt(vx - dx, vz - dz));
  }
  void Add(CGATerrainTile* tile) {
    if (tile && std::find(mTiles.begin(), mTiles.end(), tile) == mTiles.end()) mTiles.push_back(tile);
  }
  void Rebuild(bool regroup) const {
    for (CGATerrainTile* tile : mTiles) tile->Rebuild(regroup);
  }

 private:
  const CGATerrainManager& mTerrain;
  std::vector<CGATerrainTile*> mTiles;
};

// Calls f(vx, vz) for the vertices of a round brush round (cx, cz): offsets
// nearer than size + 1, x offset outer, on the grid but off row and column 0.
template <class F>
void ForEachBrushVertex(long long cx, long long cz, int size, unsigned sizeX, unsigned sizeZ, F f) {
  // No vertex of the grid lies farther than this; it keeps huge sizes finite.
  const int reach = int(std::min<long long>(size, 2LL * std::max(sizeX, sizeZ))) + 1;
  for (int i = -reach; i <= reach; ++i) {
    for (int j = -reach; j <= reach; ++j) {
      if (ApproxDistance(i, j) >= reach) continue;
      const long long vx = cx + i, vz = cz + j;
      if (vx < 1 || vz < 1 || vx >= sizeX || vz >= sizeZ) continue;
      f(unsigned(vx), unsigned(vz));
    }
  }
}

uint32_t ToStoredHeight(double value) {
  if (!(value > 0.0)) return 0;
  return value >= double(std::numeric_limits<uint32_t>::max()) ? std::numeric_limits<uint32_t>::max()
                                                                 : uint32_t(value);
}

uint8_t ToByte(double value) { return uint8_t(std::clamp(value, 0.0, 255.0)); }

// A coordinate truncated and kept within [0, last].
long long Within(double value, long long last) {
  return std::isfinite(value) ? (long long)std::clamp(value, 0.0, double(last)) : 0;
}

}  // namespace

const Ogre::Image* CGATerrainManager::BrushImage(int size) const {
  if (!mActiveBrushes || mActiveBrushes->empty()) return nullptr;
  return &(*mActiveBrushes)[size_t(std::clamp(size, 0, int(mActiveBrushes->size()) - 1))];
}

void CGATerrainManager::SetBrushShape(bool round) { mActiveBrushes = round ? &mRoundBrushes : &mSquareBrushes; }

void CGATerrainManager::BrushHeights(unsigned x, unsigned z, int size,
                                     const std::function<uint32_t(uint32_t)>& change) {
  if (mMap.Heights.empty()) return;
  const unsigned cell = unsigned(mMap.Scale * mMap.Step), sizeX = mMap.GridSizeX(), sizeZ = mMap.GridSizeZ();
  TouchedTiles touched(*this);
  ForEachBrushVertex(std::min(x / cell, sizeX), std::min(z / cell, sizeZ), size, sizeX, sizeZ,
                     [&](unsigned vx, unsigned vz) {
                       uint32_t& height = mMap.Heights[size_t(vz) * sizeX + vx];
                       height = change(height);
                       touched.AddAround(vx, vz);
                     });
  touched.Rebuild(false);
}

void CGATerrainManager::BrushRaise(unsigned x, unsigned z, int size, unsigned amount) {
  BrushHeights(x, z, size, [amount](uint32_t h) { return ToStoredHeight(double(h) + amount); });
}

void CGATerrainManager::BrushLower(unsigned x, unsigned z, int size, unsigned amount) {
  BrushHeights(x, z, size, [amount](uint32_t h) { return ToStoredHeight(double(h) - amount); });
}

void CGATerrainManager::BrushTargetHeight(unsigned x, unsigned z, int size, unsigned amount, unsigned target) {
  BrushHeights(x, z, size, [amount, target](uint32_t h) {
    if (target == h) return h;
    return ToStoredHeight(target < h ? double(h) - amount : double(h) + amount);
  });
}

void CGATerrainManager::BrushFlatten(unsigned x, unsigned z, int size, unsigned amount) {
  const unsigned cell = unsigned(mMap.Scale * mMap.Step);
  const unsigned cx = std::min(x / cell, mMap.GridSizeX()), cz = std::min(z / cell, mMap.GridSizeZ());
  const unsigned target = RawHeightAt(int(cx), int(cz));
  BrushTargetHeight(x, z, size, amount, target);
}

void CGATerrainManager::PaintLogic(unsigned x, unsigned z, int size, uint8_t id) { PaintCells(x, z, size, id, true); }

void CGATerrainManager::PaintObstacle(unsigned x, unsigned z, int size, uint8_t value) {
  PaintCells(x, z, size, value, false);
}

void CGATerrainManager::PaintCells(unsigned x, unsigned z, int size, uint8_t value, bool logic) {
  if ((logic ? mMap.Logic : mMap.Obstacles).empty()) return;
  // An id without a colour of its own shows blue.
  Ogre::ColourValue colour = Ogre::ColourValue::Blue;
  if (auto known = mLogicColours.find(value); logic && known != mLogicColours.end()) colour = known->second;
  CGACoverageMap* overlay = mObstacleOverlay.get();
  if (overlay) overlay->SelectLayer(logic ? 2 : 0);
  const unsigned sizeX = mMap.WorldSizeX(), sizeZ = mMap.WorldSizeZ(), step = unsigned(mMap.Step);
  const long long cx = std::min(x / step, sizeX - 1), cz = std::min(z / step, sizeZ - 1);
  const int reach = int(std::min<long long>(size, std::max(sizeX, sizeZ))) + 1;
  bool changed = false;
  for (int i = -reach; i <= reach; ++i) {
    for (int j = -reach; j <= reach; ++j) {
      const long long px = cx + i, pz = cz + j;
      if (px < 0 || pz < 0 || px >= sizeX || pz >= sizeZ) continue;
      const unsigned ux = unsigned(px), uz = unsigned(pz);
      if ((logic ? GetLogic(ux, uz) : GetObstacle(ux, uz)) == value) continue;
      logic ? SetLogic(ux, uz, value) : SetObstacle(ux, uz, value);
      changed = true;
      if (!overlay) continue;
      for (unsigned c = 0; c < 3; ++c) overlay->SetValue(ux, uz, c, logic ? ToByte(colour[c] * 255.0) : value);
      if (logic) overlay->SetValue(ux, uz, 3, 255);
    }
  }
  if (changed && overlay) overlay->Upload();
}

void CGATerrainManager::ShowObstacleMap(bool show) {
  if (!mObstacleOverlay) return;
  mObstacleOverlay->SelectLayer(show ? 0 : 1);
  mObstacleOverlay->Upload();
}

void CGATerrainManager::PaintColourMap(unsigned x, unsigned z, int size, const Ogre::ColourValue& colour, int amount) {
  PaintCoverage(mMap.ColourMap.get(), x, z, size, colour, amount);
}

void CGATerrainManager::PaintLightMap(unsigned x, unsigned z, int size, const Ogre::ColourValue& colour, int amount) {
  PaintCoverage(mMap.LightMap.get(), x, z, size, colour, amount);
}

void CGATerrainManager::PaintCoverage(CGACoverageMap* map, unsigned x, unsigned z, int size,
                                      const Ogre::ColourValue& colour, int amount) {
  const Ogre::Image* brush = BrushImage(size);
  if (!map || !brush) return;
  // One texel a vertex, two world units apart on the game's maps.
  const long long cx = x / 2, cz = z / 2;
  const int s = std::clamp(size, 0, kLargestBrush);
  const long long lastX = (long long)mMap.GridSizeX() - 1, lastZ = (long long)mMap.GridSizeZ() - 1;
  for (int i = 0; i <= 2 * s; ++i) {
    for (int j = 0; j <= 2 * s; ++j) {
      const unsigned tx = unsigned(Within(double(cx + i - s), lastX)), tz = unsigned(Within(double(cz + j - s), lastZ));
      const double weight = 0.1 * amount * brush->getColourAt(size_t(i), size_t(j), 0).r;
      for (unsigned c = 0; c < 3; ++c) {
        const double old = map->GetValue(tx, tz, c) / 255.0;
        map->SetValue(tx, tz, c, ToByte((old + (colour[c] - old) * weight) * 255.0));
      }
    }
  }
  map->Upload();
  TouchedTiles touched(*this);
  ForEachBrushVertex(cx, cz, size, mMap.GridSizeX(), mMap.GridSizeZ(),
                     [&](unsigned vx, unsigned vz) { touched.AddAround(vx, vz); });
  touched.Rebuild(false);
}

void CGATerrainManager::PaintBlend(int x, int z, int size, int amount) {
  BrushBlendAlpha(x, z, size, [amount](int old, float brush) { return old + brush * 255.0 * 0.1 * amount; });
}

void CGATerrainManager::EraseBlend(int x, int z, int size, float floor, int amount) {
  BrushBlendAlpha(x, z, size, [floor, amount](int old, float brush) {
    return std::max(old - brush * 255.0 * 0.1 * amount, std::trunc(double(floor)));
  });
}

void CGATerrainManager::BrushBlendAlpha(int x, int z, int size, const std::function<double(int, float)>& change) {
  CGATerrainMaterial* material = mMap.Material.get();
  const Ogre::Image* brush = BrushImage(size);
  if (!material || !brush) return;
  CGACoverageMap& blend = *material->GetBlendMap();
  const int s = std::clamp(size, 0, kLargestBrush);
  const long long lastX = std::min<long long>(4LL * mMap.GridSizeX(), blend.GetWidth()) - 1;
  const long long lastZ = std::min<long long>(4LL * mMap.GridSizeZ(), blend.GetHeight()) - 1;
  for (int i = 0; i <= 2 * s; ++i) {
    for (int j = 0; j <= 2 * s; ++j) {
      // The row lies one texel lower than the column.
      const unsigned tx = unsigned(Within(2.0 * x + i - s, lastX)), tz = unsigned(Within(2.0 * z + j - 1 - s, lastZ));
      const float weight = brush->getColourAt(size_t(i), size_t(j), 0).r;
      blend.SetValue(tx, tz, 3, ToByte(change(blend.GetValue(tx, tz, 3), weight)));
    }
  }
  material->UploadBlendMap();
}

void CGATerrainManager::PaintTileLayer(float x, float z, int blendTexture, int size, int amount) {
  CGATerrainMaterial* material = mMap.Material.get();
  const Ogre::Image* brush = BrushImage(size);
  if (!material || !brush) return;
  const CGACoverageMap& blend = *material->GetBlendMap();
  const int s = std::clamp(size, 0, kLargestBrush);
  const long long lastX = std::min<long long>(4LL * mMap.GridSizeX(), blend.GetWidth()) - 1;
  const long long lastZ = std::min<long long>(4LL * mMap.GridSizeZ(), blend.GetHeight()) - 1;
  const unsigned texelsPerVertex = 2 * unsigned(mMap.Scale * mMap.Step);
  long long x0 = 10000, z0 = 10000, x1 = 0, z1 = 0;
  TouchedTiles touched(*this);
  for (int i = 0; i <= 2 * s; ++i) {
    for (int j = 0; j <= 2 * s; ++j) {
      const long long tx = Within(double(i) + x - s, lastX), tz = Within(double(j) + z - s, lastZ);
      // The painter moves bytes by at most 255 whatever the strength.
      const double weight = brush->getColourAt(size_t(i), size_t(j), 0).r;
      const int strength = int(std::clamp(weight * 10.0 * amount, -255.0, 255.0));
      CGATerrainTile* tile = GetTileAt(unsigned(tx) / texelsPerVertex, unsigned(tz) / texelsPerVertex);
      x0 = std::min(x0, tx);
      z0 = std::min(z0, tz);
      x1 = std::max(x1, tx);
      z1 = std::max(z1, tz);
      if (!tile) continue;
      touched.Add(tile);
      material->PaintBlend(int(tx), int(tz), blendTexture, strength, tile->GetIndex());
    }
  }
  material->UploadBlendRect(int(x0), int(z0), int(x1), int(z1));
  touched.Rebuild(true);
}

void CGATerrainManager::PaintTileTexture(unsigned x, unsigned z, int layer, int size) {
  CGATerrainMaterial* material = mMap.Material.get();
  if (!material) return;
  const unsigned cell = unsigned(mMap.Scale * mMap.Step);
  const bool paints = layer >= 0 && size_t(layer) < material->GetTextureCount();
  TouchedTiles touched(*this);
  ForEachBrushVertex(x / cell, z / cell, size, mMap.GridSizeX(), mMap.GridSizeZ(), [&](unsigned vx, unsigned vz) {
    if (paints) material->SetVertexLayer(int(vx), int(vz), layer);
    else material->EraseVertex(int(vx), int(vz));
    touched.AddAround(vx, vz);
  });
  touched.Rebuild(true);
}

bool CGATerrainManager::ImportHeightImage(const std::string& fileName, float scale) {
  if (mMap.Heights.empty()) return false;
  Ogre::Image image;
  try {
    image.load(fileName, "General");
  } catch (const Ogre::Exception& e) {
    GameLog("Height image " + fileName + " cannot be read: " + e.getDescription());
    return false;
  }
  const unsigned sizeX = mMap.GridSizeX(), sizeZ = mMap.GridSizeZ();
  if (image.getHeight() < sizeZ || image.getWidth() < sizeX) {
    platform::ConsolePrint("读取高度图出错 \n");
    GameLog("Height image " + fileName + " is smaller than the height grid (" + std::to_string(sizeX) + " x " +
            std::to_string(sizeZ) + "); nothing imported");
    return false;
  }
  for (unsigned vz = 0; vz < sizeZ; ++vz) {
    for (unsigned vx = 0; vx < sizeX; ++vx) {
      uint32_t& height = mMap.Heights[size_t(vz) * sizeX + vx];
      height = ToStoredHeight(height + double(image.getColourAt(vx, vz, 0).r) * 255.0 * scale);
    }
  }
  RebuildAllTiles(false);
  return true;
}

void CGATerrainManager::RebuildAllTiles(bool regroup) {
  for (CGATerrainTile* tile : mTiles) tile->Rebuild(regroup);
}

void CGATerrainManager::ShowTileGrids() {
  for (CGATerrainTile* tile : mTiles) tile->SetGridVisible(true);
  RebuildAllTiles(false);
}

void CGATerrainManager::HideTileGrids() {
  for (CGATerrainTile* tile : mTiles) tile->SetGridVisible(false);
  RebuildAllTiles(false);
}

void CGATerrainManager::RefreshWater() {
  if (mMap.Material) mMap.Material->UploadBlendMap();
  if (CGATerrainWater* water = CGATerrainWater::getSingletonPtr()) water->UpdateAlphaMap();
}

Ogre::SceneNode* CGATerrainManager::PlaceStaticOnGround(const std::string& typeName, float x, float z) {
  auto type = mStaticTypes.find(typeName);
  if (type == mStaticTypes.end()) return nullptr;
  Ogre::Vector3 position(x, 0.0f, z);
  GetGroundHeight(position, false);
  return CreateStatic(typeName, position, type->second.Scale, Ogre::Quaternion::IDENTITY, false);
}

bool CGATerrainManager::RemoveStatic(const std::string& nodeName) {
  // The caller's name may be the node's own, which goes with the node.
  const std::string name = nodeName;
  auto found = mStatics.find(name);
  if (found == mStatics.end()) return false;
  Ogre::Entity* entity = found->second.Entity;
  Ogre::SceneNode* node = found->second.Node;
  const bool wasGround = found->second.HasCollide;
  // Nothing may point at the entity once it is gone: the see-through test
  // walks the collision lists and the fading steps the fade list.
  if (CGACollisionManager* collision = CGACollisionManager::getSingletonPtr()) collision->RemoveObject(entity);
  auto fading = [entity](const StaticFade& fade) { return fade.Entity == entity; };
  mFades.erase(std::remove_if(mFades.begin(), mFades.end(), fading), mFades.end());
  mStatics.erase(found);
  mAnimatedStatics.erase(name);
  mSceneManager->destroyEntity(entity);
  mSceneManager->destroySceneNode(node);
  // Units that stood on its "collide" surfaces come down to what is under it.
  if (wasGround && mWorld) mWorld->RefreshUnitHeights();
  return true;
}
