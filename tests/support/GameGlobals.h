#pragma once
// The services' process-wide state: the frame clock (game/FrameClock.h), the
// player's record and name (game/PlayerRecord.h) and the loading progress
// (game/LoadingProgress.h). A fixture holds a ScopedGameGlobals as its first
// member: its test starts from the state the process starts with, whatever
// the tests before it left, and the state is put back as it was after the
// test. The running level's state is the screens' own
// (tests/screens/LevelGlobals.h).
#include <memory>

class ScopedGameGlobals {
 public:
  ScopedGameGlobals();  // saves the state, then clears it
  ~ScopedGameGlobals();  // puts the saved state back
  ScopedGameGlobals(const ScopedGameGlobals&) = delete;
  ScopedGameGlobals& operator=(const ScopedGameGlobals&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> mSaved;
};
