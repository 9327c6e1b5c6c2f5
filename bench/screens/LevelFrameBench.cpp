// The whole frame's logic of a level in play, everything but the render
// (target: under 5 ms on one core): 300 units fighting on the flat demo map
// with their effects, the in-game screen's per-frame work (the level driver,
// six bar icons) and 50 floating labels, in a headless scene with the GUI on
// its null renderer.
#include "effects/EffectManager.h"
#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/GameBattlefield.h"
#include "game/GameUnitWorld.h"
#include "game/PlayerRecord.h"
#include "game/ResourcePreloader.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GameHost.h"
#include "screens/LevelFile.h"
#include "screens/LevelState.h"
#include "screens/GuiTestSystem.h"
#include "support/HeadlessEngine.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitPartDef.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

class QuietHost : public CGAGameHost {
 public:
  void SavePlayerRecord(const std::string&) override {}
  void LoadPlayerRecord(const std::string&) override {}
  void OpenWebPage(const std::string&) override {}
  void SetFullScreen(bool) override {}
  void SetWindowedSize(int, int) override {}
  void ExitGame() override {}
};

// The units' meshes and skeletons load at once: the headless engine answers
// no background requests and has no textures.
class LoadAtOnce : public BackgroundLoader {
 public:
  Ogre::BackgroundProcessTicket LoadInBackground(const std::string& type, const std::string& name) override {
    if (type != "Texture") Ogre::ResourceGroupManager::getSingleton()._getResourceManager(type)->load(name, "General");
    return ++mTickets;
  }
  bool IsLoaded(Ogre::BackgroundProcessTicket) override { return true; }

 private:
  Ogre::BackgroundProcessTicket mTickets = 0;
};

class BenchUnitWorld : public GameUnitWorld {
 public:
  bool LoadPart(UnitPartDef& part) override { return part.LoadResources(mLoader); }

 private:
  LoadAtOnce mLoader;
};

// One level on the flat demo map whose only wave never comes.
class OneLevel : public LevelFileSource {
 public:
  bool Exists(const std::string& name) override { return name == "level_1.xml"; }
  bool Read(const std::string&, std::string& text) override {
    text = "<levels><level id=\"demo_flat.map\" money=\"100000\" food=\"0\" name=\"bench\" music=\"\" win=\"\" "
           "defeat=\"\" gold_rat=\"30\" silver_rat=\"60\"><des>x</des><units/><assaults>"
           "<assault time=\"100000\" recruit=\"0\" stop=\"0\" text=\"\" sound=\"\" x=\"60\" y=\"48\" width=\"0\" "
           "height=\"0\" t_x=\"2\" t_y=\"0\"><enemy id=\"goblin\" num=\"1\"/></assault></assaults></level>"
           "</levels>";
    return true;
  }
};

