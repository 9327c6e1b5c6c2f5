#include "GuiTestSystem.h"
#include "ScreenFixture.h"
#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GUIStart.h"
#include "screens/GameHost.h"
#include "screens/LevelFile.h"

#include <CEGUI/CEGUI.h>
#include <OgreDataStream.h>
#include <OgreImage.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string LevelXml(const std::string& name, int goldRat) {
  return "<level id=\"demo_flat\" money=\"1500\" food=\"0\" name=\"" + name + "\" music=\"m.wav\" win=\"w\" "
         "defeat=\"d\" gold_rat=\"" + std::to_string(goldRat) + "\" silver_rat=\"50\"><des>x</des><units/>"
         "<assaults/></level>";
}

class StartScreen : public ScreenFixture {
 protected:
  void SetUp() override {
    levels.files[LevelFileName(1)] =
        "<levels>" + LevelXml("第一关", 30) + LevelXml("第二关", 40) + LevelXml("第三关", 50) + "</levels>";
  }

  // The GUI comes up; the logos are clicked away unless kept.
  void Start(bool keepLogo = false) {
    BuildScreens();
    screen = manager->GetStartScreen();
    if (!keepLogo) Click(W("start_root/logo"));
    host.calls.clear();
  }

  int LevelStarted() { return manager->GetMainScreen()->GetDriver().GetLevelIndex(); }

  CEGUI::Window* ScreenRoot() const override { return screen->GetRoot(); }
  CEGUI::Listbox* List(const std::string& fullName) { return static_cast<CEGUI::Listbox*>(W(fullName)); }
  void ClickOn(const std::string& fullName) { Click(W(fullName)); }

  void TypeName(const std::u32string& name) {
    CEGUI::Window* edit = W("start_root/player/newplayer/edit");
    edit->setText("");
    Click(edit);
    Type(name);
  }

  std::vector<std::string> ListedPlayers() {
    std::vector<std::string> names;
    CEGUI::Listbox* list = List("start_root/player/listbox");
    for (size_t i = 0; i < list->getItemCount(); ++i)
      names.push_back(list->getListboxItemFromIndex(i)->getText().c_str());
    return names;
  }

  CGAGUIStart* screen = nullptr;
};

TEST_F(StartScreen, TheLayoutHasEveryWindowTheScreenFinds) {
  Start(true);
  EXPECT_EQ(CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow(), screen->GetRoot());
  EXPECT_EQ(screen->GetRoot()->getName(), "start_root");
  for (const char* name :
       {"start_root/new_game", "start_root/exit_game", "start_root/lock", "start_root/bbs", "start_root/studio",
        "start_root/studio/show", "start_root/studio/show/exit", "start_root/logo", "start_root/logo/Quenrix",
        "start_root/logo/vell", "start_root/ver", "start_root/level_list/listbox", "start_root/level_list/ok",
        "start_root/level_list/beak", "start_root/player", "start_root/player/listbox", "start_root/player/new",
        "start_root/player/select", "start_root/player/delect", "start_root/player/newplayer",
        "start_root/player/newplayer/edit", "start_root/player/newplayer/ok", "start_root/player/newplayer/message",
        "start_root/select_player", "start_root/select_player/text", "start_root/select_player/select"})
    EXPECT_EQ(W(name)->getNamePath(), name);
  EXPECT_NE(dynamic_cast<CEGUI::Listbox*>(W("start_root/level_list/listbox")), nullptr);
  EXPECT_NE(dynamic_cast<CEGUI::Listbox*>(W("start_root/player/listbox")), nullptr);
  EXPECT_NE(dynamic_cast<CEGUI::Editbox*>(W("start_root/player/newplayer/edit")), nullptr);
  EXPECT_EQ(W("start_root/level_list/listbox")->getParent(), W("start_root/level_list"));
  // The logos are up first, in front of everything.
  EXPECT_TRUE(Shown("start_root/logo"));
  EXPECT_FALSE(Shown("start_root/level_list"));
}

