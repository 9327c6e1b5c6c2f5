#include "vegetation/PagedVegetation.h"

#include "vegetation/PageLoader.h"
#include "vegetation/RenderQueries.h"
#include "vegetation/StaticBillboardSet.h"

#include <OgreCamera.h>
#include <OgreException.h>
#include <OgreMath.h>
#include <OgreSceneManager.h>

#include <algorithm>
#include <cmath>

namespace Verdure {

namespace {

// Pages of no size would need grids without end.
void checkPageSize(Ogre::Real size, const char* method) {
  if (!(size > 0 && std::isfinite(size)))
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "The page size must be positive and finite", method);
}

}  // namespace

PagedVegetation::PagedVegetation(Ogre::Camera* cam, Ogre::Real pageSize, Ogre::uint8 renderQueue)
    : mPageSize(pageSize), mRenderQueue(renderQueue) {
  checkPageSize(pageSize, "PagedVegetation::PagedVegetation()");
  if (cam) {
    mSceneCam = cam;
    mSceneMgr = cam->getSceneManager();
    mRootNode = mSceneMgr->getRootSceneNode();
    mOldCamPos = cam->getDerivedPosition();
  }
  mTimer.reset();
}

PagedVegetation::~PagedVegetation() { removeDetailLevels(); }

void PagedVegetation::setCamera(Ogre::Camera* cam) {
  if (!cam) {
    mSceneCam = nullptr;
    return;
  }
  if (mSceneMgr && cam->getSceneManager() != mSceneMgr)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "The specified camera is from the wrong SceneManager",
                "PagedVegetation::setCamera()");
  if (cam == mLastOldCam) {
    // Back to the camera used before: no jump in the next update.
    std::swap(mSceneCam, mLastOldCam);
    std::swap(mOldCamPos, mLastOldCamPos);
  } else {
    mLastOldCam = mSceneCam;
    mLastOldCamPos = mOldCamPos;
    mSceneCam = cam;
  }
  if (!mSceneMgr) mSceneMgr = cam->getSceneManager();
  if (!mRootNode) mRootNode = mSceneMgr->getRootSceneNode();
}

void PagedVegetation::setPageSize(Ogre::Real size) {
  if (!mManagerList.empty())
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE,
                "PagedVegetation::setPageSize() cannot be called after detail levels have been added. Call "
                "removeDetailLevels() first.",
                "PagedVegetation::setPageSize()");
  checkPageSize(size, "PagedVegetation::setPageSize()");
  mPageSize = size;
}

void PagedVegetation::setInfinite() {
  if (!mManagerList.empty())
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE,
                "PagedVegetation::setInfinite() cannot be called after detail levels have been added. Call "
                "removeDetailLevels() first.",
                "PagedVegetation::setInfinite()");
  mBounds = TBounds(0, 0, 0, 0);
}

void PagedVegetation::setBounds(const TBounds& bounds) {
  if (!mManagerList.empty())
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE,
                "PagedVegetation::setBounds() cannot be called after detail levels have been added. Call "
                "removeDetailLevels() first.",
                "PagedVegetation::setBounds()");
  if (!Ogre::Math::RealEqual(bounds.width(), bounds.height(), 0.01f))
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "Bounds must be square", "PagedVegetation::setBounds()");
  if (!(bounds.width() > 0 && bounds.height() > 0))
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "Bounds must have positive width and height",
                "PagedVegetation::setBounds()");
  mBounds = bounds;
}

std::unique_ptr<GeometryPageManager> PagedVegetation::newDetailLevel(Ogre::Real farRange,
                                                                     Ogre::Real transitionLength) {
  auto level = std::make_unique<GeometryPageManager>(this);
  // Fading runs in vertex programs.
  if (!RenderQueries::get().hasVertexPrograms()) transitionLength = 0;
  const Ogre::Real nearRange = mManagerList.empty() ? 0 : mManagerList.back()->getFarRange();
  if (!(nearRange < farRange))
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALID_STATE, "Closer detail levels must be added before farther ones",
                "PagedVegetation::addDetailLevel()");
  level->setNearRange(nearRange);
  level->setFarRange(farRange);
  level->setTransition(transitionLength);
  return level;
}

