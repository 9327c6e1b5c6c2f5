#pragma once
// The shared frame clock, advanced once per frame by the application shell
// before any manager updates.
#include <cstdint>

extern uint32_t FrameTimeMs;      // time of the current frame
extern uint32_t FrameDeltaMs;     // milliseconds since the previous frame
extern float FrameDeltaSeconds;   // the same in seconds
extern unsigned char BattlePaused;  // non-zero: units stand still
