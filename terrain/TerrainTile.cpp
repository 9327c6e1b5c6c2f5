#include "terrain/TerrainTile.h"

#include "terrain/TerrainManager.h"
#include "terrain/TerrainMaterial.h"

#include <OgreLight.h>
#include <OgreManualObject.h>
#include <OgreMaterial.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

constexpr Ogre::uint8 kTerrainQueue = 50;
constexpr float kFartherThanAnyHit = 100000.0f;

// The union of a group's layers and a cell's (group first, then the cell's
// new ones in its order), or false when it holds more than four.
bool Unite(const std::vector<int>& group, const std::vector<TerrainLayerEntry>& cell, std::vector<int>& out) {
  out = group;
  for (const TerrainLayerEntry& e : cell)
    if (std::find(out.begin(), out.end(), e.LayerId) == out.end()) out.push_back(e.LayerId);
  return out.size() <= CGATerrainMaterial::kMaxCellLayers;
}

}  // namespace

const Ogre::Vector2 CGATerrainTile::kAtlas4x4[17] = {
    {0.00f, 0.00f}, {0.25f, 0.00f}, {0.50f, 0.00f}, {0.75f, 0.00f}, {0.00f, 0.25f}, {0.25f, 0.25f},
    {0.50f, 0.25f}, {0.75f, 0.25f}, {0.00f, 0.50f}, {0.25f, 0.50f}, {0.50f, 0.50f}, {0.75f, 0.50f},
    {0.00f, 0.75f}, {0.25f, 0.75f}, {0.50f, 0.75f}, {0.75f, 0.75f}, {0.00f, 0.00f}};

const Ogre::Vector2 CGATerrainTile::kAtlas8x4[32] = {
    // Left half, row by row.
    {0.000f, 0.00f}, {0.125f, 0.00f}, {0.250f, 0.00f}, {0.375f, 0.00f}, {0.000f, 0.25f}, {0.125f, 0.25f},
    {0.250f, 0.25f}, {0.375f, 0.25f}, {0.000f, 0.50f}, {0.125f, 0.50f}, {0.250f, 0.50f}, {0.375f, 0.50f},
    {0.000f, 0.75f}, {0.125f, 0.75f}, {0.250f, 0.75f}, {0.375f, 0.75f},
    // Right half, column by column.
    {0.500f, 0.00f}, {0.500f, 0.25f}, {0.500f, 0.50f}, {0.500f, 0.75f}, {0.625f, 0.00f}, {0.625f, 0.25f},
    {0.625f, 0.50f}, {0.625f, 0.75f}, {0.750f, 0.00f}, {0.750f, 0.25f}, {0.750f, 0.50f}, {0.750f, 0.75f},
    {0.875f, 0.00f}, {0.875f, 0.25f}, {0.875f, 0.50f}, {0.875f, 0.75f}};

CGATerrainTile::CGATerrainTile(const std::string& name, Ogre::SceneManager* sceneManager, Ogre::SceneNode* parent,
                               unsigned tileIndex, const CGATerrainManager& terrain)
    : mTerrain(terrain), mSceneManager(sceneManager), mParent(parent), mName(name), mTileIndex(tileIndex) {}

CGATerrainTile::~CGATerrainTile() {
  if (mObject) mSceneManager->destroyManualObject(mObject);
  DestroyGrid();
  if (mNode) mSceneManager->destroySceneNode(mNode);
}

