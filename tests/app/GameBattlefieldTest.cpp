// The game's battlefield as the level driver sees it: waves' units made by
// the unit manager, and the player's units found in the unit grid.
#include "tests/units/UnitTestSupport.h"
#include "game/app/GameBattlefield.h"
#include "terrain/TerrainManager.h"

namespace {

using GameBattlefield = UnitFixture;

TEST_F(GameBattlefield, SpawnedUnitsTakeTheirSidePlaceAndGoal) {
  CGAGameBattlefield field;
  field.SpawnUnit("soldier", 0, 63, 43, true, 2, 48);
  field.SpawnUnit("soldier", 1, 45, 47, false, 0, 0);
  ASSERT_EQ(manager.GetUnits().size(), 2u);
  CGAUnit* enemy = manager.GetUnits()[0];
  EXPECT_EQ(enemy->GetInt(kSlotSide), 0);
  EXPECT_EQ(enemy->GetPosition().x, 63);
  EXPECT_EQ(enemy->GetPosition().z, 43);
  EXPECT_EQ(enemy->GetGoal(), std::make_pair(2, 48));
  EXPECT_EQ(manager.GetUnits()[1]->GetGoal(), std::make_pair(0, 0));

  Frames(1);  // files the units in the grid
  EXPECT_TRUE(field.CellHasPlayerUnit(22, 23));
  EXPECT_FALSE(field.CellHasPlayerUnit(31, 21));  // the enemy's cell
  EXPECT_TRUE(field.HasSideZeroUnits());
}

// A unit the manager cannot make is left out; the wave goes on.
TEST_F(GameBattlefield, AUnitThatCannotBeMadeIsSkipped) {
  CGAGameBattlefield field;
  manager.SetUnitWorld(nullptr);
  field.SpawnUnit("soldier", 0, 63, 43, true, 2, 48);
  EXPECT_TRUE(manager.GetUnits().empty());
  manager.SetUnitWorld(&world);
}

// A level's map that is missing or no map: the battlefield says so (the
// level start then refuses the level) and holds no map.
TEST_F(GameBattlefield, AMapThatCannotBeLoadedIsReported) {
  CGATerrainManager terrain(nullptr, false);
  CGAGameBattlefield field;
  EXPECT_FALSE(field.LoadMap("no_such_map.map"));
  EXPECT_TRUE(log.Has({"Map no_such_map.map", "not found"})) << log.All();
  EXPECT_EQ(terrain.GetPathFinder(), nullptr);
}

}  // namespace
