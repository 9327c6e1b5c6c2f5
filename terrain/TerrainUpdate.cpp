// The terrain's step of the frame, and its small scene settings.
#include "terrain/TerrainManager.h"

#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/ResourcePreloader.h"
#include "platform/Console.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainTile.h"
#include "terrain/TerrainWater.h"
#include "vegetation/PagedVegetation.h"

#include <OgreAnimationState.h>
#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreManualObject.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

namespace {

// Milliseconds between two see-through checks.
constexpr uint32_t kSeeThroughPeriod = 200;
// Faded statics stop at this opacity.
constexpr float kFadedAlpha = 0.3f;

void SetOpacity(Ogre::Entity* entity, float alpha) {
  for (unsigned i = 0; i < entity->getNumSubEntities(); ++i)
    entity->getSubEntity(i)->setCustomParameter(0, Ogre::Vector4(0, 0, 0, alpha));
}

}  // namespace

void CGATerrainManager::Update() {
  AdvancePendingStatics();
  AnimateStatics();
  CGACamera* camera = CGACamera::getSingletonPtr();
  if (!camera) return;
  if (mGrass) {
    if (!mGrass->getCamera()) mGrass->setCamera(camera->GetCamera());
    mGrass->update();
  }
  RenderWaterIfSeen();
  if (FrameTimeMs - mLastSeeThroughCheck > kSeeThroughPeriod && !mEditorMode) CheckSeeThrough();
  StepFades();
}

void CGATerrainManager::AdvancePendingStatics() {
  if (mBuckets.empty()) return;
  // The tiles round the point the camera looks at (the map's corner
  // without a camera), each taking at most one step a frame: issue a mesh
  // load, retire a finished one, or make the static.
  // The buckets are found as the statics were filed (QueueStatic): by
  // Scale alone, with no test per axis, so at the map's corner the offset
  // (-1, 1) visits the last tile of the first row.
  const CGACamera* camera = CGACamera::getSingletonPtr();
  const Ogre::Vector3 lookAt = camera ? camera->GetLookAt() : Ogre::Vector3::ZERO;
  const float tile = float(mMap.Scale) * float(mMap.CellsPerTile);
  CGAResourcePreloader* preloader = CGAResourcePreloader::getSingletonPtr();
  for (int dz = -1; dz <= 1; ++dz) {
    for (int dx = -1; dx <= 1; ++dx) {
      const long long index = BucketIndex(lookAt.x / tile + float(dx), lookAt.z / tile + float(dz));
      if (index < 0) continue;
      std::vector<PendingStatic>& bucket = mBuckets[size_t(index)];
      if (bucket.empty()) continue;
      PendingStatic& next = bucket.front();
      if (!next.Requests.empty()) {
        MeshLoadRequest& request = next.Requests.front();
        if (!preloader) {
          next.Requests.erase(next.Requests.begin());
        } else if (!request.Requested) {
          request.Requested = true;
          request.Ticket = preloader->LoadInBackground(Ogre::MeshManager::getSingleton().getResourceType(),
                                                       request.MeshName);
        } else if (preloader->IsLoaded(request.Ticket)) {
          next.Requests.erase(next.Requests.begin());
        }
        continue;
      }
      const PendingStatic ready = next;
      bucket.erase(bucket.begin());
      CreateStatic(ready.TypeName, ready.Position, ready.Scale, ready.Orientation, false);
    }
  }
}

void CGATerrainManager::AnimateStatics() {
  for (const auto& [name, record] : mAnimatedStatics) {
    Ogre::AnimationStateSet* states = record.Entity->getAllAnimationStates();
    if (!states) continue;
    for (const auto& [animation, state] : states->getAnimationStates()) {
      if (!state->getEnabled()) state->setEnabled(true);
      state->addTime(FrameDeltaSeconds);
    }
  }
}

void CGATerrainManager::RenderWaterIfSeen() {
  CGATerrainWater* water = CGATerrainWater::getSingletonPtr();
  if (!water || !water->IsHighQuality()) return;
  const Ogre::Camera* camera = CGACamera::getSingleton().GetCamera();
  // The refraction shows what lies under the surface: render it when a
  // tile in view reaches below the water.
  for (const CGATerrainTile* tile : mTiles) {
    const Ogre::ManualObject* object = tile->GetManualObject();
    if (camera->isVisible(object->getWorldBoundingBox(true)) &&
        object->getBoundingBox().getMinimum().y < water->GetWaterHeight()) {
      water->UpdateRefraction();
      return;
    }
  }
}

void CGATerrainManager::CheckSeeThrough() {
  mLastSeeThroughCheck = FrameTimeMs;
  for (StaticFade& fade : mFades) fade.Hit = false;
  CGACollisionManager* collision = CGACollisionManager::getSingletonPtr();
  if (!collision) return;
  CGACamera& camera = CGACamera::getSingleton();
  const Ogre::Ray ray = camera.GetPickRay(0.5f, 0.5f);
  const Ogre::Vector3 eye = camera.GetCamera()->getDerivedPosition();
  // Tall statics nearer than the point looked at hide it.
  for (Ogre::Entity* entity : collision->GetObjectsInRect(eye, camera.GetLookAt(), CGACollisionManager::kTallList)) {
    if (!collision->RayPickObject(entity, ray, camera.GetDistance() - 3.0f)) continue;
    bool known = false;
    for (StaticFade& fade : mFades) {
      if (fade.Entity != entity) continue;
      fade.Hit = true;
      known = true;
    }
    if (known) continue;
    mFades.push_back({1.0f, entity, true, entity->getRenderQueueGroup()});
    platform::ConsolePrint("数量 %d \n", int(mFades.size()));
  }
}

void CGATerrainManager::StepFades() {
  // Out to just under 0.3 in about 0.7 s, back in about 1.4 s.
  for (size_t i = 0; i < mFades.size();) {
    StaticFade& fade = mFades[i];
    if (fade.Hit) {
      if (fade.Alpha > kFadedAlpha) {
        fade.Alpha -= FrameDeltaSeconds;
        SetOpacity(fade.Entity, fade.Alpha);
        fade.Entity->setRenderQueueGroup(kFadedQueue);
      }
    } else if (fade.Alpha <= 1.0f) {
      fade.Alpha += FrameDeltaSeconds * 0.5f;
      SetOpacity(fade.Entity, fade.Alpha);
    } else {
      SetOpacity(fade.Entity, 1.0f);
      fade.Entity->setRenderQueueGroup(fade.Queue);
      mFades.erase(mFades.begin() + long(i));
      continue;
    }
    ++i;
  }
}

void CGATerrainManager::SetShadows(bool on) {
  if (mSceneManager)
    mSceneManager->setShadowTechnique(on ? Ogre::SHADOWTYPE_TEXTURE_MODULATIVE : Ogre::SHADOWTYPE_NONE);
}

void CGATerrainManager::SetSceneVisible(bool visible) {
  if (mMapRoot) mMapRoot->setVisible(visible, true);
  if (mStaticRoot) mStaticRoot->setVisible(visible, true);
  if (CGATerrainWater* water = CGATerrainWater::getSingletonPtr()) water->SetVisible(visible);
}

void CGATerrainManager::EnableCompositor(bool) {}
