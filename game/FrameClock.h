#pragma once
// The shared frame clock: every part of the game reads these instead of
// taking a time argument.
#include <cstdint>

extern uint32_t FrameTimeMs;      // timer reading at the start of this frame
extern uint32_t FrameDeltaMs;     // last frame's duration; over 200 counts as 33
extern float FrameDeltaSeconds;   // FrameDeltaMs x 0.001
extern int32_t RedrawCountdown;   // ms until a forced GUI redraw; <= 0: none pending
extern unsigned char BattlePaused;  // set by the in-game screen while a panel is up

// Takes this frame's timer reading (wrapping 32-bit milliseconds).
void AdvanceFrameClock(uint32_t reading);
