// The game's effect world over the real managers: units, ground and cells,
// the camera, sounds, the level's silver and the floating labels (on the GUI
// library's null renderer). A capture's price label reaches the label layer,
// and a level reset through the in-game screen ends every effect of the
// attempt before any of its messages can fire.
#include "GameWorldFixture.h"
#include "effects/EffectNode.h"
#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/app/GameBattlefield.h"
#include "tests/screens/FakeHost.h"
#include "screens/GUICommon.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "tests/screens/GuiTestSystem.h"
#include "screens/LevelState.h"
#include "screens/ListBoxRichItem.h"
#include "screens/StartScene.h"
#include "tests/screens/MemoryLevelFiles.h"
#include "tests/sound/FakeSoundDevice.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

#include <climits>

namespace {

// Every sound file is a short wave.
struct WaveFiles : CTPAudioManager::FileSource {
  std::unique_ptr<platform::SoundInput> Open(const std::string&) override {
    return std::make_unique<MemoryInput>(MakeTone(8000, 0.1));
  }
};
uint32_t Now() { return 10000; }

class GameEffectWorldTest : public GameWorldFixture {
 protected:
  GameEffectWorldTest() {
    GuiTestSystem();
    CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
    if (!fonts.isDefined("simhei-10")) fonts.createFromFile("simhei-10.font");
    camera = std::make_unique<CGACamera>(CreateMainCamera(scene), scene);
    camera->SetLookAt(Ogre::Vector3(20, 0, 10));
    camera->Update();
    sounds = std::make_unique<CTPAudioManager>(std::make_unique<WaveFiles>(), Now);
    auto fake = std::make_unique<FakeSoundDevice>();
    device = fake.get();
    EXPECT_TRUE(sounds->Init(std::move(fake)));
    labels = std::make_unique<CGAGUILabelEx>();
  }
  ~GameEffectWorldTest() override {
    labels.reset();
    sounds.reset();
    camera.reset();
  }

  // Starts an effect from a caster at a target, as a unit's action does.
  CGAEffectNode* Cast(const std::string& name, CGAUnit* caster, CGAUnit* target) {
    CGAEffectNode* effect = effects->CreateEffect(name, "", false, nullptr);
    if (!effect) return nullptr;
    effect->SetPosition(caster->GetPosition());
    effect->AttachToOwner(caster, true);
    effect->AddTarget(target);
    effect->SetTargetPosition(target->GetPosition());
    return effect;
  }

