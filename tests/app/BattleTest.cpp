// A battle on a two-lane map, frame by frame as the game runs it: units from
// templates, the terrain's logic cells and path finder, the frame's order and
// its pause. The effect step stands in for the effect manager: an attack's
// effect takes its owner's value off its target when it lands.
#include "tests/units/FakeUnitWorld.h"
#include "game/FrameClock.h"
#include "game/app/FrameSteps.h"
#include "platform/Random.h"
#include "tests/support/GameGlobals.h"
#include "terrain/MapReader.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const char* kTemplates = R"(<Units>
  <Unit Name="guard" Scale="1"><Actions>
    <Action Name="ready"/><Action Name="run"/>
    <Action Name="attack"><ActionChild Time="0.1" Type="Effect" Name="hit" Bone=""/>
      <ActionChild Time="0.2" Type="Action" Name="ready" Target="0"/></Action>
    <Action Name="die" Level="9"/></Actions></Unit>
  <Unit Name="archer" Scale="1"><Actions>
    <Action Name="ready"/><Action Name="run"/>
    <Action Name="attack"><ActionChild Time="0.1" Type="Effect" Name="arrow" Bone="release"/>
      <ActionChild Time="0.2" Type="Action" Name="ready" Target="0"/></Action>
    <Action Name="die" Level="9"/></Actions></Unit>
  <Unit Name="raider" Scale="1"><Actions>
    <Action Name="ready"/><Action Name="run"/>
    <Action Name="attack"><ActionChild Time="0.1" Type="Effect" Name="hit" Bone=""/>
      <ActionChild Time="0.2" Type="Action" Name="ready" Target="0"/></Action>
    <Action Name="die" Level="9"/></Actions></Unit>
  <Unit Name="mine" Scale="1"><Actions><Action Name="ready"/></Actions></Unit>
  <Unit Name="banner" Scale="1"><Actions><Action Name="ready"/><Action Name="die" Level="9"/></Actions></Unit>
</Units>)";

const char* kNumbers = R"(<u>
  <unit id="guard" type="0" hp="300" price="50" gold="0" release_dis="4" attack_time="800" attack_value="-40"
        radius="0.5" speed="0"/>
  <unit id="archer" type="0" hp="150" price="60" gold="0" release_dis="8" attack_time="1000" attack_value="-30"
        radius="0.5" speed="0"/>
  <unit id="raider" type="0" hp="60" price="15" gold="0" release_dis="3" attack_time="1000" attack_value="-10"
        radius="0.5" speed="2"/>
  <unit id="mine" type="1" hp="100" price="80" gold="0" release_dis="0" attack_time="2000" attack_value="20"
        radius="0.5" speed="0"/>
  <unit id="banner" type="7" hp="50" price="0" gold="0" release_dis="0" attack_time="1000" attack_value="0"
        radius="0.5" speed="0"/>
</u>)";

constexpr int kLaneA = 8, kLaneB = 24;

// 64 x 32 cells: two lanes along x, at z 8 and z 24, each with a defeat
// strip at x 0 to 2; the rest is off the playing field.
CGAMapData TwoLanes() {
  CGAMapData map;
  std::string error;
  EXPECT_TRUE(CGAMapReader::SetLayout(map, 64, 32, 16, 1, 1, error)) << error;
  map.FileName = "two_lanes.map";
  for (int lane : {kLaneA, kLaneB})
    for (int z = lane - 2; z <= lane + 2; ++z)
      for (int x = 0; x < 64; ++x) map.Logic[size_t(z) * 64 + x] = x <= 2 ? 3 : 1;
  return map;
}

class BattleWorld : public FakeUnitWorld {
 public:
  explicit BattleWorld(CGATerrainManager& terrain) : mTerrain(terrain) {}
  int GetLogic(int x, int z) override { return mTerrain.GetLogic(unsigned(x), unsigned(z)); }
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal, int limit) override {
    ++paths;
    return mTerrain.GetPathFinder()->FindPath(start, goal, limit);
  }
  int paths = 0;

 private:
  CGATerrainManager& mTerrain;
};

