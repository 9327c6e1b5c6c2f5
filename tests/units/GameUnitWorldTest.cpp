// The demo units in the game's own unit world, over the real terrain, unit,
// effect and preloader managers in a headless scene: units that leave take
// their effects with them, and neither side touches what the other has
// already deleted, whichever of the two is cleared first (a level reset) or
// destroyed first (the game's shutdown ends effects before units).
#include "ModelTestSupport.h"
#include "effects/EffectManager.h"
#include "game/FrameClock.h"
#include "game/GameEffectWorld.h"
#include "game/GameUnitWorld.h"
#include "game/ResourcePreloader.h"
#include "platform/Random.h"
#include "screens/LevelState.h"
#include "support/HeadlessEngine.h"
#include "support/WaitFor.h"
#include "terrain/MapReader.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"

#include <Ogre.h>

#include <memory>
#include <thread>

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

class GameUnitWorldTest : public ::testing::Test {
 protected:
  GameUnitWorldTest() {
    DemoUnitsAndEffects();
    platform::SeedRand(5);
    scene = HeadlessEngine().createSceneManager();
    EXPECT_TRUE(terrain->InstallMap(FlatMap()));
    units = std::make_unique<CGAUnitManager>(scene);
    units->SetUnitWorld(&unitWorld);
    units->LoadUnitTemplates("Main");
    units->LoadUnitXml("unit.xml");
    effects = std::make_unique<CGAEffectManager>(scene, scene->getRootSceneNode()->createChildSceneNode(), nullptr);
    effects->SetWorld(&effectWorld);
    effects->LoadEffectFiles("Main");
    LevelGoldRat = 100;  // every fallen enemy drops a coin
    GameState = 0;
  }
  ~GameUnitWorldTest() override {
    // The game's order: effects first.
    effects.reset();
    units.reset();
    HeadlessEngine().destroySceneManager(scene);
    LevelGoldRat = 0;
    GameState = 0;
    FrameDeltaSeconds = 0.0f;
    FrameDeltaMs = 0;
  }

  CGAUnit* Place(const char* name, float x, int side) {
    CGAUnit* unit = units->CreateUnit(name);
    unit->SetInt(kSlotSide, side);
    unit->SetPosition(Ogre::Vector3(x, 0, 10));
    return unit;
  }
  // One frame as the game runs it: units, effects, then the loads answered
  // at the frame's end.
  void Frame() {
    SetFrame(0.015f);
    units->Update();
    scene->_applySceneAnimations();
    effects->Update();
    HeadlessEngine().getWorkQueue()->processResponses();
  }
  // Frames until every unit shows its body (its parts load in the
  // background).
  void UntilShown() {
    auto shown = [&] {
      for (CGAUnit* unit : units->GetUnits())
        if (!unit->GetModel()->GetEntity()) return false;
      return true;
    };
    if (!WaitFor(shown, [&] { Frame(); })) FAIL() << "the units' parts never loaded";
  }
  // Every effect still managed belongs to a unit still live: one shadow
  // for each live unit of a type other than 0.
  void ExpectOneShadowPerUnit() {
    size_t shadows = 0;
    for (CGAUnit* unit : units->GetUnits()) shadows += *unit->GetType() != 0;
    EXPECT_EQ(effects->GetManagedCount(), shadows);
  }

  LogCapture log;
  Ogre::SceneManager* scene = nullptr;
  std::unique_ptr<CGATerrainManager> terrain = std::make_unique<CGATerrainManager>(nullptr, false);
  CGAResourcePreloader preloader;
  GameUnitWorld unitWorld;
  GameEffectWorld effectWorld;
  std::unique_ptr<CGAUnitManager> units;
  std::unique_ptr<CGAEffectManager> effects;
};

TEST_F(GameUnitWorldTest, UnitsThatLeaveTakeTheirEffectsAlong) {
  CGAUnit* farmer = Place("farmer", 20, 1);
  CGAUnit* coin = Place("gold", 10, 1);
  CGAUnit* goblin = Place("goblin", 30, 2);  // stands and drops a coin when it falls
  UntilShown();
  ExpectOneShadowPerUnit();
  EXPECT_EQ(effects->GetManagedCount(), 2u);

  // The goblin falls; 2 s later it is gone, and so is its coin drop's
  // effect. The first coin ages out after 5 s, taking its shadow; the
  // dropped one follows it.
  goblin->SetInt(kSlotHp, 0);
  Frame();
  EXPECT_TRUE(goblin->IsFading());
  int frames = 0;
  for (; frames < 800 && units->GetUnits().size() > 1; ++frames) Frame();
  Frame();
  EXPECT_FALSE(units->IsLive(goblin));
  EXPECT_FALSE(units->IsLive(coin));
  ASSERT_EQ(units->GetUnits(), std::vector<CGAUnit*>{farmer});
  ExpectOneShadowPerUnit();
  EXPECT_EQ(GameState, 0);
}

TEST_F(GameUnitWorldTest, ALevelResetIsSafeInEitherOrder) {
  for (bool unitsFirst : {true, false}) {
    SCOPED_TRACE(unitsFirst ? "units cleared first" : "effects destroyed first");
    Place("farmer", 20, 1);
    Place("priest", 24, 1);
    Place("gold", 10, 1);
    UntilShown();
    ASSERT_EQ(effects->GetManagedCount(), 3u);
    if (unitsFirst) {
      units->ClearUnits();
      effects->DestroyAllEffects();
    } else {
      effects->DestroyAllEffects();
      units->ClearUnits();
    }
    EXPECT_TRUE(units->GetUnits().empty());
    EXPECT_EQ(effects->GetManagedCount(), 0u);
    for (int i = 0; i < 5; ++i) Frame();
  }
  // The next level plays on as usual.
  Place("farmer", 20, 1);
  UntilShown();
  ExpectOneShadowPerUnit();
}

// The game ends its effects before its units: the units' models then find
// their effects gone, and the effect manager with them.
TEST_F(GameUnitWorldTest, UnitsOutliveTheEffectManagerAtShutdown) {
  Place("farmer", 20, 1);
  Place("gold", 10, 1);
  UntilShown();
  effects.reset();
  units.reset();
  EXPECT_EQ(scene->getMovableObjects("Entity").size(), 0u);
}

}  // namespace