  std::unique_ptr<CGACamera> camera;
  std::unique_ptr<CTPAudioManager> sounds;
  FakeSoundDevice* device = nullptr;
  std::unique_ptr<CGAGUILabelEx> labels;
};

TEST_F(GameEffectWorldTest, AnswersFromTheGamesManagers) {
  CGAUnit* farmer = Place("farmer", 20, 1);
  CGAUnit* goblin = Place("goblin", 30, 2);
  Frame();  // files the units in the unit grid

  EXPECT_TRUE(effectWorld.IsUnitLive(farmer));
  EXPECT_EQ(effectWorld.GetUnitsAround(10, 5, 1), std::vector<CGAUnit*>{farmer});
  EXPECT_EQ(effectWorld.GetUnitsAround(15, 5, 0), std::vector<CGAUnit*>{goblin});
  CGAUnit* coin = effectWorld.CreateUnit("gold");
  ASSERT_NE(coin, nullptr);
  EXPECT_TRUE(units->IsLive(coin));
  EXPECT_EQ(coin->GetTemplateName(), "gold");

  Ogre::Vector3 probe(12, 50, 12);
  EXPECT_FALSE(effectWorld.GetGroundHeight(probe));  // the ground, no static
  EXPECT_EQ(probe.y, 0.0f);
  EXPECT_EQ(effectWorld.GetTerrainHeight(12, 12), 0.0f);
  terrain->SetLogic(7, 9, 0);
  EXPECT_EQ(effectWorld.GetLogic(7, 9), 0);
  EXPECT_EQ(effectWorld.GetLogic(8, 9), 1);

  const Ogre::Vector3 view = effectWorld.GetViewDirection();
  EXPECT_TRUE(view.normalisedCopy().positionEquals(camera->GetCamera()->getDerivedDirection(), 1e-4f)) << view;
  effectWorld.ShakeCamera(2.5f);
  EXPECT_EQ(camera->GetShake(), 2.5f);

  sounds->CreateSound("hit", "hit.wav", 1.0f, 100, 1000, CTPAudioManager::kMode3D);
  effectWorld.PlaySound3D("hit", farmer->GetModel()->GetSceneNode());
  EXPECT_EQ(device->plays, 1);

  LevelSilver = 100;
  effectWorld.AddLevelSilver(-30);
  EXPECT_EQ(LevelSilver, 70);
  effectWorld.AddLevelSilver(INT_MAX);  // a capture's price from a data file: no wrap
  EXPECT_EQ(LevelSilver, INT_MAX);
  LevelSilverRat = 45;
  EXPECT_EQ(effectWorld.GetGoldDropRate(), 100);
  EXPECT_EQ(effectWorld.GetSilverDropRate(), 45);

  units->ClearUnits();
  EXPECT_FALSE(effectWorld.IsUnitLive(farmer));
}

TEST_F(GameEffectWorldTest, ACaptureShowsItsYellowPriceOverTheCasterInTheGameFont) {
  ASSERT_TRUE(effects->ReadEffectFile(
      "<Effects><EffectSystem EffectName=\"net\"><SetLifeTime Time=\"1\"/><Message><At Time=\"0\">"
      "<M Type=\"skill_0\" Name=\"-5,0,0,0,0,0,100,10\"/></At></Message></EffectSystem></Effects>",
      "net.eff"));
  CGAUnit* caster = Place("farmer", 20, 1);
  CGAUnit* victim = Place("goblin", 22, 0);
  victim->SetInt(kSlotHp, 10);
  victim->SetInt(kSlotPrice, 25);
  Frame();
  ASSERT_NE(Cast("net", caster, victim), nullptr);
  Frame();

  EXPECT_TRUE(victim->IsFading());
  EXPECT_EQ(LevelSilver, 25);
  ASSERT_EQ(labels->GetLabels().size(), 1u);
  const CGAGUILabelEx::Label& label = labels->GetLabels()[0];
  EXPECT_EQ(label.item->getText(), CGAGUICommon::ToCEGUIString("{colour,FFFFFF00}+$25"));
  ASSERT_NE(label.item->GetFont(), nullptr);
  EXPECT_EQ(label.item->GetFont()->getName(), "simhei-10");
  EXPECT_EQ(label.life, 3.0f);
  // Where the caster stood on the screen.
  Ogre::Vector3 screen;
  ASSERT_TRUE(camera->WorldToScreen(caster->GetPosition(), &screen));
  EXPECT_EQ(label.position, Ogre::Vector2(screen.x * 800, screen.y * 600));
}

// The start screen's preview takes its character's id once made: the shadow
// made with it stays on it.
TEST_F(GameEffectWorldTest, APreviewKeepsItsShadowUnderItsCharactersId) {
  units->ReadUnitTemplates("<Units><Unit Name=\"Savage_m\"/></Units>", "preview.unt");
  units->ReadUnitXml("<units><unit id=\"Savage_m\" type=\"8\"/></units>", "unit.xml");
  CGAStartScene startScene;
  startScene.AddCharacter(7, false, 1, {});
  CGAUnit* preview = startScene.GetPreview();
  ASSERT_NE(preview, nullptr);
  ASSERT_EQ(preview->GetId(), 7u);
  ASSERT_EQ(effects->GetManagedCount(), 1u);
  for (int i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(effects->GetManagedCount(), 1u);
}

// A level reset through the in-game screen, over the game's battlefield:
// the units go with their shadows, and an effect of no owner whose message
// is still to come goes too; the message never fires.
TEST_F(GameEffectWorldTest, ARestartLeavesNoEffectOfTheEarlierAttempt) {
  TempDir dir;
  ScopedWorkingDir cwd(dir.path());
  ASSERT_TRUE(effects->ReadEffectFile(
      "<Effects><EffectSystem EffectName=\"quake\"><SetLifeTime Time=\"2\"/><Message><At Time=\"0.5\">"
      "<M Type=\"dance\" Name=\"3\"/></At></Message></EffectSystem></Effects>",
      "quake.eff"));
  FakeHost host;
  MemoryLevelFiles levels;
  CGAGameBattlefield battlefield;
  CGAGUIManager gui(host, levels, battlefield);
  CGAGUIMain* screen = gui.GetMainScreen();
  screen->Show();

  for (const char* button : {"root/config/restart", "root/config/exit"}) {
    SCOPED_TRACE(button);
    screen->Show();
    Place("farmer", 20, 1);
    Place("gold", 10, 1);
    ASSERT_NE(effects->CreateEffect("quake", "", false, nullptr), nullptr);
    UntilShown();
    ASSERT_EQ(effects->GetManagedCount(), 3u);  // two shadows and the quake

    Click(screen->GetRoot()->getChild("main"));
    Click(screen->GetRoot()->getChild(Ogre::String(button).substr(5)));
    EXPECT_TRUE(units->GetUnits().empty());
    EXPECT_EQ(effects->GetManagedCount(), 0u);
    for (int i = 0; i < 60; ++i) Frame();  // past the quake's time
    EXPECT_EQ(camera->GetShake(), 0.0f);
  }
}

}  // namespace
