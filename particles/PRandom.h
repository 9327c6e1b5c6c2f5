#pragma once
// Random numbers of the particle library, all drawn from the game's one
// random source, so a seeded run replays exactly.
#include "particles/PVec3.h"

namespace PSim {

// Uniform in [0, 1], both ends included.
float URand();

// Three uniform numbers, drawn z first, then y, then x.
PVec3 RandVec();

// Normally distributed with mean 0 and standard deviation sigma (polar
// method); draws at least two uniform numbers, also for sigma 0.
float NormalRandom(float sigma);

}  // namespace PSim