class Battle : public ::testing::Test, private CGAFrameSteps {
 protected:
  Battle() {
    platform::SeedRand(2024);
    EXPECT_TRUE(terrain.InstallMap(TwoLanes()));
    manager.SetUnitWorld(&world);
    world.manager = &manager;
    manager.ReadUnitTemplates(kTemplates, "battle.unt");
    manager.ReadUnitXml(kNumbers, "unit.xml");
  }
  ~Battle() override { manager.ClearUnits(); }

  CGAUnit* Place(const char* type, float x, int z, int side) {
    CGAUnit* unit = manager.CreateUnit(type);
    unit->SetInt(kSlotSide, side);
    unit->SetPosition(Ogre::Vector3(x, 0, static_cast<float>(z)));
    if (side == 0) unit->SetGoal(1, 0);  // straight along x to the defeat strip
    return unit;
  }
  std::vector<CGAUnit*> Wave(int lane) {
    std::vector<CGAUnit*> raiders;
    for (float x : {50.0f, 54.0f, 58.0f}) raiders.push_back(Place("raider", x, lane, 0));
    return raiders;
  }

  void Frame() {
    ++frame;
    RunFrame(*this);
    for (auto& [unit, record] : deaths) {
      const bool listed =
          std::find(manager.GetUnits().begin(), manager.GetUnits().end(), unit) != manager.GetUnits().end();
      if (!listed && !record.leftList) record.leftList = frame;
      if (!manager.IsLive(unit) && !record.deleted) record.deleted = frame;
    }
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }

  // An attack in flight: a hit lands at once, an arrow after 0.3 s.
  struct Flight {
    CGAUnit* target;
    uint64_t targetId;
    int value;
    float flyTime;
  };
  // Frames of a death: its coin drop, leaving the live list, deletion.
  struct Death {
    int dropped = 0, leftList = 0, deleted = 0;
  };

  ScopedGameGlobals globals;
  LogLines log;
  CGATerrainManager terrain{nullptr, false};
  BattleWorld world{terrain};
  CGAUnitManager manager{nullptr};
  int frame = 0;
  int unitFrames = 0;  // frames in which the units ran
  size_t effectsSeen = 0;
  std::vector<Flight> flights;
  std::map<CGAUnit*, Death> deaths;
  int landedWhilePaused = 0;

 private:
  void StepState() override {}
  void RedrawGui() override {}
  uint32_t ReadFrameTimer() override { return FrameTimeMs + 15; }
  void UpdateInput() override {}
  void UpdateSound() override {}
  void UpdateUnits() override {
    ++unitFrames;
    manager.Update();
  }
  void UpdateEffects() override {
    for (; effectsSeen < world.effects.size(); ++effectsSeen) {
      const FakeEffect& e = world.effects[effectsSeen];
      if (e.name == "money2") {
        EXPECT_EQ(deaths.count(e.owner), 0u) << "a second coin drop";
        deaths[e.owner].dropped = frame;
      } else if (e.owner && e.targets.size() == 1) {
        flights.push_back(
            {e.targets[0], e.targets[0]->GetId(), e.owner->GetInt(kSlotValue), e.name == "arrow" ? 0.3f : 0.0f});
      }
    }
    for (auto flight = flights.begin(); flight != flights.end();) {
      flight->flyTime -= FrameDeltaSeconds;
      if (flight->flyTime > 0.0f) {
        ++flight;
        continue;
      }
      // A target deleted meanwhile is not touched.
      if (manager.IsLive(flight->target) && flight->target->GetId() == flight->targetId) {
        flight->target->SetInt(kSlotHp, flight->target->GetInt(kSlotHp) + flight->value);
        if (BattlePaused) ++landedWhilePaused;
      }
      flight = flights.erase(flight);
    }
  }
  void UpdateTerrain() override {}
  void UpdateCamera() override {}
  void UpdateGui() override {}
  void UpdateLabels() override {}
  void Render() override {}
};

// What a paused frame must leave alone.
struct Pose {
  Ogre::Vector3 position;
  int hp, countdown;
  float clock;
  bool operator==(const Pose& o) const {
    return position == o.position && hp == o.hp && countdown == o.countdown && clock == o.clock;
  }
};

