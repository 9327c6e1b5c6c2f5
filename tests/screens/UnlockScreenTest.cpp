// The unlock screen on the GUI library's null renderer, with the game's own
// "unlock.layout" and "lock.xml" (swordsman, farmer, archer, priest), unit
// types of a stand-in battlefield, injected clicks and real record files.
#include "GuiTestSystem.h"
#include "ScreenFixture.h"
#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "screens/GUILock.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GUIRecruit.h"
#include "screens/GUIStart.h"
#include "screens/LevelState.h"
#include "tests/support/LogLines.h"
#include "units/UnitManager.h"

#include <CEGUI/CEGUI.h>
#include <OgreResourceGroupManager.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

// One level of one wave of one goblin, which opens no recruit panel.
const char* const kLevelFile =
    "<levels><level id=\"demo_flat\" money=\"1500\" food=\"0\" name=\"第一关\" music=\"m.wav\" win=\"赢了\" "
    "defeat=\"输了\" gold_rat=\"30\" silver_rat=\"60\"><des>x</des><units/><assaults><assault time=\"1\" "
    "recruit=\"0\" stop=\"0\" text=\"来了\" sound=\"\" x=\"60\" y=\"48\" width=\"0\" height=\"0\" t_x=\"4\" "
    "t_y=\"48\"><enemy id=\"goblin\" num=\"1\"/></assault></assaults></level></levels>";

class UnlockScreen : public ScreenFixture {
 protected:
  void SetUp() override {
    PlayerRecord.Gold = 500;
    levels.files[LevelFileName(1)] = kLevelFile;
    // In unit.xml's order; swordsman and farmer cost nothing.
    AddType("swordsman", 0, 0).name = "剑士";
    AddType("farmer", 0, 1);
    AddType("archer", 100, 2).name = "弓箭手";
    AddType("priest", 200, 3).lock_0 = "archer";
    battlefield.AddType("goblin", 10);
    BuildScreens();
    screen = manager->GetUnlockScreen();
    PlayerName = "abc";  // as if chosen on the start screen
    host.calls.clear();
  }

  UnitTemplate& AddType(const std::string& name, int gold, int index) {
    UnitTemplate& t = battlefield.AddType(name, 50, gold == 0);
    t.gold = gold;
    t.index = index;
    t.icon = "1 0 0";
    return t;
  }
  UnitTemplate& Type(const std::string& name) { return battlefield.types.at(name); }

  CEGUI::Window* ScreenRoot() const override { return screen->GetRoot(); }
  CGAGUIIconEx* Icon(const std::string& type) {
    for (const auto& icon : screen->GetIcons())
      if (icon->GetUnit()->Name == type) return icon.get();
    return nullptr;
  }
  void ClickIcon(const std::string& type) { Click(Icon(type)->GetWindow()); }

  void OpenFromStart() {
    CEGUI::Window* start = manager->GetStartScreen()->GetRoot();
    if (start->getChild("logo")->isVisible()) Click(start->getChild("logo"));
    Click(start->getChild("lock"));
    ASSERT_EQ(Context().getRootWindow(), screen->GetRoot());
  }
  static bool Masked(const CGAGUIIconEx* icon) { return icon->GetItem()->GetMask() != nullptr; }
  static std::string Number(const CGAGUIIconEx* icon) { return icon->GetItem()->getText().c_str(); }

  CGAGUILock* screen = nullptr;
};

TEST_F(UnlockScreen, TheLayoutHostsAnIconForEachEntryOfTheUnlockList) {
  EXPECT_EQ(screen->GetRoot()->getName(), "Root");
  for (const char* name : {"Root/unlock/gold", "Root/unlock/Text", "Root/unlock/ok"})
    EXPECT_EQ(W(name)->getNamePath(), name);
  ASSERT_EQ(screen->GetIcons().size(), 4u);
  const char* const order[] = {"swordsman", "farmer", "archer", "priest"};
  for (size_t i = 0; i < 4; ++i) {
    const CGAGUIIconEx* icon = screen->GetIcons()[i].get();
    EXPECT_EQ(icon->GetUnit()->Name, order[i]);
    EXPECT_EQ(icon->GetHost()->getNamePath(), "Root/unlock/icon_" + std::to_string(i));
    // Whole and apart, inside the panel.
    const CEGUI::Rectf area = icon->GetWindow()->getUnclippedOuterRect().get();
    EXPECT_EQ(area.getSize(), CEGUI::Sizef(64, 64));
    EXPECT_TRUE(W("Root/unlock")->getUnclippedOuterRect().get().isPointInRect(area.d_max));
    if (i > 0) {
      EXPECT_GT(area.left(), screen->GetIcons()[i - 1]->GetWindow()->getUnclippedOuterRect().get().right());
    }
  }
  EXPECT_EQ(Text("Root/unlock/gold"), "500");
  // Built, not shown: the start screen comes first.
  EXPECT_EQ(Context().getRootWindow(), manager->GetStartScreen()->GetRoot());
  EXPECT_EQ(GameState, kGamePlaying);
}

