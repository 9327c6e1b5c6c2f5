#include "game/FrameClock.h"

uint32_t FrameTimeMs = 0;
uint32_t FrameDeltaMs = 0;
float FrameDeltaSeconds = 0.0f;
int32_t RedrawCountdown = 0;
unsigned char BattlePaused = 0;

void AdvanceFrameClock(uint32_t reading) {
  FrameDeltaMs = reading - FrameTimeMs;
  FrameTimeMs = reading;
  // A long frame (start-up, a window drag, a map load) must not become one
  // big time step for the game.
  if (FrameDeltaMs > 200) FrameDeltaMs = 33;
  FrameDeltaSeconds = static_cast<float>(FrameDeltaMs * 0.001);
}
