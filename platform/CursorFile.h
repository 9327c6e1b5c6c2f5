#pragma once
// Reading ".cur" cursor files: an icon directory whose first image is a DIB
// (1, 4, 8, 24 or 32 bits per pixel with an AND mask) or a PNG-less bitmap.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct CursorImage {
  int width = 0, height = 0;
  int hotspotX = 0, hotspotY = 0;
  std::vector<uint32_t> argb;  // width x height, top row first, premultiplied alpha
};

// Decodes the first image of a cursor file; false (with a reason) when the
// bytes are not a cursor this reader understands.
bool DecodeCursor(const std::string& bytes, CursorImage& image, std::string& error);

}  // namespace platform