std::vector<Pose> Poses(const std::vector<CGAUnit*>& units, bool withHp) {
  std::vector<Pose> poses;
  for (CGAUnit* u : units)
    poses.push_back(
        {u->GetPosition(), withHp ? u->GetInt(kSlotHp) : 0, u->GetInt(kSlotCountdown), u->GetActionClock()});
  return poses;
}

TEST_F(Battle, DefendedLanesHoldTheWavesAndTheLevelGoesOn) {
  CGAUnit* archer = Place("archer", 20, kLaneA, 1);
  CGAUnit* guardA = Place("guard", 24, kLaneA, 1);
  CGAUnit* guardB = Place("guard", 22, kLaneB, 1);
  CGAUnit* banner = Place("banner", 6, kLaneB, 1);
  CGAUnit* mine = Place("mine", 10, 16, 1);
  std::vector<CGAUnit*> raiders = Wave(kLaneA);
  for (CGAUnit* r : Wave(kLaneB)) raiders.push_back(r);
  const std::vector<CGAUnit*> defenders{archer, guardA, guardB, banner, mine};

  Frame();
  EXPECT_TRUE(manager.HasSideZeroUnits());
  EXPECT_EQ(world.paths, 6);  // each raider asks the path finder for its way

  // Pause as soon as an arrow is in flight: units freeze, the arrow lands.
  while (frame < 3000 && !(flights.size() == 1 && flights[0].flyTime > 0.2f)) Frame();
  ASSERT_LT(frame, 3000) << "the archer never shot";
  std::vector<CGAUnit*> all = defenders;
  for (CGAUnit* r : raiders) all.push_back(r);
  for (CGAUnit* u : all) ASSERT_TRUE(manager.IsLive(u));
  const std::vector<Pose> before = Poses(all, false);
  BattlePaused = 1;
  Frames(40);
  EXPECT_EQ(Poses(all, false), before);
  EXPECT_EQ(landedWhilePaused, 1);
  BattlePaused = 0;

  Frames(3000);
  EXPECT_EQ(world.gameState, 0);
  EXPECT_FALSE(manager.HasSideZeroUnits());
  EXPECT_EQ(manager.GetUnits(), defenders);
  for (CGAUnit* d : defenders) EXPECT_GT(d->GetInt(kSlotHp), 0);

  // One coin drop per fallen raider; each left the list 135 frames (2 s of
  // dying) after its death and was deleted at the start of the next frame.
  ASSERT_EQ(deaths.size(), raiders.size());
  for (CGAUnit* r : raiders) {
    ASSERT_EQ(deaths.count(r), 1u);
    const Death& d = deaths[r];
    EXPECT_EQ(d.leftList - d.dropped, 135);
    EXPECT_EQ(d.deleted - d.leftList, 1);
  }

  // The mine paid every 2 s of battle, between half and all of its 20 silver.
  int paid = 0;
  for (const std::string& label : world.labels) paid += std::stoi(label.substr(label.find('$') + 1));
  const int payments = 1 + (unitFrames - 1) / 134;
  EXPECT_EQ(int(world.labels.size()), payments);
  EXPECT_EQ(world.silver, paid);
  EXPECT_GE(world.silver, payments * 10);
  EXPECT_LE(world.silver, payments * 20);
}

TEST_F(Battle, AnUndefendedLaneIsLostWithItsBanner) {
  Place("guard", 24, kLaneA, 1);
  CGAUnit* banner = Place("banner", 6, kLaneB, 1);
  Wave(kLaneA);
  Wave(kLaneB);
  int lostAt = 0;
  for (int i = 0; i < 3000 && !lostAt; ++i) {
    Frame();
    if (world.gameState == 1) lostAt = frame;
  }
  ASSERT_NE(lostAt, 0) << "the level was never lost";
  EXPECT_LT(banner->GetInt(kSlotHp), 1);
  EXPECT_EQ(deaths.count(banner), 0u);  // the player's side drops no coins
  // The raiders go on to the defeat strip; the level stays lost.
  world.gameState = 0;
  Frames(1500);
  EXPECT_EQ(world.gameState, 1);
}

}  // namespace
