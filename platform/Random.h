#pragma once
// The one random source of the game: the classic 15-bit linear congruential
// generator, seedable so tests can replay a run.

namespace platform {

constexpr int kRandMax = 32767;

// Next value in 0..kRandMax.
int Rand();

// A value from low to high (both reachable) from the next Rand().
float RangeRandom(float low, float high);

// Restarts the sequence; the sequence before any seed equals Seed(1).
void SeedRand(unsigned seed);

}  // namespace platform
