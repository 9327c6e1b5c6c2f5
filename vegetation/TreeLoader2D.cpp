#include "vegetation/TreeLoader2D.h"

#include "vegetation/PropertyMaps.h"

#include <OgreException.h>

#include <algorithm>
#include <cmath>

namespace Verdure {

namespace {

// The low bits of a value truncated toward zero, so that values past the
// stored range wrap as integers do (-10 degrees of yaw is stored as 249);
// values too large to truncate, and NaN, are stored as 0.
template <typename T>
T lowBits(float v) {
  if (!(std::fabs(v) < 4e18f)) return 0;
  return T(static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
}

float floorDiv(float a, float b) { return std::floor(float(a / b)); }
float ceilDiv(float a, float b) { return std::ceil(float(a / b)); }

// Pages on one side of the grid at most; far more than any world needs.
const float kMaxGridCells = 1 << 20;

// 360 / 255 in single precision.
const float kYawStep = 1.41176474f;

}  // namespace

TreeIterator::TreeIterator(const TreeLoader2D* trees) : mTrees(trees), mKind(trees->mPageGridList.begin()) {
  settle();
}

void TreeIterator::settle() {
  for (; mKind != mTrees->mPageGridList.end(); ++mKind, mCell = 0, mIndex = 0) {
    const TreeLoader2D::PageGrid& grid = mKind->second;
    for (; mCell < int(grid.size()); ++mCell, mIndex = 0) {
      if (mIndex < grid[size_t(mCell)].size()) {
        const float originX = float(mCell % mTrees->mPageGridX) * mTrees->mPageSize + mTrees->mGridBounds.left;
        const float originZ = float(mCell / mTrees->mPageGridX) * mTrees->mPageSize + mTrees->mGridBounds.top;
        mCurrent = mTrees->unpack(mKind->first, grid[size_t(mCell)][mIndex], originX, originZ);
        mHasMore = true;
        return;
      }
    }
  }
  mHasMore = false;
}

void TreeIterator::moveNext() {
  if (!mHasMore)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALID_STATE, "Cannot read past end of TreeIterator list",
                "TreeIterator::moveNext()");
  ++mIndex;
  settle();
}

TreeRecord TreeIterator::getNext() {
  const TreeRecord record = mCurrent;
  moveNext();
  return record;
}

TreeLoader2D::TreeLoader2D(PagedVegetation* vegetation, const TBounds& bounds)
    : mPageSize(vegetation->getPageSize()), mActualBounds(bounds), mGeom(vegetation) {
  // A reversed or endless rectangle has no grid to keep trees in.
  const bool finite = std::isfinite(bounds.left) && std::isfinite(bounds.top) && std::isfinite(bounds.right) &&
                      std::isfinite(bounds.bottom);
  if (!finite || !(bounds.left <= bounds.right && bounds.top <= bounds.bottom))
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "The bounds must be finite with left <= right and top <= bottom",
                "TreeLoader2D::TreeLoader2D()");
  // Widened outward to the vegetation's page grid, so every cell is a page.
  const TBounds& g = vegetation->getBounds();
  mGridBounds.left = g.left + floorDiv(bounds.left - g.left, mPageSize) * mPageSize;
  mGridBounds.top = g.top + floorDiv(bounds.top - g.top, mPageSize) * mPageSize;
  mGridBounds.right = g.left + ceilDiv(bounds.right - g.left, mPageSize) * mPageSize;
  mGridBounds.bottom = g.top + ceilDiv(bounds.bottom - g.top, mPageSize) * mPageSize;
  // One cell more on each axis: a tree on the right or bottom edge lies there.
  const float cellsX = std::ceil(mGridBounds.width() / mPageSize), cellsZ = std::ceil(mGridBounds.height() / mPageSize);
  if (!(cellsX <= kMaxGridCells && cellsZ <= kMaxGridCells))
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "The bounds span too many pages", "TreeLoader2D::TreeLoader2D()");
  mPageGridX = int(cellsX) + 1;
  mPageGridZ = int(cellsZ) + 1;
}

TreeLoader2D::~TreeLoader2D() { releaseColorMap(); }

void TreeLoader2D::setHeightFunction(HeightFunction function, void* userData) {
  mHeightFunction = function;
  mHeightFunctionUserData = userData;
}

float TreeLoader2D::clampX(float x) const {
  // NaN lands on the near edge.
  return !(x >= mActualBounds.left) ? mActualBounds.left : std::min(x, mActualBounds.right);
}

float TreeLoader2D::clampZ(float z) const {
  return !(z >= mActualBounds.top) ? mActualBounds.top : std::min(z, mActualBounds.bottom);
}

int TreeLoader2D::cellOf(float rel, int cells) const {
  // Kept inside the grid: rounding can leave the widened grid's edge a hair
  // past the bound it was widened from, and a tree on that bound in no cell.
  const float f = floorDiv(rel, mPageSize);
  return !(f >= 0) ? 0 : f >= float(cells - 1) ? cells - 1 : int(f);
}

// The tree's offset within its cell in 1/65535 of a page; one a rounding
// error before the cell is stored on its edge.
std::uint16_t TreeLoader2D::offsetIn(float rel, int cell) const {
  return lowBits<std::uint16_t>(std::max(0.0f, (rel - cell * mPageSize) * 65535 / mPageSize));
}

