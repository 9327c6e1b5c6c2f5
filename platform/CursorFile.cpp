#include "platform/CursorFile.h"

namespace platform {
namespace {

uint32_t U16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

uint32_t Premultiply(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | (r * a / 255) << 16 | (g * a / 255) << 8 | (b * a / 255);
}

}  // namespace

bool DecodeCursor(const std::string& bytes, CursorImage& image, std::string& error) {
  // Icon directory: reserved 0, type 2 (cursor), count; then 16-byte entries.
  if (bytes.size() < 22 || U16(bytes, 0) != 0 || U16(bytes, 2) != 2 || U16(bytes, 4) < 1) {
    error = "not a cursor file";
    return false;
  }
  const uint32_t hotX = U16(bytes, 6 + 4), hotY = U16(bytes, 6 + 6);
  const uint32_t dataSize = U32(bytes, 6 + 8), dataOffset = U32(bytes, 6 + 12);
  if (dataOffset > bytes.size() || dataSize > bytes.size() - dataOffset || dataSize < 40) {
    error = "cursor image outside the file";
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
    error = "unsupported cursor image (" + std::to_string(bpp) + " bits per pixel)";
    return false;
  }
  const uint32_t paletteSize = bpp <= 8 ? (U32(dib, 32) ? U32(dib, 32) : 1u << bpp) : 0;
  const size_t paletteAt = headerSize;
  const size_t pixelsAt = paletteAt + paletteSize * 4;
  const size_t colourStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
  const size_t maskAt = pixelsAt + colourStride * height;
  if (paletteSize > 256 || maskAt + maskStride * height > dib.size()) {
    error = "cursor image data is cut short";
    return false;
  }

  image.width = width;
  image.height = height;
  image.hotspotX = static_cast<int>(hotX);
  image.hotspotY = static_cast<int>(hotY);
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
        // Old cursors leave alpha 0 and rely on the mask alone.
        if (transparent) a = 0;
        else if (a == 0) a = 255;
      } else if (bpp == 24) {
        const size_t p = src + x * 3;
        b = static_cast<unsigned char>(dib[p]);
        g = static_cast<unsigned char>(dib[p + 1]);
        r = static_cast<unsigned char>(dib[p + 2]);
        if (transparent) a = 0;
      } else {
        const size_t bit = static_cast<size_t>(x) * bpp;
        const uint32_t byte = static_cast<unsigned char>(dib[src + bit / 8]);
        const uint32_t index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index >= paletteSize) {
          error = "cursor palette index out of range";
          return false;
        }
        const size_t p = paletteAt + index * 4;
        b = static_cast<unsigned char>(dib[p]);
        g = static_cast<unsigned char>(dib[p + 1]);
        r = static_cast<unsigned char>(dib[p + 2]);
        if (transparent) a = 0;
      }
      image.argb[static_cast<size_t>(row) * width + x] = Premultiply(a, r, g, b);
    }
  }
  return true;
}

}  // namespace platform
