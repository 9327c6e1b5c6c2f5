#include "game/app/FrameSteps.h"

#include "game/FrameClock.h"

void RunFrame(CGAFrameSteps& steps) {
  steps.StepState();
  if (RedrawCountdown > 0) {
    RedrawCountdown -= static_cast<int32_t>(FrameDeltaMs);
    if (RedrawCountdown <= 0) steps.RedrawGui();
  }
  AdvanceFrameClock(steps.ReadFrameTimer());
  steps.UpdateInput();
  steps.UpdateSound();
  if (!BattlePaused) steps.UpdateUnits();
  steps.UpdateEffects();
  steps.UpdateTerrain();
  steps.UpdateCamera();
  steps.UpdateGui();
  steps.UpdateLabels();
  steps.Render();
}