// The game's managers in the start-up order, with the level started.
class Game {
 public:
  Game() {
    GuiTestSystem();
    static const bool data = [] {
      Ogre::LogManager::getSingleton().getDefaultLog()->setLogDetail(Ogre::LL_LOW);
      auto& groups = Ogre::ResourceGroupManager::getSingleton();
      for (const char* folder : {YVEK_DATA_DIR "/general", YVEK_BUILD_DIR "/general", YVEK_BUILD_DIR "/maps"})
        groups.addResourceLocation(folder, "FileSystem", "General");
      groups.addResourceLocation(YVEK_DATA_DIR "/units", "FileSystem", "Main");
      groups.initialiseResourceGroup("General");
      groups.initialiseResourceGroup("Main");
      return true;
    }();
    (void)data;
    scene = HeadlessEngine().createSceneManager();
    Ogre::Camera* camera = CreateMainCamera(scene);
    terrain = std::make_unique<CGATerrainManager>(scene, false);
    collision = std::make_unique<CGACollisionManager>(scene);
    units = std::make_unique<CGAUnitManager>(scene);
    units->SetUnitWorld(&world);
    controller = std::make_unique<CGACamera>(camera, scene);
    controller->SetPitchLimits(Ogre::Vector2(30, 50));
    controller->SetDistanceLimits(Ogre::Vector2(10, 25));
    controller->SetLookAt(Ogre::Vector3(42, 32, 48));
    controller->Zoom(4);
    controller->Rotate(0, -20);
    effects = std::make_unique<CGAEffectManager>(
        scene, scene->getRootSceneNode()->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY),
        camera);
    effects->LoadEffectFiles("Main");
    units->LoadUnitTemplates("Main");
    PlayerRecord = SPlayerRecord{};
    units->LoadUnitXml("unit.xml");
    gui = std::make_unique<CGAGUIManager>(host, levels, battlefield);
    labels = std::make_unique<CGAGUILabelEx>();
    gui->StartLevel(0);
    for (const char* type : {"swordsman", "farmer", "goblin", "brute", "dark_archer", "gold"})
      gui->GetMainScreen()->AddUnit(type);
  }
  ~Game() {
    labels.reset();
    gui.reset();
    units->ClearUnits();
    effects.reset();
    controller.reset();
    units.reset();
    collision.reset();
    terrain.reset();
    HeadlessEngine().destroySceneManager(scene);
  }

  // 150 defenders, each with an attacker beside it in its lane; nobody
  // dies, so the fighting goes on for the whole measurement.
  void Battle() {
    for (int i = 0; i < 150; ++i) {
      const int x = 11 + 4 * (i / 6 % 13), z = 43 + 2 * (i % 6);
      CGAUnit* defender = units->CreateUnit(i % 3 ? "swordsman" : "farmer");
      defender->SetInt(kSlotSide, 1);
      defender->SetPosition(Ogre::Vector3(static_cast<float>(x), 0, static_cast<float>(z)));
      battlefield.SpawnUnit(i % 5 ? "goblin" : "brute", 0, x + 2, z, true, 2, 0);
    }
    for (CGAUnit* unit : units->GetUnits()) {
      unit->SetInt(kSlotMaxHp, 1000000);
      unit->SetInt(kSlotHp, 1000000);
    }
  }

  void AddLabels() {
    for (int i = 0; i < 50; ++i)
      labels->AddLabel("{colour,FFFFFF00}+$" + CEGUI::String(std::to_string(i)),
                       Ogre::Vector3(20.0f + i % 10, 32, 44.0f + i / 10), 1e6f, "simhei-10");
  }

  // One frame's logic, in the order of the game's frame.
  void Frame() {
    if (!BattlePaused) units->Update();
    effects->Update();
    terrain->Update();
    controller->Update();
    gui->Update();
    labels->Update();
  }

  Ogre::SceneManager* scene;
  CTPAudioManager sound;  // without a device: silent
  QuietHost host;
  OneLevel levels;
  BenchUnitWorld world;
  CGAGameBattlefield battlefield;
  std::unique_ptr<CGATerrainManager> terrain;
  std::unique_ptr<CGACollisionManager> collision;
  std::unique_ptr<CGAUnitManager> units;
  std::unique_ptr<CGACamera> controller;
  std::unique_ptr<CGAEffectManager> effects;
  std::unique_ptr<CGAGUIManager> gui;
  std::unique_ptr<CGAGUILabelEx> labels;
};

void BM_LevelFrameLogic(benchmark::State& state) {
  Game game;
  game.Battle();
  game.AddLabels();
  FrameDeltaMs = 15;
  FrameDeltaSeconds = 0.015f;
  for (int i = 0; i < 100; ++i) game.Frame();  // paths found, fights begun
  for (auto _ : state) game.Frame();
  state.counters["units"] = static_cast<double>(game.units->GetUnits().size());
  int fighting = 0;
  for (CGAUnit* unit : game.units->GetUnits()) fighting += unit->IsInAction("attack");
  state.counters["fighting"] = fighting;
  state.counters["labels"] = static_cast<double>(game.labels->GetLabels().size());
  state.counters["paused"] = BattlePaused;
}
BENCHMARK(BM_LevelFrameLogic)->Unit(benchmark::kMillisecond)->Iterations(400);

}  // namespace

BENCHMARK_MAIN();
