#pragma once
// The game's particle workload run by our library and by the engine's own
// particle system, for timing the two against each other.
#include <string>

// A point emitter with a linear force, colour interpolation and scaling:
// `count` particles live at steady state (rate x life).
struct FxWorkload {
  unsigned count;
  float rate() const { return count / life(); }
  float life() const { return 2.0f; }
  unsigned quota() const { return count + count / 10; }
  float dt() const { return 1.0f / 60.0f; }
};

// One effect of either system; Frame is the whole per-frame update.
class FxRunner {
 public:
  virtual ~FxRunner() = default;
  virtual void Frame(float dt) = 0;
  virtual unsigned Live() const = 0;
};

FxRunner* NewOurEffect(const FxWorkload& w);
// Needs the headless engine with the engine's particle plugin loaded.
FxRunner* NewEngineEffect(const FxWorkload& w);

// Alternates timed runs of both at steady state and keeps the medians of
// the update's nanoseconds per particle, and of the ratio of each pair of
// runs, engine over ours (above 1: ours is faster).
struct SideBySideResult {
  unsigned count;
  double oursNsPerParticle, engineNsPerParticle;
  double ratio;
};
SideBySideResult CompareSideBySide(const FxWorkload& w, int rounds);
