#include "terrain/TerrainWater.h"

#include "game/Camera.h"
#include "game/GameLog.h"
#include "game/Settings.h"
#include "terrain/TerrainManager.h"

#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreHardwarePixelBuffer.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgreMovablePlane.h>
#include <OgrePass.h>
#include <OgreRenderTexture.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>
#include <OgreTechnique.h>
#include <OgreTextureManager.h>
#include <OgreViewport.h>

#include <vector>

template <> CGATerrainWater* Ogre::Singleton<CGATerrainWater>::msSingleton = nullptr;

namespace {

const char* const kHighQuality = "HighQuality_Water";
const char* const kLowQuality = "LowQuality_Water";
const char* const kPlaneMesh = "RefractionPlane";

// The water's materials name the textures it makes.
void SetPassTexture(const char* materialName, size_t unit, const std::string& texture) {
  Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(materialName);
  Ogre::Technique* technique = material ? material->getTechnique(0) : nullptr;
  Ogre::Pass* pass = technique ? technique->getPass(0) : nullptr;
  if (pass && unit < pass->getNumTextureUnitStates()) pass->getTextureUnitState(unit)->setTextureName(texture);
}

}  // namespace

CGATerrainWater::CGATerrainWater(Ogre::SceneManager* sceneManager, int worldSizeX, int worldSizeZ)
    : mSceneManager(sceneManager),
      mAlpha("Water_Alpha_H", "General", unsigned(2 * worldSizeX), unsigned(2 * worldSizeZ), 4),
      mSizeX(worldSizeX),
      mSizeZ(worldSizeZ) {
  mNode = mSceneManager->getRootSceneNode()->createChildSceneNode("terrain_Water_node", Ogre::Vector3::ZERO,
                                                                  Ogre::Quaternion::IDENTITY);
  mNode->setPosition(float(mSizeX) / 2, mLevel, float(mSizeZ) / 2);
  mNode->yaw(Ogre::Degree(180));
  mReflectionPlane = Ogre::Plane(Ogre::Vector3::UNIT_Y, Ogre::Vector3(0, mLevel, 0));
  mAlpha.Upload();

  mClipPlane = new Ogre::MovablePlane("ReflectPlane");
  mClipPlane->normal = Ogre::Vector3::UNIT_Y;
  mClipPlane->d = 0;
  Ogre::MeshManager::getSingleton().createPlane(
      kPlaneMesh, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, *mClipPlane, float(mSizeX), float(mSizeZ),
      1, 1, true, 1, 1, 1, Ogre::Vector3::UNIT_Z, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
      Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
  mClipPlane->normal = Ogre::Vector3::NEGATIVE_UNIT_Y;

  mEntity = mSceneManager->createEntity("WaterPlane", kPlaneMesh);
  mEntity->setRenderQueueGroup(kWaterQueue);
  mEntity->setCastShadows(false);
  // The wave texture repeats every eight world units.
  mEntity->getSubEntity(0)->setCustomParameter(0, Ogre::Vector4(float(mSizeX) * 0.125f, 0, 0, 0));
  mNode->attachObject(mEntity);
  mNode->attachObject(mClipPlane);

  if (CGACamera* camera = CGACamera::getSingletonPtr()) mCamera = camera->GetCamera();
  if (mCamera && CGACoverageMap::TexturesAvailable()) {
    mRefractionTarget = CreateTarget("Refraction", 2, &mRefractionListener);
    mReflectionTarget = CreateTarget("Reflection", 1, this);
  }
  SetPassTexture(kHighQuality, 3, mAlpha.GetTextureName());
  SetPassTexture(kLowQuality, 1, mAlpha.GetTextureName());
  SetQuality(ReadSetting("Water") != 0);
}

Ogre::RenderTarget* CGATerrainWater::CreateTarget(const char* name, size_t textureUnit,
                                                  Ogre::RenderTargetListener* listener) {
  Ogre::TexturePtr texture = Ogre::TextureManager::getSingleton().createManual(
      name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, Ogre::TEX_TYPE_2D, unsigned(mSizeX),
      unsigned(mSizeZ), 0, Ogre::PF_R8G8B8, Ogre::TU_RENDERTARGET);
  Ogre::RenderTarget* target = texture->getBuffer()->getRenderTarget();
  Ogre::Viewport* viewport = target->addViewport(mCamera);
  viewport->setOverlaysEnabled(false);
  target->addListener(listener);
  target->setAutoUpdated(false);
  SetPassTexture(kHighQuality, textureUnit, name);
  return target;
}

CGATerrainWater::~CGATerrainWater() {
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  for (const char* name : {kLowQuality, kHighQuality})
    if (Ogre::MaterialPtr material = materials.getByName(name)) material->unload();
  mSceneManager->destroyEntity(mEntity);
  mSceneManager->destroySceneNode(mNode);
  for (Ogre::RenderTarget* target : {mRefractionTarget, mReflectionTarget}) {
    if (!target) continue;
    target->removeAllViewports();
    target->removeAllListeners();
  }
  Ogre::MeshManager::getSingleton().remove(kPlaneMesh, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
  if (mRefractionTarget) {
    for (const char* name : {"Refraction", "Reflection"})
      Ogre::TextureManager::getSingleton().remove(name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
  }
  delete mClipPlane;
}

void CGATerrainWater::SetWaterHeight(float level) {
  mLevel = level;
  mNode->setPosition(float(mSizeX) / 2, mLevel, float(mSizeZ) / 2);
  mReflectionPlane = Ogre::Plane(Ogre::Vector3::UNIT_Y, Ogre::Vector3(0, mLevel, 0));
  UpdateAlphaMap();
}

void CGATerrainWater::UpdateAlphaMap() {
  if (const CGATerrainManager* terrain = CGATerrainManager::getSingletonPtr()) ComputeAlphaMap(mAlpha, *terrain, mLevel);
  mAlpha.Upload();
}

void CGATerrainWater::ComputeAlphaMap(CGACoverageMap& alpha, const CGATerrainManager& terrain, float level) {
  const int width = int(alpha.GetWidth()), height = int(alpha.GetHeight());
  const float step = float(terrain.GetStep());
  for (int i = 0; i < width; ++i) {
    for (int j = 0; j < height; ++j) {
      const float h = terrain.GetHeight((float(i) + 0.5f) * step / 2, (float(j) + 0.5f) * step / 2);
      int value = 25;
      if (level > h) {
        // From the shore line down to three units deep.
        const float d = h - (level - 3.0f);
        value = d < 0 ? 150 : int((1.0f - d / 3.0f) * 150.0f);
      }
      alpha.SetValue(unsigned(i), unsigned(j), 3, uint8_t(value));
    }
  }
  // Softened in place: later pixels average neighbours already softened.
  for (int i = 0; i < width; ++i) {
    for (int j = 0; j < height; ++j) {
      for (unsigned c = 0; c < 4; ++c) {
        int sum = 0, count = 0;
        for (int a = -1; a <= 1; ++a)
          for (int b = -1; b <= 1; ++b) {
            if (i + a < 0 || i + a >= width || j + b < 0 || j + b >= height) continue;
            sum += alpha.GetValue(unsigned(i + a), unsigned(j + b), c);
            ++count;
          }
        alpha.SetValue(unsigned(i), unsigned(j), c, uint8_t(sum / count));
      }
    }
  }
}

void CGATerrainWater::SetQuality(bool high) {
  mHighQuality = high;
  mEntity->setMaterialName(high ? kHighQuality : kLowQuality);
}

void CGATerrainWater::UpdateRefraction() {
  if (mRefractionTarget) mRefractionTarget->update(true);
  if (mReflectionTarget) mReflectionTarget->update(true);
}

void CGATerrainWater::SetVisible(bool visible) { mNode->setVisible(visible, true); }

void CGATerrainWater::RefractionListener::preRenderTargetUpdate(const Ogre::RenderTargetEvent&) {
  CGATerrainWater* water = getSingletonPtr();
  water->SetVisible(false);
  // One unit above the surface: the plane faces down in the water node.
  water->mClipPlane->d = 1.0f;
  water->mCamera->enableCustomNearClipPlane(water->mClipPlane);
}

void CGATerrainWater::RefractionListener::postRenderTargetUpdate(const Ogre::RenderTargetEvent&) {
  CGATerrainWater* water = getSingletonPtr();
  water->SetVisible(true);
  water->mClipPlane->d = 0.0f;
  water->mCamera->disableCustomNearClipPlane();
}

void CGATerrainWater::preRenderTargetUpdate(const Ogre::RenderTargetEvent&) {
  SetVisible(false);
  mCamera->enableReflection(mReflectionPlane);
  mCamera->enableCustomNearClipPlane(mReflectionPlane);
}

void CGATerrainWater::postRenderTargetUpdate(const Ogre::RenderTargetEvent&) {
  SetVisible(true);
  mCamera->disableReflection();
  mCamera->disableCustomNearClipPlane();
}