TEST_F(StartScreen, AFirstStartAsksForANewPlayer) {
  Start();
  EXPECT_TRUE(Shown("start_root/player"));
  EXPECT_TRUE(Shown("start_root/player/newplayer"));
  EXPECT_FALSE(Shown("start_root/select_player"));
  EXPECT_TRUE(ListedPlayers().empty());
  EXPECT_EQ(ReadFileOrEmpty("record.xml"), "<record player=\"\" />\n");
  EXPECT_EQ(PlayerRecord.Gold, 500);
}

TEST_F(StartScreen, APlayerIsCreatedByTypingItsName) {
  Start();
  TypeName(U"abc");
  ClickOn("start_root/player/newplayer/ok");
  EXPECT_EQ(PlayerName, "abc");
  EXPECT_EQ(host.calls, std::vector<std::string>{"load abc"});
  EXPECT_EQ(ReadFileOrEmpty("record.xml"), "<record player=\"abc\">\n  <abc />\n</record>\n");
  EXPECT_FALSE(Shown("start_root/player/newplayer"));
  EXPECT_EQ(ListedPlayers(), std::vector<std::string>{"abc"});

  // A Chinese name: stored as the game's text.
  ClickOn("start_root/player/new");
  TypeName(U"张三");
  ClickOn("start_root/player/newplayer/ok");
  EXPECT_EQ(PlayerName, "张三");
  EXPECT_NE(ReadFileOrEmpty("record.xml").find("<张三 />"), std::string::npos);
  EXPECT_EQ(List("start_root/player/listbox")->getListboxItemFromIndex(1)->getText(),
            CGAGUICommon::ToCEGUIString("张三"));
}

TEST_F(StartScreen, NamesThatWouldBreakTheListAreRefusedWithAMessage) {
  Start();
  for (const std::u32string& name : {std::u32string(U""), std::u32string(U"1abc"), std::u32string(U"a b"),
                                     std::u32string(U"a<b"), std::u32string(U"../x")}) {
    TypeName(name);
    ClickOn("start_root/player/newplayer/ok");
    EXPECT_FALSE(W("start_root/player/newplayer/message")->getText().empty());
    EXPECT_TRUE(Shown("start_root/player/newplayer"));
  }
  EXPECT_EQ(PlayerName, "");
  EXPECT_TRUE(ListedPlayers().empty());
  EXPECT_TRUE(host.calls.empty());

  TypeName(U"ok");
  ClickOn("start_root/player/newplayer/ok");
  EXPECT_TRUE(W("start_root/player/newplayer/message")->getText().empty());
}

TEST_F(StartScreen, LetterCaseMakesAnotherPlayerAndRepeatsDoNothing) {
  Start();
  for (const char32_t* name : {U"abc", U"Abc", U"abc"}) {
    ClickOn("start_root/player/new");
    TypeName(name);
    ClickOn("start_root/player/newplayer/ok");
  }
  EXPECT_EQ(ListedPlayers(), (std::vector<std::string>{"abc", "Abc"}));
  EXPECT_EQ(PlayerName, "Abc");
  EXPECT_TRUE(Shown("start_root/player/newplayer"));  // the repeat left the panel open
}

TEST_F(StartScreen, CreatingSavesTheOutgoingPlayerFirst) {
  dir.write("record.xml", "<record player=\"old\"><old/></record>");
  PlayerRecord.Progress = 3;
  WritePlayerRecord("old", PlayerRecord);
  Start();
  EXPECT_EQ(PlayerRecord.Progress, 3);
  EXPECT_TRUE(Shown("start_root/select_player"));
  PlayerRecord.Gold = 777;  // won since the last save

  ClickOn("start_root/select_player/select");
  ClickOn("start_root/player/new");
  TypeName(U"new");
  ClickOn("start_root/player/newplayer/ok");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save old", "load new"}));
  SPlayerRecord saved;
  ASSERT_TRUE(ReadPlayerRecord("old", saved));
  EXPECT_EQ(saved.Gold, 777);
  EXPECT_EQ(PlayerRecord.Gold, 500);  // the new player's
}

