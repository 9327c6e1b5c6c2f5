#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "platform/Random.h"
#include "screens/LevelDriver.h"
#include "screens/LevelState.h"
#include "tests/screens/LevelGlobals.h"
#include "tests/support/LogLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <stdexcept>

namespace {

struct Spawned {
  std::string type;
  int side, x, z;
  bool hasGoal;
  int goalX, goalZ;
};

class FakeField : public LevelDriver::Battlefield {
 public:
  bool sideZero = false;
  std::set<std::pair<int, int>> playerCells;
  std::vector<Spawned> spawned;
  size_t fallen = 0;  // of the spawned units, how many are gone

  bool HasSideZeroUnits() override { return sideZero; }
  bool CellHasPlayerUnit(int x, int z) override { return playerCells.count({x, z}) > 0; }
  void SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX, int goalZ) override {
    // Ends a test of runaway spawning at once instead of after billions.
    if (spawned.size() >= 100000) throw std::runtime_error("runaway spawning");
    spawned.push_back(Spawned{type, side, x, z, hasGoal, goalX, goalZ});
  }
  size_t CountLiveUnits() override { return spawned.size() - fallen; }
};

AssaultRecord Wave(int timeMs, int num, int gotoWave = 0) {
  AssaultRecord wave;
  wave.time = timeMs;
  wave.x = 60;
  wave.t_x = 4;
  wave.t_y = 48;
  wave.goto_wave = gotoWave;
  wave.enemies.push_back(LevelUnitEntry{"goblin", 0, num});
  return wave;
}

LevelRecord Level(std::vector<AssaultRecord> waves, int money = 1500) {
  LevelRecord level;
  level.file = "level_9.xml";
  level.id = "demo_flat";
  level.money = money;
  level.gold_rat = 30;
  level.silver_rat = 60;
  level.assaults = std::move(waves);
  return level;
}

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayerRecord.Gold = 500;
    platform::SeedRand(7);
  }

  void Begin(std::vector<LevelRecord> list, int n = 0) {
    levels = std::move(list);
    ASSERT_TRUE(driver.Start(levels, n));
    driver.Reset();
  }

  // Frames of `ms` until a wave is sent (at most `limit` frames); the clock
  // then.
  int ClockAtNextWave(uint32_t ms, int limit = 1000) {
    for (int i = 0; i < limit; ++i)
      if (driver.Frame(ms).wave) return driver.GetElapsedMs();
    return -1;
  }

  ScopedLevelGlobals globals;
  FakeField field;
  LevelDriver driver{field, platform::Rand};
  std::vector<LevelRecord> levels;
};

TEST_F(Driver, WavesGoOnTheFirstFrameStrictlyPastTheirTime) {
  Begin({Level({Wave(5000, 1), Wave(15000, 1), Wave(15000, 1)})});
  EXPECT_EQ(ClockAtNextWave(500), 5500);
  EXPECT_EQ(ClockAtNextWave(500), 15500);
  // Two waves of one time: on two frames in a row, one a frame.
  EXPECT_EQ(ClockAtNextWave(500, 1), 16000);
  EXPECT_EQ(driver.GetWavesSent(), 3);
  EXPECT_EQ(field.spawned.size(), 3u);
}

TEST_F(Driver, TheClockStandsWhilePausedOrStopped) {
  AssaultRecord stop = Wave(1000, 1);
  stop.stop = true;
  Begin({Level({stop, Wave(3000, 1)})});
  BattlePaused = 1;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(driver.Frame(500).wave, nullptr);
  EXPECT_EQ(driver.GetElapsedMs(), 0);
  BattlePaused = 0;

  ASSERT_EQ(ClockAtNextWave(500), 1500);
  field.sideZero = true;
  for (int i = 0; i < 10; ++i) driver.Frame(500);
  EXPECT_EQ(driver.GetElapsedMs(), 1500);
  field.sideZero = false;
  EXPECT_EQ(ClockAtNextWave(500), 3500);
}

