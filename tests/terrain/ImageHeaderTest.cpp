// The size an image declares, read from its header before anything is
// decoded: every format the engine's codec takes, told apart by content,
// and the headers refused.
#include "TerrainTestSupport.h"
#include "terrain/ImageHeader.h"
#include "terrain/ImageWriter.h"

#include <OgreImage.h>

namespace {

std::string Be16(uint32_t v) { return {char(v >> 8), char(v)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xffff); }
std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
std::string Zeros(size_t count) { return std::string(count, '\0'); }

const std::string kPngSignature = "\x89PNG\r\n\x1A\n";
std::string PngIhdr(uint32_t width, uint32_t height) {
  return Be32(13) + "IHDR" + Be32(width) + Be32(height) + "\x08\x02" + Zeros(3) + Zeros(4);
}
// An uncompressed or run-length TGA header.
std::string TgaHeader(uint32_t width, uint32_t height, char type = 2) {
  return std::string{0, 0, type} + Zeros(9) + Le16(width) + Le16(height) + "\x20\x20";
}
std::string BmpHeader(uint32_t infoSize, const std::string& size) {
  return "BM" + Zeros(8) + Le32({54, infoSize}) + size + Zeros(16);
}
// A JPEG from its start marker to its frame header, the segments between
// given.
std::string Jpeg(const std::string& segments, uint32_t width, uint32_t height) {
  return "\xFF\xD8" + segments + "\xFF\xC0" + Be16(17) + "\x08" + Be16(height) + Be16(width) + "\x03" + Zeros(9);
}

TEST(ImageHeaders, EachFormatDeclaresItsSize) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* format;  // null: refused
    uint32_t width, height;
  };
  const Case cases[] = {
      {"PNG", kPngSignature + PngIhdr(640, 480), "png", 640, 480},
      {"PNG after a CgBI chunk", kPngSignature + Be32(4) + "CgBI" + Zeros(8) + PngIhdr(16384, 16384), "png", 16384,
       16384},
      {"PNG cut in its header", kPngSignature + PngIhdr(640, 480).substr(0, 14), nullptr, 0, 0},
      {"PNG without a header chunk first", kPngSignature + Be32(0) + "IDAT" + Zeros(4), nullptr, 0, 0},
      {"run-length TGA", TgaHeader(16384, 16384, 10), "tga", 16384, 16384},
      {"TGA of no width", TgaHeader(0, 5), nullptr, 0, 0},
      {"TGA cut short", TgaHeader(7, 5).substr(0, 15), nullptr, 0, 0},
      {"BMP stored top row first", BmpHeader(40, Le32({300, uint32_t(-200)})), "bmp", 300, 200},
      {"BMP of the oldest kind", BmpHeader(12, Le16(30) + Le16(20)), "bmp", 30, 20},
      {"BMP of an unknown kind", BmpHeader(20, Le32({3, 3})), nullptr, 0, 0},
      {"GIF", "GIF89a" + Le16(5) + Le16(7) + Zeros(6), "gif", 5, 7},
      {"no GIF version", "GIF88a" + Le16(5) + Le16(7) + Zeros(6), nullptr, 0, 0},
      {"PSD", "8BPS" + Be16(1) + Zeros(6) + Be16(3) + Be32(10) + Be32(20) + Zeros(4), "psd", 20, 10},
      {"PNM with a comment", "P6 # made by hand\n 12\t34\n255\n" + Zeros(8), "ppm", 12, 34},
      {"PNM wider than an int", "P5 99999999999 2 255\n" + Zeros(8), nullptr, 0, 0},
      {"JPEG with fill bytes and tables", Jpeg("\xFF\xE0" + Be16(6) + "JFIF\xFF\xFF\xDB" + Be16(4) + Zeros(2), 64, 48),
       "jpg", 64, 48},
      {"JPEG with padding between segments", Jpeg("\xFF\xFE" + Be16(2) + "pad", 8, 9), "jpg", 8, 9},
      {"JPEG with a scan before its frame", "\xFF\xD8\xFF\xDA" + Be16(8) + Zeros(12), nullptr, 0, 0},
      {"JPEG without a start", "\xFF" + Zeros(20), nullptr, 0, 0},
      // Formats whose headers are not read.
      {"PIC", "\x53\x80\xF6\x34" + Zeros(84) + "PICT" + Be16(4) + Be16(4), nullptr, 0, 0},
      {"HDR", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 4 +X 4\n", nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    ImageHeader header;
    const bool read = ReadImageHeader(c.bytes, header);
    ASSERT_EQ(read, c.format != nullptr) << c.what;
    if (!read) continue;
    EXPECT_EQ(header.Format, c.format) << c.what;
    EXPECT_EQ(header.Width, c.width) << c.what;
    EXPECT_EQ(header.Height, c.height) << c.what;
  }
}

TEST(ImageHeaders, TheSizeReadIsTheSizeTheCodecDecodes) {
  EngineUp engine;
  const std::vector<uint8_t> pixels(37 * 5 * 4, 200);
  Ogre::Image encoded(Ogre::PF_BYTE_RGB, 23, 11);
  const std::string files[] = {EncodePng(37, 5, 4, pixels), EncodeTga(37, 5, pixels),
                               encoded.encode("png")->getAsString()};
  for (const std::string& file : files) {
    ImageHeader header;
    ASSERT_TRUE(ReadImageHeader(file, header));
    Ogre::Image image;
    image.load(Ogre::DataStreamPtr(new Ogre::MemoryDataStream(const_cast<char*>(file.data()), file.size())),
               header.Format);
    EXPECT_EQ(header.Width, image.getWidth()) << header.Format;
    EXPECT_EQ(header.Height, image.getHeight()) << header.Format;
  }
}

}  // namespace
