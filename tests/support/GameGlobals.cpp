#include "support/GameGlobals.h"

#include "game/FrameClock.h"
#include "game/LoadingProgress.h"
#include "game/PlayerRecord.h"
#include "screens/LevelRecord.h"
#include "screens/LevelState.h"

#include <string>
#include <utility>
#include <vector>

struct ScopedGameGlobals::Saved {
  uint32_t frameTimeMs = 0;
  uint32_t frameDeltaMs = 0;
  float frameDeltaSeconds = 0.0f;
  int32_t redrawCountdown = 0;
  unsigned char battlePaused = 0;
  int levelSilver = 0;
  int levelGold = 0;
  int levelGoldRat = 0;
  int levelSilverRat = 0;
  int gameState = kGamePlaying;
  SPlayerRecord playerRecord = {};
  std::string playerName;
  std::vector<LevelRecord> levelList;
  int loadingPercent = 0;
  std::string loadingText;

  // Swaps these values with the game's.
  void Swap() {
    std::swap(frameTimeMs, FrameTimeMs);
    std::swap(frameDeltaMs, FrameDeltaMs);
    std::swap(frameDeltaSeconds, FrameDeltaSeconds);
    std::swap(redrawCountdown, RedrawCountdown);
    std::swap(battlePaused, BattlePaused);
    std::swap(levelSilver, LevelSilver);
    std::swap(levelGold, LevelGold);
    std::swap(levelGoldRat, LevelGoldRat);
    std::swap(levelSilverRat, LevelSilverRat);
    std::swap(gameState, GameState);
    std::swap(playerRecord, PlayerRecord);
    std::swap(playerName, PlayerName);
    std::swap(levelList, LevelList);
    std::swap(loadingPercent, LoadingPercent);
    std::swap(loadingText, LoadingText);
  }
};

// A fresh Saved holds the values the process starts with: swapped in, they
// clear the game's state and keep what was there; swapped back, they put it
// back.
ScopedGameGlobals::ScopedGameGlobals() : mSaved(std::make_unique<Saved>()) { mSaved->Swap(); }

ScopedGameGlobals::~ScopedGameGlobals() { mSaved->Swap(); }
