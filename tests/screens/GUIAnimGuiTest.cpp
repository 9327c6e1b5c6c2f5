#include "GuiTestSystem.h"
#include "screens/GUIAnim.h"
#include "screens/GUIAnimFile.h"
#include "support/TempDir.h"

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

}  // namespace
