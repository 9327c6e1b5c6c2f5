// Statics, point lights, scene effects and grass records of the map.
#include "terrain/TerrainManager.h"

#include "game/GameLog.h"
#include "terrain/CollisionManager.h"
#include "terrain/MapWorld.h"
#include "terrain/TerrainTile.h"
#include "vegetation/TreeLoader2D.h"

#include <OgreEntity.h>
#include <OgreGpuProgramManager.h>
#include <OgreLight.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>

namespace {

const char* const kStaticVertexProgram = "unit_vs";
const char* const kStaticFragmentProgram = "unit_ps";

bool ProgramExists(const char* name) {
  auto* programs = Ogre::GpuProgramManager::getSingletonPtr();
  return programs && programs->getByName(name, Ogre::RGN_AUTODETECT);
}

bool MeshAvailable(const std::string& mesh) {
  return Ogre::MeshManager::getSingleton().resourceExists(mesh) ||
         Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup(mesh);
}

}  // namespace

Ogre::SceneNode* CGATerrainManager::CreateStatic(const std::string& typeName, const Ogre::Vector3& position,
                                                 const Ogre::Vector3& scale, const Ogre::Quaternion& orientation,
                                                 bool deferred) {
  auto found = mStaticTypes.find(typeName);
  if (found == mStaticTypes.end()) return nullptr;
  if (deferred && !mEditorMode) {
    QueueStatic(typeName, position, scale, orientation);
    return nullptr;
  }
  if (!mSceneManager || !mStaticRoot) return nullptr;
  const StaticType& type = found->second;
  if (!MeshAvailable(type.Mesh)) {
    GameLog("Map " + mMap.FileName + ": static type \"" + typeName + "\" names the mesh \"" + type.Mesh +
            "\", which no resource group holds; left out");
    return nullptr;
  }
  const std::string counter = std::to_string(mStaticCounter);
  const std::string entityName = typeName + "_ent_" + counter, nodeName = typeName + "_node_" + counter;
  // Another object of the scene (a grass kind, say) may bear the name; the
  // name is used up all the same, so the next static has its own.
  if (mSceneManager->hasEntity(entityName) || mSceneManager->hasSceneNode(nodeName)) {
    GameLog("Map " + mMap.FileName + ": static \"" + typeName + "\" would be named \"" + entityName + "\" or \"" +
            nodeName + "\", which the scene already holds; left out");
    ++mStaticCounter;
    return nullptr;
  }
  Ogre::Entity* entity = mSceneManager->createEntity(entityName, type.Mesh);
  if (!mEditorMode) entity->setCastShadows(false);
  Ogre::SceneNode* node = mStaticRoot->createChildSceneNode(nodeName, Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
  node->attachObject(entity);
  node->setPosition(position);
  node->setScale(scale);
  node->setOrientation(orientation);
  entity->setRenderQueueGroup(kStaticQueue);
  ApplyStaticShaders(entity);

  CGACollisionManager* collision = CGACollisionManager::getSingletonPtr();
  StaticRecord record{typeName, node, entity, false};
  if (HideCollideSubEntities(entity)) {
    // Its "collide" surfaces are ground that units and effects stand on.
    if (collision) collision->AddObject(entity, CGACollisionManager::kGroundList);
    entity->setRenderQueueGroup(kGroundQueue);
    record.HasCollide = true;
    // Units standing where it now is stand on it.
    if (mWorld) mWorld->RefreshUnitHeights();
  }
  mStatics[node->getName()] = record;
  if (entity->getAllAnimationStates()) mAnimatedStatics[node->getName()] = record;
  const float top = entity->getBoundingBox().getMaximum().y * node->getScale().y;
  if (collision && (top > kTallStatic || mEditorMode)) collision->AddObject(entity, CGACollisionManager::kTallList);
  ++mStaticCounter;
  return node;
}

void CGATerrainManager::QueueStatic(const std::string& typeName, const Ogre::Vector3& position,
                                    const Ogre::Vector3& scale, const Ogre::Quaternion& orientation) {
  auto found = mStaticTypes.find(typeName);
  if (found == mStaticTypes.end()) return;
  const float cell = float(mMap.Scale * mMap.Step);
  const float vx = position.x / cell, vz = position.z / cell;
  unsigned tileIndex = 0;
  if (!(vx >= 0 && vz >= 0 && vx < 4e9f && vz < 4e9f) || !FindTileIndex(unsigned(vx), unsigned(vz), tileIndex)) {
    GameLog("Map " + mMap.FileName + ": static \"" + typeName + "\" at " + std::to_string(position.x) + ", " +
            std::to_string(position.z) + " lies off the map's tiles; left out");
    return;
  }
  // The bucket only decides when the static is made, near the point the
  // camera looks at (Update finds it the same way, by Scale alone); it is
  // placed by its own position. With a Step above 1 the far part of the map
  // has no bucket: a static there is made now.
  const float tile = float(mMap.Scale) * float(mMap.CellsPerTile);
  const long long bucket = BucketIndex(position.x / tile, position.z / tile);
  if (bucket < 0) {
    CreateStatic(typeName, position, scale, orientation, false);
    return;
  }
  PendingStatic pending{typeName, position, scale, orientation, {}};
  if (!Ogre::MeshManager::getSingleton().resourceExists(found->second.Mesh))
    pending.Requests.push_back({false, found->second.Mesh, 0});
  mBuckets[size_t(bucket)].push_back(pending);
}

void CGATerrainManager::LoadPendingStatics() {
  std::vector<std::vector<PendingStatic>> buckets;
  buckets.swap(mBuckets);
  for (const std::vector<PendingStatic>& bucket : buckets)
    for (const PendingStatic& p : bucket) CreateStatic(p.TypeName, p.Position, p.Scale, p.Orientation, false);
}

size_t CGATerrainManager::GetPendingStaticCount() const {
  size_t count = 0;
  for (const std::vector<PendingStatic>& bucket : mBuckets) count += bucket.size();
  return count;
}

bool CGATerrainManager::HideCollideSubEntities(Ogre::Entity* entity) {
  if (!entity) return false;
  bool found = false;
  for (unsigned i = 0; i < entity->getNumSubEntities(); ++i) {
    Ogre::SubEntity* sub = entity->getSubEntity(i);
    sub->setCustomParameter(0, Ogre::Vector4(0, 0, 0, 1));
    if (CGACollisionManager::IsCollideMaterial(sub->getMaterialName())) {
      sub->setVisible(false);
      found = true;
    }
  }
  return found;
}

void CGATerrainManager::ApplyStaticShaders(Ogre::Entity* entity) {
  if (!entity) return;
  if (!mUnitMaterial) mUnitMaterial = Ogre::MaterialManager::getSingleton().getByName("unit_build");
  const Ogre::Technique* sourceTechnique = mUnitMaterial ? mUnitMaterial->getTechnique(0) : nullptr;
  const Ogre::Pass* source = sourceTechnique ? sourceTechnique->getPass(0) : nullptr;
  if (!source) {
    GameLog("Material \"unit_build\" is missing: statics keep their own materials");
    return;
  }
  const bool programs = ProgramExists(kStaticVertexProgram) && ProgramExists(kStaticFragmentProgram);
  // The change is made to the shared material, so every static using it
  // fades through the same programs.
  const Ogre::MeshPtr& mesh = entity->getMesh();
  for (unsigned short s = 0; s < mesh->getNumSubMeshes(); ++s) {
    Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(mesh->getSubMesh(s)->getMaterialName());
    if (!material) continue;
    for (Ogre::Technique* technique : material->getTechniques()) {
      for (Ogre::Pass* pass : technique->getPasses()) {
        if (programs && !pass->hasVertexProgram()) pass->setVertexProgram(kStaticVertexProgram, true);
        if (programs && !pass->hasFragmentProgram()) pass->setFragmentProgram(kStaticFragmentProgram, true);
        pass->setLightingEnabled(false);
        pass->setAmbient(source->getAmbient());
        pass->setDiffuse(source->getDiffuse());
        pass->setSelfIllumination(source->getSelfIllumination());
        pass->setSpecular(source->getSpecular());
        pass->setAlphaRejectSettings(source->getAlphaRejectFunction(), source->getAlphaRejectValue());
        pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
      }
    }
  }
}

void CGATerrainManager::UnloadEntityMaterials(Ogre::Entity* entity) {
  for (unsigned i = 0; i < entity->getNumSubEntities(); ++i)
    if (const Ogre::MaterialPtr& material = entity->getSubEntity(i)->getMaterial()) material->unload();
}

void CGATerrainManager::AddObstaclePass(Ogre::Technique* technique) {
  if (!mEditorMode || !technique) return;
  Ogre::Pass* pass = technique->getPass("Obstacle");
  if (!pass) {
    pass = technique->createPass();
    if (ProgramExists("terrain_vs_obstacle")) pass->setVertexProgram("terrain_vs_obstacle");
    pass->setFog(true, Ogre::FOG_NONE);
    pass->setName("Obstacle");
    pass->setLightingEnabled(false);
    pass->setSceneBlending(Ogre::SBT_MODULATE);
    pass->createTextureUnitState()->setName("ObstacleMap");
  }
  if (Ogre::TextureUnitState* unit = pass->getTextureUnitState("ObstacleMap")) {
    // Each map makes its overlay anew.
    unit->setTextureName("ObstacleMap");
    unit->setTextureCoordSet(0);
    // Cells stay sharp, sampled at their centres.
    unit->setTextureFiltering(Ogre::FO_NONE, Ogre::FO_NONE, Ogre::FO_NONE);
    unit->setTextureScroll(0.5f / GetWorldSizeX(), 0.5f / GetWorldSizeZ());
  }
}

Ogre::Light* CGATerrainManager::AddPointLight(const std::string& name, const Ogre::Vector3& position,
                                              const Ogre::Vector3&, const Ogre::Quaternion&,
                                              const Ogre::ColourValue& colour, float range, float constant,
                                              float linear, float quadratic) {
  if (!mSceneManager) return nullptr;
  if (mSceneManager->hasLight(name)) {
    GameLog("Map " + mMap.FileName + ": a light named \"" + name + "\" is already in the scene; left out");
    return nullptr;
  }
  Ogre::Light* light = mSceneManager->createLight(name);
  light->setType(Ogre::Light::LT_POINT);
  light->setDiffuseColour(colour);
  light->setAttenuation(range, constant, linear, quadratic);
  Ogre::SceneNode* parent = mMapRoot ? mMapRoot : mSceneManager->getRootSceneNode();
  parent->createChildSceneNode(position)->attachObject(light);
  mPointLights[name] = light;
  // Tiles made before it leave out the lights that did not reach them.
  for (CGATerrainTile* tile : mTiles) tile->Rebuild(false);
  return light;
}

std::string CGATerrainManager::AddSceneEffect(const std::string& name, const Ogre::Vector3& position) {
  const std::string node = mWorld ? mWorld->CreateSceneEffect(name, position) : std::string();
  if (!node.empty()) mSceneEffects.insert(node);
  return node;
}

void CGATerrainManager::RemoveSceneEffect(const std::string& nodeName) {
  auto found = mSceneEffects.find(nodeName);
  if (found == mSceneEffects.end()) return;
  // Ended before it is forgotten: the name may be the one held here.
  if (mWorld) mWorld->EndSceneEffect(nodeName);
  mSceneEffects.erase(found);
}

void CGATerrainManager::AddGrass(int kind, const Ogre::Vector3& position, float yaw, float scale) {
  if (kind < 0 || size_t(kind) >= mGrassKinds.size() || !mGrassKinds[size_t(kind)] || !mGrassLoader) return;
  mGrassLoader->addTree(mGrassKinds[size_t(kind)], position, Ogre::Degree(yaw), scale);
}

void CGATerrainManager::RemoveGrass(const Ogre::Vector3& position, float radius) {
  if (mGrassLoader) mGrassLoader->deleteTrees(position, radius);
}

int CGATerrainManager::GetGrassKindIndex(const Ogre::Entity* entity) const {
  for (size_t i = 0; i < mGrassKinds.size(); ++i)
    if (mGrassKinds[i] == entity) return int(i);
  return -1;
}
