// Building a map into the scene: nodes, lights and fog, statics, effects,
// coverage textures, water, tiles and grass.
#include "terrain/TerrainManager.h"

#include "game/Camera.h"
#include "game/GameLog.h"
#include "game/LoadingProgress.h"
#include "game/Settings.h"
#include "platform/Random.h"
#include "terrain/MapWorld.h"
#include "terrain/TerrainTile.h"
#include "terrain/TerrainWater.h"
#include "vegetation/TreeLoader2D.h"
#include "vegetation/WindBatchPage.h"

#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreLight.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSceneQuery.h>
#include <OgreTechnique.h>
#include <OgreViewport.h>

namespace {

const char* const kGrassMesh = "Grass_Mesh.mesh";
const char* const kGrassMaterial = "grass_mat";

// A value in [low, high] from the game's random source.
float RandomIn(float low, float high) { return low + (high - low) * float(platform::Rand()) / 32767.0f; }

void SetVertexConstant(Ogre::Pass* pass, const char* name, float value) {
  if (!pass->hasVertexProgram()) return;
  Ogre::GpuProgramParametersSharedPtr params = pass->getVertexProgramParameters();
  if (params && params->_findNamedConstantDefinition(name)) params->setNamedConstant(name, value);
}

}  // namespace

bool CGATerrainManager::LoadMap(const std::string& fileName, unsigned cellsPerTile) {
  SetLoadingProgress(0, "开始读取地图");
  // The ray query that finds the tiles under a pick ray, nearest first, for
  // every map.
  if (mSceneManager && !mTerrainQuery) {
    mTerrainQuery = mSceneManager->createRayQuery(Ogre::Ray());
    mTerrainQuery->setSortByDistance(true, 0);
  }
  CGAMapData map;
  CGAMapReader reader(mOpener);
  if (!reader.Read(fileName, cellsPerTile, map) || !Fits(map)) return false;
  // The previous map, when the caller did not clear it.
  ClearMap();
  InstallMap(std::move(map));
  if (!mSceneManager) return true;
  BuildSceneObjects();
  if (mMap.HasTerrain) BuildTerrain();
  SetLoadingProgress(100, "读物完毕");
  if (mMap.HasTerrain && mWorld) {
    mWorld->PreloadCreatureFile("mob_" + mMap.Name + ".unit", true);
    mWorld->PreloadCreatureFile("npc_" + mMap.Name + ".unit", true);
  }
  return true;
}

