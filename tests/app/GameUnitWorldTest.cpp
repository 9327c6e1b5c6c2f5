// The demo units in the game's own unit world, over the real terrain, unit,
// effect and preloader managers in a headless scene: units that leave take
// their effects with them, and neither side touches what the other has
// already deleted, whichever of the two is cleared first (a level reset) or
// destroyed first (the game's shutdown ends effects before units).
#include "GameWorldFixture.h"
#include "screens/LevelState.h"

namespace {

using GameUnitWorldTest = GameWorldFixture;

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
