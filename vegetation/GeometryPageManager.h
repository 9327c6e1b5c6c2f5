#pragma once
// One detail level of a paged vegetation: a square grid of pages of one
// page type, all made when the level is added. Each frame it loads the
// pages near the camera at once, queues those a little farther out and
// loads them one at a time, fades and shows them by distance, and unloads
// the pages the camera left. An infinite level travels with the camera by
// recycling the pages of its trailing edge at its leading edge.
#include "vegetation/GeometryPage.h"

#include <OgreAny.h>
#include <OgreCommon.h>
#include <OgreVector.h>

#include <list>
#include <memory>
#include <vector>

namespace Verdure {

class PagedVegetation;
struct PageRequest;

using TBounds = Ogre::TRect<Ogre::Real>;

class GeometryPageManager {
 public:
  using PageList = std::list<GeometryPage*>;

  explicit GeometryPageManager(PagedVegetation* vegetation);
  ~GeometryPageManager();

  // Makes the whole grid of PageType pages: over the bounds, or, for
  // infinite bounds (zero width), a grid wide enough for the load range.
  template <class PageType>
  void initPages(const TBounds& bounds, const Ogre::Any& data, Ogre::uint32 flags);

  void setNearRange(Ogre::Real range);
  void setFarRange(Ogre::Real range);
  Ogre::Real getNearRange() const { return mNearDist; }
  Ogre::Real getFarRange() const { return mFarDist; }
  // A length of 0 or less turns fading off.
  void setTransition(Ogre::Real length);
  Ogre::Real getTransition() const { return mFadeLength; }
  // Load interval cap and how long a page may stay unseen, in milliseconds.
  void setPagingTimes(Ogre::uint32 maxLoadInterval, Ogre::uint32 inactivePageLife);

  // The paging step of one frame. pendingLoadAllowed lets one level of all
  // load one queued page per frame; this level clears it when it does.
  void update(Ogre::uint32 deltaTime, const Ogre::Vector3& camPos, const Ogre::Vector3& camSpeed,
              bool& pendingLoadAllowed, GeometryPageManager* prevManager);

  int getGridSize() const { return mGeomGridX; }
  const TBounds& getGridBounds() const { return mGridBounds; }
  GeometryPage* getGridPage(int x, int z) const { return mGeomGrid[z * mGeomGridX + x]; }
  void setGridPage(int x, int z, GeometryPage* page) { mGeomGrid[z * mGeomGridX + x] = page; }
  const PageList& getPendingPages() const { return mPendingList; }
  const PageList& getLoadedPages() const { return mLoadedList; }
  // The interval the last update waited for before loading a queued page.
  Ogre::uint32 getLoadInterval() const { return mLoadInterval; }

  void loadPage(GeometryPage* page);
  void unloadPage(GeometryPage* page);
  // The page was recycled while loaded: it is hidden, and its old content
  // goes when it next loads.
  void markPageStale(GeometryPage* page);
  void scrollGrid(int shiftX, int shiftZ);

  void reloadAllPages();
  void reloadPageAt(const Ogre::Vector3& point);
  void reloadPagesInRadius(const Ogre::Vector3& point, Ogre::Real radius);
  void reloadPagesInRect(const TBounds& area);
  // Loads the pages of the area widened by the far range now and keeps
  // them loaded.
  void preloadRect(const TBounds& area);
  void keepAllPagesLoaded();

 private:
  // The grid cell range covering an area, clamped to the grid.
  struct CellRange {
    int x1, z1, x2, z2;
  };
  CellRange cellsOf(Ogre::Real left, Ogre::Real top, Ogre::Real right, Ogre::Real bottom) const;
  PageRequest requestFor(const GeometryPage* page) const;
  void addToLoaded(GeometryPage* page);
  void removeFromLoaded(GeometryPage* page);
  void removeFromPending(GeometryPage* page);
  void unloadAndForget(GeometryPage* page);
  void allocateGrid(const TBounds& bounds);
  void placePage(GeometryPage* page, int x, int z, Ogre::uint32 flags);
  Ogre::uint32 loadInterval(const Ogre::Vector3& camSpeed) const;
  void updateLoadedPage(GeometryPage* page, Ogre::Real distSq, GeometryPageManager* prevManager);
  void recyclePage(GeometryPage* page, Ogre::Real dx, Ogre::Real dz, int di, int dj);

  PagedVegetation* mMainGeom;
  std::vector<GeometryPage*> mGeomGrid;
  std::vector<GeometryPage*> mScrollBuffer;  // infinite levels only
  int mGeomGridX = 0, mGeomGridZ = 0;
  TBounds mGridBounds{0, 0, 0, 0};

  Ogre::Real mFadeLength = 0, mFadeLengthSq = 0;
  bool mFadeEnabled = false;

  Ogre::uint32 mCacheTimer = 0;
  Ogre::uint32 mLoadInterval = 0;
  PageList mPendingList;
  PageList mLoadedList;
  Ogre::uint32 mMaxCacheInterval = 200;
  Ogre::uint32 mInactivePageLife = 2000;

  Ogre::Real mNearDist = 0, mNearDistSq = 0;
  Ogre::Real mFarDist = 0, mFarDistSq = 0;
  Ogre::Real mFarTransDist = 0, mFarTransDistSq = 0;
};

template <class PageType>
void GeometryPageManager::initPages(const TBounds& bounds, const Ogre::Any& data, Ogre::uint32 flags) {
  allocateGrid(bounds);
  for (int x = 0; x < mGeomGridX; ++x) {
    for (int z = 0; z < mGeomGridZ; ++z) {
      std::unique_ptr<GeometryPage> page(new PageType());
      page->init(mMainGeom, data);
      placePage(page.release(), x, z, flags);
    }
  }
}

}  // namespace Verdure
