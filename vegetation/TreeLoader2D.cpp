#include "vegetation/TreeLoader2D.h"

#include <algorithm>
#include <cmath>

namespace Verdure {

namespace {

// A value in [0, 1] as an integer step of 0 .. steps.
template <typename T>
T Quantise(float fraction, float steps) {
  return T(std::lround(std::clamp(fraction, 0.0f, 1.0f) * steps));
}

}  // namespace

TreeIterator::TreeIterator(const TreeLoader2D& loader) {
  for (const auto& [entity, pages] : loader.mKinds)
    for (size_t page = 0; page < pages.size(); ++page)
      for (const TreeLoader2D::Compact& c : pages[page]) mRecords.push_back(loader.Expand(entity, page, c));
}

TreeLoader2D::TreeLoader2D(PagedVegetation* vegetation, const Ogre::TRect<float>& bounds)
    : mVegetation(vegetation), mPageSize(vegetation && vegetation->getPageSize() > 0 ? vegetation->getPageSize() : 1.0f) {
  mBounds.left = std::floor(bounds.left / mPageSize) * mPageSize;
  mBounds.top = std::floor(bounds.top / mPageSize) * mPageSize;
  mBounds.right = std::max(mBounds.left + mPageSize, std::ceil(bounds.right / mPageSize) * mPageSize);
  mBounds.bottom = std::max(mBounds.top + mPageSize, std::ceil(bounds.bottom / mPageSize) * mPageSize);
  mPagesX = size_t(std::lround((mBounds.right - mBounds.left) / mPageSize));
  mPagesZ = size_t(std::lround((mBounds.bottom - mBounds.top) / mPageSize));
}

void TreeLoader2D::setHeightFunction(HeightFunction function, void* userData) {
  mHeightFunction = function;
  mHeightUserData = userData;
}

float TreeLoader2D::getHeightAt(float x, float z) const {
  return mHeightFunction ? mHeightFunction(x, z, mHeightUserData) : 0.0f;
}

size_t TreeLoader2D::PageIndex(float x, float z) const {
  const size_t px = std::min(size_t((x - mBounds.left) / mPageSize), mPagesX - 1);
  const size_t pz = std::min(size_t((z - mBounds.top) / mPageSize), mPagesZ - 1);
  return pz * mPagesX + px;
}

void TreeLoader2D::addTree(Ogre::Entity* entity, const Ogre::Vector3& position, Ogre::Degree yaw, float scale,
                           void* userData) {
  // Inside the bounds (a NaN lands on the near edge).
  const float x = std::clamp(std::isnan(position.x) ? mBounds.left : position.x, mBounds.left, mBounds.right);
  const float z = std::clamp(std::isnan(position.z) ? mBounds.top : position.z, mBounds.top, mBounds.bottom);
  const size_t page = PageIndex(x, z);
  const float pageLeft = mBounds.left + float(page % mPagesX) * mPageSize;
  const float pageTop = mBounds.top + float(page / mPagesX) * mPageSize;
  float turns = yaw.valueDegrees() / 360.0f;
  turns = std::isfinite(turns) ? turns - std::floor(turns) : 0.0f;
  Compact c;
  c.X = Quantise<uint16_t>((x - pageLeft) / mPageSize, 65535.0f);
  c.Z = Quantise<uint16_t>((z - pageTop) / mPageSize, 65535.0f);
  c.Yaw = Quantise<uint8_t>(turns, 255.0f);
  c.Scale = Quantise<uint8_t>(mScaleRange > 0 ? (scale - mMinimumScale) / mScaleRange : 0.0f, 255.0f);
  c.UserData = userData;
  Pages& pages = mKinds[entity];
  pages.resize(mPagesX * mPagesZ);
  pages[page].push_back(c);
}

void TreeLoader2D::deleteTrees(const Ogre::Vector3& position, float radius, Ogre::Entity* type) {
  for (auto& [entity, pages] : mKinds) {
    if (type && entity != type) continue;
    for (size_t page = 0; page < pages.size(); ++page) {
      std::vector<Compact>& records = pages[page];
      records.erase(std::remove_if(records.begin(), records.end(),
                                   [&, kind = entity](const Compact& c) {
                                     const Ogre::Vector3 p = Expand(kind, page, c).getPosition();
                                     const float dx = p.x - position.x, dz = p.z - position.z;
                                     return dx * dx + dz * dz <= radius * radius;
                                   }),
                    records.end());
    }
  }
}

TreeRecord TreeLoader2D::Expand(Ogre::Entity* entity, size_t page, const Compact& c) const {
  const float x = mBounds.left + (float(page % mPagesX) + c.X / 65535.0f) * mPageSize;
  const float z = mBounds.top + (float(page / mPagesX) + c.Z / 65535.0f) * mPageSize;
  return TreeRecord(Ogre::Vector3(x, getHeightAt(x, z), z), Ogre::Degree(c.Yaw / 255.0f * 360.0f),
                    mMinimumScale + c.Scale / 255.0f * mScaleRange, entity, c.UserData);
}

}  // namespace Verdure
