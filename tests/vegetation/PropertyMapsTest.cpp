// Density and colour maps: one shared copy per image and channel, and
// their nearest and bilinear lookups over a world rectangle.
#include "VegetationTestSupport.h"
#include "vegetation/PropertyMaps.h"

#include <OgreException.h>
#include <gtest/gtest.h>

namespace {

using Verdure::ColorMap;
using Verdure::DensityMap;
using Verdure::TBounds;

// A 4 x 2 RGBA image: red rises along a row, green down the rows, blue
// fixed, alpha full; the second row's red is 100 more.
struct Image {
  Ogre::uchar bytes[2][4][4];
  Image() {
    const Ogre::uchar reds[4] = {0, 40, 80, 120};
    for (int z = 0; z < 2; ++z)
      for (int x = 0; x < 4; ++x) {
        bytes[z][x][0] = Ogre::uchar(reds[x] + 100 * z);
        bytes[z][x][1] = Ogre::uchar(50 * z);
        bytes[z][x][2] = 7;
        bytes[z][x][3] = 255;
      }
  }
  Ogre::PixelBox Box() { return Ogre::PixelBox(4, 2, 1, Ogre::PF_BYTE_RGBA, bytes); }
};

const TBounds kBounds(0, 0, 40, 20);  // ten world units a pixel

TEST(PropertyMaps, OneCopyPerImageAndChannelLivesWhileLoaded) {
  Image image;
  DensityMap* red = DensityMap::load("veg_a.png", image.Box(), Verdure::CHANNEL_RED);
  EXPECT_EQ(DensityMap::load("veg_a.png", image.Box(), Verdure::CHANNEL_RED), red);
  DensityMap* grey = DensityMap::load("veg_a.png", image.Box(), Verdure::CHANNEL_COLOR);
  EXPECT_NE(grey, red);
  grey->unload();
  red->unload();
  // One reference is left: it still reads the first image.
  image.bytes[0][1][0] = 255;
  red->setFilter(Verdure::MAPFILTER_NONE);
  EXPECT_NEAR(red->getDensityAt(15, 5, kBounds), 40 / 255.0f, 1e-6f);
  red->unload();
  // Gone: a new load copies the pixels anew.
  DensityMap* fresh = DensityMap::load("veg_a.png", image.Box(), Verdure::CHANNEL_RED);
  fresh->setFilter(Verdure::MAPFILTER_NONE);
  EXPECT_NEAR(fresh->getDensityAt(15, 5, kBounds), 1.0f, 1e-6f);
  fresh->unload();

  EXPECT_THROW(DensityMap::load("veg_b.png", image.Box(), 5), Ogre::IOException);
  EXPECT_THROW(ColorMap::load("veg_b.png", image.Box(), 5), Ogre::IOException);
}

// On the OpenGL render system too, a density map's rows are as long as the
// image is wide and its last column is read: the copy is packed w pixels a
// row, and reading it as w - 1 wide would shear the image a pixel a row.
TEST(PropertyMaps, NearestLookupsReadThePixelUnderThePoint) {
  FakeRenderSystem openGL;
  Image image;
  DensityMap* map = DensityMap::load("veg_near.png", image.Box(), Verdure::CHANNEL_RED);
  map->setFilter(Verdure::MAPFILTER_NONE);
  const struct {
    float x, z, density;
  } cases[] = {
      {0, 0, 0},            // the left and top edges read the first pixel
      {39.9f, 0, 120},      // the last column
      {0, 10, 100},         // the second row starts at pixel 4
      {39.999996f, 19.999998f, 220},
      {40, 5, 0},           // the right and bottom edges are outside
      {5, 20, 0}, {-0.1f, 5, 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(map->getDensityAt(c.x, c.z, kBounds), c.density / 255, 1e-6f) << c.x << ", " << c.z;
  map->unload();
}

TEST(PropertyMaps, BilinearLookupsBlendTheFourPixelsAround) {
  Image image;
  DensityMap* map = DensityMap::load("veg_blend.png", image.Box(), Verdure::CHANNEL_RED);
  const struct {
    float x, z, density;
  } cases[] = {
      {10, 5, 20},   // half way between the first two pixel centres
      {15, 5, 40},   // on a pixel centre
      {15, 10, 90},  // half way down
      {34, 10, 166},  // a tenth short of the last column's centre
      // The first half pixel reads the first pixel, never beyond it.
      {1, 5, 0}, {1, 1, 0},
      // From the last column's or row's centre on there is nothing to blend
      // with: 0.
      {35, 5, 0}, {39, 10, 0}, {15, 15, 0}, {39, 19, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(map->getDensityAt(c.x, c.z, kBounds), c.density / 255, 1e-5f) << c.x << ", " << c.z;
  map->unload();
}

TEST(PropertyMaps, ColourMapsKeepTheirChannelsApartInEitherColourOrder) {
  for (Ogre::VertexElementType order : {Ogre::VET_COLOUR_ABGR, Ogre::VET_COLOUR_ARGB}) {
    FakeRenderSystem system(true, "OpenGL Rendering Subsystem", order);
    Image image;
    ColorMap* map = ColorMap::load("veg_colour.png", image.Box(), Verdure::CHANNEL_COLOR);
    const Ogre::ColourValue pixel = map->getColorAt(15, 10, kBounds);  // half way down the second column
    EXPECT_NEAR(pixel.r, 90 / 255.0f, 1e-6f);
    EXPECT_NEAR(pixel.g, 25 / 255.0f, 1e-6f);
    EXPECT_NEAR(pixel.b, 7 / 255.0f, 1e-6f);
    EXPECT_EQ(pixel.a, 1.0f);
    // Blending never wraps a byte: the first half pixel stays black-red.
    EXPECT_NEAR(map->getColorAt(0.5f, 0.5f, kBounds).r, 0, 1e-6f);
    EXPECT_EQ(map->getColorAt(50, 5, kBounds), Ogre::ColourValue::White);
    EXPECT_EQ(map->getColorAt(15, 15, kBounds), Ogre::ColourValue::White);  // the last row's second half
    map->unload();

    ColorMap* green = ColorMap::load("veg_colour.png", image.Box(), Verdure::CHANNEL_GREEN);
    green->setFilter(Verdure::MAPFILTER_NONE);
    EXPECT_EQ(green->getColorAt(15, 15, kBounds), Ogre::ColourValue(50 / 255.0f, 50 / 255.0f, 50 / 255.0f, 1));
    green->unload();
  }
}

}  // namespace