TEST_F(StartScreen, ChoosingAPlayerSavesTheOldAndLoadsTheChosen) {
  dir.write("record.xml", "<record player=\"a\"><a/><b/></record>");
  Start();
  EXPECT_EQ(ListedPlayers(), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(Shown("start_root/player"));
  ClickOn("start_root/select_player/select");
  EXPECT_TRUE(Shown("start_root/player"));
  EXPECT_FALSE(Shown("start_root/select_player"));

  ClickOn("start_root/player/select");  // nothing chosen: nothing happens
  EXPECT_TRUE(host.calls.empty());
  ClickItem(List("start_root/player/listbox"), 1);
  ClickOn("start_root/player/select");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save a", "load b"}));
  EXPECT_EQ(PlayerName, "b");
  EXPECT_NE(ReadFileOrEmpty("record.xml").find("player=\"b\""), std::string::npos);
  EXPECT_FALSE(Shown("start_root/player"));
  EXPECT_TRUE(Shown("start_root/select_player"));
  EXPECT_EQ(W("start_root/select_player/text")->getText().substr(0, 2), "b\n");
}

TEST_F(StartScreen, DeletingTheCurrentPlayerLeavesNobodyToSave) {
  dir.write("record.xml", "<record player=\"a\"><a/><b/></record>");
  WritePlayerRecord("a", PlayerRecord);
  Start();
  ClickOn("start_root/select_player/select");
  ClickItem(List("start_root/player/listbox"), 0);
  ClickOn("start_root/player/delect");
  EXPECT_EQ(PlayerName, "");
  EXPECT_EQ(ListedPlayers(), std::vector<std::string>{"b"});
  EXPECT_FALSE(fs::exists(PlayerRecordPath("a")));
  EXPECT_EQ(ReadFileOrEmpty("record.xml"), "<record player=\"\">\n  <b />\n</record>\n");
  EXPECT_EQ(host.calls, std::vector<std::string>{"load "});

  ClickOn("start_root/exit_game");
  EXPECT_EQ(host.calls.back(), "exit");
  EXPECT_FALSE(fs::exists(PlayerRecordPath("a")));  // not written again
}

TEST_F(StartScreen, PlayersStayListedWithoutACurrentOne) {
  dir.write("record.xml", "<record player=\"\"><a/><b/></record>");
  Start();
  EXPECT_EQ(ListedPlayers(), (std::vector<std::string>{"a", "b"}));
  ClickItem(List("start_root/player/listbox"), 1);
  ClickOn("start_root/player/select");
  EXPECT_EQ(PlayerName, "b");
  EXPECT_EQ(host.calls, std::vector<std::string>{"load b"});  // nobody to save
}

TEST_F(StartScreen, ExitSavesTheCurrentPlayerAndEnds) {
  dir.write("record.xml", "<record player=\"a\"><a/></record>");
  Start();
  ClickOn("start_root/exit_game");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"save a", "exit"}));
}

