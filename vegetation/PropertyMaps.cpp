#include "vegetation/PropertyMaps.h"

#include "vegetation/RenderQueries.h"

#include <OgreException.h>
#include <OgreImage.h>
#include <OgreResourceGroupManager.h>
#include <OgreStringConverter.h>
#include <OgreTexture.h>
#include <OgreTextureManager.h>

#include <algorithm>

namespace Verdure {

namespace {

template <class Map>
std::map<Ogre::String, Map*>& registry() {
  static std::map<Ogre::String, Map*> maps;
  return maps;
}

// The registered map of a key, or a new one made by make; either way one
// reference more.
template <class Map, class Make>
Map* acquire(const Ogre::String& key, Make make) {
  auto& maps = registry<Map>();
  auto it = maps.find(key);
  Map* map = it != maps.end() ? it->second : make();
  if (it == maps.end()) maps[key] = map;
  return map;
}

Ogre::TexturePtr loadTexture(const Ogre::String& fileName) {
  return Ogre::TextureManager::getSingleton().load(fileName, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
}

// The texture's first face, top level, in memory.
Ogre::Image readBack(Ogre::Texture* texture) {
  Ogre::Image image;
  texture->convertToImage(image);
  return image;
}

// Where a point of the bounds falls on a w x h image: the nearest pixel,
// or the four around it with the blend weights. The pixel copy is packed
// row after row, each w pixels long, whatever the render system.
struct Lookup {
  std::uint32_t c0, r0, c1, r1;
  float rx, rz;
};

bool inside(float x, float z, const TBounds& b) { return x >= b.left && x < b.right && z >= b.top && z < b.bottom; }

Lookup nearest(float x, float z, const TBounds& b, std::uint32_t w, std::uint32_t h) {
  const float fx = std::clamp(w * (x - b.left) / b.width(), 0.0f, float(w - 1));
  const float fz = std::clamp(h * (z - b.top) / b.height(), 0.0f, float(h - 1));
  return {std::uint32_t(fx), std::uint32_t(fz), 0, 0, 0, 0};
}

// False from the centre of the last column or row on, where there is no
// pixel beyond to blend with: the caller gives its fallback value there.
// The first half pixel reads the first pixel alone; blending beyond it
// would extrapolate, out of 0..1 for densities and past a byte for colours.
bool bilinear(float x, float z, const TBounds& b, std::uint32_t w, std::uint32_t h, Lookup& l) {
  const float fx = std::max(w * (x - b.left) / b.width() - 0.5f, 0.0f);
  const float fz = std::max(h * (z - b.top) / b.height() - 0.5f, 0.0f);
  l.c0 = std::uint32_t(fx);
  l.r0 = std::uint32_t(fz);
  if (l.c0 + 1 >= w || l.r0 + 1 >= h) return false;
  l.c1 = l.c0 + 1;
  l.r1 = l.r0 + 1;
  l.rx = fx - float(l.c0);
  l.rz = fz - float(l.r0);
  return true;
}

// Blends two packed colours field by field, each field kept in 0..255.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, float r) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float v = float((a >> shift) & 0xFF) * (1 - r) + float((b >> shift) & 0xFF) * r;
    out |= std::uint32_t(std::clamp(v, 0.0f, 255.0f)) << shift;
  }
  return out;
}

// One byte per pixel of an 8-bit channel of the pixels (4: their luminance).
std::vector<std::uint8_t> channelBytes(const Ogre::PixelBox& pixels, unsigned channel, Ogre::PixelFormat whole) {
  const size_t count = pixels.getWidth() * pixels.getHeight();
  std::vector<std::uint8_t> out(count);
  if (channel == CHANNEL_COLOR) {
    Ogre::PixelUtil::bulkPixelConversion(pixels, Ogre::PixelBox(pixels.getWidth(), pixels.getHeight(), 1, whole, out.data()));
    return out;
  }
  std::vector<std::uint8_t> rgba(count * 4);
  Ogre::PixelUtil::bulkPixelConversion(
      pixels, Ogre::PixelBox(pixels.getWidth(), pixels.getHeight(), 1, Ogre::PF_BYTE_RGBA, rgba.data()));
  for (size_t i = 0; i < count; ++i) out[i] = rgba[i * 4 + channel];
  return out;
}

}  // namespace

DensityMap* DensityMap::load(const Ogre::String& fileName, unsigned channel) {
  return load(loadTexture(fileName).get(), channel);
}

DensityMap* DensityMap::load(Ogre::Texture* texture, unsigned channel) {
  const Ogre::String key = texture->getName() + Ogre::StringConverter::toString(channel);
  DensityMap* map = acquire<DensityMap>(key, [&] { return new DensityMap(key, readBack(texture).getPixelBox(), channel); });
  ++map->mRefCount;
  return map;
}

DensityMap* DensityMap::load(const Ogre::String& name, const Ogre::PixelBox& pixels, unsigned channel) {
  const Ogre::String key = name + Ogre::StringConverter::toString(channel);
  DensityMap* map = acquire<DensityMap>(key, [&] { return new DensityMap(key, pixels, channel); });
  ++map->mRefCount;
  return map;
}

DensityMap::DensityMap(const Ogre::String& key, const Ogre::PixelBox& pixels, unsigned channel)
    : mSelfKey(key), mWidth(std::uint32_t(pixels.getWidth())), mHeight(std::uint32_t(pixels.getHeight())) {
  if (channel > CHANNEL_COLOR)
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE, "Invalid channel", "GrassLayer::setDensityMap()");
  mPixels = channelBytes(pixels, channel, Ogre::PF_L8);
}