bool CGATerrainTile::Create(unsigned originX, unsigned originZ, unsigned rows, unsigned columns, unsigned cellSize) {
  mRows = rows;
  mColumns = columns;
  mCellSize = cellSize;
  mOriginX = float(originX);
  mOriginZ = float(originZ);
  mNode = mParent->createChildSceneNode(mName + "_tile_node", Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
  mNode->setPosition(float(originX * cellSize), 0.0f, float(originZ * cellSize));
  mObject = mSceneManager->createManualObject("terrain_" + mName);
  mObject->setCastShadows(false);
  mObject->setRenderQueueGroup(kTerrainQueue);
  mNode->attachObject(mObject);
  mCells.clear();
  for (unsigned row = 0; row < rows; ++row)
    for (unsigned column = 0; column < columns; ++column) mCells.push_back({float(column), float(row)});
  Rebuild(true);
  return true;
}

void CGATerrainTile::Regroup() {
  mGroups.clear();
  CGATerrainMaterial* material = mTerrain.GetMaterial();
  static const std::vector<TerrainLayerEntry> kNoLayers;
  std::vector<int> united;
  for (const TerrainTileCell& cell : mCells) {
    const int cx = int(cell.X + mOriginX), cz = int(cell.Z + mOriginZ);
    const std::vector<TerrainLayerEntry>& layers = material ? material->GetCellLayers(cx, cz) : kNoLayers;
    TerrainCellGroup* home = nullptr;
    for (TerrainCellGroup& group : mGroups) {
      if (Unite(group.LayerIds, layers, united)) {
        group.LayerIds = united;
        home = &group;
        break;
      }
    }
    if (!home) {
      mGroups.emplace_back();
      home = &mGroups.back();
      for (const TerrainLayerEntry& e : layers) home->LayerIds.push_back(e.LayerId);
    }
    home->Cells.push_back(cell);
  }
}

void CGATerrainTile::Rebuild(bool regroup) {
  if (!mObject) return;
  if (mGridVisible) BuildGrid();
  else DestroyGrid();
  if (regroup) Regroup();
  CGATerrainMaterial* material = mTerrain.GetMaterial();
  // The blend textures whose weights are zero all over the tile are left
  // out of its programs.
  // Nor do they sum point lights where none reaches the tile.
  const int blendWeights =
      material ? material->UsedBlendWeights(mOriginX / mTerrain.GetGridSizeX(), mOriginZ / mTerrain.GetGridSizeZ(),
                                            (mOriginX + float(mColumns)) / mTerrain.GetGridSizeX(),
                                            (mOriginZ + float(mRows)) / mTerrain.GetGridSizeZ()) |
                     (ReachedByPointLight() ? 0 : CGATerrainMaterial::kNoPointLights)
               : CGATerrainMaterial::kAllBlendWeights;
  mObject->clear();
  mObject->estimateVertexCount(mCells.size() * 4);
  mObject->estimateIndexCount(mCells.size() * 6);
  for (TerrainCellGroup& group : mGroups) {
    std::sort(group.LayerIds.begin(), group.LayerIds.end());
    const std::string materialName =
        material ? material->GetCellMaterial(group.LayerIds, mTileIndex, blendWeights)->getName()
                 : "BaseWhiteNoLighting";
    mObject->begin(materialName, Ogre::RenderOperation::OT_TRIANGLE_LIST);
    Ogre::uint32 i = 0;
    for (const TerrainTileCell& cell : group.Cells) {
      for (int dz = 0; dz <= 1; ++dz)
        for (int dx = 0; dx <= 1; ++dx) AddVertex(group, cell, dx, dz);
      mObject->quad(i, i + 2, i + 3, i + 1);
      i += 4;
    }
    mObject->end();
  }
  mNode->_update(true, true);
}

// Whether a point light's range reaches the tile's ground (by its distance
// across the ground, so never less than the true distance).
bool CGATerrainTile::ReachedByPointLight() const {
  const float size = float(mCellSize);
  const float x0 = mOriginX * size, x1 = (mOriginX + float(mColumns)) * size;
  const float z0 = mOriginZ * size, z1 = (mOriginZ + float(mRows)) * size;
  for (const auto& [name, object] : mSceneManager->getMovableObjects(Ogre::LightFactory::FACTORY_TYPE_NAME)) {
    const auto* light = static_cast<const Ogre::Light*>(object);
    if (light->getType() != Ogre::Light::LT_POINT) continue;
    const Ogre::Vector3 at = light->getDerivedPosition();
    const float dx = std::max({x0 - at.x, 0.0f, at.x - x1}), dz = std::max({z0 - at.z, 0.0f, at.z - z1});
    if (dx * dx + dz * dz <= light->getAttenuationRange() * light->getAttenuationRange()) return true;
  }
  return false;
}

void CGATerrainTile::AddVertex(const TerrainCellGroup& group, const TerrainTileCell& cell, int dx, int dz) {
  const float x = cell.X + float(dx), z = cell.Z + float(dz);
  const float mapX = x + mOriginX, mapZ = z + mOriginZ;
  const int vx = int(mapX), vz = int(mapZ);
  const float size = float(mCellSize);
  mObject->position(x * size, mTerrain.GetVertexHeight(vx, vz) * size, z * size);
  mObject->colour(mTerrain.GetColourMapColour(unsigned(vx), unsigned(vz)));
  mObject->normal(mTerrain.GetVertexNormal(mapX, mapZ));
  mObject->textureCoord(mapX / mTerrain.GetGridSizeX(), mapZ / mTerrain.GetGridSizeZ());
  const Ogre::ColourValue light = mTerrain.GetLightColour(unsigned(vx), unsigned(vz));
  mObject->textureCoord(light.r, light.g, light.b, 1.0f);
  const CGATerrainMaterial* material = mTerrain.GetMaterial();
  // Every vertex of a cell takes its layers at the cell's first corner.
  const int cx = int(cell.X + mOriginX), cz = int(cell.Z + mOriginZ);
  for (int layer : group.LayerIds) {
    TerrainLayerEntry entry;
    if (material) material->GetLayerInfo(cx, cz, layer, entry);
    const int a = entry.AtlasIndex;
    if (entry.WidthRepeat == 0) {
      // A cell of the 8 x 4 atlas, sampled just inside its edges.
      const int k = std::clamp(a, 0, CGATerrainMaterial::kLastVariant);
      mObject->textureCoord(kAtlas8x4[k].x + 0.125f * dx + 0.002f - 0.004f * dx,
                            kAtlas8x4[k].y + 0.25f * dz + 0.001f - 0.002f * dz, float(k));
    } else if (entry.WidthRepeat == -1) {
      const int k = std::clamp(a, 0, CGATerrainMaterial::kFullCover);
      mObject->textureCoord(kAtlas4x4[k].x + 0.25f * dx + 0.002f - 0.004f * dx,
                            kAtlas4x4[k].y + 0.25f * dz + 0.002f - 0.004f * dz, float(k));
    } else {
      // A texture repeated across the tile.
      mObject->textureCoord(x / float(mColumns) * float(entry.WidthRepeat), z / float(mRows) * float(entry.HeightRepeat),
                            float(a));
    }
  }
}

bool CGATerrainTile::RayPick(const Ogre::Ray& ray, Ogre::Vector3& hit) const {
  float best = kFartherThanAnyHit;
  const float size = float(mCellSize);
  for (unsigned z = 0; z < mRows; ++z) {
    for (unsigned x = 0; x < mColumns; ++x) {
      auto corner = [&](unsigned a, unsigned b) {
        const float wx = (float(x + a) + mOriginX) * size, wz = (float(z + b) + mOriginZ) * size;
        return Ogre::Vector3(wx, mTerrain.GetHeight(wx, wz), wz);
      };
      const Ogre::Vector3 p00 = corner(0, 0), p10 = corner(1, 0), p01 = corner(0, 1), p11 = corner(1, 1);
      for (const Ogre::RayTestResult& r : {Ogre::Math::intersects(ray, p00, p10, p11, true, true),
                                          Ogre::Math::intersects(ray, p00, p01, p11, true, true)})
        if (r.first && r.second < best) best = r.second;
    }
  }
  if (best >= kFartherThanAnyHit) return false;
  hit = ray.getPoint(best);
  return true;
}

unsigned CGATerrainTile::GetCellIndex(int x, int z) const {
  const int cx = std::clamp(x, 0, int(mColumns) - 1), cz = std::clamp(z, 0, int(mRows) - 1);
  return mColumns * unsigned(cz) + unsigned(cx);
}

void CGATerrainTile::BuildGrid() {
  if (!mGrid) {
    mGrid = mSceneManager->createManualObject("terrain_" + mName + "_Gird_mesh");
    mGrid->setCastShadows(false);
    mGrid->setRenderingDistance(50.0f);
    mNode->attachObject(mGrid);
  }
  mGrid->clear();
  const float size = float(mCellSize);
  auto point = [&](float x, float z, float offset, const Ogre::ColourValue& colour) {
    const float h = mTerrain.GetVertexHeight(int(x + mOriginX), int(z + mOriginZ));
    mGrid->position(x * size, (h + offset) * size, z * size);
    mGrid->colour(colour);
  };
  const float columns = float(mColumns), rows = float(mRows);
  const Ogre::ColourValue red(1, 0, 0, 1), white(1, 1, 1, 1);
  // The four borders in red.
  const float borders[4][4] = {{0, 0, 1, 0}, {0, rows, 1, 0}, {0, 0, 0, 1}, {columns, 0, 0, 1}};
  for (const auto& b : borders) {
    mGrid->begin("effect_alpha_off", Ogre::RenderOperation::OT_LINE_STRIP);
    const float length = b[2] > 0 ? columns : rows;
    for (float t = 0; t <= length; t += 1) point(b[0] + b[2] * t, b[1] + b[3] * t, 0.1f, red);
    mGrid->end();
  }
  // Every inner line in white, as one strip running back and forth.
  mGrid->begin("effect_alpha_off", Ogre::RenderOperation::OT_LINE_STRIP);
  bool back = false;
  for (float x = 0; x <= columns; x += 1, back = !back)
    for (float t = 0; t <= rows; t += 1) point(x, back ? rows - t : t, 0.01f, white);
  for (float z = rows; z >= 0; z -= 1, back = !back)
    for (float t = 0; t <= columns; t += 1) point(back ? columns - t : t, z, 0.01f, white);
  mGrid->end();
}

void CGATerrainTile::DestroyGrid() {
  if (!mGrid) return;
  mSceneManager->destroyManualObject(mGrid);
  mGrid = nullptr;
}
