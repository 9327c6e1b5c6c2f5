// Taking the current map out of the scene.
#include "terrain/TerrainManager.h"

#include "terrain/CollisionManager.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainTile.h"
#include "terrain/TerrainWater.h"
#include "vegetation/TreeLoader2D.h"

#include <OgreEntity.h>
#include <OgreImage.h>
#include <OgreLight.h>
#include <OgreMesh.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <set>

CGATerrainManager::~CGATerrainManager() {
  ClearMap();
  if (mTerrainQuery) mSceneManager->destroyQuery(mTerrainQuery);
}

void CGATerrainManager::ClearMap() {
  // Tiles first: their sections use the painter's materials.
  for (CGATerrainTile* tile : mTiles) delete tile;
  mTiles.clear();
  if (CGATerrainMaterial* material = mMap.Material.get()) material->ResetTextures();
  delete CGATerrainWater::getSingletonPtr();

  // The map's point lights go with it, so the same names can come again.
  for (const auto& [name, light] : mPointLights) {
    Ogre::SceneNode* node = light->getParentSceneNode();
    mSceneManager->destroyLight(light);
    if (node) mSceneManager->destroySceneNode(node);
  }
  mPointLights.clear();
  while (!mSceneEffects.empty()) RemoveSceneEffect(*mSceneEffects.begin());
  DestroyStatics();
  DestroyGrass();
  mBuckets.clear();
  mObstacleOverlay.reset();
  for (Ogre::SceneNode** root : {&mMapRoot, &mStaticRoot}) {
    if (!*root) continue;
    (*root)->removeAndDestroyAllChildren();
    mSceneManager->destroySceneNode(*root);
    *root = nullptr;
  }
  // Grids, painter (with its materials), coverage maps (with their
  // textures) and path finder.
  ClearMapData();
  if (mSceneManager) Ogre::ResourceGroupManager::getSingleton().unloadUnreferencedResourcesInGroup("General", true);
}

void CGATerrainManager::DestroyStatics() {
  if (CGACollisionManager* collision = CGACollisionManager::getSingletonPtr()) collision->Clear();
  mFades.clear();
  // Meshes are unloaded once every entity is gone: later statics of a type
  // share its mesh, and an unloaded mesh takes its sub-meshes from the
  // entities still using them.
  std::set<Ogre::MeshPtr> meshes;
  for (const auto& [name, record] : mStatics) {
    meshes.insert(record.Entity->getMesh());
    UnloadEntityMaterials(record.Entity);
    mSceneManager->destroyEntity(record.Entity);
    mSceneManager->destroySceneNode(record.Node);
  }
  for (const Ogre::MeshPtr& mesh : meshes) mesh->unload();
  mStatics.clear();
  mAnimatedStatics.clear();
}

void CGATerrainManager::DestroyGrass() {
  // A kind that repeats a name shares the entity of the first one.
  for (size_t i = 0; i < mGrassKinds.size(); ++i)
    if (mGrassKinds[i] && GetGrassKindIndex(mGrassKinds[i]) == int(i)) mSceneManager->destroyEntity(mGrassKinds[i]);
  mGrassKinds.clear();
  if (mGrass) delete mGrass->getPageLoader();
  delete mGrass;
  mGrass = nullptr;
  mGrassLoader = nullptr;
}
