#pragma once
// The rule book of one level: the wave clock, the assault waves and their
// enemies, the recruit and stop marks, and the end in victory or defeat with
// its gold and progress. It owns the level state of screens/LevelState.h and
// pauses the battle (BattlePaused). The in-game screen shows what happens;
// the battlefield is reached through a narrow seam.
#include "screens/LevelRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LevelDriver {
 public:
  // What the driver asks of the battlefield.
  class Battlefield {
   public:
    virtual ~Battlefield() {}
    // Whether a unit of the marching side (0) is still there.
    virtual bool HasSideZeroUnits() = 0;
    // Whether grid cell (x, z) (2 x 2 world units) holds a unit of side 1.
    virtual bool CellHasPlayerUnit(int cellX, int cellZ) = 0;
    // A unit of a type on a side at ground (x, z), marching to the goal when
    // it has one. A type that makes no unit is skipped.
    virtual void SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX, int goalZ) = 0;
    // How many units are there, of every side.
    virtual size_t CountLiveUnits() = 0;
  };

  // A level file may ask for any number of units, and a goto loop adds more
  // every cycle; the battle holds only so many. One wave draws at most
  // kMaxUnitsPerWave places, and no wave adds a unit while kMaxLiveUnits are
  // there. Each bound is logged once a level attempt, naming the file. (The
  // shipped levels send at most 15 units a wave and keep a few dozen.)
  static constexpr int kMaxUnitsPerWave = 250;
  static constexpr size_t kMaxLiveUnits = 500;

  // What happened in a frame, for the screen to show.
  struct FrameEvents {
    bool lost = false;           // the level was lost this frame
    bool won = false;            // the level was won this frame: gold and progress are paid
    bool recruitOpened = false;  // the recruit panel is to open
    const AssaultRecord* wave = nullptr;  // the wave sent this frame
  };

  // random: 0..32767, the game's shared generator.
  LevelDriver(Battlefield& battlefield, int (*random)());

  // Level n of the list becomes current: pick-up rates, no gold yet, the
  // player's progress raised to n. False (nothing changes) when there is no
  // such level. The caller resets the level once its map is in place.
  bool Start(const std::vector<LevelRecord>& levels, int n);
  // Whether the last Start raised the player's progress (to be saved).
  bool ProgressRaised() const { return mProgressRaised; }
  // The current level back to its start: its silver, no gold collected, the
  // clock at 0, no wave sent, playing, not paused.
  void Reset();

  // One frame of the level (while the in-game screen is shown): defeat,
  // recruit, pause, stop, the clock, then the next wave or victory.
  FrameEvents Frame(uint32_t frameMs);

  // A paid recruit call: the panel opens at the next frame.
  void RequestRecruit() { mRecruitPending = true; }

  const LevelRecord* GetLevel() const { return mLevel; }
  int GetLevelIndex() const { return mLevelIndex; }
  bool IsLastLevel() const;
  bool IsEnded() const { return mEnd != End::None; }
  int GetElapsedMs() const { return mElapsedMs; }
  int GetNextWave() const { return mNextWave; }
  int GetExtraEnemies() const { return mExtraEnemies; }
  int GetWavesSent() const { return mWavesSent; }
  bool IsRecruitPending() const { return mRecruitPending; }

  // "进度 " + waves sent, + "/" + the level's wave count except on the last
  // level (GBK).
  std::string ProgressText(int sent) const;

 private:
  enum class End { None, Won, Lost };

  bool AllWavesSent() const;
  void Send(const AssaultRecord& wave);
  void Spawn(const AssaultRecord& wave);
  void LogBound(bool waveBound);

  Battlefield& mBattlefield;
  int (*mRandom)();
  const std::vector<LevelRecord>* mLevels = nullptr;
  const LevelRecord* mLevel = nullptr;
  int mLevelIndex = -1;
  bool mProgressRaised = false;
  int mElapsedMs = 0;
  int mNextWave = 0;
  int mExtraEnemies = 0;
  int mWavesSent = 0;
  bool mWaveBoundLogged = false;
  bool mLiveBoundLogged = false;
  bool mRecruitPending = false;
  bool mStopActive = false;
  End mEnd = End::None;
};
