#include "GuiTestSystem.h"
#include "screens/GUIAnim.h"
#include "screens/GUIAnimFile.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <CEGUI/CEGUI.h>
#include <OgreResourceGroupManager.h>
#include <gtest/gtest.h>

namespace {

TEST(GUIAnimManager, CutsTheGameAnimationIntoImages) {
  GuiTestSystem();
  GUIAnimManager anims;
  EXPECT_EQ(GUIAnimManager::Get(), &anims);
  anims.Load(kGUIAnimFile);
  GUIAnim* cooldown = anims.Find("icon_effect_1");
  ASSERT_NE(cooldown, nullptr);
  ASSERT_EQ(cooldown->frames.size(), 8u);
  EXPECT_EQ(cooldown->frameSize, CEGUI::Sizef(64, 64));
  const CEGUI::Image& sixth = CEGUI::ImageManager::getSingleton().get("icon_effect.png/Anim_icon_effect_1_5");
  EXPECT_EQ(cooldown->frames[5], &sixth);
  EXPECT_EQ(sixth.getRenderedSize(), CEGUI::Sizef(64, 64));
  EXPECT_EQ(anims.Find("nothing"), nullptr);
}

TEST(GUIAnimManager, ALaterEntryWithTheSameIdWins) {
  GuiTestSystem();
  TempDir dir;
  dir.write("anim_test.xml",
            "<GUIAnims>"
            "<Anim ID=\"x\" Image=\"icon_effect.png\" Size=\"w:64 h:64\" Start=\"x:0 y:0\" End=\"x:192 y:0\" "
            "LastTime=\"50\"/>"
            "<Anim ID=\"x\" Image=\"icon_effect.png\" Size=\"w:64 h:64\" Start=\"x:64 y:64\" End=\"x:64 y:64\" "
            "LastTime=\"70\"/>"
            "<Anim ID=\"stuck\" Image=\"icon_effect.png\" Size=\"w:0 h:64\" Start=\"x:0 y:0\" End=\"x:64 y:0\" "
            "LastTime=\"70\"/>"
            "<Anim ID=\"lost\" Image=\"missing.png\" Size=\"w:8 h:8\" Start=\"x:0 y:0\" End=\"x:0 y:0\" "
            "LastTime=\"70\"/>"
            "</GUIAnims>");
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(dir.path(), "FileSystem", "AnimTest");
  GUIAnimManager anims;
  anims.Load("anim_test.xml");
  groups.removeResourceLocation(dir.path(), "AnimTest");
  GUIAnim* x = anims.Find("x");
  ASSERT_NE(x, nullptr);
  ASSERT_EQ(x->frames.size(), 1u);
  EXPECT_EQ(x->lastTime, 70);
  EXPECT_EQ(x->CurrentFrame(), x->frames[0]);
  EXPECT_EQ(anims.Find("stuck"), nullptr);
  EXPECT_EQ(anims.Find("lost"), nullptr);

  anims.Load("no_such_file.xml");  // nothing changes
  EXPECT_NE(anims.Find("x"), nullptr);
}

// Each animation stays within its own bound, yet a file of thousands of them
// once took 36 s and 1.78 GB: the frames of all animations are bounded too.
TEST(GUIAnimManager, TheFramesOfAllAnimationsAreBounded) {
  GuiTestSystem();
  LogLines log;
  TempDir dir;
  std::string file = "<GUIAnims>\n";
  for (int i = 0; i < 10; ++i)  // 1024 frames each
    file += "<Anim ID=\"big" + std::to_string(i) +
            "\" Image=\"icon_effect.png\" Size=\"w:1 h:1\" Start=\"x:0 y:0\" End=\"x:31 y:31\" LastTime=\"1\"/>\n";
  dir.write("many_anims.xml", file + "</GUIAnims>");
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(dir.path(), "FileSystem", "AnimTest");
  GUIAnimManager anims;
  anims.Load("many_anims.xml");
  groups.removeResourceLocation(dir.path(), "AnimTest");
  for (int i = 0; i < 8; ++i) {
    const GUIAnim* anim = anims.Find("big" + std::to_string(i));
    ASSERT_NE(anim, nullptr) << i;
    EXPECT_EQ(anim->frames.size(), 1024u);
  }
  EXPECT_EQ(anims.Find("big8"), nullptr);
  EXPECT_EQ(anims.Find("big9"), nullptr);
  EXPECT_TRUE(log.Has({"many_anims.xml:10: ", "\"big8\" and the 1 after it left out", "8192 frames"})) << log.All();
}

}  // namespace
