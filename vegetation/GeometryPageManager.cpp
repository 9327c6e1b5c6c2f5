#include "vegetation/GeometryPageManager.h"

#include "vegetation/PageLoader.h"
#include "vegetation/PagedVegetation.h"

#include <OgreMath.h>

#include <algorithm>
#include <cmath>

namespace Verdure {

namespace {

// A float as an int, saturated (a camera far off the grid scrolls it far,
// never into an overflow).
int toIndex(float f) { return f > 1e9f ? 1000000000 : f < -1e9f ? -1000000000 : f == f ? int(f) : 0; }

// floor of a quotient rounded to single precision first.
int floorDiv(Ogre::Real a, Ogre::Real b) { return toIndex(std::floor(float(a / b))); }

}  // namespace

GeometryPageManager::GeometryPageManager(PagedVegetation* vegetation) : mMainGeom(vegetation) {
  setPagingTimes(200, 2000);
  setTransition(0);
}

GeometryPageManager::~GeometryPageManager() {
  for (GeometryPage* page : mGeomGrid) delete page;
}

void GeometryPageManager::allocateGrid(const TBounds& bounds) {
  const Ogre::Real pageSize = mMainGeom->getPageSize();
  if (bounds.width() < 0.00001f) {
    mGeomGridX = int(mFarTransDist * 2 / pageSize + 4);
    mGridBounds = TBounds(0, 0, mGeomGridX * pageSize, mGeomGridX * pageSize);
    mScrollBuffer.assign(size_t(mGeomGridX), nullptr);
  } else {
    mGridBounds = bounds;
    mGeomGridX = int(std::ceil(bounds.width() / pageSize));
  }
  mGeomGridZ = mGeomGridX;
  mGeomGrid.assign(size_t(mGeomGridX) * size_t(mGeomGridZ), nullptr);
}

void GeometryPageManager::placePage(GeometryPage* page, int x, int z, Ogre::uint32 flags) {
  const Ogre::Real pageSize = mMainGeom->getPageSize();
  page->mCenterPoint = Ogre::Vector3((x + 0.5f) * pageSize + mGridBounds.left, 0,
                                     (z + 0.5f) * pageSize + mGridBounds.top);
  page->mXIndex = x + floorDiv(mGridBounds.left, pageSize);
  page->mZIndex = z + floorDiv(mGridBounds.top, pageSize);
  page->mFlags = flags;
  page->mHasFlags = true;
  page->clearBoundingBox();
  setGridPage(x, z, page);
}

void GeometryPageManager::setNearRange(Ogre::Real range) {
  mNearDist = range;
  mNearDistSq = range * range;
}

void GeometryPageManager::setFarRange(Ogre::Real range) {
  mFarDist = range;
  mFarDistSq = range * range;
  mFarTransDist = mFarDist + mFadeLength;
  mFarTransDistSq = mFarTransDist * mFarTransDist;
}

void GeometryPageManager::setTransition(Ogre::Real length) {
  mFadeEnabled = length > 0;
  mFadeLength = mFadeEnabled ? length : 0;
  mFadeLengthSq = mFadeLength * mFadeLength;
  mFarTransDist = mFarDist + mFadeLength;
  mFarTransDistSq = mFarTransDist * mFarTransDist;
}

void GeometryPageManager::setPagingTimes(Ogre::uint32 maxLoadInterval, Ogre::uint32 inactivePageLife) {
  mMaxCacheInterval = maxLoadInterval;
  mInactivePageLife = inactivePageLife;
}

Ogre::uint32 GeometryPageManager::loadInterval(const Ogre::Vector3& camSpeed) const {
  const Ogre::Real speed = std::sqrt(camSpeed.x * camSpeed.x + camSpeed.z * camSpeed.z);
  if (speed == 0) return mMaxCacheInterval;
  if (mPendingList.empty()) return 0;
  // The faster the camera and the more pages wait, the shorter the wait;
  // capped before the conversion, so a crawling camera cannot overflow it.
  const Ogre::Real interval = (mMainGeom->getPageSize() * 0.8f) / (Ogre::Real(mPendingList.size()) * speed);
  return interval >= Ogre::Real(mMaxCacheInterval) ? mMaxCacheInterval : Ogre::uint32(interval);
}

void GeometryPageManager::update(Ogre::uint32 deltaTime, const Ogre::Vector3& camPos, const Ogre::Vector3& camSpeed,
                                 bool& pendingLoadAllowed, GeometryPageManager* prevManager) {
  const Ogre::Real pageSize = mMainGeom->getPageSize();
  const Ogre::Real loadRange = pageSize + mFarTransDist;
  const Ogre::Real loadRangeSq = loadRange * loadRange;
  auto distSqOf = [&](const GeometryPage* page) {
    const Ogre::Real dx = camPos.x - page->mCenterPoint.x, dz = camPos.z - page->mCenterPoint.z;
    return dx * dx + dz * dz;
  };

  // The load window, kept on the grid.
  int x1 = floorDiv(camPos.x - loadRange - mGridBounds.left, pageSize);
  int x2 = floorDiv(camPos.x + loadRange - mGridBounds.left, pageSize);
  int z1 = floorDiv(camPos.z - loadRange - mGridBounds.top, pageSize);
  int z2 = floorDiv(camPos.z + loadRange - mGridBounds.top, pageSize);
  if (!mScrollBuffer.empty()) {
    const int shiftX = x1 < 0 ? x1 : x2 >= mGeomGridX - 1 ? x2 - (mGeomGridX - 1) : 0;
    const int shiftZ = z1 < 0 ? z1 : z2 >= mGeomGridZ - 1 ? z2 - (mGeomGridZ - 1) : 0;
    if (shiftX != 0 || shiftZ != 0) {
      scrollGrid(shiftX, shiftZ);
      mGridBounds.left += shiftX * pageSize;
      mGridBounds.right += shiftX * pageSize;
      mGridBounds.top += shiftZ * pageSize;
      mGridBounds.bottom += shiftZ * pageSize;
      x1 -= shiftX;
      x2 -= shiftX;
      z1 -= shiftZ;
      z2 -= shiftZ;
    }
  } else {
    x1 = std::max(x1, 0);
    z1 = std::max(z1, 0);
    x2 = std::min(x2, mGeomGridX - 1);
    z2 = std::min(z2, mGeomGridZ - 1);
  }

  // Pages in the window: near ones load now, the others wait their turn.
  for (int x = x1; x <= x2; ++x) {
    for (int z = z1; z <= z2; ++z) {
      GeometryPage* page = getGridPage(x, z);
      const Ogre::Real distSq = distSqOf(page);
      if (distSq > loadRangeSq) continue;
      if (page->mLoaded) {
        page->mInactiveTime = 0;
      } else if (distSq >= mNearDistSq && distSq < mFarTransDistSq) {
        loadPage(page);
        addToLoaded(page);
        removeFromPending(page);
      } else if (!page->mPending) {
        mPendingList.push_back(page);
        page->mPending = true;
      }
    }
  }

  // One queued page, at a pace set by the camera's speed.
  mLoadInterval = loadInterval(camSpeed);
  mCacheTimer += deltaTime;
  if (mCacheTimer >= mLoadInterval && pendingLoadAllowed) {
    while (!mPendingList.empty()) {
      GeometryPage* page = mPendingList.front();
      mPendingList.pop_front();
      page->mPending = false;
      if (distSqOf(page) <= loadRangeSq) {
        loadPage(page);
        addToLoaded(page);
        pendingLoadAllowed = false;
        break;
      }
    }
    mCacheTimer = 0;
  }

  for (auto it = mLoadedList.begin(); it != mLoadedList.end();) {
    GeometryPage* page = *it++;
    if (page->mInactiveTime < mInactivePageLife) {
      updateLoadedPage(page, distSqOf(page), prevManager);
    } else if (!page->mKeepLoaded) {
      unloadAndForget(page);
    } else {
      page->mInactiveTime = 0;
    }
    page->mInactiveTime += deltaTime;
  }
}

void GeometryPageManager::updateLoadedPage(GeometryPage* page, Ogre::Real distSq, GeometryPageManager* prevManager) {
  const Ogre::Real halfPage = mMainGeom->getPageSize() * 0.5f;
  bool visible = false;

  // How far the content reaches past the page square, the minimum sides too: overhang there would vanish in view.
  const Ogre::AxisAlignedBox& box = page->getBoundingBox();
  const Ogre::Real overlap = std::max({Ogre::Real(0), box.getMaximum().x - halfPage, box.getMaximum().z - halfPage,
                                       -box.getMinimum().x - halfPage, -box.getMinimum().z - halfPage});
  const Ogre::Real pageLength = (mMainGeom->getPageSize() + overlap) * 1.41421354f;
  const Ogre::Real pageLengthSq = pageLength * pageLength;

  if (distSq + pageLengthSq >= mNearDistSq && distSq - pageLengthSq < mFarTransDistSq) {
    bool fade = false;
    Ogre::Real visibleDist = 0, invisibleDist = 0;
    if (mFadeEnabled && distSq + pageLengthSq >= mFarDistSq) {
      // Fades out towards this level's far edge.
      visible = fade = true;
      visibleDist = mFarDist;
      invisibleDist = mFarTransDist;
    } else if (prevManager && prevManager->mFadeEnabled && distSq - pageLengthSq < prevManager->mFarTransDistSq) {
      // Fades in where the nearer level fades out.
      visible = fade = true;
      visibleDist = (prevManager->mFarTransDist - prevManager->mFarDist) * 0.5f + prevManager->mFarDist;
      invisibleDist = prevManager->mFarDist;
    }
    if (fade != page->mFadeEnable) {
      page->setFade(fade, visibleDist, invisibleDist);
      page->mFadeEnable = fade;
    }
  }
  if (distSq >= mNearDistSq && distSq < mFarDistSq) visible = true;

  if (visible != page->mVisible) {
    page->setVisible(visible);
    page->mVisible = visible;
  }
  page->update();
}

PageRequest GeometryPageManager::requestFor(const GeometryPage* page) const {
  const Ogre::Real half = mMainGeom->getPageSize() * 0.5f;
  PageRequest request;
  request.centerPoint = page->mCenterPoint;
  request.bounds = TBounds(page->mCenterPoint.x - half, page->mCenterPoint.z - half, page->mCenterPoint.x + half,
                           page->mCenterPoint.z + half);
  request.xIndex = page->mXIndex;
  request.zIndex = page->mZIndex;
  request.userData = page->mUserData;
  return request;
}

void GeometryPageManager::loadPage(GeometryPage* page) {
  PageLoader* loader = mMainGeom->getPageLoader();
  PageRequest request = requestFor(page);
  if (page->mNeedsUnload) {
    page->removeEntities();
    if (loader) loader->unloadPage(request);
    page->mUserData = nullptr;
    page->mNeedsUnload = false;
    page->clearBoundingBox();
  }
  page->setRegion(request.bounds.left, request.bounds.top, request.bounds.right, request.bounds.bottom);
  if (loader) {
    loader->mGeomPage = page;
    loader->loadPage(request);
  }
  page->mUserData = request.userData;
  page->build();
  page->setVisible(page->mVisible);
  page->mInactiveTime = 0;
  page->mLoaded = true;
  page->mFadeEnable = false;
}

void GeometryPageManager::unloadPage(GeometryPage* page) {
  PageRequest request = requestFor(page);
  page->removeEntities();
  if (PageLoader* loader = mMainGeom->getPageLoader()) loader->unloadPage(request);
  page->mUserData = nullptr;
  page->mNeedsUnload = false;
  page->clearBoundingBox();
  page->mInactiveTime = 0;
  page->mLoaded = false;
  page->mFadeEnable = false;
}

void GeometryPageManager::markPageStale(GeometryPage* page) {
  page->mNeedsUnload = true;
  page->mLoaded = false;
  // Its old content must not show at its old place until it reloads.
  if (page->mVisible) {
    page->setVisible(false);
    page->mVisible = false;
  }
}

void GeometryPageManager::addToLoaded(GeometryPage* page) {
  mLoadedList.push_back(page);
  page->mIter = std::prev(mLoadedList.end());
}

void GeometryPageManager::removeFromLoaded(GeometryPage* page) { mLoadedList.erase(page->mIter); }

void GeometryPageManager::removeFromPending(GeometryPage* page) {
  if (!page->mPending) return;
  mPendingList.remove(page);
  page->mPending = false;
}

void GeometryPageManager::unloadAndForget(GeometryPage* page) {
  unloadPage(page);
  removeFromLoaded(page);
}

void GeometryPageManager::recyclePage(GeometryPage* page, Ogre::Real dx, Ogre::Real dz, int di, int dj) {
  page->mCenterPoint.x += dx;
  page->mCenterPoint.z += dz;
  page->mXIndex += di;
  page->mZIndex += dj;
}

void GeometryPageManager::scrollGrid(int shiftX, int shiftZ) {
  const Ogre::Real pageSize = mMainGeom->getPageSize();
  const int nx = mGeomGridX, nz = mGeomGridZ;
  auto leaveLoaded = [this](GeometryPage* page) {
    if (!page->mLoaded) return;
    page->mKeepLoaded = false;
    markPageStale(page);
    removeFromLoaded(page);
  };

  if (shiftX < -nx || shiftX > nx || shiftZ < -nz || shiftZ > nz) {
    // A jump past the whole grid: every page moves in place.
    for (GeometryPage* page : mGeomGrid) {
      if (page->mLoaded) {
        page->mKeepLoaded = false;
        unloadAndForget(page);
      }
      recyclePage(page, shiftX * pageSize, shiftZ * pageSize, shiftX, shiftZ);
    }
    return;
  }

  // Along x: the trailing columns go round to the leading side.
  if (shiftX != 0) {
    const int n = std::abs(shiftX);
    for (int z = 0; z < nz; ++z) {
      if (shiftX > 0) {
        for (int i = 0; i < n; ++i) mScrollBuffer[i] = getGridPage(i, z);
        for (int x = n; x < nx; ++x) setGridPage(x - n, z, getGridPage(x, z));
        for (int i = 0; i < n; ++i) {
          leaveLoaded(mScrollBuffer[i]);
          recyclePage(mScrollBuffer[i], nx * pageSize, 0, nx, 0);
          setGridPage(nx - n + i, z, mScrollBuffer[i]);
        }
      } else {
        for (int i = 0; i < n; ++i) mScrollBuffer[i] = getGridPage(nx - n + i, z);
        for (int x = nx - 1; x >= n; --x) setGridPage(x, z, getGridPage(x - n, z));
        for (int i = 0; i < n; ++i) {
          leaveLoaded(mScrollBuffer[i]);
          recyclePage(mScrollBuffer[i], -nx * pageSize, 0, -nx, 0);
          setGridPage(i, z, mScrollBuffer[i]);
        }
      }
    }
  }
  // Then along z.
  if (shiftZ != 0) {
    const int n = std::abs(shiftZ);
    for (int x = 0; x < nx; ++x) {
      if (shiftZ > 0) {
        for (int i = 0; i < n; ++i) mScrollBuffer[i] = getGridPage(x, i);
        for (int z = n; z < nz; ++z) setGridPage(x, z - n, getGridPage(x, z));
        for (int i = 0; i < n; ++i) {
          leaveLoaded(mScrollBuffer[i]);
          recyclePage(mScrollBuffer[i], 0, nz * pageSize, 0, nz);
          setGridPage(x, nz - n + i, mScrollBuffer[i]);
        }
      } else {
        for (int i = 0; i < n; ++i) mScrollBuffer[i] = getGridPage(x, nz - n + i);
        for (int z = nz - 1; z >= n; --z) setGridPage(x, z, getGridPage(x, z - n));
        for (int i = 0; i < n; ++i) {
          leaveLoaded(mScrollBuffer[i]);
          recyclePage(mScrollBuffer[i], 0, -nz * pageSize, 0, -nz);
          setGridPage(x, i, mScrollBuffer[i]);
        }
      }
    }
  }
}

GeometryPageManager::CellRange GeometryPageManager::cellsOf(Ogre::Real left, Ogre::Real top, Ogre::Real right,
                                                            Ogre::Real bottom) const {
  auto column = [this](Ogre::Real x) {
    return std::clamp(toIndex(std::floor(mGeomGridX * (x - mGridBounds.left) / mGridBounds.width())), 0,
                      mGeomGridX - 1);
  };
  auto row = [this](Ogre::Real z) {
    return std::clamp(toIndex(std::floor(mGeomGridZ * (z - mGridBounds.top) / mGridBounds.height())), 0,
                      mGeomGridZ - 1);
  };
  return {column(left), row(top), column(right), row(bottom)};
}

void GeometryPageManager::reloadAllPages() {
  for (GeometryPage* page : mLoadedList) unloadPage(page);
  mLoadedList.clear();
}

void GeometryPageManager::reloadPageAt(const Ogre::Vector3& point) {
  const float fx = std::floor(mGeomGridX * (point.x - mGridBounds.left) / mGridBounds.width());
  const float fz = std::floor(mGeomGridZ * (point.z - mGridBounds.top) / mGridBounds.height());
  // Tested as floats: a point far outside (or NaN) never becomes a cell.
  if (!(fx >= 0 && fx < mGeomGridX && fz >= 0 && fz < mGeomGridZ)) return;
  GeometryPage* page = getGridPage(int(fx), int(fz));
  if (page->mLoaded) unloadAndForget(page);
}

void GeometryPageManager::reloadPagesInRadius(const Ogre::Vector3& point, Ogre::Real radius) {
  const CellRange r = cellsOf(point.x - radius, point.z - radius, point.x + radius, point.z + radius);
  for (int x = r.x1; x <= r.x2; ++x) {
    for (int z = r.z1; z <= r.z2; ++z) {
      GeometryPage* page = getGridPage(x, z);
      const Ogre::Real dx = point.x - page->mCenterPoint.x, dz = point.z - page->mCenterPoint.z;
      if (page->mLoaded && dx * dx + dz * dz <= radius * radius) unloadAndForget(page);
    }
  }
}

void GeometryPageManager::reloadPagesInRect(const TBounds& area) {
  const CellRange r = cellsOf(area.left, area.top, area.right, area.bottom);
  for (int x = r.x1; x <= r.x2; ++x)
    for (int z = r.z1; z <= r.z2; ++z)
      if (GeometryPage* page = getGridPage(x, z); page->mLoaded) unloadAndForget(page);
}

void GeometryPageManager::preloadRect(const TBounds& area) {
  const CellRange r =
      cellsOf(area.left - mFarDist, area.top - mFarDist, area.right + mFarDist, area.bottom + mFarDist);
  for (int x = r.x1; x <= r.x2; ++x) {
    for (int z = r.z1; z <= r.z2; ++z) {
      GeometryPage* page = getGridPage(x, z);
      if (!page->mLoaded) {
        loadPage(page);
        addToLoaded(page);
        removeFromPending(page);
      }
      page->mKeepLoaded = true;
    }
  }
}

void GeometryPageManager::keepAllPagesLoaded() {
  for (GeometryPage* page : mGeomGrid) page->mKeepLoaded = true;
}

}  // namespace Verdure
