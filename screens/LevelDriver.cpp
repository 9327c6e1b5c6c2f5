#include "screens/LevelDriver.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "game/Parse.h"
#include "game/PlayerRecord.h"
#include "screens/LevelState.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Enemies stand in these rows, six to a column.
const int kSpawnRows[] = {43, 45, 47, 49, 51, 53};
// A wave with a width draws its columns from here on.
const int kSpawnWidthStart = 55;
// Every goto cycle brings this many more units per enemy entry.
const int kExtraPerCycle = 3;

}  // namespace

LevelDriver::LevelDriver(Battlefield& battlefield, int (*random)()) : mBattlefield(battlefield), mRandom(random) {}

bool LevelDriver::Start(const std::vector<LevelRecord>& levels, int n) {
  if (n < 0 || static_cast<size_t>(n) >= levels.size()) return false;
  mLevels = &levels;
  mLevel = &levels[n];
  mLevelIndex = n;
  LevelGoldRat = mLevel->gold_rat;
  LevelSilverRat = mLevel->silver_rat;
  LevelGold = 0;
  mProgressRaised = n > PlayerRecord.Progress;
  if (mProgressRaised) PlayerRecord.Progress = n;
  return true;
}

void LevelDriver::Reset() {
  if (mLevel) LevelSilver = mLevel->money;
  // Gold of an attempt that did not win is never paid by a later victory.
  LevelGold = 0;
  mElapsedMs = 0;
  mNextWave = 0;
  mWavesSent = 0;
  mExtraEnemies = 0;
  mWaveBoundLogged = mLiveBoundLogged = false;
  mRecruitPending = false;
  mStopActive = false;
  mEnd = End::None;
  BattlePaused = 0;
  GameState = kGamePlaying;
}

bool LevelDriver::IsLastLevel() const {
  return mLevels && static_cast<size_t>(mLevelIndex) + 1 >= mLevels->size();
}

bool LevelDriver::AllWavesSent() const {
  return !mLevel || static_cast<size_t>(mNextWave) >= mLevel->assaults.size();
}

std::string LevelDriver::ProgressText(int sent) const {
  std::string text = "进度 " + std::to_string(sent);
  if (mLevel && !IsLastLevel()) text += "/" + std::to_string(mLevel->assaults.size());
  return text;
}

LevelDriver::FrameEvents LevelDriver::Frame(uint32_t frameMs) {
  FrameEvents events;
  if (!mLevel) return events;
  if (GameState == kGameLost) {
    if (mEnd != End::Lost) {
      mEnd = End::Lost;
      events.lost = true;
    }
    BattlePaused = 1;
    return events;
  }
  if (mRecruitPending) {
    mRecruitPending = false;
    events.recruitOpened = true;
    BattlePaused = 1;
  }
  if (BattlePaused) return events;
  if (mStopActive && mBattlefield.HasSideZeroUnits()) return events;

  mElapsedMs = ClampToInt(static_cast<int64_t>(mElapsedMs) + frameMs);
  if (!AllWavesSent()) {
    const AssaultRecord& wave = mLevel->assaults[mNextWave];
    if (mElapsedMs > wave.time) {
      Send(wave);
      events.wave = &wave;
    }
    return events;
  }
  if (mBattlefield.HasSideZeroUnits()) return events;
  if (mEnd == End::None) {
    mEnd = End::Won;
    events.won = true;
    PlayerRecord.Gold = SaturatingAdd(PlayerRecord.Gold, LevelGold);
    // Replaying an earlier level opens nothing new.
    PlayerRecord.Progress = std::max(PlayerRecord.Progress, mLevelIndex + 1);
  }
  BattlePaused = 1;
  return events;
}

void LevelDriver::Send(const AssaultRecord& wave) {
  mRecruitPending = wave.recruit;
  mStopActive = wave.stop;
  Spawn(wave);
  if (wave.goto_wave > 0) {
    // A goto past the last wave leaves every wave sent.
    mElapsedMs = 0;
    mNextWave = static_cast<int>(std::min<size_t>(wave.goto_wave, mLevel->assaults.size()));
    // More than a wave may send would change nothing.
    mExtraEnemies = std::min(mExtraEnemies + kExtraPerCycle, kMaxUnitsPerWave);
  } else {
    ++mNextWave;
  }
  ++mWavesSent;
}

void LevelDriver::Spawn(const AssaultRecord& wave) {
  const size_t live = mBattlefield.CountLiveUnits();
  size_t room = live < kMaxLiveUnits ? kMaxLiveUnits - live : 0;
  int places = kMaxUnitsPerWave;  // every place drawn counts, also one a player's unit holds
  int64_t column = wave.x;
  std::vector<int> rows;  // shared by every entry of the wave
  for (const LevelUnitEntry& enemy : wave.enemies) {
    const int64_t count = static_cast<int64_t>(enemy.num) + mExtraEnemies;
    for (int64_t i = 0; i < count; ++i) {
      if (places == 0 || room == 0) {
        LogBound(places == 0);
        return;
      }
      --places;
      if (rows.empty()) {
        column += 2;
        rows.assign(std::begin(kSpawnRows), std::end(kSpawnRows));
      }
      // The last row of a column comes only when it is the only one left.
      const size_t row = rows.size() == 1 ? 0 : static_cast<size_t>(mRandom()) % (rows.size() - 1);
      int x = ClampToInt(column);
      if (wave.width > 0) x = mRandom() % wave.width + kSpawnWidthStart;
      const int z = rows[row];
      rows.erase(rows.begin() + static_cast<long>(row));
      x = 2 * (x / 2) + 1;
      if (wave.faction == 1 && mBattlefield.CellHasPlayerUnit(x / 2, z / 2)) continue;
      mBattlefield.SpawnUnit(enemy.id, wave.faction, x, z, wave.t_x > 0, wave.t_x, wave.t_y);
      --room;
    }
  }
}

void LevelDriver::LogBound(bool waveBound) {
  bool& logged = waveBound ? mWaveBoundLogged : mLiveBoundLogged;
  if (logged) return;
  logged = true;
  const std::string where = mLevel->file + ": level " + mLevel->id + ", wave " + std::to_string(mNextWave + 1);
  if (waveBound)
    GameLog(where + " asks for more than " + std::to_string(kMaxUnitsPerWave) + " units; a wave sends no more");
  else
    GameLog(where + ": " + std::to_string(kMaxLiveUnits) + " units are alive; waves send no more until some fall");
}
