#pragma once
// Small image encoders for generated content and the map writer: PNG
// (stored, uncompressed deflate blocks, which every reader accepts) and
// uncompressed TGA.
#include <cstdint>
#include <string>
#include <vector>

// pixels: rows top first, channels 1 (grey), 3 (RGB) or 4 (RGBA) per pixel.
std::string EncodePng(unsigned width, unsigned height, int channels, const std::vector<uint8_t>& pixels);

// pixels: rows top first, RGBA; written as a 32-bit TGA with its origin at
// the top left.
std::string EncodeTga(unsigned width, unsigned height, const std::vector<uint8_t>& pixels);
