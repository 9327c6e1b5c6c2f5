// The GUI's textures on the game's renderer (OpenGL in a hidden window;
// skipped without an X display): what an upload from memory puts into a
// texture, that no copy of the pixels stays behind (the GUI's own engine
// texture kept one of every font page), and the renderer's texture names.
#include "game/app/GuiResources.h"
#include "tests/support/HeadlessEngine.h"

#include <CEGUI/Exceptions.h>
#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <malloc.h>
#include <vector>

namespace {

class GuiTextures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Ogre::RenderWindow* window = OpenGLEngine("gui_texture.log");
    if (!window) return;
    renderer = &GuiRenderer::Create(*window);
  }
  void SetUp() override {
    if (!renderer) GTEST_SKIP() << "no display";
  }
  static size_t HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
  }

  static GuiRenderer* renderer;
};

GuiRenderer* GuiTextures::renderer = nullptr;

TEST_F(GuiTextures, APageFromMemoryShowsItsPixelsAndLeavesNoCopyBehind) {
  // A font page's size, each pixel different in every channel.
  constexpr unsigned kSide = 512;
  std::vector<uint32_t> page(kSide * kSide);
  for (size_t i = 0; i < page.size(); ++i) page[i] = uint32_t(i * 2654435761u);
  CEGUI::Texture& texture = renderer->createTexture("page", CEGUI::Sizef(kSide, kSide));
  EXPECT_NE(dynamic_cast<GuiTexture*>(&texture), nullptr);

  texture.loadFromMemory(page.data(), CEGUI::Sizef(kSide, kSide), CEGUI::Texture::PF_RGBA);
  const size_t heapAfterFirst = HeapBytes();
  EXPECT_EQ(texture.getSize(), CEGUI::Sizef(kSide, kSide));
  EXPECT_EQ(texture.getOriginalDataSize(), CEGUI::Sizef(kSide, kSide));
  EXPECT_FLOAT_EQ(texture.getTexelScaling().d_x, 1.0f / kSide);
  std::vector<uint32_t> shown(page.size());
  texture.blitToMemory(shown.data());
  EXPECT_EQ(shown, page);

  // Each upload replaces the last; a copy kept per upload would add 1 MB.
  for (int i = 0; i < 20; ++i)
    texture.loadFromMemory(page.data(), CEGUI::Sizef(kSide, kSide), CEGUI::Texture::PF_RGBA);
  EXPECT_LT(HeapBytes(), heapAfterFirst + 5 * 1024 * 1024);
  texture.blitToMemory(shown.data());
  EXPECT_EQ(shown, page);
  renderer->destroyTexture(texture);
}

TEST_F(GuiTextures, TheRendererKnowsItsTexturesByNameWhicheverMadeThem) {
  CEGUI::Texture& own = renderer->createTexture("own");
  EXPECT_TRUE(renderer->isTextureDefined("own"));
  EXPECT_EQ(&renderer->getTexture("own"), &own);
  EXPECT_THROW(renderer->createTexture("own", CEGUI::Sizef(4, 4)), CEGUI::AlreadyExistsException);

  // One made around an engine texture stays the base renderer's.
  Ogre::TexturePtr engine = Ogre::TextureManager::getSingleton().createManual(
      "engine_made", Ogre::RGN_DEFAULT, Ogre::TEX_TYPE_2D, 4, 4, 0, Ogre::PF_BYTE_RGBA);
  CEGUI::Texture& wrapped = renderer->createTexture("wrapped", engine);
  EXPECT_EQ(&renderer->getTexture("wrapped"), &wrapped);
  EXPECT_THROW(renderer->createTexture("wrapped"), CEGUI::AlreadyExistsException);

  renderer->destroyTexture("own");
  renderer->destroyTexture(wrapped);
  EXPECT_FALSE(renderer->isTextureDefined("own"));
  EXPECT_FALSE(renderer->isTextureDefined("wrapped"));
  EXPECT_THROW(renderer->getTexture("own"), CEGUI::UnknownObjectException);
  renderer->createTexture("again");
  renderer->destroyAllTextures();
  EXPECT_FALSE(renderer->isTextureDefined("again"));
}

}  // namespace
