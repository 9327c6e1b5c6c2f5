// Each shipped level played headless from its own level file on its own map,
// with the game's managers, unit data and effects, units placed with the
// mouse through the in-game screen: a plan a player could follow wins it, a
// newcomer who follows the wave texts at a human pace wins it in a few tries,
// a player who places nothing loses it, and a player who only holds a line
// sees it end one way or the other. No battle may stand still on the way.
// Level 1 on a map that names its grass as the game names its own objects
// plays to its end as well.
#include "HeadlessGame.h"

#include "game/FrameClock.h"
#include "platform/Random.h"
#include "screens/GUIMain.h"
#include "screens/GUIRecruit.h"
#include "screens/LevelState.h"
#include "screens/Placement.h"
#include "terrain/MapReader.h"
#include "terrain/TerrainManager.h"
#include "tests/support/LogLines.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"

#include <OgreDataStream.h>
#include <OgreEntity.h>
#include <tinyxml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <random>

namespace {

// The frame: a slow software-drawn frame of the game.
const uint32_t kFrameMs = 50;
// Enemies on the field and, for this long, not a step, not a blow, no unit
// came or went: the battle stands still.
const int kStillMs = 15000;
// Enemies on the field and, for this long, no unit took a step, came, went
// or died: blows that kill nobody (an archer shooting a swordsman a priest
// heals) do not carry the battle on either.
const int kNoProgressMs = 30000;
// Every level ends well within this.
const int kLevelLimitMs = 400000;

// Where a unit stands and whether it lives.
struct UnitState {
  Ogre::Vector3 position;
  int hp;
};

// How long the battle has stood still, and how long it has not moved on,
// while enemies were on it. An empty field waits for the next wave, whose
// clock runs.
class StallWatch {
 public:
  void Observe(const std::vector<CGAUnit*>& units, int ms) {
    Snapshot now;
    bool enemies = false;
    for (CGAUnit* unit : units) {
      if (*unit->GetType() == kUnitPickUp || *unit->GetType() == kUnitPreview) continue;
      now[unit] = {unit->GetPosition(), unit->GetInt(kSlotHp)};
      enemies |= unit->GetInt(kSlotSide) == 0 && !unit->IsFading();
    }
    mStillMs = enemies && Same(now, mLast, true) ? mStillMs + ms : 0;
    mQuietMs = enemies && Same(now, mLast, false) ? mQuietMs + ms : 0;
    mLongestQuietMs = std::max(mLongestQuietMs, mQuietMs);
    mLast = std::move(now);
  }
  bool Stalled() const { return mStillMs >= kStillMs || mQuietMs >= kNoProgressMs; }
  int LongestQuietMs() const { return mLongestQuietMs; }

 private:
  using Snapshot = std::map<const CGAUnit*, UnitState>;

  // The same units at the same places, alive or dead as before; with
  // blows, also each with the hit points it had.
  static bool Same(const Snapshot& a, const Snapshot& b, bool blows) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
      if (i->first != j->first || i->second.position != j->second.position ||
          (i->second.hp < 1) != (j->second.hp < 1) || (blows && i->second.hp != j->second.hp))
        return false;
    return true;
  }

  Snapshot mLast;
  int mStillMs = 0;
  int mQuietMs = 0;
  int mLongestQuietMs = 0;
};

enum class Plan {
  // The wave texts followed, with the swordsmen a new player has: one ahead
  // of every enemy on the middle of the view (or just ahead of an enemy past
  // it), two for a brute, and one right beside an enemy archer that stopped
  // to shoot.
  Defends,
  // A new player's plain defence, swordsmen only: one in each lane an enemy
  // walks in, on the middle of the view, and nothing else.
  HoldsLine,
  // Takes a type from the recruit panel and places nothing.
  Idle,
};

// Where a player stands the first swordsman of a lane: the middle of the
// start view.
const float kLineX = 41;

// A player: what they do, how often they act, how long an enemy is in sight
// before they act on it, whether they have bought archers and priests (an
// archer right behind each swordsman, and a priest in its place once that
// swordsman is hurt), and where their line stands.
struct Player {
  Plan plan;
  int paceMs;
  int noticeMs;
  bool supported;
  float lineX;
};

