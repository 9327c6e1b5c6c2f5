// A level's whole frame logic, everything but the render, on one core: 500
// units on the flat demo map fighting with the game's own effects and
// particles (read from its effect files). They hit and die; fallen enemies
// drop coins, the level's waves bring new enemies and fallen defenders are
// recruited again, so the battle keeps its size. Each frame runs the game's
// steps (units, effects, terrain, camera, the in-game screen with its level
// driver, 50 floating labels) and poses the skeletons of the units in view as
// a draw would, in a headless scene with the GUI on its null renderer.
// Prints the median, 90th and 99th percentile and the worst frame in
// processor time of the thread (targets: median under 2 ms, 99th percentile
// under 5 ms, no frame over 15 ms).
#include "effects/EffectManager.h"
#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "game/ResourcePreloader.h"
#include "game/app/GameBattlefield.h"
#include "game/app/GameEffectWorld.h"
#include "game/app/GameUnitWorld.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GameHost.h"
#include "tests/screens/GuiTestSystem.h"
#include "screens/LevelFile.h"
#include "screens/LevelState.h"
#include "tests/support/HeadlessEngine.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"
#include "units/UnitPartDef.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

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

// The game's battlefield, counting the units the waves bring.
class CountingBattlefield : public CGAGameBattlefield {
 public:
  void SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX, int goalZ) override {
    CGAGameBattlefield::SpawnUnit(type, side, x, z, hasGoal, goalX, goalZ);
    ++spawned;
  }
  int spawned = 0;
};

// One level on the flat demo map: a wave every second, for longer than the
// measurement, of enemies that march to the defeat cells in the west.
class WavesLevel : public LevelFileSource {
 public:
  bool Exists(const std::string& name) override { return name == "level_1.xml"; }
  bool Read(const std::string&, std::string& text) override {
    text = "<levels><level id=\"demo_flat.map\" money=\"100000\" food=\"0\" name=\"bench\" music=\"\" win=\"\" "
           "defeat=\"\" gold_rat=\"30\" silver_rat=\"60\"><des>x</des><units/><assaults>";
    for (int wave = 0; wave < 600; ++wave)
      text += "<assault time=\"1\" recruit=\"0\" stop=\"0\" text=\"\" sound=\"\" x=\"52\" y=\"48\" width=\"0\" "
              "height=\"0\" t_x=\"2\" t_y=\"0\"><enemy id=\"goblin\" num=\"6\"/><enemy id=\"brute\" num=\"1\"/>"
              "<enemy id=\"dark_archer\" num=\"1\"/></assault>";
    text += "</assaults></level></levels>";
    return true;
  }
};

// This thread's processor time in milliseconds: the machine's other work
// does not count.
double ThreadMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// The game's managers in the start-up order, with the level started.
class Game {
 public:
  // A defender's place in the line and who stands there.
  struct Post {
    int x, z, index;
    CGAUnit* unit = nullptr;
  };

  Game() {
    GuiTestSystem();
    static const bool particles = [] {
      // The engine's particles: its plug-in, the billboard renderer and the
      // particles' time controller, which an initialised engine would have,
      // and their templates beside the game's data.
      HeadlessEngine().loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/Plugin_ParticleFX");
      if (!Ogre::ControllerManager::getSingletonPtr()) new Ogre::ControllerManager();
      Ogre::ParticleSystemManager::getSingleton()._initialise();
      Ogre::ResourceGroupManager::getSingleton().addResourceLocation(YVEK_DATA_DIR "/particles", "FileSystem",
                                                                     "General");
      return true;
    }();
    (void)particles;
    ShippedData();
    scene = HeadlessEngine().createSceneManager();
    camera = CreateMainCamera(scene);
    terrain = std::make_unique<CGATerrainManager>(scene, false);
    collision = std::make_unique<CGACollisionManager>(scene);
    units = std::make_unique<CGAUnitManager>(scene);
    units->SetUnitWorld(&world);
    controller = std::make_unique<CGACamera>(camera, scene);
    controller->SetPitchLimits(Ogre::Vector2(30, 50));
    controller->SetDistanceLimits(Ogre::Vector2(10, 25));
    controller->SetLookAt(Ogre::Vector3(30, 32, 48));
    controller->Zoom(4);
    controller->Rotate(0, -20);
    effects = std::make_unique<CGAEffectManager>(
        scene, scene->getRootSceneNode()->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY),
        camera);
    effects->SetWorld(&effectWorld);
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

  // Defenders in the lanes (x 34-55, east of the defeat cells) west of the
  // spawn columns, as a player places them: a few a frame, so their attacks
  // do not all fall in one frame.
  // Fallen ones are recruited again at their post, so the line holds as the
  // waves come.
  void HoldTheLine(int defenders) {
    if (posts.empty()) {
      for (int i = 0; i < defenders; ++i) posts.push_back(Post{35 + 2 * (i / 6 % 9), 43 + 2 * (i % 6), i});
    }
    int placed = 0;
    for (Post& post : posts) {
      if (post.unit && units->IsLive(post.unit) && post.unit->GetInt(kSlotHp) > 0) continue;
      if (++placed > 4) return;
      const char* const types[] = {"swordsman", "swordsman", "archer", "priest"};
      post.unit = units->CreateUnit(types[post.index % 4]);
      post.unit->SetInt(kSlotSide, 1);
      post.unit->SetPosition(Ogre::Vector3(static_cast<float>(post.x), 0, static_cast<float>(post.z)));
      if (recruited++ < defenders) Attacker(post);
    }
  }