TEST_F(StartScreen, TheLevelListColoursLevelsByProgress) {
  dir.write("record.xml", "<record player=\"a\"><a/></record>");
  Start();
  ClickOn("start_root/new_game");
  EXPECT_TRUE(Shown("start_root/level_list"));
  CEGUI::Listbox* list = List("start_root/level_list/listbox");
  ASSERT_EQ(list->getItemCount(), 3u);
  auto* first = static_cast<CEGUI::ListboxTextItem*>(list->getListboxItemFromIndex(0));
  EXPECT_EQ(first->getText(), CGAGUICommon::ToCEGUIString("第一关 出金率％30"));
  EXPECT_EQ(first->getTextColours().d_top_left, CEGUI::Colour(1, 1, 0, 1));
  auto* second = static_cast<CEGUI::ListboxTextItem*>(list->getListboxItemFromIndex(1));
  EXPECT_EQ(second->getTextColours().d_top_left, CEGUI::Colour(0.3f, 0, 0, 1));
  EXPECT_EQ(second->getID(), 1u);

  // A level above the progress can be chosen but not started.
  ClickItem(list, 2);
  EXPECT_EQ(screen->GetSelectedLevel(), 2);
  ClickOn("start_root/level_list/ok");
  EXPECT_EQ(LevelStarted(), -1);
  // Up to the progress it starts.
  PlayerRecord.Progress = 2;
  ClickOn("start_root/level_list/ok");
  EXPECT_EQ(LevelStarted(), 2);

  // Back from a level: the list is closed, the choice is kept.
  manager->ShowStart();
  EXPECT_FALSE(Shown("start_root/level_list"));
  ClickOn("start_root/new_game");
  EXPECT_EQ(List("start_root/level_list/listbox")->getItemCount(), 3u);
  EXPECT_EQ(screen->GetSelectedLevel(), 2);
  ClickOn("start_root/level_list/beak");
  EXPECT_FALSE(Shown("start_root/level_list"));
}

