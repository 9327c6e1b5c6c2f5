#include "HeadlessGame.h"

#include "tests/screens/FakeHost.h"
#include "tests/screens/GuiTestSystem.h"
#include "effects/EffectManager.h"
#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "game/ResourcePreloader.h"
#include "game/app/GameBattlefield.h"
#include "game/app/GameEffectWorld.h"
#include "game/app/GameUnitWorld.h"
#include "screens/GUIIconEx.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GUIRecruit.h"
#include "screens/LevelFile.h"
#include "screens/LevelState.h"
#include "screens/Placement.h"
#include "tests/support/HeadlessEngine.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitPartDef.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

#include <cmath>
#include <sstream>
#include <vector>

namespace {

const float kWindowWidth = 800, kWindowHeight = 600;

// Units stand in the middle of grid cells of 2 x 2 world units.
float CellMiddle(float v) { return 2 * std::floor(v / 2) + 1; }

bool SameCell(const Ogre::Vector3& a, float x, float z) { return CellMiddle(a.x) == x && CellMiddle(a.z) == z; }

}  // namespace

// No player is named: no record file is written.
class HeadlessGame::Host : public FakeHost {};

class HeadlessGame::Levels : public ResourceLevelFiles {};

// The units' meshes and skeletons load at once: the headless engine answers
// no background requests and has no textures.
class HeadlessGame::UnitWorld : public GameUnitWorld {
 public:
  bool LoadPart(UnitPartDef& part) override { return part.LoadResources(mLoader); }

 private:
  class LoadAtOnce : public BackgroundLoader {
   public:
    Ogre::BackgroundProcessTicket LoadInBackground(const std::string& type, const std::string& name) override {
      if (type != "Texture")
        Ogre::ResourceGroupManager::getSingleton()._getResourceManager(type)->load(name, "General");
      return ++mTickets;
    }
    bool IsLoaded(Ogre::BackgroundProcessTicket) override { return true; }

   private:
    Ogre::BackgroundProcessTicket mTickets = 0;
  };
  LoadAtOnce mLoader;
};

class HeadlessGame::EffectWorld : public GameEffectWorld {};
// Counts the places drawn for the player's side (reinforcements) and the
// units that came of them.
class HeadlessGame::Field : public CGAGameBattlefield {
 public:
  bool CellHasPlayerUnit(int cellX, int cellZ) override {
    ++reinforcementsDrawn;
    return CGAGameBattlefield::CellHasPlayerUnit(cellX, cellZ);
  }
  void SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX, int goalZ) override {
    if (side == kSidePlayer) ++reinforcementsArrived;
    CGAGameBattlefield::SpawnUnit(type, side, x, z, hasGoal, goalX, goalZ);
  }

  int reinforcementsDrawn = 0;
  int reinforcementsArrived = 0;
};

HeadlessGame::HeadlessGame() {
  ShippedData();
  PlayerRecord.Gold = kNewPlayerGold;
  mScene = HeadlessEngine().createSceneManager();
  Ogre::Camera* camera = CreateMainCamera(mScene);
  mHost = std::make_unique<Host>();
  mLevels = std::make_unique<Levels>();
  mUnitWorld = std::make_unique<UnitWorld>();
  mEffectWorld = std::make_unique<EffectWorld>();
  mField = std::make_unique<Field>();
  // In the start-up's order.
  mTerrain = std::make_unique<CGATerrainManager>(mScene, false);
  mCollision = std::make_unique<CGACollisionManager>(mScene);
  mUnits = std::make_unique<CGAUnitManager>(mScene);
  mUnits->SetUnitWorld(mUnitWorld.get());
  mCamera = std::make_unique<CGACamera>(camera, mScene);
  mEffects = std::make_unique<CGAEffectManager>(
      mScene, mScene->getRootSceneNode()->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY),
      camera);
  mEffects->SetWorld(mEffectWorld.get());
  mSound = std::make_unique<CTPAudioManager>();
  // The start view.
  mCamera->SetPitchLimits(Ogre::Vector2(30, 50));
  mCamera->SetDistanceLimits(Ogre::Vector2(10, 25));
  mCamera->SetLookAt(Ogre::Vector3(42, 32, 48));
  mCamera->Zoom(4);
  mCamera->Rotate(0, -20);
  mCamera->SetSmoothFollow(true);
  mEffects->LoadEffectFiles("Main");
  mUnits->LoadUnitTemplates("Main");
  mUnits->LoadUnitXml("unit.xml");
  mGui = std::make_unique<CGAGUIManager>(*mHost, *mLevels, *mField);
  mLabels = std::make_unique<CGAGUILabelEx>();
}

