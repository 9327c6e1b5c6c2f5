#include "terrain/CoverageMap.h"

#include <OgreException.h>
#include <OgreHardwarePixelBuffer.h>
#include <OgreImage.h>
#include <OgreResourceGroupManager.h>
#include <OgreRoot.h>
#include <OgreTextureManager.h>

#include <algorithm>
#include <cstdlib>

CGACoverageMap::CGACoverageMap(const std::string& name, const std::string& group, unsigned width,
                               unsigned height, int channelCode)
    : mName(name), mGroup(group), mWidth(width), mHeight(height), mChannelCode(channelCode) {
  const bool known = FormatOfCode(channelCode) != Ogre::PF_UNKNOWN;
  mSize = known ? size_t(width) * height * size_t(std::abs(channelCode)) : 0;
  mLayers.emplace_back(mSize, uint8_t(0));
}

CGACoverageMap::~CGACoverageMap() {
  if (mTexture && Ogre::TextureManager::getSingletonPtr()) Ogre::TextureManager::getSingleton().remove(mTexture);
}

bool CGACoverageMap::TexturesAvailable() {
  Ogre::Root* root = Ogre::Root::getSingletonPtr();
  return root && root->getRenderSystem() && Ogre::TextureManager::getSingletonPtr();
}

void CGACoverageMap::Upload() {
  if (mTexture) {
    Blit(*mTexture);
    return;
  }
  if (!TexturesAvailable() || mSize == 0) return;
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  if (!groups.resourceGroupExists(mGroup)) groups.createResourceGroup(mGroup);
  // A material that names the texture before it exists leaves an empty
  // entry of that name behind; the map's own texture takes its place.
  Ogre::TextureManager& textures = Ogre::TextureManager::getSingleton();
  if (Ogre::TexturePtr named = textures.getByName(mName, mGroup)) {
    // A map read before the one it replaces is cleared: that one keeps its
    // texture, and this map uploads when it is built.
    if (named->isManuallyLoaded()) return;
    textures.remove(named);
  }
  mTexture = textures.createManual(mName, mGroup, Ogre::TEX_TYPE_2D, mWidth, mHeight, 1, 0,
                                                               GetPixelFormat(), Ogre::TU_DYNAMIC_WRITE_ONLY, this);
  // Loading the new texture comes back to loadResource, which uploads.
  mTexture->load();
}

void CGACoverageMap::UploadRect(int x0, int y0, int x1, int y1) {
  if (!mTexture) return;
  auto buffer = mTexture->getBuffer();
  const int lastX = int(mWidth) - 1, lastY = int(mHeight) - 1;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, lastX);
  y1 = std::min(y1, lastY);
  if (!buffer || x0 > x1 || y0 > y1) return;
  const Ogre::Box box(uint32_t(x0), uint32_t(y0), uint32_t(x1 + 1), uint32_t(y1 + 1));
  // Converted into whatever order the texture keeps its bytes in.
  buffer->blitFromMemory(Ogre::PixelBox(mWidth, mHeight, 1, GetPixelFormat(), GetData()).getSubVolume(box), box);
}

void CGACoverageMap::loadResource(Ogre::Resource* resource) {
  auto* texture = static_cast<Ogre::Texture*>(resource);
  texture->createInternalResources();
  Blit(*texture);
}

void CGACoverageMap::Blit(Ogre::Texture& texture) const {
  auto buffer = texture.getBuffer();
  if (buffer) buffer->blitFromMemory(Ogre::PixelBox(mWidth, mHeight, 1, GetPixelFormat(), const_cast<uint8_t*>(GetData())));
}

uint8_t CGACoverageMap::GetValue(unsigned x, unsigned y, unsigned c) const {
  const size_t i = (size_t(y) * mWidth + x) * size_t(std::abs(mChannelCode)) + c;
  return i < mSize ? mLayers[mCurrent][i] : 0;
}

void CGACoverageMap::SetValue(unsigned x, unsigned y, unsigned c, uint8_t value) {
  const size_t channels = size_t(std::abs(mChannelCode));
  if (x >= mWidth || y >= mHeight || c >= channels || mSize == 0) return;
  mLayers[mCurrent][(size_t(y) * mWidth + x) * channels + c] = value;
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
  Upload();
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
