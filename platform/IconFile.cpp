#include "platform/IconFile.h"

namespace platform {
namespace {

constexpr uint32_t kIconType = 1, kCursorType = 2;
constexpr size_t kDirectorySize = 6, kEntrySize = 16;

uint32_t U16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

uint32_t Premultiply(uint32_t argb) {
  const uint32_t a = argb >> 24, r = argb >> 16 & 0xff, g = argb >> 8 & 0xff, b = argb & 0xff;
  return a << 24 | (r * a / 255) << 16 | (g * a / 255) << 8 | (b * a / 255);
}

// The number of images of an icon directory of that type; 0 (with a
// reason) when the bytes are not one.
uint32_t ImageCount(const std::string& bytes, uint32_t type, std::string& error) {
  if (bytes.size() < kDirectorySize || U16(bytes, 0) != 0 || U16(bytes, 2) != type || U16(bytes, 4) < 1 ||
      bytes.size() < kDirectorySize + kEntrySize * U16(bytes, 4)) {
    error = type == kCursorType ? "not a cursor file" : "not an icon file";
    return 0;
  }
  return U16(bytes, 4);
}

// Decodes the image of directory entry `index` (straight alpha).
bool DecodeEntry(const std::string& bytes, uint32_t index, IconImage& image, std::string& error) {
  const size_t entry = kDirectorySize + kEntrySize * index;
  const uint32_t dataSize = U32(bytes, entry + 8), dataOffset = U32(bytes, entry + 12);
  if (dataOffset > bytes.size() || dataSize > bytes.size() - dataOffset || dataSize < 40) {
    error = "image outside the file";
    return false;
  }
  const std::string dib = bytes.substr(dataOffset, dataSize);
  const uint32_t headerSize = U32(dib, 0);
  const int32_t width = static_cast<int32_t>(U32(dib, 4));
  const int32_t doubleHeight = static_cast<int32_t>(U32(dib, 8));  // colour rows plus mask rows
  const uint32_t bpp = U16(dib, 14), compression = U32(dib, 16);
  const int32_t height = doubleHeight / 2;
  if (headerSize < 40 || headerSize > dib.size() || width <= 0 || width > 256 || height <= 0 ||
      height > 256 || compression != 0 ||
      !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32)) {
    error = "unsupported image (" + std::to_string(bpp) + " bits per pixel)";
    return false;
  }
  const uint32_t paletteSize = bpp <= 8 ? (U32(dib, 32) ? U32(dib, 32) : 1u << bpp) : 0;
  const size_t paletteAt = headerSize;
  const size_t pixelsAt = paletteAt + paletteSize * 4;
  const size_t colourStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
  const size_t maskAt = pixelsAt + colourStride * height;
  if (paletteSize > 256 || maskAt + maskStride * height > dib.size()) {
    error = "image data is cut short";
    return false;
  }

  image.width = width;
  image.height = height;
  image.argb.assign(static_cast<size_t>(width) * height, 0);
  for (int32_t row = 0; row < height; ++row) {
    const size_t src = pixelsAt + colourStride * (height - 1 - row);  // bottom-up rows
    const size_t mask = maskAt + maskStride * (height - 1 - row);
    for (int32_t x = 0; x < width; ++x) {
      const bool transparent = (static_cast<unsigned char>(dib[mask + x / 8]) >> (7 - x % 8)) & 1;
      uint32_t a = 255, r, g, b;
      if (bpp == 32) {
        const size_t p = src + x * 4;
        b = static_cast<unsigned char>(dib[p]);
        g = static_cast<unsigned char>(dib[p + 1]);
        r = static_cast<unsigned char>(dib[p + 2]);
        a = static_cast<unsigned char>(dib[p + 3]);
        if (a == 0) a = 255;  // old images leave alpha 0 and rely on the mask alone
      } else if (bpp == 24) {
        const size_t p = src + x * 3;
        b = static_cast<unsigned char>(dib[p]);
        g = static_cast<unsigned char>(dib[p + 1]);
        r = static_cast<unsigned char>(dib[p + 2]);
      } else {
        const size_t bit = static_cast<size_t>(x) * bpp;
        const uint32_t byte = static_cast<unsigned char>(dib[src + bit / 8]);
        const uint32_t paletteIndex = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (paletteIndex >= paletteSize) {
          error = "palette index out of range";
          return false;
        }
        const size_t p = paletteAt + paletteIndex * 4;
        b = static_cast<unsigned char>(dib[p]);
        g = static_cast<unsigned char>(dib[p + 1]);
        r = static_cast<unsigned char>(dib[p + 2]);
      }
      image.argb[static_cast<size_t>(row) * width + x] = transparent ? 0 : a << 24 | r << 16 | g << 8 | b;
    }
  }
  return true;
}

}  // namespace

bool DecodeCursor(const std::string& bytes, IconImage& image, std::string& error) {
  if (!ImageCount(bytes, kCursorType, error) || !DecodeEntry(bytes, 0, image, error)) return false;
  const size_t entry = kDirectorySize;
  image.hotspotX = static_cast<int>(U16(bytes, entry + 4));
  image.hotspotY = static_cast<int>(U16(bytes, entry + 6));
  for (uint32_t& pixel : image.argb) pixel = Premultiply(pixel);
  return true;
}

bool DecodeIcon(const std::string& bytes, std::vector<IconImage>& images, std::string& error) {
  const uint32_t count = ImageCount(bytes, kIconType, error);
  images.assign(count, IconImage());
  for (uint32_t i = 0; i < count; ++i)
    if (!DecodeEntry(bytes, i, images[i], error)) return false;
  return count > 0;
}

}  // namespace platform