HeadlessGame::~HeadlessGame() {
  mLabels.reset();
  mGui.reset();
  mUnits->ClearUnits();
  mEffects->DestroyAllEffects();
  mEffects.reset();
  mCamera.reset();
  mUnits.reset();
  mCollision.reset();
  mTerrain.reset();
  mSound.reset();
  HeadlessEngine().destroySceneManager(mScene);
}

void HeadlessGame::Unlock(const std::string& type) { mUnits->GetUnitTemplate(type)->unlocked = true; }

bool HeadlessGame::StartLevel(int n) { return mGui->StartLevel(n); }

void HeadlessGame::Frame(uint32_t ms) {
  FrameDeltaMs = ms;
  FrameDeltaSeconds = static_cast<float>(ms) * 0.001f;
  FrameTimeMs += ms;
  if (!BattlePaused) mUnits->Update();
  mEffects->Update();
  mTerrain->Update();
  mCamera->Update();
  mGui->Update();
  mLabels->Update();
}

CGAGUIMain& HeadlessGame::Screen() const { return *mGui->GetMainScreen(); }

int HeadlessGame::ReinforcementsDrawn() const { return mField->reinforcementsDrawn; }

int HeadlessGame::ReinforcementsArrived() const { return mField->reinforcementsArrived; }

namespace {

std::vector<std::string> Names(const std::string& list) {
  std::vector<std::string> names;
  std::stringstream stream(list);
  for (std::string name; std::getline(stream, name, ',');) names.push_back(name);
  return names;
}

}  // namespace

bool HeadlessGame::Recruit(const std::string& types) {
  CGAGUIRecruit* recruit = Screen().GetRecruit();
  if (!recruit->IsVisible()) return false;
  for (const std::string& type : Names(types))
    for (size_t i = 0; i < CGAGUIRecruit::kCells; ++i)
      if (recruit->GetIcon(i) && recruit->GetIcon(i)->GetUnit()->Name == type) Click(recruit->GetCell(i));
  Click(Screen().GetRoot()->getChild("recruit/ok"));
  return !recruit->IsVisible();
}

bool HeadlessGame::ScreenPoint(float x, float z, float* px, float* py) const {
  Ogre::Vector3 screen;
  if (!mCamera->WorldToScreen(Ogre::Vector3(x, mTerrain->GetHeight(x, z), z), &screen)) return false;
  *px = screen.x * kWindowWidth;
  *py = screen.y * kWindowHeight;
  return screen.x > 0 && screen.x < 1 && screen.y > 0 && screen.y < 1;
}

void HeadlessGame::ClickGround(float x, float z) {
  float px, py;
  if (ScreenPoint(x, z, &px, &py)) ClickAt(px, py);
}

bool HeadlessGame::Place(const std::string& type, float x, float z) {
  // Aimed at the middle of the grid cell, as a player aims.
  x = CellMiddle(x);
  z = CellMiddle(z);
  CGAGUIMain& screen = Screen();
  size_t slot = CGAGUIMain::kBarSlots;
  for (size_t i = 0; i < CGAGUIMain::kBarSlots; ++i)
    if (screen.GetBarIcon(i) && screen.GetBarIcon(i)->GetUnit()->Name == type) slot = i;
  float px, py;
  if (slot == CGAGUIMain::kBarSlots || !ScreenPoint(x, z, &px, &py)) return false;
  Click(screen.GetBarSlot(slot));
  if (!screen.GetHeldUnit()) return false;  // cooling down or too dear
  ClickAt(px, py);
  if (screen.GetHeldUnit()) {  // not placeable there: the player gives up
    Context().injectMouseButtonDown(CEGUI::RightButton);
    Context().injectMouseButtonUp(CEGUI::RightButton);
    return false;
  }
  for (CGAUnit* unit : mUnits->GetUnits())
    if (unit->GetTemplateName() == type && unit->GetInt(kSlotSide) == kSidePlayer && *unit->GetType() != kUnitPreview &&
        SameCell(unit->GetPosition(), x, z))
      return true;
  return false;
}
