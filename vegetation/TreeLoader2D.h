#pragma once
// The store of one map's placed grass meshes: per mesh kind, per page, one
// compact record a placement (position within the page in 1/65535 steps,
// yaw in 1/255 of a turn, scale in 1/255 of the scale range above the
// minimum). It is the page loader of a PagedVegetation.
#include "vegetation/PagedVegetation.h"

#include <OgreCommon.h>
#include <OgreMath.h>
#include <OgreVector.h>

#include <cstdint>
#include <map>
#include <vector>

namespace Verdure {

class TreeLoader2D;

// One stored placement, as the loader gives it back.
class TreeRecord {
 public:
  TreeRecord(const Ogre::Vector3& position, Ogre::Degree yaw, float scale, Ogre::Entity* entity, void* userData)
      : mPosition(position), mYaw(yaw), mScale(scale), mEntity(entity), mUserData(userData) {}
  const Ogre::Vector3& getPosition() const { return mPosition; }
  Ogre::Degree getYaw() const { return mYaw; }
  float getScale() const { return mScale; }
  Ogre::Entity* getEntity() const { return mEntity; }
  void* getUserData() const { return mUserData; }

 private:
  Ogre::Vector3 mPosition;
  Ogre::Degree mYaw;
  float mScale;
  Ogre::Entity* mEntity;
  void* mUserData;
};

// Walks every stored placement: kinds in turn, pages row by row.
class TreeIterator {
 public:
  explicit TreeIterator(const TreeLoader2D& loader);
  bool hasMoreElements() const { return mNext < mRecords.size(); }
  TreeRecord getNext() { return mRecords[mNext++]; }

 private:
  std::vector<TreeRecord> mRecords;
  size_t mNext = 0;
};

class TreeLoader2D : public PageLoader {
 public:
  using HeightFunction = float (*)(float x, float z, void* userData);

  // bounds: left, top, right, bottom in world x and z; widened outward to
  // whole pages of the vegetation.
  TreeLoader2D(PagedVegetation* vegetation, const Ogre::TRect<float>& bounds);

  // The y of placed meshes.
  void setHeightFunction(HeightFunction function, void* userData = nullptr);
  float getHeightAt(float x, float z) const;
  void setMinimumScale(float scale) { mMinimumScale = scale; }
  float getMinimumScale() const { return mMinimumScale; }
  void setScaleRange(float range) { mScaleRange = range; }
  float getScaleRange() const { return mScaleRange; }
  const Ogre::TRect<float>& getBounds() const { return mBounds; }

  // Stores a placement; x and z are kept inside the bounds.
  void addTree(Ogre::Entity* entity, const Ogre::Vector3& position, Ogre::Degree yaw = Ogre::Degree(0),
               float scale = 1.0f, void* userData = nullptr);
  // Removes the placements of a kind (every kind when null) within the
  // radius of position (x and z).
  void deleteTrees(const Ogre::Vector3& position, float radius, Ogre::Entity* type = nullptr);
  TreeIterator getTrees() const { return TreeIterator(*this); }

 private:
  friend class TreeIterator;
  struct Compact {
    uint16_t X, Z;  // within the page, 1/65535 of the page size
    uint8_t Yaw;    // 1/255 of a turn
    uint8_t Scale;  // 1/255 of the scale range above the minimum
    void* UserData;
  };
  using Pages = std::vector<std::vector<Compact>>;

  size_t PageIndex(float x, float z) const;
  TreeRecord Expand(Ogre::Entity* entity, size_t page, const Compact& c) const;

  PagedVegetation* mVegetation;
  Ogre::TRect<float> mBounds;
  float mPageSize;
  size_t mPagesX, mPagesZ;
  float mMinimumScale = 0.0f;
  float mScaleRange = 2.0f;
  HeightFunction mHeightFunction = nullptr;
  void* mHeightUserData = nullptr;
  std::map<Ogre::Entity*, Pages> mKinds;
};

}  // namespace Verdure