TEST_F(Driver, GotoLoopsAddThreeUnitsPerCycleUntilReset) {
  Begin({Level({Wave(1000, 1), Wave(1000, 2, 1)})});
  ClockAtNextWave(600);  // the first wave: 1 unit
  for (int cycle = 0; cycle < 3; ++cycle) {
    field.spawned.clear();
    ASSERT_EQ(ClockAtNextWave(600), 0);  // the goto sets the clock back
    EXPECT_EQ(field.spawned.size(), 2u + 3u * cycle) << "cycle " << cycle;
    EXPECT_EQ(driver.GetNextWave(), 1);
    EXPECT_EQ(driver.GetElapsedMs(), 0);
  }
  EXPECT_EQ(driver.GetExtraEnemies(), 9);
  driver.Reset();
  EXPECT_EQ(driver.GetExtraEnemies(), 0);
  EXPECT_EQ(driver.GetNextWave(), 0);
  EXPECT_EQ(driver.GetWavesSent(), 0);
}

// A goto past the end would read beyond the waves: every wave counts as sent.
TEST_F(Driver, GotoPastTheLastWaveEndsTheWaves) {
  Begin({Level({Wave(1000, 1, 7)})});
  ASSERT_EQ(ClockAtNextWave(600), 0);
  EXPECT_EQ(driver.GetNextWave(), 1);
  EXPECT_TRUE(driver.Frame(600).won);
}

TEST_F(Driver, SpawnFillsColumnsOfSixWithTheLastRowSixth) {
  Begin({Level({Wave(0, 13)})});
  ASSERT_GT(ClockAtNextWave(10), 0);
  ASSERT_EQ(field.spawned.size(), 13u);
  const int columns[] = {63, 65, 67};
  for (int c = 0; c < 3; ++c) {
    std::set<int> rows;
    for (int i = c * 6; i < std::min(13, c * 6 + 6); ++i) {
      EXPECT_EQ(field.spawned[i].x, columns[c]);
      rows.insert(field.spawned[i].z);
    }
    if (c < 2) {
      EXPECT_EQ(rows, (std::set<int>{43, 45, 47, 49, 51, 53}));
      EXPECT_EQ(field.spawned[c * 6 + 5].z, 53);
    }
  }
  const Spawned& first = field.spawned[0];
  EXPECT_EQ(first.type, "goblin");
  EXPECT_EQ(first.side, 0);
  EXPECT_TRUE(first.hasGoal);
  EXPECT_EQ(first.goalX, 4);
  EXPECT_EQ(first.goalZ, 48);

  // The same seed gives the same rows.
  const std::vector<Spawned> before = field.spawned;
  field.spawned.clear();
  platform::SeedRand(7);
  driver.Reset();
  ClockAtNextWave(10);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(field.spawned[i].z, before[i].z);
}

TEST_F(Driver, AWidthDrawsOddColumnsAndNoGoalWithoutTarget) {
  AssaultRecord wave = Wave(0, 20);
  wave.width = 10;
  wave.t_x = 0;
  Begin({Level({wave})});
  ClockAtNextWave(10);
  ASSERT_EQ(field.spawned.size(), 20u);
  for (const Spawned& s : field.spawned) {
    EXPECT_GE(s.x, 55);
    EXPECT_LE(s.x, 65);
    EXPECT_EQ(s.x % 2, 1);
    EXPECT_FALSE(s.hasGoal);
  }
}

TEST_F(Driver, AllyWavesSkipCellsThePlayerHolds) {
  AssaultRecord wave = Wave(0, 6);
  wave.faction = 1;
  Begin({Level({wave})});
  field.playerCells = {{31, 21}, {31, 26}};  // (63, 43) and (63, 53)
  ClockAtNextWave(10);
  ASSERT_EQ(field.spawned.size(), 4u);
  for (const Spawned& s : field.spawned) {
    EXPECT_EQ(s.side, 1);
    EXPECT_NE(s.z, 43);
    EXPECT_NE(s.z, 53);
  }
}

