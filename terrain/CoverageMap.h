#pragma once
// A byte image kept in memory: the light and colour maps of the terrain's
// vertices, the blend map of the terrain layers and the water's depth alpha.
// The program reads and edits it per pixel; Upload mirrors the current layer
// into an engine texture of the same name, which the map loads and rebuilds
// from memory whenever the engine reloads it.
#include <OgrePixelFormat.h>
#include <OgrePrerequisites.h>
#include <OgreResource.h>
#include <OgreSharedPtr.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Ogre {
class Image;
}

class CGACoverageMap : public Ogre::ManualResourceLoader {
 public:
  // channelCode: 1 to 4 bytes per pixel in red, green, blue, alpha order;
  // -1 to -4 the same counts in blue, green, red, alpha order. Any other code
  // gives a map without pixels. Layer 0 starts all zero and is current.
  CGACoverageMap(const std::string& name, const std::string& group, unsigned width, unsigned height,
                 int channelCode);
  // Removes the texture.
  ~CGACoverageMap() override;
  CGACoverageMap(const CGACoverageMap&) = delete;
  CGACoverageMap& operator=(const CGACoverageMap&) = delete;

  const std::string& GetName() const { return mName; }
  const std::string& GetGroup() const { return mGroup; }
  unsigned GetWidth() const { return mWidth; }
  unsigned GetHeight() const { return mHeight; }
  int GetChannelCode() const { return mChannelCode; }
  // Bytes of one layer: width x height x bytes per pixel.
  size_t GetSize() const { return mSize; }
  Ogre::PixelFormat GetPixelFormat() const { return FormatOfCode(mChannelCode); }

  // Byte c of pixel (x, y) of the current layer, at (y x width + x) x bytes
  // per pixel + c. A read tests only that byte index: beyond the layer reads
  // 0. A write outside the image (x, y or c too large) does nothing, so a
  // brush over the right edge cannot spill into the next row.
  uint8_t GetValue(unsigned x, unsigned y, unsigned c) const;
  void SetValue(unsigned x, unsigned y, unsigned c, uint8_t value);

  // Appends a layer of the fill byte; the current layer stays.
  void AddLayer(uint8_t fill);
  // Makes a layer current; an index beyond the layers changes nothing.
  void SelectLayer(size_t index);
  size_t GetLayerCount() const { return mLayers.size(); }

  uint8_t* GetData() { return mLayers[mCurrent].data(); }
  const uint8_t* GetData() const { return mLayers[mCurrent].data(); }

  // Copies an image of exactly the map's size into the current layer,
  // converting its pixel format to the map's, and uploads it; false (nothing
  // changes) for another size or a format that cannot be converted.
  bool LoadFromImage(const Ogre::Image& image);
  // Points the image at the current layer without copying it: the caller
  // saves it before the layer changes.
  bool SaveToImage(Ogre::Image& image);

  // Copies the current layer into the texture, creating the texture on the
  // first call. Without a render system (tests, tools) there are no
  // textures and this does nothing; nor while another map's texture of the
  // same name is live (the map being replaced).
  void Upload();
  // Copies the pixels of an inclusive rectangle, kept inside the map.
  void UploadRect(int x0, int y0, int x1, int y1);
  const std::string& GetTextureName() const { return mName; }
  // The engine rebuilds the texture: it takes the current layer again.
  void loadResource(Ogre::Resource* resource) override;

  // Whether textures can be made: a render system is running.
  static bool TexturesAvailable();

  static Ogre::PixelFormat FormatOfCode(int channelCode);
  static int CodeOfFormat(Ogre::PixelFormat format);

 private:
  std::string mName;
  std::string mGroup;
  unsigned mWidth;
  unsigned mHeight;
  int mChannelCode;
  size_t mSize;
  size_t mCurrent = 0;
  void Blit(Ogre::Texture& texture) const;

  std::vector<std::vector<uint8_t>> mLayers;
  Ogre::TexturePtr mTexture;
};
