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
#include <OgreMaterial.h>
#include <OgreMesh.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

#include <set>

CGATerrainManager::~CGATerrainManager() { ClearMap(); }

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
  // Every entity goes before any mesh or material is unloaded, and each is
  // unloaded once: later statics of a type share its mesh.
  std::set<Ogre::Mesh*> meshes;
  std::set<Ogre::Material*> materials;
  std::vector<Ogre::ResourcePtr> unload;
  for (const auto& [name, record] : mStatics) {
    if (meshes.insert(record.Entity->getMesh().get()).second) unload.push_back(record.Entity->getMesh());
    for (unsigned i = 0; i < record.Entity->getNumSubEntities(); ++i) {
      const Ogre::MaterialPtr& material = record.Entity->getSubEntity(i)->getMaterial();
      if (material && materials.insert(material.get()).second) unload.push_back(material);
    }
    mSceneManager->destroyEntity(record.Entity);
    mSceneManager->destroySceneNode(record.Node);
  }
  for (const Ogre::ResourcePtr& resource : unload) resource->unload();
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