TEST_F(Driver, ARecruitWaveOpensThePanelAndPausesAtTheNextFrame) {
  AssaultRecord wave = Wave(100, 1);
  wave.recruit = true;
  Begin({Level({wave, Wave(5000, 1)})});
  ClockAtNextWave(200);
  EXPECT_FALSE(BattlePaused);
  LevelDriver::FrameEvents next = driver.Frame(200);
  EXPECT_TRUE(next.recruitOpened);
  EXPECT_TRUE(BattlePaused);
  EXPECT_EQ(driver.GetElapsedMs(), 200);

  // A paid call does the same.
  BattlePaused = 0;
  driver.RequestRecruit();
  EXPECT_TRUE(driver.Frame(200).recruitOpened);
}

TEST_F(Driver, VictoryPaysOnceAndRaisesProgressToTheLevelAfterTheWonOne) {
  Begin({Level({}), Level({}), Level({})}, 1);
  EXPECT_EQ(PlayerRecord.Progress, 1);
  EXPECT_TRUE(driver.ProgressRaised());
  LevelGold = 70;
  field.sideZero = true;
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(driver.Frame(100).won);
  field.sideZero = false;
  EXPECT_TRUE(driver.Frame(100).won);
  EXPECT_TRUE(BattlePaused);
  EXPECT_EQ(PlayerRecord.Gold, 570);
  EXPECT_EQ(PlayerRecord.Progress, 2);
  EXPECT_FALSE(driver.Frame(100).won);
  EXPECT_EQ(PlayerRecord.Gold, 570);

  // Winning the first level again pays, but opens nothing.
  ASSERT_TRUE(driver.Start(levels, 0));
  EXPECT_FALSE(driver.ProgressRaised());
  driver.Reset();
  LevelGold = 30;
  EXPECT_TRUE(driver.Frame(100).won);
  EXPECT_EQ(PlayerRecord.Gold, 600);
  EXPECT_EQ(PlayerRecord.Progress, 2);
}

// A saved record can hold any gold: a victory stops at the largest int
// instead of wrapping it negative.
TEST_F(Driver, VictoryGoldStopsAtTheLargestInt) {
  PlayerRecord.Gold = INT_MAX;
  Begin({Level({})});
  LevelGold = 5;
  EXPECT_TRUE(driver.Frame(100).won);
  EXPECT_EQ(PlayerRecord.Gold, INT_MAX);
}

TEST_F(Driver, DefeatPausesAndPaysNothingAndAResetForgetsTheGold) {
  Begin({Level({Wave(100, 1)}, 800)});
  ClockAtNextWave(200);
  LevelGold = 40;
  LevelSilver = 3;
  GameState = kGameLost;
  EXPECT_TRUE(driver.Frame(100).lost);
  EXPECT_TRUE(BattlePaused);
  EXPECT_FALSE(driver.Frame(100).lost);
  EXPECT_EQ(PlayerRecord.Gold, 500);

  driver.Reset();
  EXPECT_EQ(LevelGold, 0);
  EXPECT_EQ(LevelSilver, 800);
  EXPECT_EQ(GameState, kGamePlaying);
  EXPECT_FALSE(BattlePaused);
  // The level plays again from its first wave; no gold of the lost attempt
  // reaches a later victory.
  EXPECT_EQ(ClockAtNextWave(200), 200);
  EXPECT_TRUE(driver.Frame(100).won);
  EXPECT_EQ(PlayerRecord.Gold, 500);
}

