#pragma once
// One square page of a detail level: the per-page state the page manager
// keeps, and the operations it calls. The page types (BatchPage,
// WindBatchPage) fill, show, hide and fade the content.
#include <OgreAny.h>
#include <OgreAxisAlignedBox.h>
#include <OgreColourValue.h>
#include <OgreCommon.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <list>

namespace Verdure {

class PagedVegetation;

class GeometryPage {
 public:
  GeometryPage();
  virtual ~GeometryPage() = default;

  // Once, right after the page is made.
  virtual void init(PagedVegetation* vegetation, const Ogre::Any& data) = 0;
  // Before every load, with the page's square.
  virtual void setRegion(Ogre::Real /*left*/, Ogre::Real /*top*/, Ogre::Real /*right*/, Ogre::Real /*bottom*/) {}
  virtual void addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                         const Ogre::Vector3& scale, const Ogre::ColourValue& colour) = 0;
  // After the loader has added everything.
  virtual void build() {}
  virtual void removeEntities() = 0;
  virtual void setFade(bool enabled, Ogre::Real visibleDist = 0, Ogre::Real invisibleDist = 0) = 0;
  virtual void setVisible(bool visible) = 0;
  // Each frame while loaded.
  virtual void update() {}
  // The content's box, relative to the page centre.
  virtual const Ogre::AxisAlignedBox& getBoundingBox() { return mTrueBounds; }
  virtual void addEntityToBoundingBox(Ogre::Entity* ent, const Ogre::Vector3& position,
                                      const Ogre::Quaternion& rotation, const Ogre::Vector3& scale);
  virtual void clearBoundingBox();

  const Ogre::Vector3& getCenter() const { return mCenterPoint; }
  int getPageX() const { return mXIndex; }
  int getPageZ() const { return mZIndex; }
  bool isLoaded() const { return mLoaded; }
  bool isPending() const { return mPending; }
  bool isVisible() const { return mVisible; }
  bool isFading() const { return mFadeEnable; }
  bool isStale() const { return mNeedsUnload; }
  bool isPinned() const { return mKeepLoaded; }
  Ogre::uint32 getIdleTime() const { return mInactiveTime; }

 private:
  friend class GeometryPageManager;

  Ogre::Vector3 mCenterPoint;
  int mXIndex = 0, mZIndex = 0;
  Ogre::uint32 mInactiveTime = 0;
  bool mVisible = false;
  bool mFadeEnable = false;
  bool mPending = false;
  bool mLoaded = false;
  bool mNeedsUnload = false;
  bool mKeepLoaded = false;
  std::list<GeometryPage*>::iterator mIter;  // place in the loaded list while loaded
  Ogre::AxisAlignedBox mTrueBounds;
  bool mTrueBoundsUndefined = true;
  void* mUserData = nullptr;
  Ogre::uint32 mFlags = 0;
  bool mHasFlags = false;
};

// The transform of a placed entity without its position: rotation, then
// scale along the entity's own axes.
Ogre::Matrix4 placementMatrix(const Ogre::Quaternion& rotation, const Ogre::Vector3& scale);

}  // namespace Verdure