// Acts twice a second and sees every enemy at once.
const Player kExpert = {Plan::Defends, 500, 0, false, kLineX};
// The same plan at a newcomer's pace: a move (icon, point, click) about
// every 4 s, an enemy acted on 4 s after it came into sight.
const Player kNewcomer = {Plan::Defends, 4000, 4000, false, kLineX};
const Player kLineHolder = {Plan::HoldsLine, 500, 0, false, kLineX};
// A line one grid cell further forward, where newcomers were seen to stand
// their units.
const Player kForwardLineHolder = {Plan::HoldsLine, 500, 0, false, kLineX + 2};
const Player kSupportedLineHolder = {Plan::HoldsLine, 500, 0, true, kLineX};
const Player kIdle = {Plan::Idle, 500, 0, false, kLineX};

struct Outcome {
  bool won = false;
  bool lost = false;
  bool stalled = false;
  int gameMs = 0;
  int longestQuietMs = 0;
  int placed = 0;
  // Units waves sent to the player's side, and those that came.
  int reinforcementsDrawn = 0;
  int reinforcementsArrived = 0;
};

class LevelPlay {
 public:
  // The game may be prepared before the level starts.
  LevelPlay(int level, const Player& player, unsigned seed,
            const std::function<void(HeadlessGame&)>& prepare = nullptr)
      : mPlayer(player), mHand(seed) {
    if (player.supported)
      for (const char* type : {"archer", "priest"}) game.Unlock(type);
    if (prepare) prepare(game);
    ok = game.StartLevel(level);
    // Seeded once the map is in: the battle replays whatever ran before.
    platform::SeedRand(seed);
  }

  Outcome Play() {
    Outcome outcome;
    StallWatch watch;
    int untilAction = 0;
    while (outcome.gameMs < kLevelLimitMs) {
      game.Frame(kFrameMs);
      if (!BattlePaused) {
        outcome.gameMs += kFrameMs;
        watch.Observe(game.Units().GetUnits(), kFrameMs);
      }
      if (game.Screen().GetDriver().IsEnded()) {
        outcome.lost = GameState == kGameLost;
        outcome.won = !outcome.lost;
        break;
      }
      if (watch.Stalled()) {
        outcome.stalled = true;
        break;
      }
      LookOut(outcome.gameMs);
      untilAction -= kFrameMs;
      if (untilAction <= 0) {
        untilAction = NextPause();
        outcome.placed += Act(outcome.gameMs);
      }
    }
    outcome.longestQuietMs = watch.LongestQuietMs();
    outcome.reinforcementsDrawn = game.ReinforcementsDrawn();
    outcome.reinforcementsArrived = game.ReinforcementsArrived();
    return outcome;
  }

  HeadlessGame game;
  bool ok = false;