  // Attackers already in the field, each beside a defender, marching on.
  void Attacker(const Post& post) {
    battlefield.SpawnUnit(post.index % 5 ? "goblin" : (post.index % 10 ? "brute" : "dark_archer"), 0, post.x + 2,
                          post.z, true, 2, 0);
  }

  void AddLabels() {
    for (int i = 0; i < 50; ++i)
      labels->AddLabel("{colour,FFFFFF00}+$" + CEGUI::String(std::to_string(i)),
                       Ogre::Vector3(20.0f + i % 10, 32, 44.0f + i / 10), 1e6f, "simhei-10");
  }

  // One frame's logic, in the order of the game's frame, then what a draw
  // does before it draws: the scene's node animations and, for every unit
  // part the camera sees, its skeleton posed and its vertices blended.
  void Frame() {
    Ogre::Root::getSingleton()._fireFrameStarted();
    if (!BattlePaused) units->Update();
    effects->Update();
    terrain->Update();
    controller->Update();
    gui->Update();
    labels->Update();
    scene->_applySceneAnimations();
    for (CGAUnit* unit : units->GetUnits())
      if (Ogre::SceneNode* node = unit->GetModel()->GetSceneNode()) PoseInView(node);
    Ogre::Root::getSingleton()._fireFrameEnded();
  }

  void PoseInView(Ogre::SceneNode* node) {
    if (!node->isInSceneGraph()) return;
    for (Ogre::MovableObject* object : node->getAttachedObjects()) PoseInView(object);
    for (Ogre::Node* child : node->getChildren()) PoseInView(static_cast<Ogre::SceneNode*>(child));
  }
  void PoseInView(Ogre::MovableObject* object) {
    if (object->getMovableType() != Ogre::EntityFactory::FACTORY_TYPE_NAME || !object->isVisible() ||
        !camera->isVisible(object->getWorldBoundingBox(true)))
      return;
    auto* entity = static_cast<Ogre::Entity*>(object);
    entity->_updateAnimation();
    ++posed;
    for (Ogre::MovableObject* attached : entity->getAttachedObjects()) PoseInView(attached);
  }

  int Count(int side) {
    int n = 0;
    for (CGAUnit* unit : units->GetUnits()) n += unit->GetInt(kSlotSide) == side && *unit->GetType() != kUnitPickUp;
    return n;
  }
  int Coins() {
    int n = 0;
    for (CGAUnit* unit : units->GetUnits()) n += *unit->GetType() == kUnitPickUp;
    return n;
  }

  Ogre::SceneManager* scene;
  Ogre::Camera* camera;
  CTPAudioManager sound;  // without a device: silent
  QuietHost host;
  WavesLevel levels;
  BenchUnitWorld world;
  GameEffectWorld effectWorld;
  CountingBattlefield battlefield;
  std::unique_ptr<CGATerrainManager> terrain;
  std::unique_ptr<CGACollisionManager> collision;
  std::unique_ptr<CGAUnitManager> units;
  std::unique_ptr<CGACamera> controller;
  std::unique_ptr<CGAEffectManager> effects;
  std::unique_ptr<CGAGUIManager> gui;
  std::unique_ptr<CGAGUILabelEx> labels;
  std::vector<Post> posts;
  int recruited = 0;
  long posed = 0;
};

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

void BM_LevelFrame(benchmark::State& state) {
  Game game;
  FrameDeltaMs = 15;
  FrameDeltaSeconds = 0.015f;
  game.AddLabels();
  for (int i = 0; i < 300; ++i) {  // the line placed, fights begun, every effect made once
    game.HoldTheLine(250);
    game.Frame();
  }
  const int recruitedBefore = game.recruited, enemiesBefore = game.Count(0);
  const int spawnedBefore = game.battlefield.spawned;
  int mostCoins = 0;
  int fewestUnits = 1 << 30, mostUnits = 0;
  size_t mostEffects = 0;
  long posedBefore = game.posed;
  std::vector<double> frames;
  for (auto _ : state) {
    const double start = ThreadMs();
    game.HoldTheLine(250);
    game.Frame();
    frames.push_back(ThreadMs() - start);
    const int fighting = game.Count(0) + game.Count(1);
    fewestUnits = std::min(fewestUnits, fighting);
    mostUnits = std::max(mostUnits, fighting);
    mostEffects = std::max(mostEffects, game.effects->GetManagedCount());
    mostCoins = std::max(mostCoins, game.Coins());
  }
  state.counters["median_ms"] = Percentile(frames, 0.5);
  state.counters["p90_ms"] = Percentile(frames, 0.9);
  state.counters["p99_ms"] = Percentile(frames, 0.99);
  state.counters["worst_ms"] = *std::max_element(frames.begin(), frames.end());
  state.counters["units_min"] = fewestUnits;
  state.counters["units_max"] = mostUnits;
  state.counters["defenders_fallen"] = game.recruited - recruitedBefore;
  state.counters["effects_max"] = double(mostEffects);
  state.counters["enemies_fallen"] = enemiesBefore + game.battlefield.spawned - spawnedBefore - game.Count(0);
  state.counters["coins_max"] = mostCoins;
  state.counters["posed_per_frame"] = double(game.posed - posedBefore) / double(frames.size());
  state.counters["lost"] = GameState == kGameLost;
  state.counters["paused"] = BattlePaused;
}
BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMillisecond)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