TEST_F(UnlockScreen, OpensFromTheStartScreenWithTheGoldAndLockedIconsAndOkGoesBack) {
  OpenFromStart();
  EXPECT_EQ(GameState, kGameUnlocking);
  Frame();
  EXPECT_FALSE(Masked(Icon("swordsman")));
  EXPECT_EQ(Number(Icon("swordsman")), "");
  EXPECT_TRUE(Masked(Icon("archer")));
  EXPECT_EQ(Number(Icon("archer")), "100");
  EXPECT_EQ(Number(Icon("priest")), "200");

  Click(W("Root/unlock/ok"));
  EXPECT_EQ(Context().getRootWindow(), manager->GetStartScreen()->GetRoot());
  EXPECT_EQ(GameState, kGamePlaying);

  // The gold shown is the record's each time the screen opens.
  PlayerRecord.Gold = 750;
  OpenFromStart();
  EXPECT_EQ(Text("Root/unlock/gold"), "750");
}

TEST_F(UnlockScreen, ExactlyEnoughGoldUnlocksAndSavesTheRecord) {
  Type("archer").gold = 500;
  OpenFromStart();
  Frame();
  ClickIcon("archer");
  EXPECT_TRUE(Type("archer").unlocked);
  EXPECT_EQ(PlayerRecord.Gold, 0);
  EXPECT_EQ(PlayerRecord.Unlocked[2], 1);
  EXPECT_EQ(Text("Root/unlock/Text"), Utf8("解锁成功！！"));
  EXPECT_EQ(Text("Root/unlock/gold"), "0");
  EXPECT_EQ(host.calls, std::vector<std::string>{"save abc"});
  Frame();
  EXPECT_FALSE(Masked(Icon("archer")));
  EXPECT_EQ(Number(Icon("archer")), "");

  // A second click on the unlocked type does nothing at all.
  ClickIcon("archer");
  EXPECT_EQ(PlayerRecord.Gold, 0);
  EXPECT_EQ(host.calls.size(), 1u);
  EXPECT_EQ(Text("Root/unlock/Text"), Utf8("解锁成功！！"));
}

// An unlock gold of INT_MIN (unit.xml reads a negative one as 0, a template
// set so pays the player): the gold stops at the largest int instead of
// wrapping to a negative sum.
TEST_F(UnlockScreen, ANegativeUnlockGoldStopsAtTheLargestInt) {
  Type("archer").gold = INT_MIN;
  OpenFromStart();
  ClickIcon("archer");
  EXPECT_TRUE(Type("archer").unlocked);
  EXPECT_EQ(PlayerRecord.Gold, INT_MAX);
  EXPECT_EQ(Text("Root/unlock/gold"), "2147483647");
}

TEST_F(UnlockScreen, TooLittleGoldOrALockedPrerequisiteChangesNothing) {
  PlayerRecord.Gold = 99;
  OpenFromStart();
  ClickIcon("archer");
  EXPECT_EQ(Text("Root/unlock/Text"), Utf8("需要更多金币！！"));
  // Gold is tested before the prerequisite.
  W("Root/unlock/Text")->setText("");
  ClickIcon("priest");
  EXPECT_EQ(Text("Root/unlock/Text"), Utf8("需要更多金币！！"));
  EXPECT_EQ(PlayerRecord.Gold, 99);

  PlayerRecord.Gold = 300;
  ClickIcon("priest");
  EXPECT_EQ(Text("Root/unlock/Text"), Utf8("弓箭手 需要首先解锁！！"));
  EXPECT_FALSE(Type("priest").unlocked);
  EXPECT_EQ(PlayerRecord.Gold, 300);
  EXPECT_TRUE(host.calls.empty());
  Frame();
  EXPECT_TRUE(Masked(Icon("priest")));  // the click's unmasking lasts a frame

  ClickIcon("archer");
  ClickIcon("priest");
  EXPECT_TRUE(Type("priest").unlocked);
  EXPECT_EQ(PlayerRecord.Gold, 0);
  EXPECT_EQ(PlayerRecord.Unlocked[3], 1);
  EXPECT_EQ(host.calls.size(), 2u);

  // A prerequisite that names no unit type does not block.
  Type("priest").unlocked = false;
  Type("priest").lock_0 = "nobody";
  Type("priest").gold = 0;
  ClickIcon("priest");
  EXPECT_TRUE(Type("priest").unlocked);
}

