#pragma once
// The paged vegetation of one kind of content around one camera: the ground
// plane (x and z) is cut into square pages, one or more detail levels each
// keep a grid of pages of one page type between a near and a far range,
// and a page loader fills the pages. Its owner calls update once a frame.
#include "vegetation/GeometryPageManager.h"

#include <OgreAny.h>
#include <OgreAxisAlignedBox.h>
#include <OgreCommon.h>
#include <OgreTimer.h>
#include <OgreVector.h>

#include <list>
#include <map>
#include <memory>

namespace Verdure {

class PageLoader;

class PagedVegetation {
 public:
  // With a camera, its scene manager and root node are the ones the pages
  // use. Bounds start infinite. A page size that is not positive and finite
  // is refused (here and in setPageSize) with InvalidParametersException.
  PagedVegetation(Ogre::Camera* cam = nullptr, Ogre::Real pageSize = 100, Ogre::uint8 renderQueue = 60);
  ~PagedVegetation();
  PagedVegetation(const PagedVegetation&) = delete;
  PagedVegetation& operator=(const PagedVegetation&) = delete;

  // Null stops the paging. Switching back to the camera used before
  // restores the position it was left at.
  void setCamera(Ogre::Camera* cam);
  Ogre::Camera* getCamera() const { return mSceneCam; }
  Ogre::SceneManager* getSceneManager() const { return mSceneMgr; }
  Ogre::SceneNode* getSceneNode() const { return mRootNode; }

  // Read by batch pages when they are made.
  void setShadersEnabled(bool value) { mShadersEnabled = value; }
  bool getShadersEnabled() const { return mShadersEnabled; }

  // Page size and bounds are fixed while detail levels exist.
  void setPageSize(Ogre::Real size);
  Ogre::Real getPageSize() const { return mPageSize; }
  void setInfinite();
  // A square with positive sides.
  void setBounds(const TBounds& bounds);
  // All zero when infinite.
  const TBounds& getBounds() const { return mBounds; }

  // A detail level of PageType pages from the last level's far range out
  // to farRange, fading over transitionLength (no fading without vertex
  // programs). Levels go from the nearest to the farthest; the whole page
  // grid is made at once.
  template <class PageType>
  GeometryPageManager* addDetailLevel(Ogre::Real farRange, Ogre::Real transitionLength = 0,
                                      const Ogre::Any& data = Ogre::Any(), Ogre::uint32 flags = 0);
  void removeDetailLevels();
  const std::list<GeometryPageManager*>& getDetailLevels() const { return mManagerList; }

  // Not owned; used from the next update on.
  void setPageLoader(PageLoader* loader) { mPageLoader = loader; }
  PageLoader* getPageLoader() const { return mPageLoader; }

  // Once a frame: loads, unloads, fades and shows the pages of every level.
  void update();

  Ogre::uint8 getRenderQueue() const { return mRenderQueue; }

  // Float parameters by entity and name (stored as "entity.name"), read by
  // the wind geometry.
  void setCustomParam(const Ogre::String& entity, const Ogre::String& paramName, float value);
  void setCustomParam(const Ogre::String& paramName, float value);
  float getCustomParam(const Ogre::String& entity, const Ogre::String& paramName, float defaultParamValue) const;
  float getCustomParam(const Ogre::String& paramName, float defaultParamValue) const;

  // Content changed: the affected pages load again when the paging finds
  // them. Only reloadAllPages works without a page loader.
  void reloadAllPages();
  void reloadPageAt(const Ogre::Vector3& point);
  void reloadPagesInRadius(const Ogre::Vector3& point, Ogre::Real radius);
  void reloadPagesInRect(const TBounds& area);
  // Loads the pages of the area (widened by each level's far range) now
  // and keeps them loaded.
  void preloadRect(const TBounds& area);
  void keepAllPagesLoaded();

  static TBounds boxToRect(const Ogre::AxisAlignedBox& box);

 private:
  std::unique_ptr<GeometryPageManager> newDetailLevel(Ogre::Real farRange, Ogre::Real transitionLength);

  Ogre::SceneManager* mSceneMgr = nullptr;
  Ogre::SceneNode* mRootNode = nullptr;
  bool mShadersEnabled = true;
  Ogre::Camera* mSceneCam = nullptr;
  Ogre::Vector3 mOldCamPos = Ogre::Vector3::ZERO;
  Ogre::Camera* mLastOldCam = nullptr;
  Ogre::Vector3 mLastOldCamPos = Ogre::Vector3::ZERO;
  std::list<GeometryPageManager*> mManagerList;
  PageLoader* mPageLoader = nullptr;
  TBounds mBounds{0, 0, 0, 0};
  Ogre::Real mPageSize;
  Ogre::uint32 mRenderQueue;
  Ogre::Timer mTimer;
  Ogre::uint32 mLastTime = 0;
  std::map<Ogre::String, float> mCustomParams;
};

template <class PageType>
GeometryPageManager* PagedVegetation::addDetailLevel(Ogre::Real farRange, Ogre::Real transitionLength,
                                                     const Ogre::Any& data, Ogre::uint32 flags) {
  std::unique_ptr<GeometryPageManager> level = newDetailLevel(farRange, transitionLength);
  level->initPages<PageType>(mBounds, data, flags);
  mManagerList.push_back(level.get());
  return level.release();
}

}  // namespace Verdure