void TreeLoader2D::addTree(Ogre::Entity* entity, const Ogre::Vector3& position, Ogre::Degree yaw, float scale,
                           void*) {
  const float x = clampX(position.x), z = clampZ(position.z);
  PageGrid& grid = mPageGridList[entity];
  if (grid.empty()) grid.resize(size_t(mPageGridX) * size_t(mPageGridZ));

  const float xrel = x - mGridBounds.left, zrel = z - mGridBounds.top;
  const int cellX = cellOf(xrel, mPageGridX), cellZ = cellOf(zrel, mPageGridZ);
  PackedTree tree;
  tree.xPos = offsetIn(xrel, cellX);
  tree.zPos = offsetIn(zrel, cellZ);
  tree.rotation = lowBits<std::uint8_t>(yaw.valueDegrees() / 360.0f * 255);
  tree.scale = lowBits<std::uint8_t>((scale - mMinimumScale) / mScaleRange * 255);
  grid[size_t(cellZ) * size_t(mPageGridX) + size_t(cellX)].push_back(tree);

  mGeom->reloadPageAt(Ogre::Vector3(x, 0, z));
}

TreeRecord TreeLoader2D::unpack(Ogre::Entity* entity, const PackedTree& tree, float originX, float originZ) const {
  const float x = float(tree.xPos) / 65535 * mPageSize + originX;
  const float z = float(tree.zPos) / 65535 * mPageSize + originZ;
  const float y = mHeightFunction ? mHeightFunction(x, z, mHeightFunctionUserData) : 0.0f;
  return TreeRecord(Ogre::Vector3(x, y, z), Ogre::Degree(tree.rotation * kYawStep),
                    tree.scale * (mScaleRange / 255) + mMinimumScale, entity);
}

std::pair<int, int> TreeLoader2D::cellRange(float from, float to, float origin, int cells) const {
  return {cellOf(from - origin, cells), cellOf(to - origin, cells)};
}

template <class Inside>
void TreeLoader2D::removeWhere(Ogre::Entity* type, float left, float top, float right, float bottom, Inside inside) {
  const auto [x1, x2] = cellRange(left, right, mGridBounds.left, mPageGridX);
  const auto [z1, z2] = cellRange(top, bottom, mGridBounds.top, mPageGridZ);
  for (auto& [entity, grid] : mPageGridList) {
    if (type && entity != type) continue;
    for (int z = z1; z <= z2; ++z) {
      for (int x = x1; x <= x2; ++x) {
        TreeList& trees = grid[size_t(z) * size_t(mPageGridX) + size_t(x)];
        const float originX = x * mPageSize + mGridBounds.left, originZ = z * mPageSize + mGridBounds.top;
        bool changed = false;
        for (size_t i = 0; i < trees.size();) {
          const Ogre::Vector3 p = unpack(entity, trees[i], originX, originZ).getPosition();
          if (inside(p.x, p.z)) {
            trees[i] = trees.back();
            trees.pop_back();
            changed = true;
          } else {
            ++i;
          }
        }
        if (changed) mGeom->reloadPageAt(Ogre::Vector3(originX + 0.5f * mPageSize, 0, originZ + 0.5f * mPageSize));
      }
    }
  }
}

void TreeLoader2D::deleteTrees(const Ogre::Vector3& position, float radius, Ogre::Entity* type) {
  const float x = clampX(position.x), z = clampZ(position.z);
  const float radiusSq = radius * radius;
  removeWhere(type, x - radius, z - radius, x + radius, z + radius, [&](float px, float pz) {
    const float dx = px - x, dz = pz - z;
    return dx * dx + dz * dz <= radiusSq;
  });
}

void TreeLoader2D::deleteTrees(const TBounds& area, Ogre::Entity* type) {
  const float left = clampX(area.left), right = clampX(area.right);
  const float top = clampZ(area.top), bottom = clampZ(area.bottom);
  removeWhere(type, left, top, right, bottom, [&](float px, float pz) {
    return left <= px && px <= right && top <= pz && pz <= bottom;
  });
}

void TreeLoader2D::releaseColorMap() {
  if (mColorMap) mColorMap->unload();
  mColorMap = nullptr;
}

void TreeLoader2D::setColorMap(const Ogre::String& mapFile, unsigned channel) {
  releaseColorMap();
  if (mapFile.empty()) return;
  mColorMap = ColorMap::load(mapFile, channel);
  mColorMap->setFilter(mColorMapFilter);
}

void TreeLoader2D::setColorMap(Ogre::Texture* map, unsigned channel) {
  releaseColorMap();
  if (!map) return;
  mColorMap = ColorMap::load(map, channel);
  mColorMap->setFilter(mColorMapFilter);
}

void TreeLoader2D::loadPage(PageRequest& page) {
  page.xIndex -= int(floorDiv(mGridBounds.left, mPageSize));
  page.zIndex -= int(floorDiv(mGridBounds.top, mPageSize));
  if (page.xIndex < 0 || page.zIndex < 0 || page.xIndex >= mPageGridX || page.zIndex >= mPageGridZ) return;
  const size_t cell = size_t(page.zIndex) * size_t(mPageGridX) + size_t(page.xIndex);
  for (const auto& [entity, grid] : mPageGridList) {
    for (const PackedTree& packed : grid[cell]) {
      const TreeRecord tree = unpack(entity, packed, page.bounds.left, page.bounds.top);
      const Ogre::Vector3& p = tree.getPosition();
      const Ogre::ColourValue colour =
          mColorMap ? mColorMap->getColorAt(p.x, p.z, mActualBounds) : Ogre::ColourValue::White;
      addEntity(entity, p, Ogre::Quaternion(tree.getYaw(), Ogre::Vector3::UNIT_Y),
                Ogre::Vector3(tree.getScale(), tree.getScale(), tree.getScale()), colour);
    }
  }
}

}  // namespace Verdure
