// The coverage maps' textures on the game's renderer (OpenGL in a hidden
// window; skipped without an X display): what the editor's rectangle uploads
// put into a texture, read back from it.
#include "terrain/CoverageMap.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TEST(CoverageTexture, ARectangleUploadsItsPixelsInTheirOwnOrder) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  (new Ogre::LogManager())->createLog("coverage_texture.log", true, false, false);
  auto* root = new Ogre::Root("", "", "");
  root->loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/RenderSystem_GL");
  root->setRenderSystem(root->getAvailableRenderers().front());
  root->initialise(false);
  Ogre::NameValuePairList hidden{{"hidden", "true"}};
  root->createRenderWindow("coverage", 32, 32, false, &hidden);
  Ogre::ResourceGroupManager::getSingleton().createResourceGroup("Coverage");

  // Seven pixels a row, so a row is no multiple of eight bytes; each pixel
  // different in every channel.
  constexpr unsigned kWidth = 7, kHeight = 5;
  CGACoverageMap map("coverage_rect", "Coverage", kWidth, kHeight, 4);
  map.Upload();
  for (unsigned y = 0; y < kHeight; ++y)
    for (unsigned x = 0; x < kWidth; ++x)
      for (unsigned c = 0; c < 4; ++c) map.SetValue(x, y, c, uint8_t(1 + 40 * c + 7 * y + x));
  map.UploadRect(2, 1, 5, 3);

  Ogre::TexturePtr texture = Ogre::TextureManager::getSingleton().getByName("coverage_rect", "Coverage");
  ASSERT_TRUE(texture);
  std::vector<uint8_t> shown(kWidth * kHeight * 4);
  texture->getBuffer()->blitToMemory(Ogre::PixelBox(kWidth, kHeight, 1, Ogre::PF_BYTE_RGBA, shown.data()));
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      const bool inside = x >= 2 && x <= 5 && y >= 1 && y <= 3;
      for (unsigned c = 0; c < 4; ++c)
        EXPECT_EQ(shown[(y * kWidth + x) * 4 + c], inside ? map.GetValue(x, y, c) : 0)
            << "pixel " << x << ", " << y << " channel " << c;
    }
  }
}

}  // namespace
