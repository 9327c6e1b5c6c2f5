#pragma once
// The game's own unit and effect worlds over the real terrain, unit, effect
// and preloader managers in a headless scene, with the demo units and
// effects on a flat map whose every cell is placeable.
#include "tests/units/ModelTestSupport.h"
#include "effects/EffectManager.h"
#include "game/ResourcePreloader.h"
#include "game/app/GameEffectWorld.h"
#include "game/app/GameUnitWorld.h"
#include "tests/screens/LevelGlobals.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"

#include <memory>

class GameWorldFixture : public ::testing::Test {
 protected:
  GameWorldFixture();
  ~GameWorldFixture() override;

  // A unit of the unit manager at (x, 10), on a side.
  CGAUnit* Place(const char* name, float x, int side);
  // One frame as the game runs it: units, effects, then the loads answered
  // at the frame's end.
  void Frame();
  // Frames until every unit shows its body (its parts load in the
  // background).
  void UntilShown();
  // Every effect still managed belongs to a unit still live: one shadow
  // for each live unit of a type other than 0.
  void ExpectOneShadowPerUnit();

  ScopedLevelGlobals globals;
  LogLines log;
  Ogre::SceneManager* scene = nullptr;
  std::unique_ptr<CGATerrainManager> terrain;
  CGAResourcePreloader preloader;
  GameUnitWorld unitWorld;
  GameEffectWorld effectWorld;
  std::unique_ptr<CGAUnitManager> units;
  std::unique_ptr<CGAEffectManager> effects;
};
