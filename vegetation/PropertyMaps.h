#pragma once
// Property maps: one channel (or the whole colour) of a texture as a value
// that can be looked up at any world point of a rectangle. A DensityMap
// gives 0..1, a ColorMap a colour. Both copy the pixels once and are shared,
// one instance per texture name and channel, reference counted.
#include <OgreColourValue.h>
#include <OgreCommon.h>
#include <OgreHardwareVertexBuffer.h>
#include <OgrePixelFormat.h>

#include <cstdint>
#include <map>
#include <vector>

namespace Verdure {

using TBounds = Ogre::TRect<Ogre::Real>;

// Channels of a property map: red, green, blue, alpha, or the whole colour.
enum MapChannel { CHANNEL_RED, CHANNEL_GREEN, CHANNEL_BLUE, CHANNEL_ALPHA, CHANNEL_COLOR };
// 0 picks the nearest pixel, 1 blends the four around the point.
enum MapFilter { MAPFILTER_NONE, MAPFILTER_BILINEAR };

class DensityMap {
 public:
  // The file is loaded through the texture manager. Each load is matched
  // by one unload.
  static DensityMap* load(const Ogre::String& fileName, unsigned channel = CHANNEL_COLOR);
  static DensityMap* load(Ogre::Texture* texture, unsigned channel = CHANNEL_COLOR);
  // From pixels in memory, registered under name.
  static DensityMap* load(const Ogre::String& name, const Ogre::PixelBox& pixels, unsigned channel);
  void unload();

  void setFilter(unsigned filter) { mFilter = filter; }
  unsigned getFilter() const { return mFilter; }
  // 0 outside the map's bounds.
  float getDensityAt(float x, float z, const TBounds& mapBounds) const;

 private:
  DensityMap(const Ogre::String& key, const Ogre::PixelBox& pixels, unsigned channel);

  Ogre::String mSelfKey;
  unsigned mRefCount = 0;
  unsigned mFilter = MAPFILTER_BILINEAR;
  std::uint32_t mWidth, mHeight;
  std::vector<std::uint8_t> mPixels;
};

class ColorMap {
 public:
  static ColorMap* load(const Ogre::String& fileName, unsigned channel = CHANNEL_COLOR);
  static ColorMap* load(Ogre::Texture* texture, unsigned channel = CHANNEL_COLOR);
  static ColorMap* load(const Ogre::String& name, const Ogre::PixelBox& pixels, unsigned channel);
  void unload();

  void setFilter(unsigned filter) { mFilter = filter; }
  unsigned getFilter() const { return mFilter; }
  // Opaque white outside the map's bounds.
  Ogre::ColourValue getColorAt(float x, float z, const TBounds& mapBounds) const;
  // Packed in the render system's vertex colour order.
  std::uint32_t getColorAtPacked(float x, float z, const TBounds& mapBounds) const;

 private:
  ColorMap(const Ogre::String& key, const Ogre::PixelBox& pixels, unsigned channel);

  Ogre::String mSelfKey;
  unsigned mRefCount = 0;
  unsigned mFilter = MAPFILTER_BILINEAR;
  Ogre::VertexElementType mColourType;
  std::uint32_t mWidth, mHeight;
  std::vector<std::uint32_t> mPixels;
};

}  // namespace Verdure