// Only 50 unlock flags fit in the record: a later type could never be stored.
TEST_F(UnlockScreen, ATypePastTheFiftiethFlagIsRefused) {
  Type("priest").index = kUnlockSlots;
  Type("priest").lock_0.clear();
  const SPlayerRecord before = PlayerRecord;
  OpenFromStart();
  ClickIcon("priest");
  EXPECT_EQ(Text("Root/unlock/Text"), Utf8("该兵种无法解锁！！"));
  EXPECT_FALSE(Type("priest").unlocked);
  EXPECT_EQ(std::memcmp(&before, &PlayerRecord, sizeof before), 0);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(UnlockScreen, AnUnlockedTypeStaysUnlockedAfterARestartAndJoinsTheRecruitPanel) {
  OpenFromStart();
  ClickIcon("archer");
  Click(W("Root/unlock/ok"));

  // A restart: the record read back and unit.xml read for it.
  PlayerRecord = SPlayerRecord{};
  ASSERT_TRUE(ReadPlayerRecord("abc", PlayerRecord));
  EXPECT_EQ(PlayerRecord.Gold, 400);
  CGAUnitManager units(nullptr);
  units.ReadUnitTemplates("<Units><Unit Name=\"swordsman\"/><Unit Name=\"farmer\"/><Unit Name=\"archer\"/>"
                          "<Unit Name=\"priest\"/></Units>",
                          "t.unt");
  units.ReadUnitXml("<units><unit id=\"swordsman\" gold=\"0\"/><unit id=\"farmer\" gold=\"0\"/>"
                    "<unit id=\"archer\" gold=\"100\"/><unit id=\"priest\" gold=\"200\"/></units>",
                    "unit.xml");
  EXPECT_TRUE(units.GetUnitTemplate("archer")->unlocked);
  EXPECT_FALSE(units.GetUnitTemplate("priest")->unlocked);

  // The next level's recruit panel offers it, in the unlock list's order.
  ASSERT_TRUE(manager->StartLevel(0));
  CGAGUIRecruit* recruit = manager->GetMainScreen()->GetRecruit();
  ASSERT_NE(recruit->GetIcon(2), nullptr);
  EXPECT_EQ(recruit->GetIcon(2)->GetUnit()->Name, "archer");
  EXPECT_EQ(recruit->GetIcon(3), nullptr);
}

TEST_F(UnlockScreen, OkFromTheEndPanelsKeepsTheLevelsState) {
  ASSERT_TRUE(manager->StartLevel(0));
  CGAGUIMain* main = manager->GetMainScreen();
  CEGUI::Window* defeat = main->GetRoot()->getChild("defeat");
  GameState = kGameLost;
  Frame();
  ASSERT_TRUE(defeat->isVisible());

  Click(defeat->getChild("lock"));
  EXPECT_EQ(Context().getRootWindow(), screen->GetRoot());
  EXPECT_EQ(GameState, kGameUnlocking);
  Frame();  // the level stands still meanwhile
  Click(W("Root/unlock/ok"));
  EXPECT_EQ(Context().getRootWindow(), main->GetRoot());
  // Still lost: the level cannot be played on and won.
  EXPECT_EQ(GameState, kGameLost);
  EXPECT_TRUE(defeat->isVisible());
  EXPECT_TRUE(BattlePaused);
  for (int i = 0; i < 30; ++i) Frame();
  EXPECT_FALSE(main->GetRoot()->getChild("win")->isVisible());
  EXPECT_EQ(PlayerRecord.Gold, 500);

  // After a victory the state in play comes back.
  main->ResetLevel();
  for (int i = 0; i < 60 && !main->GetRoot()->getChild("win")->isVisible(); ++i) Frame();
  ASSERT_TRUE(main->GetRoot()->getChild("win")->isVisible());
  Click(main->GetRoot()->getChild("win/lock"));
  Click(W("Root/unlock/ok"));
  EXPECT_EQ(GameState, kGamePlaying);
}

// An unlock list that puts icons on other windows than the icon slots would
// cover the screen or its OK button, and the player could not leave: those
// entries are left out, each with a log line.
TEST_F(UnlockScreen, IconsGoOnlyOnTheIconSlots) {
  TempDir lists;
  lists.write("lock.xml",
              "<locks><lock id=\"swordsman\" icon=\"Root/unlock\"/><lock id=\"farmer\" icon=\"Root/unlock/ok\"/>"
              "<lock id=\"archer\" icon=\"Root/unlock/title\"/>"
              "<lock id=\"priest\" icon=\"Root/unlock/icon_2\"/></locks>");
  // Found before the game's own list, which lies in group "Main".
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(lists.path(), "FileSystem", Ogre::RGN_DEFAULT);
  LogLines log;
  std::unique_ptr<CGAGUILock> hostile(new CGAGUILock(host, battlefield));
  groups.removeResourceLocation(lists.path(), Ogre::RGN_DEFAULT);

  ASSERT_EQ(hostile->GetIcons().size(), 1u);
  EXPECT_EQ(hostile->GetIcons()[0]->GetHost()->getNamePath(), "Root/unlock/icon_2");
  for (const char* window : {"\"Root/unlock\"", "\"Root/unlock/ok\"", "\"Root/unlock/title\""})
    EXPECT_TRUE(log.Has({"lock.xml", window, "no icon slot"})) << window << "\n" << log.All();

  hostile->SetReturnSheet(manager->GetStartScreen()->GetRoot());
  hostile->Show(true);
  ASSERT_EQ(Context().getRootWindow(), hostile->GetRoot());
  Click(hostile->GetRoot()->getChild("unlock/ok"));
  EXPECT_FALSE(hostile->IsOpen());
  EXPECT_EQ(Context().getRootWindow(), manager->GetStartScreen()->GetRoot());
}

}  // namespace