// The contrast of two colours as the eye sees it, from 1 (none) to 21: the
// relative luminance of each, sRGB decoded.
double Contrast(const CEGUI::Colour& a, const CEGUI::Colour& b) {
  const auto luminance = [](const CEGUI::Colour& c) {
    const auto linear = [](float v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.getRed()) + 0.7152 * linear(c.getGreen()) + 0.0722 * linear(c.getBlue());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// An image of an imageset the game ships ("set/image"): its pixels, read
// from the set's picture file at its place there.
Ogre::Image ShippedImage(const std::string& name) {
  const std::string set = name.substr(0, name.find('/')), image = name.substr(name.find('/') + 1);
  const std::string folder = YVEK_DATA_DIR "/pak/gui/";
  TiXmlDocument imageset(folder + set + ".imageset");
  EXPECT_TRUE(imageset.LoadFile()) << set;
  const TiXmlElement* root = imageset.RootElement();
  std::ifstream file(folder + (root ? root->Attribute("imagefile") : ""), std::ios::binary);
  Ogre::DataStreamPtr stream(new Ogre::FileStreamDataStream(&file, false));
  Ogre::Image atlas;
  atlas.load(stream, "png");
  for (const TiXmlElement* e = root ? root->FirstChildElement("Image") : nullptr; e; e = e->NextSiblingElement("Image")) {
    if (e->Attribute("name") != image) continue;
    int x = 0, y = 0, width = 0, height = 0;
    e->QueryIntAttribute("xPos", &x);
    e->QueryIntAttribute("yPos", &y);
    e->QueryIntAttribute("width", &width);
    e->QueryIntAttribute("height", &height);
    Ogre::Image part(atlas.getFormat(), width, height);
    for (int j = 0; j < height; ++j)
      for (int i = 0; i < width; ++i) part.setColourAt(atlas.getColourAt(x + i, y + j, 0), i, j, 0);
    return part;
  }
  ADD_FAILURE() << "no image " << name;
  return Ogre::Image();
}

// A selected entry's text lies on the selection brush as the list item draws
// it: the brush's pixels tinted by the item's selection colours. Every text
// colour of the two lists must read there (at least 3 to 1): the open
// levels' yellow, the locked levels' dark red, the players'.
TEST_F(StartScreen, EveryEntryReadsOnTheSelectionBrush) {
  dir.write("record.xml", "<record player=\"a\"><a/></record>");
  Start();
  ClickOn("start_root/new_game");
  CEGUI::Listbox* levels = List("start_root/level_list/listbox");
  CEGUI::Listbox* players = List("start_root/player/listbox");
  ASSERT_EQ(levels->getItemCount(), 3u);
  ASSERT_EQ(players->getItemCount(), 1u);

  const std::pair<const char*, CEGUI::ListboxItem*> entries[] = {{"open level", levels->getListboxItemFromIndex(0)},
                                                                 {"locked level", levels->getListboxItemFromIndex(1)},
                                                                 {"player", players->getListboxItemFromIndex(0)}};
  for (const auto& [what, entry] : entries) {
    const auto* item = static_cast<CEGUI::ListboxTextItem*>(entry);
    ASSERT_NE(item->getSelectionBrushImage(), nullptr) << what;
    const Ogre::Image brush = ShippedImage(item->getSelectionBrushImage()->getName().c_str());
    ASSERT_GT(brush.getWidth() * brush.getHeight(), 0u) << what;
    const CEGUI::Colour text = item->getTextColours().d_top_left;
    const CEGUI::Colour tint = item->getSelectionColours().d_top_left;
    double lowest = 21;
    for (size_t y = 0; y < brush.getHeight(); ++y)
      for (size_t x = 0; x < brush.getWidth(); ++x) {
        const Ogre::ColourValue pixel = brush.getColourAt(x, y, 0);
        EXPECT_EQ(pixel.a * tint.getAlpha(), 1) << what << ": the list shows through the brush at " << x << ", " << y;
        lowest = std::min(lowest, Contrast(text, CEGUI::Colour(pixel.r * tint.getRed(), pixel.g * tint.getGreen(),
                                                               pixel.b * tint.getBlue())));
      }
    EXPECT_GE(lowest, 3) << what;
  }
}

// Every level and player is listed, and each list updates once per filling:
// an update per item measures every item again (20,000 levels once took
// minutes to list).
TEST_F(StartScreen, ListsOfThousandsFillWithOneUpdate) {
  std::map<std::string, int> updates;  // list box -> content changes
  CEGUI::Event::ScopedConnection counting = CEGUI::GlobalEventSet::getSingleton().subscribeEvent(
      CEGUI::Listbox::EventNamespace + "/" + CEGUI::Listbox::EventListContentsChanged,
      [&updates](const CEGUI::EventArgs& args) {
        ++updates[static_cast<const CEGUI::WindowEventArgs&>(args).window->getNamePath().c_str()];
        return true;
      });
  const int kCount = 3000;
  std::string players, levelXml;
  for (int i = 0; i < kCount; ++i) {
    players += "<p" + std::to_string(i) + "/>";
    levelXml += LevelXml("关" + std::to_string(i), i % 100);
  }
  dir.write("record.xml", "<record player=\"p0\">" + players + "</record>");
  levels.files[LevelFileName(1)] = "<levels>" + levelXml + "</levels>";
  Start();
  EXPECT_EQ(List("start_root/player/listbox")->getItemCount(), size_t(kCount));
  EXPECT_EQ(ListedPlayers().back(), "p" + std::to_string(kCount - 1));
  EXPECT_LE(updates["start_root/player/listbox"], 1);

  for (int opening = 0; opening < 2; ++opening) {
    updates.clear();
    ClickOn("start_root/new_game");
    CEGUI::Listbox* list = List("start_root/level_list/listbox");
    ASSERT_EQ(list->getItemCount(), size_t(kCount));
    EXPECT_EQ(list->getListboxItemFromIndex(kCount - 1)->getID(), CEGUI::uint(kCount - 1));
    EXPECT_EQ(list->getListboxItemFromIndex(kCount - 1)->getOwnerWindow(), list);
    EXPECT_LE(updates["start_root/level_list/listbox"], 2);  // emptied, then filled
  }
  ClickItem(List("start_root/level_list/listbox"), 2);
  EXPECT_EQ(screen->GetSelectedLevel(), 2);
}

TEST_F(StartScreen, OkWithoutAChoiceStartsTheFirstLevel) {
  Start();
  ClickOn("start_root/new_game");
  ClickOn("start_root/level_list/ok");
  EXPECT_EQ(LevelStarted(), 0);
}

TEST_F(StartScreen, NoLevelsStartNothing) {
  levels.files.clear();
  Start();
  ClickOn("start_root/new_game");
  EXPECT_EQ(List("start_root/level_list/listbox")->getItemCount(), 0u);
  ClickOn("start_root/level_list/ok");
  EXPECT_EQ(LevelStarted(), -1);
  EXPECT_FALSE(manager->StartLevel(0));
}

TEST_F(StartScreen, TheLogosFadeOneAfterTheOther) {
  Start(true);
  CEGUI::Window* first = W("start_root/logo/Quenrix");
  CEGUI::Window* second = W("start_root/logo/vell");
  FrameDeltaSeconds = 0.1f;  // 0.08 of fade clock a frame
  manager->Update();
  EXPECT_NEAR(first->getAlpha(), 2 * std::sin(0.08f), 1e-5);
  int frames = 1;
  while (first->getAlpha() < 1.0f) manager->Update(), ++frames;
  EXPECT_EQ(frames, 7);  // 2 sin t reaches 1 at t = 0.52
  while (frames < 51) manager->Update(), ++frames;  // t = 4.08: the first is done
  EXPECT_EQ(first->getAlpha(), 0.0f);
  EXPECT_EQ(second->getAlpha(), 0.0f);
  manager->Update();
  EXPECT_GT(second->getAlpha(), 0.0f);
  EXPECT_TRUE(Shown("start_root/logo"));
  for (int i = 0; i < 51; ++i) manager->Update();
  EXPECT_FALSE(Shown("start_root/logo"));
}

TEST_F(StartScreen, AClickHidesTheLogos) {
  Start(true);
  ClickAt(10, 10);
  EXPECT_FALSE(Shown("start_root/logo"));
}

TEST_F(StartScreen, TheVersionComesFromTheUpdateFile) {
  Start();
  EXPECT_EQ(W("start_root/ver")->getText(), "0");
  manager.reset();
  dir.write("Update.cfg", "[update]\nLocalVersion=42\n");
  Start();
  EXPECT_EQ(W("start_root/ver")->getText(), "42");
}

TEST_F(StartScreen, StudioPanelAndWebPage) {
  Start();
  ClickOn("start_root/studio");
  EXPECT_TRUE(Shown("start_root/studio/show"));
  // The panel lies off the menu column, whose buttons still take clicks.
  const CEGUI::Rectf panel = W("start_root/studio/show")->getUnclippedOuterRect().get();
  for (const char* button : {"new_game", "lock", "studio", "bbs", "exit_game"}) {
    const CEGUI::Rectf overlap = panel.getIntersection(W(std::string("start_root/") + button)->getUnclippedOuterRect().get());
    EXPECT_EQ(overlap.getWidth() * overlap.getHeight(), 0.0f) << button;
  }
  ClickOn("start_root/new_game");
  EXPECT_TRUE(Shown("start_root/level_list"));
  ClickOn("start_root/level_list/beak");
  ClickOn("start_root/studio/show/exit");
  EXPECT_FALSE(Shown("start_root/studio/show"));
  ClickOn("start_root/bbs");
  EXPECT_EQ(host.calls, std::vector<std::string>{"web"});
}

TEST(GUICommon, ConvertsTheGamesTexts) {
  EXPECT_EQ(CGAGUICommon::ToCEGUIString(""), "");
  EXPECT_EQ(CGAGUICommon::ToCEGUIString("abc"), "abc");
  const CEGUI::String chinese = CGAGUICommon::ToCEGUIString("出金率％");
  ASSERT_EQ(chinese.length(), 4u);
  EXPECT_EQ(chinese[0], 0x51FAu);
  EXPECT_EQ(chinese[3], 0xFF05u);
  // Each result is the caller's own, also while it is still in use.
  const CEGUI::String a = CGAGUICommon::ToCEGUIString("a");
  const CEGUI::String b = CGAGUICommon::ToCEGUIString("b");
  EXPECT_EQ(a + b, "ab");
  EXPECT_EQ(CGAGUICommon::ToCEGUIString("a") + CGAGUICommon::ToCEGUIString("b"), "ab");
}

}  // namespace
