#pragma once
// The services' process-wide state: the frame clock (game/FrameClock.h), the
// player's record and name (game/PlayerRecord.h) and the loading progress
// (game/LoadingProgress.h). A fixture holds a ScopedGameGlobals as its first
// member: its test starts from the state the process starts with, whatever
// the tests before it left, and the state is put back as it was after the
// test. The running level's state is the screens' own
// (tests/screens/LevelGlobals.h).
#include <memory>
#include <utility>

// Holds a process-wide variable at a fresh value for its own lifetime, then
// puts back what was there.
template <typename T>
class ScopedValue {
 public:
  explicit ScopedValue(T& global, T fresh = T{}) : mGlobal(global), mKept(std::move(fresh)) {
    std::swap(mGlobal, mKept);
  }
  ~ScopedValue() { std::swap(mGlobal, mKept); }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

 private:
  T& mGlobal;
  T mKept;
};

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