void PagedVegetation::removeDetailLevels() {
  for (GeometryPageManager* level : mManagerList) delete level;
  mManagerList.clear();
}

void PagedVegetation::update() {
  if (!mSceneCam) return;
  const Ogre::uint32 now = Ogre::uint32(mTimer.getMilliseconds());
  const Ogre::uint32 deltaTime = now - mLastTime;
  mLastTime = now;

  const Ogre::Vector3 camPos = mSceneCam->getDerivedPosition();
  const Ogre::Vector3 camSpeed = deltaTime == 0 ? Ogre::Vector3::ZERO : (camPos - mOldCamPos) / Ogre::Real(deltaTime);
  mOldCamPos = camPos;

  if (mPageLoader) {
    mPageLoader->frameUpdate();
    bool pendingLoadAllowed = true;
    GeometryPageManager* previous = nullptr;
    for (GeometryPageManager* level : mManagerList) {
      level->update(deltaTime, camPos, camSpeed, pendingLoadAllowed, previous);
      previous = level;
    }
  }
  StaticBillboardSet::updateCameraQuads(mSceneCam->getDerivedDirection());
}

void PagedVegetation::setCustomParam(const Ogre::String& entity, const Ogre::String& paramName, float value) {
  mCustomParams[entity + "." + paramName] = value;
}

void PagedVegetation::setCustomParam(const Ogre::String& paramName, float value) { mCustomParams[paramName] = value; }

float PagedVegetation::getCustomParam(const Ogre::String& entity, const Ogre::String& paramName,
                                      float defaultParamValue) const {
  return getCustomParam(entity + "." + paramName, defaultParamValue);
}

float PagedVegetation::getCustomParam(const Ogre::String& paramName, float defaultParamValue) const {
  auto it = mCustomParams.find(paramName);
  return it == mCustomParams.end() ? defaultParamValue : it->second;
}

namespace {

// Left and right, top and bottom in order.
TBounds normalised(TBounds area) {
  if (area.right < area.left) std::swap(area.left, area.right);
  if (area.bottom < area.top) std::swap(area.top, area.bottom);
  return area;
}

}  // namespace

void PagedVegetation::reloadAllPages() {
  for (GeometryPageManager* level : mManagerList) level->reloadAllPages();
}

void PagedVegetation::reloadPageAt(const Ogre::Vector3& point) {
  if (!mPageLoader) return;
  for (GeometryPageManager* level : mManagerList) level->reloadPageAt(point);
}

void PagedVegetation::reloadPagesInRadius(const Ogre::Vector3& point, Ogre::Real radius) {
  if (!mPageLoader) return;
  for (GeometryPageManager* level : mManagerList) level->reloadPagesInRadius(point, radius);
}

void PagedVegetation::reloadPagesInRect(const TBounds& area) {
  if (!mPageLoader) return;
  for (GeometryPageManager* level : mManagerList) level->reloadPagesInRect(normalised(area));
}

void PagedVegetation::preloadRect(const TBounds& area) {
  if (!mPageLoader) return;
  for (GeometryPageManager* level : mManagerList) level->preloadRect(normalised(area));
}

void PagedVegetation::keepAllPagesLoaded() {
  if (!mPageLoader) return;
  for (GeometryPageManager* level : mManagerList) level->keepAllPagesLoaded();
}

TBounds PagedVegetation::boxToRect(const Ogre::AxisAlignedBox& box) {
  return TBounds(box.getMinimum().x, box.getMinimum().z, box.getMaximum().x, box.getMaximum().z);
}

}  // namespace Verdure