 private:
  // One move of the player: the recruit panel, else one unit placed, else a
  // coin picked up. Returns 1 when a unit was placed.
  int Act(int nowMs) {
    if (game.Screen().GetRecruit()->IsVisible()) {
      game.Recruit(mPlayer.supported ? "swordsman,archer,priest" : "swordsman");
      return 0;
    }
    if (BattlePaused || mPlayer.plan == Plan::Idle) return 0;
    mEnemies.clear();
    mDefenders.clear();
    CGAUnit* coin = nullptr;
    for (CGAUnit* unit : game.Units().GetUnits()) {
      if (unit->IsFading() || unit->GetInt(kSlotHp) < 1 || !InSight(unit)) continue;
      if (*unit->GetType() == kUnitPickUp)
        coin = unit;
      else if (unit->GetInt(kSlotSide) == 0 && Noticed(unit, nowMs))
        mEnemies.push_back(unit);
      else if (unit->GetInt(kSlotSide) == kSidePlayer && *unit->GetType() != kUnitPreview)
        mDefenders.push_back(unit);
    }
    // The enemy nearest the defeat line first.
    std::sort(mEnemies.begin(), mEnemies.end(),
              [](CGAUnit* a, CGAUnit* b) { return a->GetPosition().x < b->GetPosition().x; });
    for (CGAUnit* enemy : mEnemies) {
      const Ogre::Vector3& at = enemy->GetPosition();
      const long ahead = Defenders("swordsman", at.z, 0, at.x + 1);
      if (mPlayer.plan == Plan::HoldsLine) {
        if (ahead == 0 && game.Place("swordsman", mPlayer.lineX, at.z)) return 1;
        continue;
      }
      const long wanted = enemy->GetTemplateName() == "brute" ? 2 : 1;
      // On the line, or right ahead of an enemy that has passed it.
      if (ahead < wanted && PlaceBetween("swordsman", std::min(mPlayer.lineX, at.x - 4), at.x - 2, at.z)) return 1;
      // An archer that stopped to shoot: a swordsman right beside it, in
      // front or behind, within a swordsman's reach (3) and where the ground
      // takes one (no nearer than 2 to an enemy).
      const bool shooting = enemy->GetTemplateName() == "dark_archer" && !enemy->HasWaypoints();
      if (shooting && Defenders("swordsman", at.z, at.x - 3, at.x + 3) == 0)
        for (int x = 2 * static_cast<int>(std::floor((at.x - 3) / 2)) + 1; x <= at.x + 3; x += 2)
          if (std::fabs(x - at.x) >= 2 && std::fabs(x - at.x) < 3 && game.Place("swordsman", x, at.z)) return 1;
    }
    if (mPlayer.supported && Support()) return 1;
    if (coin) game.ClickGround(coin->GetPosition().x, coin->GetPosition().z);
    return 0;
  }

  // An archer right behind each swordsman; a priest in place of that archer
  // once the swordsman is hurt. Returns whether a unit was placed.
  bool Support() {
    for (CGAUnit* front : mDefenders) {
      if (front->GetTemplateName() != "swordsman") continue;
      const Ogre::Vector3& at = front->GetPosition();
      CGAUnit* behind = DefenderIn(at.x - 2, at.z);
      if (!behind && game.Place("archer", at.x - 2, at.z)) return true;
      const bool hurt = front->GetInt(kSlotHp) < front->GetInt(kSlotMaxHp);
      if (behind && behind->GetTemplateName() == "archer" && hurt && game.Place("priest", at.x - 2, at.z)) return true;
    }
    return false;
  }

  // The player's unit in the grid cell of (x, z), if any.
  CGAUnit* DefenderIn(float x, float z) const {
    for (CGAUnit* d : mDefenders)
      if (std::fabs(d->GetPosition().x - x) < 1 && std::fabs(d->GetPosition().z - z) < 1) return d;
    return nullptr;
  }

  // Notes when each enemy comes into sight.
  void LookOut(int nowMs) {
    for (CGAUnit* unit : game.Units().GetUnits())
      if (unit->GetInt(kSlotSide) == 0 && *unit->GetType() != kUnitPickUp && InSight(unit))
        mFirstSeenMs.emplace(unit->GetId(), nowMs);
  }

  // Whether the player has had an enemy in sight long enough to act on it.
  bool Noticed(const CGAUnit* enemy, int nowMs) const {
    const auto seen = mFirstSeenMs.find(enemy->GetId());
    return seen != mFirstSeenMs.end() && nowMs - seen->second >= mPlayer.noticeMs;
  }

  // A person's pace varies: from 0.6 to 1.4 times the player's, drawn apart
  // from the game's own random numbers.
  int NextPause() {
    return std::uniform_int_distribution<int>(mPlayer.paceMs * 6 / 10, mPlayer.paceMs * 14 / 10)(mHand);
  }

  // As far back as the ground between two x allows (the preview shows it
  // in its own colours): a grid cell after the other, from the first.
  bool PlaceBetween(const std::string& type, float fromX, float toX, float z) {
    for (float x = fromX; x <= toX; x += 2)
      if (game.Place(type, x, z)) return true;
    return false;
  }

