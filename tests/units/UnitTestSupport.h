#pragma once
// A unit manager over a fake world with one plain template, "soldier" (100
// hit points, range 4, an attack each second, radius 0.5, speed 2), whose
// actions are those of the game's units: "ready", "run", an "attack" whose
// effect "hit" starts at 0.1 s, "injured" and "die" (Level 9).
#include "FakeUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitManager.h"

#include <gtest/gtest.h>

extern const char* const kSoldierTemplate;

class UnitFixture : public ::testing::Test {
 protected:
  UnitFixture();
  ~UnitFixture() override;

  // A soldier of that side and type standing at (x, 0, z).
  CGAUnit* Make(float x, float z, int side = 1, int type = 0);
  // Runs the unit manager for n frames of 15 ms.
  void Frames(int n);
  FakeModel& Model(CGAUnit* unit) { return world.ModelOf(*unit); }
  static std::string ActionOf(CGAUnit* unit);

  LogLines log;
  FakeUnitWorld world;
  CGAUnitManager manager{nullptr};
};
