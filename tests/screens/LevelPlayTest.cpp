// Each shipped level played headless from its own level file on its own map,
// with the game's managers, unit data and effects, units placed with the
// mouse through the in-game screen: a plan a player could follow wins it,
// a player who places nothing loses it, and a player who only holds a line
// sees it end one way or the other. No battle may stand still on the way.
#include "HeadlessGame.h"

#include "game/FrameClock.h"
#include "platform/Random.h"
#include "screens/GUIMain.h"
#include "screens/GUIRecruit.h"
#include "screens/LevelState.h"
#include "screens/Placement.h"
#include "units/Unit.h"
#include "units/UnitManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// The frame: a slow software-drawn frame of the game.
const uint32_t kFrameMs = 50;
// A player acts twice a second at most.
const int kPlayerPaceMs = 500;
// Enemies on the field and, for this long, no unit moved, was hurt or
// healed, came or went: the battle stands still.
const int kStallMs = 15000;
// Every level ends well within this.
const int kLevelLimitMs = 400000;

// How long the field has been still while enemies were on it. An empty
// field waits for the next wave, whose clock runs.
class StallWatch {
 public:
  void Observe(const std::vector<CGAUnit*>& units, int ms) {
    Snapshot now;
    bool enemies = false;
    for (CGAUnit* unit : units) {
      now[unit] = {unit->GetPosition(), unit->GetInt(kSlotHp)};
      enemies |= unit->GetInt(kSlotSide) == 0 && !unit->IsFading();
    }
    mStillMs = enemies && now == mLast ? mStillMs + ms : 0;
    mLongestMs = std::max(mLongestMs, mStillMs);
    mLast = std::move(now);
  }
  bool Stalled() const { return mStillMs >= kStallMs; }
  int LongestMs() const { return mLongestMs; }

 private:
  using Snapshot = std::map<const CGAUnit*, std::pair<Ogre::Vector3, int>>;
  Snapshot mLast;
  int mStillMs = 0;
  int mLongestMs = 0;
};

enum class Player {
  // The plan, with the swordsmen a new player has: one ahead of every enemy
  // on the middle of the view (or just ahead of an enemy past it), two for
  // a brute, and one right beside an enemy archer that stopped to shoot.
  Defends,
  // A new player's plain defence, swordsmen only: one in each lane an enemy
  // walks in, on the middle of the view, and nothing else.
  HoldsLine,
  // Takes a type from the recruit panel and places nothing.
  Idle,
};

struct Outcome {
  bool won = false;
  bool lost = false;
  bool stalled = false;
  int gameMs = 0;
  int longestStillMs = 0;
  int placed = 0;
};

// Where a player stands the first swordsman of a lane: the middle of the
// start view.
const float kLineX = 41;

class LevelPlay {
 public:
  LevelPlay(int level, Player player, unsigned seed) : mPlayer(player) {
    ok = game.StartLevel(level);
    // Seeded once the map is in: the battle replays whatever ran before.
    platform::SeedRand(seed);
  }

  Outcome Play() {
    Outcome outcome;
    StallWatch watch;
    int sinceAction = kPlayerPaceMs;
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
      sinceAction += kFrameMs;
      if (sinceAction >= kPlayerPaceMs) {
        sinceAction = 0;
        outcome.placed += Act();
      }
    }
    outcome.longestStillMs = watch.LongestMs();
    return outcome;
  }

  HeadlessGame game;
  bool ok = false;

 private:
  // One move of the player: the recruit panel, else one unit placed, else a
  // coin picked up. Returns 1 when a unit was placed.
  int Act() {
    if (game.Screen().GetRecruit()->IsVisible()) {
      game.Recruit("swordsman");
      return 0;
    }
    if (BattlePaused || mPlayer == Player::Idle) return 0;
    mEnemies.clear();
    mDefenders.clear();
    CGAUnit* coin = nullptr;
    for (CGAUnit* unit : game.Units().GetUnits()) {
      if (unit->IsFading() || unit->GetInt(kSlotHp) < 1 || !InSight(unit)) continue;
      if (*unit->GetType() == kUnitPickUp)
        coin = unit;
      else if (unit->GetInt(kSlotSide) == 0)
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
      if (mPlayer == Player::HoldsLine) {
        if (ahead == 0 && game.Place("swordsman", kLineX, at.z)) return 1;
        continue;
      }
      const long wanted = enemy->GetTemplateName() == "brute" ? 2 : 1;
      // On the line, or right ahead of an enemy that has passed it.
      if (ahead < wanted && PlaceBetween("swordsman", std::min(kLineX, at.x - 4), at.x - 2, at.z)) return 1;
      // An archer that stopped to shoot: a swordsman right beside it, in
      // front or behind, within a swordsman's reach (3) and where the ground
      // takes one (no nearer than 2 to an enemy).
      const bool shooting = enemy->GetTemplateName() == "dark_archer" && !enemy->HasWaypoints();
      if (shooting && Defenders("swordsman", at.z, at.x - 3, at.x + 3) == 0)
        for (int x = 2 * static_cast<int>(std::floor((at.x - 3) / 2)) + 1; x <= at.x + 3; x += 2)
          if (std::fabs(x - at.x) >= 2 && std::fabs(x - at.x) < 3 && game.Place("swordsman", x, at.z)) return 1;
    }
    if (coin) game.ClickGround(coin->GetPosition().x, coin->GetPosition().z);
    return 0;
  }

  // As far back as the ground between two x allows (the preview shows it
  // white): a grid cell after the other, from the first.
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
  std::vector<CGAUnit*> mEnemies, mDefenders;
};

std::string Describe(const Outcome& o) {
  return std::string(o.won ? "won" : o.lost ? "lost" : o.stalled ? "stood still" : "still running") + " after " +
         std::to_string(o.gameMs / 1000) + " s of play, " + std::to_string(o.placed) +
         " units placed, the field still for at most " + std::to_string(o.longestStillMs / 1000) + " s";
}

class ShippedLevel : public ::testing::TestWithParam<int> {};

TEST_P(ShippedLevel, APlayersPlanWinsIt) {
  for (unsigned seed : {1u, 2u}) {
    LevelPlay play(GetParam(), Player::Defends, seed);
    ASSERT_TRUE(play.ok);
    const Outcome outcome = play.Play();
    EXPECT_TRUE(outcome.won) << "seed " << seed << ": " << Describe(outcome);
  }
}

TEST_P(ShippedLevel, LeftUndefendedItIsLost) {
  LevelPlay play(GetParam(), Player::Idle, 3);
  ASSERT_TRUE(play.ok);
  const Outcome outcome = play.Play();
  EXPECT_TRUE(outcome.lost) << Describe(outcome);
}

// The plain defence of a new player: the battle ends, won or lost.
TEST_P(ShippedLevel, HoldingALineTheBattleEnds) {
  LevelPlay play(GetParam(), Player::HoldsLine, 4);
  ASSERT_TRUE(play.ok);
  const Outcome outcome = play.Play();
  EXPECT_TRUE(outcome.won || outcome.lost) << Describe(outcome);
}

INSTANTIATE_TEST_SUITE_P(Levels, ShippedLevel, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return "Level" + std::to_string(info.param + 1); });

}  // namespace
