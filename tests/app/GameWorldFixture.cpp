#include "GameWorldFixture.h"

#include "platform/Random.h"
#include "screens/LevelState.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/WaitFor.h"
#include "terrain/MapReader.h"
#include "units/UnitManager.h"

#include <Ogre.h>


namespace {

// A flat 64 x 64 map, every cell placeable.
CGAMapData FlatMap() {
  CGAMapData map;
  std::string error;
  EXPECT_TRUE(CGAMapReader::SetLayout(map, 64, 64, 16, 1, 1, error)) << error;
  map.FileName = "flat.map";
  std::fill(map.Logic.begin(), map.Logic.end(), 1);
  return map;
}

}  // namespace

GameWorldFixture::GameWorldFixture() {
  DemoUnitsAndEffects();
  platform::SeedRand(5);
  scene = HeadlessEngine().createSceneManager();
  terrain = std::make_unique<CGATerrainManager>(nullptr, false);
  EXPECT_TRUE(terrain->InstallMap(FlatMap()));
  units = std::make_unique<CGAUnitManager>(scene);
  units->SetUnitWorld(&unitWorld);
  units->LoadUnitTemplates("Main");
  units->LoadUnitXml("unit.xml");
  effects = std::make_unique<CGAEffectManager>(scene, scene->getRootSceneNode()->createChildSceneNode(), nullptr);
  effects->SetWorld(&effectWorld);
  effects->LoadEffectFiles("Main");
  LevelGoldRat = 100;  // every fallen enemy drops a coin
}

GameWorldFixture::~GameWorldFixture() {
  // The game's order: effects first.
  effects.reset();
  units.reset();
  terrain.reset();
  HeadlessEngine().destroySceneManager(scene);
}

CGAUnit* GameWorldFixture::Place(const char* name, float x, int side) {
  CGAUnit* unit = units->CreateUnit(name);
  unit->SetInt(kSlotSide, side);
  unit->SetPosition(Ogre::Vector3(x, 0, 10));
  return unit;
}

void GameWorldFixture::Frame() {
  SetFrame(0.015f);
  units->Update();
  scene->_applySceneAnimations();
  effects->Update();
  HeadlessEngine().getWorkQueue()->processResponses();
}

void GameWorldFixture::UntilShown() {
  auto shown = [&] {
    for (CGAUnit* unit : units->GetUnits())
      if (!unit->GetModel()->GetEntity()) return false;
    return true;
  };
  if (!WaitFor(shown, [&] { Frame(); })) FAIL() << "the units' parts never loaded";
}

void GameWorldFixture::ExpectOneShadowPerUnit() {
  size_t shadows = 0;
  for (CGAUnit* unit : units->GetUnits()) shadows += *unit->GetType() != 0;
  EXPECT_EQ(effects->GetManagedCount(), shadows);
}