  // The player's units of a type in a lane between two x.
  long Defenders(const std::string& type, float lane, float fromX, float toX) const {
    return std::count_if(mDefenders.begin(), mDefenders.end(), [&](CGAUnit* d) {
      const Ogre::Vector3& p = d->GetPosition();
      return d->GetTemplateName() == type && std::fabs(p.z - lane) < 1 && p.x >= fromX && p.x <= toX;
    });
  }

  bool InSight(CGAUnit* unit) {
    float px, py;
    return game.ScreenPoint(unit->GetPosition().x, unit->GetPosition().z, &px, &py);
  }

  Player mPlayer;
  std::mt19937 mHand;
  std::vector<CGAUnit*> mEnemies, mDefenders;
  // When each enemy, by its id, first came into sight.
  std::map<uint64_t, int> mFirstSeenMs;
};

std::string Describe(const Outcome& o) {
  return std::string(o.won ? "won" : o.lost ? "lost" : o.stalled ? "stood still" : "still running") + " after " +
         std::to_string(o.gameMs / 1000) + " s of play, " + std::to_string(o.placed) +
         " units placed, no unit died, came, went or stepped for at most " +
         std::to_string(o.longestQuietMs / 1000) + " s, " + std::to_string(o.reinforcementsArrived) + " of " +
         std::to_string(o.reinforcementsDrawn) + " reinforcements came";
}

// Whatever the plan, every reinforcement a wave sends arrives: the levels
// send them where a player's units do not stand.
Outcome PlayOnce(int level, const Player& player, unsigned seed) {
  LevelPlay play(level, player, seed);
  EXPECT_TRUE(play.ok);
  const Outcome outcome = play.ok ? play.Play() : Outcome();
  EXPECT_EQ(outcome.reinforcementsArrived, outcome.reinforcementsDrawn)
      << "level " << level + 1 << ", seed " << seed << ": " << Describe(outcome);
  return outcome;
}

class ShippedLevel : public ::testing::TestWithParam<int> {};

TEST_P(ShippedLevel, APlayersPlanWinsIt) {
  for (unsigned seed : {1u, 2u}) {
    const Outcome outcome = PlayOnce(GetParam(), kExpert, seed);
    EXPECT_TRUE(outcome.won) << "seed " << seed << ": " << Describe(outcome);
  }
}

// Each try brings its own lanes (the game's random numbers differ), so the
// tries of one newcomer tell how many it takes: the first level is won in
// one or two, each later one within a few.
TEST_P(ShippedLevel, ANewcomerWinsItInAFewTries) {
  const unsigned tries = 6;
  const unsigned wanted = GetParam() == 0 ? 5 : 3;
  unsigned won = 0;
  std::string record;
  for (unsigned seed = 1; seed <= tries; ++seed) {
    const Outcome outcome = PlayOnce(GetParam(), kNewcomer, seed);
    won += outcome.won;
    record += "\n  try " + std::to_string(seed) + ": " + Describe(outcome);
  }
  EXPECT_GE(won, wanted) << "won " << won << " of " << tries << " tries:" << record;
}

TEST_P(ShippedLevel, LeftUndefendedItIsLost) {
  const Outcome outcome = PlayOnce(GetParam(), kIdle, 3);
  EXPECT_TRUE(outcome.lost) << Describe(outcome);
}

// The plain defence of a new player: the battle ends, won or lost.
TEST_P(ShippedLevel, HoldingALineTheBattleEnds) {
  const Outcome outcome = PlayOnce(GetParam(), kLineHolder, 4);
  EXPECT_TRUE(outcome.won || outcome.lost) << Describe(outcome);
}

// The same further forward: the battle ends, and the reinforcements come
// past the line.
TEST_P(ShippedLevel, HoldingALineFurtherForwardTheBattleEnds) {
  const Outcome outcome = PlayOnce(GetParam(), kForwardLineHolder, 4);
  EXPECT_TRUE(outcome.won || outcome.lost) << Describe(outcome);
}