// A level file can ask for any number of units: one wave draws at most
// kMaxUnitsPerWave places, and no wave adds a unit while kMaxLiveUnits are
// there; each bound is logged once, naming the file.
TEST_F(Driver, WavesSendABoundedNumberOfUnits) {
  LogLines log;
  Begin({Level({Wave(0, INT_MAX), Wave(0, INT_MAX), Wave(0, INT_MAX), Wave(0, 5)})});
  ASSERT_NE(driver.Frame(10).wave, nullptr);
  EXPECT_EQ(field.spawned.size(), size_t(LevelDriver::kMaxUnitsPerWave));
  ASSERT_NE(driver.Frame(10).wave, nullptr);
  EXPECT_EQ(field.spawned.size(), LevelDriver::kMaxLiveUnits);
  ASSERT_NE(driver.Frame(10).wave, nullptr);
  EXPECT_EQ(field.spawned.size(), LevelDriver::kMaxLiveUnits) << "none while the battle is full";
  field.fallen = 3;
  ASSERT_NE(driver.Frame(10).wave, nullptr);
  EXPECT_EQ(field.spawned.size(), LevelDriver::kMaxLiveUnits + 3) << "as many as fell";

  EXPECT_TRUE(log.Has({"level_9.xml", "demo_flat", "wave 1", "more than 250 units"})) << log.All();
  EXPECT_TRUE(log.Has({"level_9.xml", "demo_flat", "wave 3", "500 units are alive"})) << log.All();
  EXPECT_EQ(std::count_if(log.lines.begin(), log.lines.end(),
                          [](const std::string& l) { return l.find("level_9.xml") != std::string::npos; }),
            2)
      << log.All();
}

// A goto loop of waves of time 0 sends a wave every frame with 3 more units
// per cycle: the bounds hold it, and the extra count cannot overflow.
TEST_F(Driver, AGotoLoopOfInstantWavesStaysBounded) {
  Begin({Level({Wave(0, 1), Wave(0, INT_MAX - 2, 1)})});
  for (int frame = 0; frame < 100000; ++frame) {
    ASSERT_NE(driver.Frame(1).wave, nullptr);
    if (frame % 1000 == 0) field.fallen = field.spawned.size();  // the player clears the field now and then
  }
  EXPECT_LE(driver.GetExtraEnemies(), LevelDriver::kMaxUnitsPerWave);
  EXPECT_LE(field.spawned.size() - field.fallen, LevelDriver::kMaxLiveUnits);
}

// Columns and the clock saturate at the largest int instead of wrapping
// around to the far side of the map or to a negative time.
TEST_F(Driver, ColumnsAndTheClockStopAtTheLargestInt) {
  AssaultRecord far = Wave(0, 13);
  far.x = INT_MAX;
  AssaultRecord never = Wave(INT_MAX, 1);
  Begin({Level({far, never})});
  ASSERT_NE(driver.Frame(10).wave, nullptr);
  ASSERT_EQ(field.spawned.size(), 13u);
  for (const Spawned& s : field.spawned) EXPECT_EQ(s.x, INT_MAX);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(driver.Frame(1000000000).wave, nullptr);
  EXPECT_EQ(driver.GetElapsedMs(), INT_MAX);
}

TEST_F(Driver, StartRefusesAMissingLevelAndSetsTheRates) {
  levels = {Level({})};
  EXPECT_FALSE(driver.Start(levels, 1));
  EXPECT_FALSE(driver.Start(levels, -1));
  EXPECT_EQ(driver.GetLevel(), nullptr);
  LevelGold = 9;
  ASSERT_TRUE(driver.Start(levels, 0));
  EXPECT_EQ(LevelGoldRat, 30);
  EXPECT_EQ(LevelSilverRat, 60);
  EXPECT_EQ(LevelGold, 0);
  EXPECT_FALSE(driver.Start(levels, 4));
  EXPECT_EQ(driver.GetLevel(), &levels[0]);
}

TEST_F(Driver, ProgressTextCountsWavesOfAllButTheLastLevel) {
  Begin({Level({Wave(1, 1), Wave(1, 1), Wave(1, 1)}), Level({Wave(1, 1)})});
  EXPECT_EQ(driver.ProgressText(0), "进度 0/3");
  ASSERT_TRUE(driver.Start(levels, 1));
  EXPECT_EQ(driver.ProgressText(2), "进度 2");
}

}  // namespace
