#include "game/FrameClock.h"
#include "game/app/FrameSteps.h"
#include "tests/support/GameGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RecordingSteps : CGAFrameSteps {
  std::vector<std::string> calls;
  uint32_t timer = 0;
  void StepState() override { calls.push_back("state"); }
  void RedrawGui() override { calls.push_back("redraw"); }
  uint32_t ReadFrameTimer() override {
    calls.push_back("clock");
    return timer;
  }
  void UpdateInput() override { calls.push_back("input"); }
  void UpdateSound() override { calls.push_back("sound"); }
  void UpdateUnits() override { calls.push_back("units"); }
  void UpdateEffects() override { calls.push_back("effects"); }
  void UpdateTerrain() override { calls.push_back("terrain"); }
  void UpdateCamera() override { calls.push_back("camera"); }
  void UpdateGui() override { calls.push_back("gui"); }
  void UpdateLabels() override { calls.push_back("labels"); }
  void Render() override { calls.push_back("render"); }
};

struct Frame : ::testing::Test {
  ScopedGameGlobals globals;
};

TEST_F(Frame, StepsRunInOrder) {
  RecordingSteps steps;
  RunFrame(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"state", "clock", "input", "sound", "units", "effects",
                                                     "terrain", "camera", "gui", "labels", "render"}));
}

TEST_F(Frame, PausedBattleSkipsOnlyTheUnits) {
  RecordingSteps steps;
  BattlePaused = 1;
  RunFrame(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"state", "clock", "input", "sound", "effects", "terrain",
                                                     "camera", "gui", "labels", "render"}));
}

TEST_F(Frame, ClockClampsLongFramesAndWraps) {
  struct Case { uint32_t from, to, delta; float seconds; };
  for (Case c : {Case{1000, 1200, 200, 0.2f}, Case{1000, 1201, 33, 0.033f}, Case{1000, 1015, 15, 0.015f},
                 Case{0xFFFFFFF0u, 5, 21, 0.021f}, Case{5000, 5000, 0, 0.0f}}) {
    FrameTimeMs = c.from;
    AdvanceFrameClock(c.to);
    EXPECT_EQ(FrameDeltaMs, c.delta) << c.from << " -> " << c.to;
    EXPECT_FLOAT_EQ(FrameDeltaSeconds, c.seconds);
    EXPECT_EQ(FrameTimeMs, c.to);
  }
}

// The redraw countdown uses the previous frame's duration: the clock has not
// advanced yet when it is counted down.
TEST_F(Frame, RedrawComesOnceThePaintRequestHasAged) {
  RecordingSteps steps;
  RedrawCountdown = 500;
  int redrawFrame = -1;
  for (int frame = 0; frame < 60 && redrawFrame < 0; ++frame) {
    steps.calls.clear();
    steps.timer += 15;
    RunFrame(steps);
    if (std::find(steps.calls.begin(), steps.calls.end(), "redraw") != steps.calls.end()) redrawFrame = frame;
  }
  // Frame 0 counts the delta of no frame (0); frames 1.. count 15 each.
  EXPECT_EQ(redrawFrame, 34);
  EXPECT_LE(RedrawCountdown, 0);
}

}  // namespace
