#include "tests/screens/LevelGlobals.h"

#include "screens/LevelRecord.h"
#include "screens/LevelState.h"

#include <utility>
#include <vector>

struct ScopedLevelGlobals::Saved {
  int levelSilver = 0;
  int levelGold = 0;
  int levelGoldRat = 0;
  int levelSilverRat = 0;
  int gameState = kGamePlaying;
  std::vector<LevelRecord> levelList;

  // Swaps these values with the game's.
  void Swap() {
    std::swap(levelSilver, LevelSilver);
    std::swap(levelGold, LevelGold);
    std::swap(levelGoldRat, LevelGoldRat);
    std::swap(levelSilverRat, LevelSilverRat);
    std::swap(gameState, GameState);
    std::swap(levelList, LevelList);
  }
};

ScopedLevelGlobals::ScopedLevelGlobals() : mSaved(std::make_unique<Saved>()) { mSaved->Swap(); }

ScopedLevelGlobals::~ScopedLevelGlobals() { mSaved->Swap(); }