void DensityMap::unload() {
  if (--mRefCount > 0) return;
  registry<DensityMap>().erase(mSelfKey);
  delete this;
}

float DensityMap::getDensityAt(float x, float z, const TBounds& mapBounds) const {
  if (!inside(x, z, mapBounds) || mPixels.empty()) return 0;
  auto at = [this](std::uint32_t column, std::uint32_t row) { return mPixels[row * mWidth + column] / 255.0f; };
  if (mFilter == MAPFILTER_NONE) {
    const Lookup l = nearest(x, z, mapBounds, mWidth, mHeight);
    return at(l.c0, l.r0);
  }
  Lookup l;
  if (!bilinear(x, z, mapBounds, mWidth, mHeight, l)) return 0;
  const float top = (1 - l.rx) * at(l.c0, l.r0) + l.rx * at(l.c1, l.r0);
  const float bottom = (1 - l.rx) * at(l.c0, l.r1) + l.rx * at(l.c1, l.r1);
  return (1 - l.rz) * top + l.rz * bottom;
}

ColorMap* ColorMap::load(const Ogre::String& fileName, unsigned channel) {
  return load(loadTexture(fileName).get(), channel);
}

ColorMap* ColorMap::load(Ogre::Texture* texture, unsigned channel) {
  const Ogre::String key = texture->getName() + Ogre::StringConverter::toString(channel);
  // A luminance texture has its one channel in red.
  const unsigned read = texture->getFormat() == Ogre::PF_L8 &&
                                RenderQueries::get().getColourVertexType() == Ogre::VET_COLOUR_ABGR &&
                                channel < CHANNEL_COLOR
                            ? unsigned(CHANNEL_RED)
                            : channel;
  ColorMap* map = acquire<ColorMap>(key, [&] { return new ColorMap(key, readBack(texture).getPixelBox(), read); });
  ++map->mRefCount;
  return map;
}

ColorMap* ColorMap::load(const Ogre::String& name, const Ogre::PixelBox& pixels, unsigned channel) {
  const Ogre::String key = name + Ogre::StringConverter::toString(channel);
  ColorMap* map = acquire<ColorMap>(key, [&] { return new ColorMap(key, pixels, channel); });
  ++map->mRefCount;
  return map;
}

ColorMap::ColorMap(const Ogre::String& key, const Ogre::PixelBox& pixels, unsigned channel)
    : mSelfKey(key),
      mColourType(RenderQueries::get().getColourVertexType()),
      mWidth(std::uint32_t(pixels.getWidth())),
      mHeight(std::uint32_t(pixels.getHeight())) {
  if (mColourType != Ogre::VET_COLOUR_ARGB && mColourType != Ogre::VET_COLOUR_ABGR)
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE, "Unknown RenderSystem color format",
                "GrassLayer::setColorMap()");
  if (channel > CHANNEL_COLOR)
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE, "Invalid channel", "ColorMap::ColorMap()");
  mPixels.resize(size_t(mWidth) * mHeight);
  if (channel == CHANNEL_COLOR) {
    const Ogre::PixelFormat format = mColourType == Ogre::VET_COLOUR_ARGB ? Ogre::PF_A8R8G8B8 : Ogre::PF_A8B8G8R8;
    Ogre::PixelUtil::bulkPixelConversion(pixels, Ogre::PixelBox(mWidth, mHeight, 1, format, mPixels.data()));
    return;
  }
  // A grey of the channel, opaque.
  const std::vector<std::uint8_t> bytes = channelBytes(pixels, channel, Ogre::PF_L8);
  for (size_t i = 0; i < bytes.size(); ++i) mPixels[i] = 0xFF000000u | bytes[i] << 16 | bytes[i] << 8 | bytes[i];
}

void ColorMap::unload() {
  if (--mRefCount > 0) return;
  registry<ColorMap>().erase(mSelfKey);
  delete this;
}

std::uint32_t ColorMap::getColorAtPacked(float x, float z, const TBounds& mapBounds) const {
  if (!inside(x, z, mapBounds) || mPixels.empty()) return 0xFFFFFFFFu;
  auto at = [this](std::uint32_t column, std::uint32_t row) { return mPixels[row * mWidth + column]; };
  if (mFilter == MAPFILTER_NONE) {
    const Lookup l = nearest(x, z, mapBounds, mWidth, mHeight);
    return at(l.c0, l.r0);
  }
  Lookup l;
  if (!bilinear(x, z, mapBounds, mWidth, mHeight, l)) return 0xFFFFFFFFu;
  return mix(mix(at(l.c0, l.r0), at(l.c1, l.r0), l.rx), mix(at(l.c0, l.r1), at(l.c1, l.r1), l.rx), l.rz);
}

Ogre::ColourValue ColorMap::getColorAt(float x, float z, const TBounds& mapBounds) const {
  const std::uint32_t c = getColorAtPacked(x, z, mapBounds);
  const bool argb = mColourType == Ogre::VET_COLOUR_ARGB;
  const std::uint32_t red = argb ? (c >> 16) & 0xFF : c & 0xFF;
  const std::uint32_t blue = argb ? c & 0xFF : (c >> 16) & 0xFF;
  return Ogre::ColourValue(red / 255.0f, ((c >> 8) & 0xFF) / 255.0f, blue / 255.0f, (c >> 24) / 255.0f);
}

}  // namespace Verdure
