#include "tests/support/GameGlobals.h"

#include "game/FrameClock.h"
#include "game/LoadingProgress.h"
#include "game/PlayerRecord.h"

#include <string>
#include <utility>

struct ScopedGameGlobals::Saved {
  uint32_t frameTimeMs = 0;
  uint32_t frameDeltaMs = 0;
  float frameDeltaSeconds = 0.0f;
  int32_t redrawCountdown = 0;
  unsigned char battlePaused = 0;
  SPlayerRecord playerRecord = {};
  std::string playerName;
  int loadingPercent = 0;
  std::string loadingText;

  // Swaps these values with the game's.
  void Swap() {
    std::swap(frameTimeMs, FrameTimeMs);
    std::swap(frameDeltaMs, FrameDeltaMs);
    std::swap(frameDeltaSeconds, FrameDeltaSeconds);
    std::swap(redrawCountdown, RedrawCountdown);
    std::swap(battlePaused, BattlePaused);
    std::swap(playerRecord, PlayerRecord);
    std::swap(playerName, PlayerName);
    std::swap(loadingPercent, LoadingPercent);
    std::swap(loadingText, LoadingText);
  }
};

// A fresh Saved holds the values the process starts with: swapped in, they
// clear the game's state and keep what was there; swapped back, they put it
// back.
ScopedGameGlobals::ScopedGameGlobals() : mSaved(std::make_unique<Saved>()) { mSaved->Swap(); }

ScopedGameGlobals::~ScopedGameGlobals() { mSaved->Swap(); }
