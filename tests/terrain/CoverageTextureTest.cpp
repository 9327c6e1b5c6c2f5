// The coverage maps' textures on the game's renderer (OpenGL in a hidden
// window; skipped without an X display): what the editor's uploads put into
// a texture, read back from it.
#include "terrain/CoverageMap.h"
#include "terrain/MapReader.h"
#include "terrain/TerrainManager.h"
#include "terrain/TerrainWater.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class CoverageTexture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OpenGLEngine("coverage_texture.log")) GTEST_SKIP() << "no display";
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    if (!groups.resourceGroupExists("Coverage")) groups.createResourceGroup("Coverage");
  }
};

// The texture's pixels, as RGBA bytes.
std::vector<uint8_t> Shown(const std::string& name, const std::string& group, unsigned width, unsigned height) {
  Ogre::TexturePtr texture = Ogre::TextureManager::getSingleton().getByName(name, group);
  std::vector<uint8_t> shown(size_t(width) * height * 4);
  if (texture) texture->getBuffer()->blitToMemory(Ogre::PixelBox(width, height, 1, Ogre::PF_BYTE_RGBA, shown.data()));
  return shown;
}

TEST_F(CoverageTexture, ARectangleUploadsItsPixelsInTheirOwnOrder) {
  // Seven pixels a row, so a row is no multiple of eight bytes; each pixel
  // different in every channel.
  constexpr unsigned kWidth = 7, kHeight = 5;
  CGACoverageMap map("coverage_rect", "Coverage", kWidth, kHeight, 4);
  map.Upload();
  for (unsigned y = 0; y < kHeight; ++y)
    for (unsigned x = 0; x < kWidth; ++x)
      for (unsigned c = 0; c < 4; ++c) map.SetValue(x, y, c, uint8_t(1 + 40 * c + 7 * y + x));
  map.UploadRect(2, 1, 5, 3);

  ASSERT_TRUE(Ogre::TextureManager::getSingleton().getByName("coverage_rect", "Coverage"));
  const std::vector<uint8_t> shown = Shown("coverage_rect", "Coverage", kWidth, kHeight);
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      const bool inside = x >= 2 && x <= 5 && y >= 1 && y <= 3;
      for (unsigned c = 0; c < 4; ++c)
        EXPECT_EQ(shown[(y * kWidth + x) * 4 + c], inside ? map.GetValue(x, y, c) : 0)
            << "pixel " << x << ", " << y << " channel " << c;
    }
  }
}

// An image read into a map shows in the map's texture at once. A map read
// while the one it replaces still holds the texture of that name leaves
// that texture alone, and shows its own once the other is gone.
TEST_F(CoverageTexture, ALoadedImageShowsAtOnce) {
  constexpr unsigned kWidth = 3, kHeight = 2;
  std::vector<uint8_t> pixels(kWidth * kHeight * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(10 + 9 * i);
  Ogre::Image image;
  image.loadDynamicImage(pixels.data(), kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA);

  auto replaced = std::make_unique<CGACoverageMap>("coverage_image", "Coverage", kWidth, kHeight, 4);
  ASSERT_TRUE(replaced->LoadFromImage(image));
  EXPECT_EQ(Shown("coverage_image", "Coverage", kWidth, kHeight), pixels);

  CGACoverageMap next("coverage_image", "Coverage", kWidth, kHeight, 4);
  std::vector<uint8_t> inverted(pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) inverted[i] = uint8_t(255 - pixels[i]);
  Ogre::Image second;
  second.loadDynamicImage(inverted.data(), kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA);
  ASSERT_TRUE(next.LoadFromImage(second));
  EXPECT_EQ(Shown("coverage_image", "Coverage", kWidth, kHeight), pixels);
  replaced.reset();
  next.Upload();
  EXPECT_EQ(Shown("coverage_image", "Coverage", kWidth, kHeight), inverted);
}

// The editor's refresh after painting shows the whole blend map, and the
// water's clear shallows follow the heights.
TEST_F(CoverageTexture, RefreshingTheWaterShowsTheBlendMapAndTheNewDepths) {
  Ogre::SceneManager* scene = Ogre::Root::getSingleton().createSceneManager();
  {
    // 16 x 16 vertices one world unit apart, level ground at 0.
    CGATerrainManager terrain(scene, false);
    CGAMapData map;
    std::string error;
    ASSERT_TRUE(CGAMapReader::SetLayout(map, 16, 16, 16, 1, 1, error)) << error;
    map.Heights.assign(16 * 16, 0);
    map.Material = std::make_unique<CGATerrainMaterial>(15, 15);
    ASSERT_TRUE(terrain.InstallMap(std::move(map)));
    CGACoverageMap& blend = *terrain.GetMaterial()->GetBlendMap();
    blend.Upload();
    // Water at 18: three units deep and more everywhere. The map owns it.
    (new CGATerrainWater(scene, 16, 16))->UpdateAlphaMap();
    EXPECT_EQ(Shown("Water_Alpha_H", "General", 32, 32)[(9 * 32 + 7) * 4 + 3], 150);

    blend.SetValue(5, 6, 0, 77);
    for (int vz = 0; vz < 16; ++vz)
      for (int vx = 0; vx < 16; ++vx) terrain.SetRawHeight(vx, vz, 250 * 20.0f);  // above the water
    terrain.RefreshWater();
    const std::vector<uint8_t> blendShown = Shown("BlendTerrain", "General", 64, 64);
    EXPECT_EQ(blendShown[(6 * 64 + 5) * 4], 77);
    EXPECT_EQ(blendShown[(6 * 64 + 5) * 4 + 3], 255);
    // Dry ground everywhere.
    const std::vector<uint8_t> alpha = Shown("Water_Alpha_H", "General", 32, 32);
    for (size_t pixel = 0; pixel < 32 * 32; ++pixel) ASSERT_EQ(alpha[pixel * 4 + 3], 25) << "pixel " << pixel;
    terrain.ClearMap();
  }
  Ogre::Root::getSingleton().destroySceneManager(scene);
}

}  // namespace
