#include "game/FrameClock.h"

uint32_t FrameTimeMs = 0;
uint32_t FrameDeltaMs = 0;
float FrameDeltaSeconds = 0.0f;
unsigned char BattlePaused = 0;
