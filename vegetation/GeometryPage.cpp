#include "vegetation/GeometryPage.h"

#include <OgreEntity.h>
#include <OgreMatrix4.h>

namespace Verdure {

GeometryPage::GeometryPage()
    : mCenterPoint(Ogre::Vector3::ZERO), mTrueBounds(Ogre::Vector3(-0.5f), Ogre::Vector3(0.5f)) {}

// The real rotation and scale: a scale written over the rotation's diagonal would give a turned entity a wrong box.
Ogre::Matrix4 placementMatrix(const Ogre::Quaternion& rotation, const Ogre::Vector3& scale) {
  Ogre::Matrix4 m;
  m.makeTransform(Ogre::Vector3::ZERO, scale, rotation);
  return m;
}

void GeometryPage::addEntityToBoundingBox(Ogre::Entity* ent, const Ogre::Vector3& position,
                                          const Ogre::Quaternion& rotation, const Ogre::Vector3& scale) {
  Ogre::AxisAlignedBox box = ent->getBoundingBox();
  box.transform(placementMatrix(rotation, scale));
  const Ogre::Vector3 offset = position - mCenterPoint;
  const Ogre::Vector3 lo = box.getMinimum() + offset, hi = box.getMaximum() + offset;
  if (mTrueBoundsUndefined) {
    mTrueBounds.setExtents(lo, hi);
    mTrueBoundsUndefined = false;
  } else {
    mTrueBounds.merge(Ogre::AxisAlignedBox(lo, hi));
  }
}

void GeometryPage::clearBoundingBox() {
  mTrueBounds.setExtents(Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
  mTrueBoundsUndefined = true;
}

}  // namespace Verdure
