#pragma once
// The running level's process-wide state: silver, gold and their rates, the
// game state (screens/LevelState.h) and the level list
// (screens/LevelRecord.h), with the services' state of a ScopedGameGlobals
// (tests/support/GameGlobals.h): a fixture's first member, it gives its test
// the state the process starts with and puts back what was there after it.
#include "tests/support/GameGlobals.h"

#include <memory>

class ScopedLevelGlobals {
 public:
  ScopedLevelGlobals();  // saves the state, then clears it
  ~ScopedLevelGlobals();  // puts the saved state back
  ScopedLevelGlobals(const ScopedLevelGlobals&) = delete;
  ScopedLevelGlobals& operator=(const ScopedLevelGlobals&) = delete;

 private:
  ScopedGameGlobals mServices;
  struct Saved;
  std::unique_ptr<Saved> mSaved;
};
