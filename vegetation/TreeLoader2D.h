#pragma once
// The page loader of placed meshes ("trees"; here grass tufts) of any
// number of entity kinds, kept compact: one grid of cells per kind whose
// cells are the paged vegetation's pages, each cell a list of six-byte
// records (position within the cell in 1/65535 steps, 8-bit scale, 8-bit
// yaw). A loading page gets every tree of its cell, its height from a
// callback and its colour from an optional colour map.
#include "vegetation/PageLoader.h"
#include "vegetation/PagedVegetation.h"

#include <OgreCommon.h>
#include <OgreMath.h>
#include <OgreVector.h>

#include <cstdint>
#include <map>
#include <vector>

namespace Verdure {

class ColorMap;
class TreeLoader2D;

// One stored tree as the loader gives it back.
class TreeRecord {
 public:
  TreeRecord() = default;
  TreeRecord(const Ogre::Vector3& position, Ogre::Degree yaw, float scale, Ogre::Entity* entity)
      : mPosition(position), mYaw(yaw), mScale(scale), mEntity(entity) {}
  const Ogre::Vector3& getPosition() const { return mPosition; }
  Ogre::Degree getYaw() const { return mYaw; }
  float getScale() const { return mScale; }
  Ogre::Entity* getEntity() const { return mEntity; }

 private:
  Ogre::Vector3 mPosition = Ogre::Vector3::ZERO;
  Ogre::Degree mYaw;
  float mScale = 0;
  Ogre::Entity* mEntity = nullptr;
};

// Six bytes a tree.
struct PackedTree {
  std::uint16_t xPos, zPos;  // within the cell, in 1/65535 of the page size
  std::uint8_t scale;        // 1/255 of the scale range above the minimum
  std::uint8_t rotation;     // 1/255 of a turn
};

// Every stored tree once: kind by kind, cell by cell (x fastest), in list
// order. Valid while the loader's trees do not change.
class TreeIterator {
 public:
  explicit TreeIterator(const TreeLoader2D* trees);
  bool hasMoreElements() const { return mHasMore; }
  TreeRecord getNext();
  TreeRecord peekNext() const { return mCurrent; }
  void moveNext();

 private:
  // Finds the first tree at or after the current place.
  void settle();

  const TreeLoader2D* mTrees;
  std::map<Ogre::Entity*, std::vector<std::vector<PackedTree>>>::const_iterator mKind;
  int mCell = 0;
  size_t mIndex = 0;
  TreeRecord mCurrent;
  bool mHasMore = false;
};

class TreeLoader2D : public PageLoader {
 public:
  using HeightFunction = float (*)(float x, float z, void* userData);

  // bounds: left, top, right, bottom in world x and z; trees are kept
  // inside them, and the grid covers them widened to whole pages. Bounds
  // that are reversed, not finite or more than 2^20 pages across are refused
  // with InvalidParametersException.
  TreeLoader2D(PagedVegetation* vegetation, const TBounds& bounds);
  ~TreeLoader2D() override;

  // Null puts every tree at height 0.
  void setHeightFunction(HeightFunction function, void* userData = nullptr);
  // Both change the unpacking of stored trees too.
  void setScaleRange(float range) { mScaleRange = range; }
  void setMinimumScale(float scale) { mMinimumScale = scale; }
  float getScaleRange() const { return mScaleRange; }
  float getMinimumScale() const { return mMinimumScale; }
  const TBounds& getBounds() const { return mActualBounds; }
  const TBounds& getGridBounds() const { return mGridBounds; }
  int getGridSizeX() const { return mPageGridX; }
  int getGridSizeZ() const { return mPageGridZ; }

  // Stores one tree (x and z clamped into the bounds) and reloads its page.
  // Yaw and scale outside their ranges wrap in their 8 bits.
  void addTree(Ogre::Entity* entity, const Ogre::Vector3& position, Ogre::Degree yaw = Ogre::Degree(0),
               float scale = 1.0f, void* userData = nullptr);
  // Removes the trees of one kind (every kind when null) within the radius,
  // or inside the rectangle, and reloads the pages that changed.
  void deleteTrees(const Ogre::Vector3& position, float radius, Ogre::Entity* type = nullptr);
  void deleteTrees(const TBounds& area, Ogre::Entity* type = nullptr);

  // An empty name (or a null texture) removes the colour map.
  void setColorMap(const Ogre::String& mapFile, unsigned channel = 4);
  void setColorMap(Ogre::Texture* map, unsigned channel = 4);
  // 0 nearest, 1 bilinear; given to colour maps set later.
  void setColorMapFilter(unsigned filter) { mColorMapFilter = filter; }
  ColorMap* getColorMap() const { return mColorMap; }

  TreeIterator getTrees() const { return TreeIterator(this); }

  void loadPage(PageRequest& page) override;

 private:
  friend class TreeIterator;
  using TreeList = std::vector<PackedTree>;
  using PageGrid = std::vector<TreeList>;

  void releaseColorMap();
  float clampX(float x) const;
  float clampZ(float z) const;
  int cellOf(float rel, int cells) const;
  std::uint16_t offsetIn(float rel, int cell) const;
  std::pair<int, int> cellRange(float from, float to, float origin, int cells) const;
  TreeRecord unpack(Ogre::Entity* entity, const PackedTree& tree, float originX, float originZ) const;
  template <class Inside>
  void removeWhere(Ogre::Entity* type, float left, float top, float right, float bottom, Inside inside);

  int mPageGridX = 0, mPageGridZ = 0;
  float mPageSize;
  TBounds mGridBounds;
  TBounds mActualBounds;
  float mScaleRange = 2.0f;
  float mMinimumScale = 0.0f;
  ColorMap* mColorMap = nullptr;
  unsigned mColorMapFilter = 0;
  HeightFunction mHeightFunction = nullptr;
  void* mHeightFunctionUserData = nullptr;
  PagedVegetation* mGeom;
  std::map<Ogre::Entity*, PageGrid> mPageGridList;
};

}  // namespace Verdure
