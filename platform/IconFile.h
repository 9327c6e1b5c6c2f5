#pragma once
// Reading ".cur" cursor and ".ico" icon files: an icon directory of images,
// each a DIB (1, 4, 8, 24 or 32 bits per pixel with an AND mask).
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct IconImage {
  int width = 0, height = 0;
  int hotspotX = 0, hotspotY = 0;  // cursors only
  std::vector<uint32_t> argb;      // width x height, top row first
};

// Decodes the first image of a cursor file, its alpha premultiplied (as X
// cursors take it); false (with a reason) when the bytes are not a cursor
// this reader understands.
bool DecodeCursor(const std::string& bytes, IconImage& image, std::string& error);

// Decodes every image of an icon file, in file order, alpha not
// premultiplied; false (with a reason) when the bytes are not an icon this
// reader understands.
bool DecodeIcon(const std::string& bytes, std::vector<IconImage>& images, std::string& error);

// Icon and cursor files of the game hold a few kilobytes; a longer file is
// not read.
constexpr size_t kMaxIconFileBytes = size_t(1) << 20;

}  // namespace platform
