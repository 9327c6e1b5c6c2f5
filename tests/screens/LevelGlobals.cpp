#include "tests/screens/LevelGlobals.h"

#include "screens/LevelRecord.h"
#include "screens/LevelState.h"

#include <vector>

// Each value starts as the process starts it.
struct ScopedLevelGlobals::Saved {
  ScopedValue<int> levelSilver{LevelSilver};
  ScopedValue<int> levelGold{LevelGold};
  ScopedValue<int> levelGoldRat{LevelGoldRat};
  ScopedValue<int> levelSilverRat{LevelSilverRat};
  ScopedValue<int> gameState{GameState, kGamePlaying};
  ScopedValue<std::vector<LevelRecord>> levelList{LevelList};
};

ScopedLevelGlobals::ScopedLevelGlobals() : mSaved(std::make_unique<Saved>()) {}

ScopedLevelGlobals::~ScopedLevelGlobals() = default;