// The line holder the stall was found with: archers behind the swordsmen
// and priests healing them, against enemy archers that stop out of a
// swordsman's reach. Healing must not outlast the arrows.
TEST_P(ShippedLevel, HoldingALineWithArchersAndPriestsTheBattleEnds) {
  const Outcome outcome = PlayOnce(GetParam(), kSupportedLineHolder, 4);
  EXPECT_TRUE(outcome.won || outcome.lost) << Describe(outcome);
}

INSTANTIATE_TEST_SUITE_P(Levels, ShippedLevel, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return "Level" + std::to_string(info.param + 1); });

// A map that gives its grass kinds the names the game makes for its own
// objects: "Effect_1" to "Effect_399" (effects' objects and material copies),
// the part entities of the next units' models, and the in-game screen's
// markers ("delect", "select"). The game's objects pass those names over.
std::vector<std::string> NamesTheGameMakes(HeadlessGame& game) {
  std::vector<std::string> names;
  for (int i = 1; i <= 399; ++i) names.push_back("Effect_" + std::to_string(i));
  // Models are numbered over the run: the next ones come after a probe's.
  CGAUnit* probe = game.Units().CreateUnit("swordsman");
  const std::string probeName = probe->GetModel()->GetSceneNode()->getName();
  game.Units().ClearUnits();
  const unsigned long probeNumber = std::stoul(probeName.substr(std::strlen("UnitModel")));
  for (unsigned long model = probeNumber + 1; model <= probeNumber + 20; ++model)
    for (int part = 0; part < 4; ++part) names.push_back("UnitModel" + std::to_string(model) + "/" + std::to_string(part));
  names.push_back("delect");
  names.push_back("select");
  return names;
}

// Level 1's map with those grass kinds in place of its own (its grass then
// draws as the first of them).
void NameGrassKinds(HeadlessGame& game, const std::vector<std::string>& names) {
  game.Terrain().SetFileOpener([names](const std::string& file) -> Ogre::DataStreamPtr {
    Ogre::DataStreamPtr stream = CGAMapReader::OpenFromResources(file);
    if (file != "demo_flat.map" || !stream) return stream;
    TiXmlDocument map;
    map.Parse(stream->getAsString().c_str());
    TiXmlElement* grass = map.FirstChildElement("Scene")->FirstChildElement("Grass");
    const std::string image = grass->FirstChildElement("Object")->Attribute("Image");
    while (TiXmlElement* kind = grass->FirstChildElement("Object")) grass->RemoveChild(kind);
    TiXmlElement* records = grass->FirstChildElement("Records");
    for (const std::string& name : names) {
      TiXmlElement kind("Object");
      kind.SetAttribute("Name", name);
      kind.SetAttribute("Image", image);
      grass->InsertBeforeChild(records, kind);
    }
    TiXmlPrinter printer;
    map.Accept(&printer);
    auto text = std::make_shared<Ogre::MemoryDataStream>(file, printer.Size());
    std::memcpy(text->getPtr(), printer.CStr(), printer.Size());
    return text;
  });
}

TEST(GeneratedNames, AMapNamingItsGrassAsTheGamesObjectsPlaysABattleToItsEnd) {
  LogLines log;
  std::vector<std::string> names;
  LevelPlay play(0, kExpert, 1, [&names](HeadlessGame& game) {
    names = NamesTheGameMakes(game);
    NameGrassKinds(game, names);
  });
  ASSERT_TRUE(play.ok);
  const Outcome outcome = play.Play();
  EXPECT_TRUE(outcome.won || outcome.lost) << Describe(outcome);
  EXPECT_GT(outcome.placed, 0) << Describe(outcome);
  // No object of the game or of the map was refused for its name, and the
  // grass kinds were made, but the one named as the marker's entity.
  EXPECT_FALSE(log.Has("already exists")) << log.All();
  const std::vector<Ogre::Entity*>& kinds = play.game.Terrain().GetGrassKinds();
  ASSERT_EQ(kinds.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_TRUE(names[i] == "delect" || (kinds[i] && kinds[i]->getName() == names[i])) << "grass kind " << names[i];
  EXPECT_TRUE(log.Has({"\"delect\"", "repeats a name in use"})) << log.All();
}

}  // namespace