void CGATerrainManager::BuildSceneObjects() {
  Ogre::SceneNode* root = mSceneManager->getRootSceneNode();
  mMapRoot = root->createChildSceneNode(mMap.Name + "_root_node", Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
  mStaticRoot =
      root->createChildSceneNode(mMap.Name + "_static_root_node", Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);

  mSceneManager->setAmbientLight(mMap.Ambient);
  if (!mMainLight) {
    mMainLight = mSceneManager->createLight("mainlight");
    mMainLight->setType(Ogre::Light::LT_DIRECTIONAL);
    mMainLight->setShadowFarDistance(30.0f);
    root->createChildSceneNode()->attachObject(mMainLight);
  }
  mMainLight->setDiffuseColour(mMap.LightColour);
  mMainLight->getParentSceneNode()->setDirection(mMap.LightDirection, Ogre::Node::TS_WORLD);
  mMainLight->setCastShadows(true);
  // The fog's colour and range are kept, the fog itself stays off.
  mSceneManager->setFog(Ogre::FOG_NONE, mMap.Fog.Colour, mMap.Fog.Density, mMap.Fog.Start, mMap.Fog.End);

  SetLoadingProgress(20, "读物物件");
  mBuckets.assign(size_t(mMap.TileCountX) * mMap.TileCountZ, {});
  for (const MapObjectRecord& s : mMap.Statics) CreateStatic(s.Name, s.Position, s.Scale, s.Orientation, true);
  // Build objects are read and nothing is made of them.
  SetLoadingProgress(40, "读物构架");
  for (const MapLightRecord& l : mMap.Lights)
    AddPointLight(l.Name, l.Position, Ogre::Vector3::UNIT_SCALE, Ogre::Quaternion::IDENTITY, l.Colour, l.Range,
                  l.Constant, l.Linear, l.Quadratic);
  for (const MapObjectRecord& e : mMap.SceneEffects) {
    const std::string node = AddSceneEffect(e.Name, e.Position);
    if (!node.empty()) mWorld->PlaceSceneEffect(node, e.Scale, e.Orientation);
  }
}

void CGATerrainManager::BuildTerrain() {
  SetLoadingProgress(60, "读物灯光贴图");
  mMap.LightMap->Upload();
  mMap.ColourMap->Upload();
  CGATerrainMaterial& material = *mMap.Material;
  material.UploadBlendMap();
  if (material.GetBlendTextureCount() < 4)
    GameLog("Map " + mMap.FileName + " lists " + std::to_string(material.GetBlendTextureCount()) +
            " blend textures where a tile mixes four; the missing ones repeat the last");

  SetLoadingProgress(70, "读取地图高度");
  if (mMap.HasWater) {
    auto* water = new CGATerrainWater(mSceneManager, int(GetWorldSizeX()), int(GetWorldSizeZ()));
    if (mMap.HasWaterHeight) water->SetWaterHeight(mMap.WaterHeight);
    else water->UpdateAlphaMap();
  }
  if (mEditorMode) {
    BuildObstacleOverlay();
    for (int n = 0; n <= 4; ++n)
      if (Ogre::MaterialPtr terrain = Ogre::MaterialManager::getSingleton().getByName("Newterrain_" + std::to_string(n)))
        AddObstaclePass(terrain->getTechnique(0));
  }

  SetLoadingProgress(80, "生成地块");
  BuildTiles();
  if (mMap.HasGrass) BuildGrass();
  EnableCompositor(false);
  if (ReadSetting("Bloom")) EnableCompositor(true);
}

void CGATerrainManager::BuildObstacleOverlay() {
  const unsigned sizeX = mMap.WorldSizeX(), sizeZ = mMap.WorldSizeZ();
  mObstacleOverlay = std::make_unique<CGACoverageMap>("ObstacleMap", "General", sizeX, sizeZ, 4);
  mObstacleOverlay->AddLayer(255);  // 1: blank
  mObstacleOverlay->AddLayer(255);  // 2: logic colours
  for (unsigned cz = 0; cz + 1 < sizeZ; ++cz) {
    for (unsigned cx = 0; cx + 1 < sizeX; ++cx) {
      const uint8_t obstacle = GetObstacle(cx, cz);
      mObstacleOverlay->SelectLayer(0);
      for (unsigned c = 0; c < 3; ++c) mObstacleOverlay->SetValue(cx, cz, c, obstacle);
      mObstacleOverlay->SelectLayer(2);
      auto colour = mLogicColours.find(GetLogic(cx, cz));
      if (colour == mLogicColours.end()) continue;
      const Ogre::ColourValue& c = colour->second;
      mObstacleOverlay->SetValue(cx, cz, 0, uint8_t(c.r * 255));
      mObstacleOverlay->SetValue(cx, cz, 1, uint8_t(c.g * 255));
      mObstacleOverlay->SetValue(cx, cz, 2, uint8_t(c.b * 255));
      mObstacleOverlay->SetValue(cx, cz, 3, 255);
    }
  }
  mObstacleOverlay->SelectLayer(2);
  mObstacleOverlay->Upload();
}

void CGATerrainManager::BuildTiles() {
  CGATerrainMaterial& material = *mMap.Material;
  const unsigned cells = mMap.CellsPerTile, cellSize = unsigned(mMap.Scale * mMap.Step);
  // The tiles show the variants the paint stored.
  material.SetUseStoredVariants(true);
  unsigned id = 0;
  for (unsigned tz = 0; tz < mMap.TileCountZ; ++tz) {
    for (unsigned tx = 0; tx < mMap.TileCountX; ++tx, ++id) {
      material.SetTileLayers(id, 0, 1, 2, 3);
      auto* tile = new CGATerrainTile(mMap.Name + std::to_string(id), mSceneManager, mMapRoot, id, *this);
      mTiles.push_back(tile);
      tile->Create(tx * cells, tz * cells, cells, cells, cellSize);
    }
  }
  material.SetUseStoredVariants(false);
}

void CGATerrainManager::BuildGrass() {
  Ogre::Camera* camera = nullptr;
  if (CGACamera* controller = CGACamera::getSingletonPtr()) camera = controller->GetCamera();
  else if (Ogre::Viewport* viewport = mSceneManager->getCurrentViewport()) camera = viewport->getCamera();
  mGrass = new Verdure::PagedVegetation(camera, 16.0f, 60);
  mGrass->addDetailLevel<Verdure::WindBatchPage>(40.0f, 5.0f);
  mGrass->setShadersEnabled(false);
  mGrassLoader = new Verdure::TreeLoader2D(mGrass, Ogre::TRect<float>(0, 0, GetWorldSizeX(), GetWorldSizeZ()));
  mGrass->setPageLoader(mGrassLoader);
  mGrassLoader->setHeightFunction(&CGATerrainManager::TerrainHeightFunction);
  mGrassLoader->setMinimumScale(0.0f);
  mGrassLoader->setScaleRange(10.0f);

  if (!Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(kGrassMesh)) {
    GameLog("Map " + mMap.FileName + ": no \"" + kGrassMesh + "\" for its grass; the grass is left out");
    return;
  }
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  // One entry per kind of the file, so that each record's id names the kind
  // it names there.
  for (const GrassKind& kind : mMap.GrassKinds) {
    // Its entity and material are named after it, and the engine takes no
    // empty name.
    if (kind.Name.empty()) {
      GameLog("Map " + mMap.FileName + ": grass kind " + std::to_string(mGrassKinds.size()) +
              " has no name; its grass is left out");
      mGrassKinds.push_back(nullptr);
      continue;
    }
    if (mSceneManager->hasEntity(kind.Name)) {
      Ogre::Entity* named = mSceneManager->getEntity(kind.Name);
      const bool grass = GetGrassKindIndex(named) >= 0;
      GameLog("Map " + mMap.FileName + ": grass kind " + std::to_string(mGrassKinds.size()) + " \"" + kind.Name +
              "\" repeats a name in use; " +
              (grass ? "its grass draws as the first kind of that name" : "its grass is left out"));
      mGrassKinds.push_back(grass ? named : nullptr);
      continue;
    }
    if (kind.Image.empty()) {
      GameLog("Map " + mMap.FileName + ": grass kind " + std::to_string(mGrassKinds.size()) + " \"" + kind.Name +
              "\" names no image; its grass is left out");
      mGrassKinds.push_back(nullptr);
      continue;
    }
    Ogre::Entity* entity = mSceneManager->createEntity(kind.Name, kGrassMesh);
    entity->setCastShadows(false);
    entity->setRenderQueueGroup(kStaticQueue);
    // A kind's material is made once per run, with its own sway.
    Ogre::MaterialPtr material = materials.getByName(kind.Name);
    Ogre::MaterialPtr base = material ? nullptr : materials.getByName(kGrassMaterial);
    if (base) {
      material = base->clone(kind.Name);
      Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
      SetVertexConstant(pass, "noise_x", RandomIn(-0.2f, 0.2f));
      SetVertexConstant(pass, "noise_z", RandomIn(-0.2f, 0.2f));
      SetVertexConstant(pass, "timeVal", RandomIn(0.7f, 1.3f));
      if (pass->getNumTextureUnitStates() > 0) pass->getTextureUnitState(0)->setTextureName(kind.Image);
    }
    if (material) entity->setMaterial(material);
    mGrassKinds.push_back(entity);
  }
  for (const GrassRecord& r : mMap.GrassRecords) AddGrass(r.Id, r.Position, r.Yaw, r.Scale);
}
