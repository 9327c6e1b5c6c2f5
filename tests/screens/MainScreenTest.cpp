// The in-game screen on the GUI library's null renderer, with the game's own
// "main.layout", a stand-in battlefield and injected clicks.
#include "GuiTestSystem.h"
#include "ScreenFixture.h"
#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "game/Settings.h"
#include "screens/GUIIconEx.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GUIRecruit.h"
#include "screens/GUIStart.h"
#include "screens/ListBoxRichItem.h"
#include "screens/LevelState.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/LogLines.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <gtest/gtest.h>

#include <climits>

namespace {

// The markers' scene.
Ogre::SceneManager* Scene() {
  static Ogre::SceneManager* scene = HeadlessEngine().createSceneManager();
  return scene;
}

// A level whose waves come at 1 s, 2 s, ... (each "time" 1), the first with
// the recruit mark.
std::string LevelXml(const std::string& map, int money, int waves) {
  std::string xml = "<level id=\"" + map + "\" money=\"" + std::to_string(money) +
                    "\" food=\"0\" name=\"第一关\" music=\"m.wav\" win=\"赢了\" defeat=\"输了\" gold_rat=\"30\" "
                    "silver_rat=\"60\"><des>x</des><units/><assaults>";
  for (int i = 0; i < waves; ++i)
    xml += "<assault time=\"1\" recruit=\"" + std::string(i == 0 ? "1" : "0") +
           "\" stop=\"0\" text=\"来了\" sound=\"hit.wav\" x=\"60\" y=\"48\" width=\"0\" height=\"0\" t_x=\"4\" "
           "t_y=\"48\"><enemy id=\"goblin\" num=\"2\"/></assault>";
  return xml + "</assaults></level>";
}

class MainScreen : public ScreenFixture {
 protected:
  void SetUp() override {
    PlayerRecord.Gold = 500;
    levels.files[LevelFileName(1)] =
        "<levels>" + LevelXml("demo_flat", 1500, 3) + LevelXml("demo_full", 2000, 1) + "</levels>";
    // lock.xml lists swordsman, farmer, archer and priest; archer is locked.
    battlefield.AddType("swordsman", 50);
    battlefield.AddType("farmer", 50);
    battlefield.AddType("archer", 80, false);
    battlefield.AddType("priest", 100).need = "swordsman";
    battlefield.AddType("goblin", 10);
    battlefield.AddType("gold", 0).type = kUnitPickUp;
    battlefield.AddType("goldA", 0).type = kUnitPickUp;
    battlefield.scene = Scene();
  }

  void Start() {
    BuildScreens();
    screen = manager->GetMainScreen();
    PlayerName = "abc";  // as if chosen on the start screen
    host.calls.clear();
  }
  void StartLevel(int n = 0) {
    if (!manager) Start();
    ASSERT_TRUE(manager->StartLevel(n));
  }

  CEGUI::Window* ScreenRoot() const override { return screen->GetRoot(); }

  // Frames until the recruit panel is up.
  void UntilRecruit() {
    for (int i = 0; i < 100 && !screen->GetRecruit()->IsVisible(); ++i) Frame();
    ASSERT_TRUE(screen->GetRecruit()->IsVisible());
  }
  void ClickCell(size_t i) { Click(screen->GetRecruit()->GetCell(i)); }
  void ClickSlot(size_t i) { Click(screen->GetBarSlot(i)); }
  // Chooses the first recruit icon and closes the panel.
  void Recruit() {
    UntilRecruit();
    ClickCell(0);
    Click(W("root/recruit/ok"));
    ASSERT_FALSE(BattlePaused);
  }
  // A click on the 3-D view at a point with nothing in front of it.
  void ClickView(CEGUI::MouseButton button = CEGUI::LeftButton) {
    Context().injectMousePosition(400, 300);
    Context().injectMouseButtonDown(button);
    Context().injectMouseButtonUp(button);
  }
  void MoveMouse(float x, float y) { Context().injectMousePosition(x, y); }

