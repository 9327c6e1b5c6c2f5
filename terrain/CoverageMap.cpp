#include "terrain/CoverageMap.h"

#include <OgreException.h>
#include <OgreImage.h>

#include <cstdlib>

CGACoverageMap::CGACoverageMap(const std::string& name, const std::string& group, unsigned width,
                               unsigned height, int channelCode)
    : mName(name), mGroup(group), mWidth(width), mHeight(height), mChannelCode(channelCode) {
  const bool known = FormatOfCode(channelCode) != Ogre::PF_UNKNOWN;
  mSize = known ? size_t(width) * height * size_t(std::abs(channelCode)) : 0;
  mLayers.emplace_back(mSize, uint8_t(0));
}

uint8_t CGACoverageMap::GetValue(unsigned x, unsigned y, unsigned c) const {
  const size_t i = (size_t(y) * mWidth + x) * size_t(std::abs(mChannelCode)) + c;
  return i < mSize ? mLayers[mCurrent][i] : 0;
}

void CGACoverageMap::SetValue(unsigned x, unsigned y, unsigned c, uint8_t value) {
  const size_t i = (size_t(y) * mWidth + x) * size_t(std::abs(mChannelCode)) + c;
  if (i < mSize) mLayers[mCurrent][i] = value;
}

void CGACoverageMap::AddLayer(uint8_t fill) { mLayers.emplace_back(mSize, fill); }

void CGACoverageMap::SelectLayer(size_t index) {
  if (index < mLayers.size()) mCurrent = index;
}

bool CGACoverageMap::LoadFromImage(const Ogre::Image& image) {
  if (image.getWidth() != mWidth || image.getHeight() != mHeight || mSize == 0) return false;
  // Converting rather than copying keeps any image format (grey, with or
  // without alpha, blue first) inside the layer and in the layer's order.
  Ogre::PixelBox target(mWidth, mHeight, 1, GetPixelFormat(), GetData());
  try {
    Ogre::PixelUtil::bulkPixelConversion(image.getPixelBox(), target);
  } catch (const Ogre::Exception&) {
    return false;
  }
  return true;
}

bool CGACoverageMap::SaveToImage(Ogre::Image& image) {
  image.loadDynamicImage(GetData(), mWidth, mHeight, 1, GetPixelFormat(), false);
  return true;
}

Ogre::PixelFormat CGACoverageMap::FormatOfCode(int channelCode) {
  switch (channelCode) {
    case 1:
    case -1: return Ogre::PF_A8;
    case 2:
    case -2: return Ogre::PF_BYTE_LA;
    case 3: return Ogre::PF_B8G8R8;
    case 4: return Ogre::PF_A8B8G8R8;
    case -3: return Ogre::PF_R8G8B8;
    case -4: return Ogre::PF_A8R8G8B8;
    default: return Ogre::PF_UNKNOWN;
  }
}

int CGACoverageMap::CodeOfFormat(Ogre::PixelFormat format) {
  switch (format) {
    case Ogre::PF_A8: return 1;
    case Ogre::PF_BYTE_LA: return 2;
    case Ogre::PF_B8G8R8: return 3;
    case Ogre::PF_A8B8G8R8: return 4;
    case Ogre::PF_R8G8B8: return -3;
    case Ogre::PF_A8R8G8B8: return -4;
    default: return 0;
  }
}
