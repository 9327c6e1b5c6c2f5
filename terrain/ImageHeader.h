#pragma once
// The pixel size an image file declares, read from its header without
// decoding a pixel: a decoder allocates by that size, so a small file may
// declare a huge image. The formats are those of the engine's image codec,
// which tells them apart by their content whatever the file is called, and
// tries them in the order JPEG, PNG, BMP, GIF, PSD, PIC, PNM, HDR and TGA
// last (TGA has no mark of its own). The header is read in that order, so
// it describes the image the codec would decode. PIC and HDR are not read:
// their headers are refused.
#include <cstdint>
#include <string>

struct ImageHeader {
  // The codec's name of the format ("jpg", "png", "bmp", "gif", "psd",
  // "ppm" or "tga"): decoding under this name decodes what was read here.
  std::string Format;
  uint32_t Width = 0;
  uint32_t Height = 0;
};

// False when the bytes hold no header of those formats, a cut one, or one
// that declares no pixels.
bool ReadImageHeader(const std::string& bytes, ImageHeader& header);