  std::unique_ptr<CGAGUILabelEx> labels;
  CGAGUIMain* screen = nullptr;
};

TEST_F(MainScreen, TheLayoutHasEveryWindowTheScreenFinds) {
  Start();
  EXPECT_EQ(screen->GetRoot()->getName(), "root");
  for (const char* name :
       {"root/main", "root/delete", "root/call_recruit", "root/food", "root/price", "root/gold", "root/cent",
        "root/text", "root/defeat", "root/defeat/text", "root/defeat/ok", "root/defeat/lock", "root/win",
        "root/win/text", "root/win/ok", "root/win/lock", "root/config", "root/config/sound", "root/config/music",
        "root/config/full", "root/config/restart", "root/config/exit", "root/config/ok", "root/recruit",
        "root/recruit/ok"})
    EXPECT_EQ(W(name)->getNamePath(), name);
  EXPECT_NE(dynamic_cast<CEGUI::Slider*>(W("root/config/sound")), nullptr);
  EXPECT_NE(dynamic_cast<CEGUI::ToggleButton*>(W("root/config/full")), nullptr);
  EXPECT_FALSE(W("root/config")->isVisible());
  EXPECT_FALSE(W("root/recruit")->isVisible());
  for (size_t i = 0; i < CGAGUIMain::kBarSlots; ++i)
    EXPECT_EQ(screen->GetBarSlot(i)->getUnclippedOuterRect().get(),
              CEGUI::Rectf(CEGUI::Vector2f(142.0f + 75 * i, 7), CEGUI::Sizef(64, 64)));
  const CEGUI::Vector2f panel = W("root/recruit")->getUnclippedOuterRect().get().getPosition();
  EXPECT_EQ(screen->GetRecruit()->GetCell(7)->getUnclippedOuterRect().get(),
            CEGUI::Rectf(panel + CEGUI::Vector2f(76, 76), CEGUI::Sizef(64, 64)));
  // The start screen is shown first.
  EXPECT_EQ(Context().getRootWindow(), manager->GetStartScreen()->GetRoot());
}

// The first row of the recruit panel holds the icons of all the game's unit
// types, and a wave's text and the settings are shown over the open panel:
// neither may lie over that row, in the smallest window (800 x 600, where the
// panel must still fit) nor in larger ones.
TEST_F(MainScreen, TheRecruitIconsLieClearOfTheMessageAndTheSettings) {
  StartLevel();
  UntilRecruit();
  Click(W("root/main"));
  ASSERT_TRUE(Shown("root/text"));
  ASSERT_TRUE(Shown("root/config"));
  const auto resize = [](const CEGUI::Sizef& size) {
    CEGUI::System::getSingleton().notifyDisplaySizeChanged(size);
    // The null renderer's target keeps its area; the context takes its size from it.
    Context().getRenderTarget().setArea(CEGUI::Rectf(CEGUI::Vector2f(0, 0), size));
  };
  struct DefaultSize {
    decltype(resize) to;
    ~DefaultSize() { to(CEGUI::Sizef(800, 600)); }
  } restore{resize};
  for (const CEGUI::Sizef& size : {CEGUI::Sizef(800, 600), CEGUI::Sizef(1024, 768), CEGUI::Sizef(1920, 1080)}) {
    resize(size);
    ASSERT_EQ(W("root")->getPixelSize(), size);
    const std::string at = std::to_string(int(size.d_width)) + " x " + std::to_string(int(size.d_height));
    EXPECT_LE(W("root/recruit")->getUnclippedOuterRect().get().bottom(), size.d_height) << at;
    for (size_t column = 0; column < 6; ++column) {
      const CEGUI::Rectf cell = screen->GetRecruit()->GetCell(column)->getUnclippedOuterRect().get();
      for (const char* cover : {"root/text", "root/config"}) {
        const CEGUI::Rectf over = cell.getIntersection(W(cover)->getUnclippedOuterRect().get());
        EXPECT_EQ(over.getWidth() * over.getHeight(), 0) << cover << " over cell " << column << " at " << at;
      }
    }
  }
}

// Kept hidden from the start, not only from the first level reset on: a
// marker shown in the scene behind the start screen would have every idle
// frame drawn again.
TEST_F(MainScreen, NoMarkerShowsBeforeAUnitIsHeld) {
  Start();
  for (Ogre::SceneNode* marker : {screen->GetSelectMarker(), screen->GetDeleteMarker()})
    for (Ogre::MovableObject* object : marker->getAttachedObjects()) EXPECT_FALSE(object->isVisible());
  ASSERT_EQ(screen->GetSelectMarker()->numAttachedObjects(), 1u);
}

// A level whose map was missing or no map once started anyway, on a black
// field where nothing could be placed and that never ended. It does not
// start: the player is back on the start screen with a notice naming the
// map, and the log says why.
TEST_F(MainScreen, ALevelWhoseMapCannotBeLoadedDoesNotStart) {
  Start();
  LogLines log;
  battlefield.mapLoads = false;
  EXPECT_FALSE(manager->StartLevel(1));
  EXPECT_TRUE(log.Has({"Level 1 not started", "demo_full cannot be loaded"})) << log.All();
  CEGUI::Window* start = manager->GetStartScreen()->GetRoot();
  ASSERT_EQ(Context().getRootWindow(), start);
  EXPECT_EQ(battlefield.calls.back(), "clear effects");  // the level left as by its exit button
  ASSERT_TRUE(start->isChild("notice"));
  CEGUI::Window* notice = start->getChild("notice");
  EXPECT_TRUE(notice->isEffectiveVisible());
  EXPECT_EQ(std::string(notice->getText().c_str()),
            Utf8("这一关的地图无法读取，不能开始：demo_full\n（点击关闭）"));
  Click(notice);
  EXPECT_FALSE(notice->isVisible());

  // A level whose map loads starts as ever, and takes a notice left open
  // with it: back on the start screen, it would name a map of long ago.
  EXPECT_FALSE(manager->StartLevel(1));
  ASSERT_TRUE(notice->isVisible());
  battlefield.mapLoads = true;
  StartLevel(0);
  EXPECT_EQ(Context().getRootWindow(), screen->GetRoot());
  EXPECT_EQ(LevelSilver, 1500);
  EXPECT_FALSE(notice->isVisible());
}

TEST_F(MainScreen, StartingALevelLoadsItsMapAndMusicAndFillsTheRecruitPanel) {
  StartLevel();
  EXPECT_EQ(Context().getRootWindow(), screen->GetRoot());
  EXPECT_EQ(battlefield.calls,
            (std::vector<std::string>{"music m.wav", "map demo_flat", "clear units", "clear effects"}));
  EXPECT_EQ(LevelSilver, 1500);
  EXPECT_EQ(LevelGoldRat, 30);
  EXPECT_EQ(Text("root/cent"), Utf8("进度 0/3"));
  EXPECT_EQ(Text("root/text"), Utf8("第一关"));
  Frame();
  EXPECT_TRUE(Shown("root/text"));
  EXPECT_EQ(Text("root/price"), "1500");
  // The unlocked types of lock.xml, in its order; archer is locked.
  CGAGUIRecruit* recruit = screen->GetRecruit();
  ASSERT_NE(recruit->GetIcon(0), nullptr);
  EXPECT_EQ(recruit->GetIcon(0)->GetUnit()->Name, "swordsman");
  EXPECT_EQ(recruit->GetIcon(1)->GetUnit()->Name, "farmer");
  EXPECT_EQ(recruit->GetIcon(2)->GetUnit()->Name, "priest");
  EXPECT_EQ(recruit->GetIcon(3), nullptr);
  EXPECT_FALSE(screen->HasUnits());

  StartLevel(1);
  EXPECT_EQ(battlefield.calls[4], "music m.wav");
  EXPECT_EQ(Text("root/cent"), Utf8("进度 0"));  // the last level shows the count only
}

TEST_F(MainScreen, TheRecruitPanelFillsTheBarAndNeedsAChoice) {
  StartLevel();
  UntilRecruit();
  EXPECT_TRUE(BattlePaused);
  EXPECT_EQ(Text("root/cent"), Utf8("进度 0/3"));
  EXPECT_EQ(battlefield.spawned.size(), 2u);

  // OK with an empty bar: the message, and the panel stays.
  Click(W("root/recruit/ok"));
  EXPECT_TRUE(W("root/recruit")->isVisible());
  EXPECT_EQ(Text("root/text"), Utf8("你必须挑选出征单位！！！"));

  ClickCell(0);
  ClickCell(0);  // once only
  ClickCell(1);
  ASSERT_NE(screen->GetBarIcon(0), nullptr);
  EXPECT_EQ(screen->GetBarIcon(0)->GetUnit()->Name, "swordsman");
  EXPECT_EQ(screen->GetBarIcon(1)->GetUnit()->Name, "farmer");
  EXPECT_EQ(screen->GetBarIcon(2), nullptr);
  EXPECT_TRUE(screen->GetRecruit()->GetIcon(0)->GetItem()->IsDimmed());

  // A bar icon clicked while choosing goes back to the panel; its deletion
  // waits for the next frame, outside its own click handler.
  ClickSlot(0);
  EXPECT_EQ(screen->GetBarIcon(0), nullptr);
  EXPECT_FALSE(screen->GetRecruit()->GetIcon(0)->GetItem()->IsDimmed());
  Frame();
  ClickCell(0);
  EXPECT_EQ(screen->GetBarIcon(0)->GetUnit()->Name, "swordsman");

  Click(W("root/recruit/ok"));
  EXPECT_FALSE(W("root/recruit")->isVisible());
  EXPECT_FALSE(BattlePaused);
}

TEST_F(MainScreen, TheBarTakesSixTypesEachOnce) {
  Start();
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g"}) battlefield.AddType(name, 10);
  for (const char* name : {"a", "b", "c", "d", "e", "f"}) EXPECT_TRUE(screen->AddUnit(name));
  EXPECT_FALSE(screen->AddUnit("g"));
  EXPECT_FALSE(screen->AddUnit("a"));
  EXPECT_FALSE(screen->AddUnit("unknown"));
}

TEST_F(MainScreen, ARecruitCallCostsAThousandSilver) {
  StartLevel();
  Recruit();
  LevelSilver = 999;
  Click(W("root/call_recruit"));
  EXPECT_EQ(Text("root/text"), Utf8("需要更多银币"));
  Frame();
  EXPECT_FALSE(screen->GetRecruit()->IsVisible());

  LevelSilver = 1000;
  Click(W("root/call_recruit"));
  EXPECT_EQ(LevelSilver, 0);
  Frame();
  EXPECT_TRUE(screen->GetRecruit()->IsVisible());
  Click(W("root/recruit/ok"));

  // Two calls before the panel opens pay for one panel.
  LevelSilver = 2500;
  Click(W("root/call_recruit"));
  Click(W("root/call_recruit"));
  EXPECT_EQ(LevelSilver, 1500);
  Frame();
  EXPECT_TRUE(screen->GetRecruit()->IsVisible());
  EXPECT_TRUE(BattlePaused);
  LevelSilver = 5000;
  Click(W("root/call_recruit"));  // the panel is up already
  EXPECT_EQ(LevelSilver, 5000);
}

// The settings' OK resumes the battle only when no other panel is up: the
// recruit panel's choice cannot be skipped through the settings.
TEST_F(MainScreen, SettingsPauseAndResumeButNotUnderAnotherPanel) {
  StartLevel();
  Recruit();
  Click(W("root/main"));
  EXPECT_TRUE(W("root/config")->isVisible());
  EXPECT_TRUE(BattlePaused);
  Click(W("root/config/ok"));
  EXPECT_FALSE(W("root/config")->isVisible());
  EXPECT_FALSE(BattlePaused);

  Click(W("root/call_recruit"));
  Frame();
  ASSERT_TRUE(screen->GetRecruit()->IsVisible());
  Click(W("root/main"));
  Click(W("root/config/ok"));
  EXPECT_TRUE(BattlePaused);
  EXPECT_TRUE(screen->GetRecruit()->IsVisible());
}

TEST_F(MainScreen, VolumeAndFullScreenAreKeptInTheSettingsFile) {
  WriteSetting("vol", 30);
  WriteSetting("full", 1);
  Start();
  auto* sound = static_cast<CEGUI::Slider*>(W("root/config/sound"));
  auto* music = static_cast<CEGUI::Slider*>(W("root/config/music"));
  EXPECT_FLOAT_EQ(sound->getCurrentValue(), 0.3f);
  EXPECT_FLOAT_EQ(battlefield.soundVolume, 0.3f);
  EXPECT_FLOAT_EQ(music->getCurrentValue(), 0.5f);
  EXPECT_FLOAT_EQ(battlefield.musicVolume, -1);  // the sound manager's own
  EXPECT_TRUE(static_cast<CEGUI::ToggleButton*>(W("root/config/full"))->isSelected());

  sound->setCurrentValue(0.75f);
  EXPECT_EQ(ReadSetting("vol"), 75);
  EXPECT_FLOAT_EQ(battlefield.soundVolume, 0.75f);
  music->setCurrentValue(0.2f);
  EXPECT_FLOAT_EQ(battlefield.musicVolume, 0.2f);
  EXPECT_EQ(ReadSetting("vol"), 75);  // the music volume is not kept

  StartLevel();
  Click(W("root/main"));
  Click(W("root/config/full"));  // unticked
  EXPECT_EQ(host.calls, (std::vector<std::string>{"windowed", "size 800x600"}));
  EXPECT_EQ(ReadSetting("full"), 0);
  // Again, away from the first click: not a double click.
  const CEGUI::Rectf box = W("root/config/full")->getUnclippedOuterRect().get();
  ClickAt(box.left() + 4, box.top() + 4);
  EXPECT_EQ(host.calls.back(), "full screen");
  EXPECT_EQ(ReadSetting("full"), 1);
}

// The sliders moved as a player moves them: a click on the track beside the
// thumb steps the value, a drag of the thumb sets it.
TEST_F(MainScreen, TheSlidersLieAndMoveSidewaysUnderTheMouse) {
  StartLevel();
  Click(W("root/main"));
  auto* sound = static_cast<CEGUI::Slider*>(W("root/config/sound"));
  auto* music = static_cast<CEGUI::Slider*>(W("root/config/music"));
  for (CEGUI::Slider* slider : {sound, music}) {
    // At 0.5 the thumb stands in the middle of the track, on its line.
    const CEGUI::Rectf track = slider->getUnclippedOuterRect().get();
    const CEGUI::Rectf thumb = slider->getThumb()->getUnclippedOuterRect().get();
    EXPECT_NEAR(thumb.left() + thumb.getWidth() / 2, track.left() + track.getWidth() / 2, 1) << slider->getName();
    EXPECT_NEAR(thumb.top() + thumb.getHeight() / 2, track.top() + track.getHeight() / 2, 1) << slider->getName();
  }

  battlefield.calls.clear();
  const CEGUI::Rectf track = sound->getUnclippedOuterRect().get();
  const float middle = track.top() + track.getHeight() / 2;
  ClickAt(track.right() - 2, middle);  // right of the thumb: one step up
  EXPECT_NEAR(sound->getCurrentValue(), 0.6f, 1e-5);
  EXPECT_EQ(ReadSetting("vol"), 60);
  EXPECT_NEAR(battlefield.soundVolume, 0.6f, 1e-5);

  // The thumb dragged to the left end; letting go plays the new volume.
  const CEGUI::Rectf thumb = sound->getThumb()->getUnclippedOuterRect().get();
  Context().injectMousePosition(thumb.left() + thumb.getWidth() / 2, middle);
  Context().injectMouseButtonDown(CEGUI::LeftButton);
  Context().injectMousePosition(track.left() - 50, middle);
  EXPECT_TRUE(battlefield.calls.empty());
  Context().injectMouseButtonUp(CEGUI::LeftButton);
  EXPECT_EQ(sound->getCurrentValue(), 0);
  EXPECT_EQ(ReadSetting("vol"), 0);
  EXPECT_EQ(battlefield.calls, (std::vector<std::string>{"sound pointassign.wav"}));

  // The music slider stores the sound slider's volume, not its own.
  const CEGUI::Rectf musicTrack = music->getUnclippedOuterRect().get();
  ClickAt(musicTrack.left() + 2, musicTrack.top() + musicTrack.getHeight() / 2);
  EXPECT_NEAR(music->getCurrentValue(), 0.4f, 1e-5);
  EXPECT_NEAR(battlefield.musicVolume, 0.4f, 1e-5);
  WriteSetting("vol", 7);
  ClickAt(musicTrack.left() + 2, musicTrack.top() + musicTrack.getHeight() / 2 + 2);  // not a double click
  EXPECT_EQ(ReadSetting("vol"), 0);
}

TEST_F(MainScreen, TheTooltipComesAfterATenthOfASecondFadesInInAnotherAndStays) {
  StartLevel();
  CEGUI::Tooltip* tooltip = Context().getDefaultTooltipObject();
  ASSERT_NE(tooltip, nullptr);
  EXPECT_TRUE(tooltip->isMousePassThroughEnabled());
  CEGUI::Window* button = W("root/main");
  button->setTooltipText("menu");
  const CEGUI::Rectf area = button->getUnclippedOuterRect().get();
  MoveMouse(area.left() + 4, area.top() + 4);
  Frame(50);
  EXPECT_FALSE(tooltip->isVisible());
  Frame(50);  // the mouse has rested a tenth of a second
  EXPECT_EQ(tooltip->getTargetWindow(), button);
  Frame(50);  // the GUI's animations let the pulse that starts them pass
  EXPECT_EQ(tooltip->getAlpha(), 0);
  Frame(50);
  EXPECT_NEAR(tooltip->getAlpha(), 0.5f, 0.01f);
  Frame(50);
  EXPECT_EQ(tooltip->getAlpha(), 1);
  for (int i = 0; i < 100; ++i) Frame(100);
  EXPECT_TRUE(tooltip->isVisible());
  EXPECT_EQ(tooltip->getAlpha(), 1);
}

// The warning of an empty choice and the wave texts are read over the
// recruit panel, also after the panel was opened or clicked.
TEST_F(MainScreen, MessagesStandInFrontOfTheRecruitPanel) {
  StartLevel();
  UntilRecruit();
  CEGUI::Window* text = W("root/text");
  CEGUI::Window* panel = W("root/recruit");
  EXPECT_TRUE(text->isInFront(*panel));
  ClickCell(3);  // an empty cell
  Click(W("root/recruit/ok"));
  Frame();
  ASSERT_TRUE(Shown("root/text"));
  EXPECT_EQ(Text("root/text"), Utf8("你必须挑选出征单位！！！"));
  EXPECT_TRUE(text->isInFront(*panel));
  // Wide enough for the whole warning, and centred.
  EXPECT_LE(text->getFont()->getTextExtent(text->getText()), text->getUnclippedInnerRect().get().getWidth());
  // The GUI reads a formatting name it does not know as left aligned.
  EXPECT_EQ(text->getProperty("HorzFormatting"), "CentreAligned");
  for (const char* end : {"root/win/text", "root/defeat/text"})
    EXPECT_EQ(W(end)->getProperty("HorzFormatting"), "WordWrapCentreAligned") << end;
  // The settings opened over the panel and closed again.
  Click(W("root/main"));
  Click(W("root/config/ok"));
  EXPECT_TRUE(text->isInFront(*panel));
}

TEST_F(MainScreen, VictoryPaysTheGoldSavesAndLeadsOn) {
  StartLevel();
  Recruit();
  LevelGold = 40;
  for (int i = 0; i < 60 && !Shown("root/win"); ++i) Frame();
  ASSERT_TRUE(Shown("root/win"));
  EXPECT_EQ(screen->GetDriver().GetWavesSent(), 3);
  EXPECT_EQ(Text("root/cent"), Utf8("进度 2/3"));
  EXPECT_EQ(Text("root/win/text"), Utf8("赢了\n获得黄金40"));
  EXPECT_TRUE(BattlePaused);
  EXPECT_EQ(PlayerRecord.Gold, 540);
  EXPECT_EQ(PlayerRecord.Progress, 1);
  EXPECT_EQ(host.calls, std::vector<std::string>{"save abc"});

  Click(W("root/win/ok"));
  EXPECT_EQ(screen->GetDriver().GetLevelIndex(), 1);
  EXPECT_FALSE(Shown("root/win"));
  EXPECT_EQ(LevelSilver, 2000);
  Recruit();

  // After the last level the game goes back to the start screen.
  for (int i = 0; i < 60 && !Shown("root/win"); ++i) Frame();
  ASSERT_TRUE(Shown("root/win"));
  Click(W("root/win/ok"));
  EXPECT_EQ(Context().getRootWindow(), manager->GetStartScreen()->GetRoot());
  EXPECT_EQ(screen->GetDriver().GetLevelIndex(), 1);
  EXPECT_TRUE(battlefield.Called("clear map"));
}

TEST_F(MainScreen, DefeatShowsItsPanelAndItsOkReplays) {
  StartLevel();
  Recruit();
  LevelGold = 25;
  GameState = kGameLost;
  Frame();
  EXPECT_TRUE(Shown("root/defeat"));
  EXPECT_EQ(Text("root/defeat/text"), Utf8("输了\n扣除黄金25"));
  EXPECT_TRUE(BattlePaused);
  EXPECT_EQ(PlayerRecord.Gold, 500);
  EXPECT_TRUE(host.calls.empty());

  Click(W("root/defeat/ok"));
  EXPECT_FALSE(Shown("root/defeat"));
  EXPECT_EQ(GameState, kGamePlaying);
  EXPECT_EQ(LevelGold, 0);
  EXPECT_EQ(screen->GetDriver().GetWavesSent(), 0);
}

// Every way out of an attempt ends its units, then its effects: none of the
// earlier attempt's effects may fire a message into the next.
TEST_F(MainScreen, EveryResetEndsTheUnitsThenTheEffects) {
  const struct {
    const char* button;
    std::vector<std::string> calls;
  } cases[] = {
      {"root/config/restart", {"clear units", "clear effects"}},
      {"root/config/exit", {"clear map", "clear units", "clear effects"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    StartLevel();
    Click(W("root/main"));
    battlefield.calls.clear();
    Click(W(c.button));
    EXPECT_EQ(battlefield.calls, c.calls);
  }
  StartLevel();
  GameState = kGameLost;
  Frame();
  battlefield.calls.clear();
  Click(W("root/defeat/ok"));
  EXPECT_EQ(battlefield.calls, (std::vector<std::string>{"clear units", "clear effects"}));
}

class Placing : public MainScreen {
 protected:
  void SetUp() override {
    MainScreen::SetUp();
    StartLevel();
    Recruit();  // the swordsman in slot 0
    battlefield.ground = Ogre::Vector3(10.4f, 0, 7.9f);
    battlefield.sideZero = true;  // no victory comes
  }
  CGAUnit* PlacedUnit() {
    for (const auto& unit : battlefield.units)
      if (unit.get() != screen->GetHeldUnit() && *unit->GetType() != kUnitPreview && !unit->IsFading())
        return unit.get();
    return nullptr;
  }
};

TEST_F(Placing, AnIconPicksUpAPreviewThatFollowsTheMouseOnTheGrid) {
  ClickSlot(0);
  CGAUnit* held = screen->GetHeldUnit();
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(*held->GetType(), kUnitPreview);
  EXPECT_TRUE(screen->GetSelectMarker()->getAttachedObject(0)->isVisible());
  MoveMouse(200, 150);
  EXPECT_EQ(battlefield.lastPickPoint, Ogre::Vector2(0.25f, 0.25f));
  EXPECT_EQ(held->GetPosition().x, 11);
  EXPECT_EQ(held->GetPosition().z, 7);
  EXPECT_EQ(held->GetColour(), Ogre::Vector4(1, 1, 1, 0.5f));
  battlefield.blocked = true;
  MoveMouse(210, 150);
  EXPECT_EQ(held->GetColour(), Ogre::Vector4(1, 0, 0, 0.5f));
  // A blocked cell keeps the unit in hand.
  ClickView();
  EXPECT_EQ(screen->GetHeldUnit(), held);
  EXPECT_EQ(PlacedUnit(), nullptr);
}

TEST_F(Placing, AClickPaysPlacesAndStartsTheCooldown) {
  LevelSilver = 50;  // the price: just affordable
  ClickSlot(0);
  CGAUnit* held = screen->GetHeldUnit();
  MoveMouse(200, 150);
  ClickView();
  CGAUnit* placed = PlacedUnit();
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->GetTemplateName(), "swordsman");
  EXPECT_EQ(placed->GetInt(kSlotSide), 1);
  EXPECT_EQ(placed->GetPosition().x, 11);
  EXPECT_EQ(LevelSilver, 0);
  EXPECT_EQ(battlefield.types["swordsman"].cooldownLeft, 3000);
  EXPECT_EQ(screen->GetHeldUnit(), nullptr);
  EXPECT_TRUE(held->IsFading());
  EXPECT_TRUE(battlefield.Called("sound pointassign.wav"));

  // Cooling down: the icon ignores clicks, and runs down with the frames.
  ClickSlot(0);
  EXPECT_EQ(screen->GetHeldUnit(), nullptr);
  Frame(1000);
  EXPECT_EQ(battlefield.types["swordsman"].cooldownLeft, 2000);
  EXPECT_FLOAT_EQ(screen->GetBarIcon(0)->GetItem()->GetProgress(), 1.0f / 3);
  Frame(2000);
  LevelSilver = 49;
  ClickSlot(0);
  EXPECT_EQ(screen->GetHeldUnit(), nullptr);
  EXPECT_EQ(Text("root/text"), Utf8("需要更多银币"));
}

TEST_F(Placing, ATypeWithANeedTakesTheNeededUnitsPlace) {
  ASSERT_TRUE(screen->AddUnit("priest"));
  CGAUnit* swordsman = battlefield.CreateUnit("swordsman");
  swordsman->SetInt(kSlotSide, 1);
  swordsman->SetPositionXZ(21, 33);
  ClickSlot(1);
  MoveMouse(200, 150);
  EXPECT_EQ(screen->GetHeldUnit()->GetColour().x, 1);
  EXPECT_EQ(screen->GetHeldUnit()->GetColour().y, 0);  // red: no swordsman under it
  ClickView();
  EXPECT_NE(screen->GetHeldUnit(), nullptr);

  battlefield.pickAt = battlefield.pickByRay = swordsman;
  MoveMouse(200, 160);
  EXPECT_EQ(screen->GetHeldUnit()->GetColour(), Ogre::Vector4(1, 1, 1, 0.5f));
  ClickView();
  EXPECT_TRUE(swordsman->IsFading());
  CGAUnit* priest = PlacedUnit();
  ASSERT_NE(priest, nullptr);
  EXPECT_EQ(priest->GetTemplateName(), "priest");
  EXPECT_EQ(priest->GetPosition().x, 21);  // the swordsman's place, not the grid point
  EXPECT_EQ(priest->GetPosition().z, 33);
  EXPECT_EQ(LevelSilver, 1400);
}

TEST_F(Placing, PickUpsPayIntoGoldOrSilverWithALabel) {
  labels.reset(new CGAGUILabelEx([](const Ogre::Vector3&, Ogre::Vector3*) { return false; }));
  CGAUnit* coin = battlefield.CreateUnit("gold");
  coin->SetInt(kSlotPrice, 25);
  battlefield.pickAt = coin;
  ClickView();
  EXPECT_EQ(LevelGold, 25);
  EXPECT_TRUE(coin->IsFading());
  EXPECT_TRUE(battlefield.Called("sound gold.wav"));
  ASSERT_EQ(labels->GetLabels().size(), 1u);
  EXPECT_EQ(labels->GetLabels()[0].item->getText(), "{colour,FFFFFF00}+$25");

  CGAUnit* silver = battlefield.CreateUnit("goldA");
  silver->SetInt(kSlotPrice, 30);
  battlefield.pickAt = silver;
  ClickView();
  EXPECT_EQ(LevelSilver, 1530);
  EXPECT_EQ(labels->GetLabels()[1].item->getText(), "{colour,FFFFFFFF}+$30");
}

// unit.xml may give a type an attribute pair for the price slot, applied
// over its price: the icon asks the type's price, the placing charges the
// unit's own (a negative one as 0: a purchase never pays the player).
TEST_F(Placing, PlacingChargesTheUnitsOwnPriceAndNeverPays) {
  struct Case {
    int typePrice, unitPrice, silver;
    bool placed;
    int silverAfter;
  };
  for (const Case& c : {Case{50, 200, 150, false, 150}, Case{50, 200, 200, true, 0}, Case{500, 20, 30, false, 30},
                        Case{500, 20, 500, true, 480}, Case{5, -5, 10, true, 10}, Case{INT_MIN, INT_MIN, 5, true, 5},
                        Case{5, INT_MIN, 5, true, 5}}) {
    SCOPED_TRACE(std::to_string(c.typePrice) + " " + std::to_string(c.unitPrice) + " " + std::to_string(c.silver));
    UnitTemplate& swordsman = battlefield.types["swordsman"];
    swordsman.price = c.typePrice;
    swordsman.attributes = {{kSlotPrice, c.unitPrice}};
    swordsman.cooldownLeft = 0;
    battlefield.units.clear();
    LevelSilver = c.silver;
    ClickSlot(0);
    MoveMouse(200, 150);
    ClickView();
    EXPECT_EQ(PlacedUnit() != nullptr, c.placed);
    EXPECT_EQ(LevelSilver, c.silverAfter);
    ClickView(CEGUI::RightButton);  // drops a unit still held
  }
}

// Pick-ups come from data files: silver and gold stop at the ends of int
// instead of wrapping.
TEST_F(Placing, SilverAndGoldStopAtTheEndsOfInt) {
  LevelGold = 1;
  LevelSilver = 1;
  for (const char* name : {"gold", "goldA"}) {
    CGAUnit* pickUp = battlefield.CreateUnit(name);
    pickUp->SetInt(kSlotPrice, INT_MAX);
    battlefield.pickAt = pickUp;
    ClickView();
  }
  EXPECT_EQ(LevelGold, INT_MAX);
  EXPECT_EQ(LevelSilver, INT_MAX);
}

TEST_F(Placing, DeleteModeRemovesThePlayersUnitsOnly) {
  Click(W("root/delete"));
  EXPECT_TRUE(screen->IsDeleteMode());
  EXPECT_TRUE(screen->GetDeleteMarker()->getAttachedObjects().empty() ||
              screen->GetDeleteMarker()->getAttachedObject(0)->isVisible());
  CGAUnit* enemy = battlefield.CreateUnit("goblin");
  enemy->SetInt(kSlotSide, 0);
  battlefield.pickAt = battlefield.pickByRay = enemy;
  MoveMouse(300, 300);
  EXPECT_TRUE(battlefield.highlighted.empty());
  ClickView();
  EXPECT_FALSE(enemy->IsFading());
  EXPECT_FALSE(screen->IsDeleteMode());  // any click ends it

  CGAUnit* mine = battlefield.CreateUnit("farmer");
  mine->SetInt(kSlotSide, 1);
  mine->SetType(kUnitMustSurvive);
  battlefield.pickAt = battlefield.pickByRay = mine;
  Click(W("root/delete"));
  MoveMouse(310, 300);
  EXPECT_EQ(battlefield.highlighted.count(mine), 1u);
  ClickView();
  EXPECT_FALSE(mine->IsFading());
  EXPECT_TRUE(battlefield.highlighted.empty());

  mine->SetType(kUnitFighter);
  Click(W("root/delete"));
  ClickView();
  EXPECT_TRUE(mine->IsFading());
  EXPECT_EQ(LevelSilver, 1500);  // no silver back
}

TEST_F(Placing, NothingHappensOnTheViewWhilePaused) {
  Click(W("root/main"));
  ClickSlot(0);
  EXPECT_EQ(screen->GetHeldUnit(), nullptr);
  EXPECT_NE(screen->GetBarIcon(0), nullptr);  // not taken back: the recruit panel is not up
  Click(W("root/delete"));
  EXPECT_FALSE(screen->IsDeleteMode());
}

TEST_F(Placing, ARightClickCancels) {
  ClickSlot(0);
  ASSERT_NE(screen->GetHeldUnit(), nullptr);
  ClickView(CEGUI::RightButton);
  EXPECT_EQ(screen->GetHeldUnit(), nullptr);
}

}  // namespace
