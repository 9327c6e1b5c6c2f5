#pragma once
// Actions in which particles act on each other. They need the whole group
// in one call; the pairwise ones visit n(n - 1)/2 pairs.
#include "particles/PActionBase.h"

namespace PSim {

// Fields shared by the four interactions.
class PInteractionBase : public PActionBase {
 public:
  float magnitude;
  float epsilon;
  float maxRadius;  // a square of 1e16 or more means no limit

 protected:
  PInteractionBase(float magnitude, float epsilon, float maxRadius);
};

// Each particle but the last is pulled toward the particle after it.
class PAFollow : public PInteractionBase {
 public:
  PAFollow(float magnitude, float epsilon, float maxRadius) : PInteractionBase(magnitude, epsilon, maxRadius) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Every pair attracts each other.
class PAGravitate : public PInteractionBase {
 public:
  PAGravitate(float magnitude, float epsilon, float maxRadius) : PInteractionBase(magnitude, epsilon, maxRadius) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Every pair moves velocity from the later particle to the earlier one.
class PAMatchVelocity : public PInteractionBase {
 public:
  PAMatchVelocity(float magnitude, float epsilon, float maxRadius)
      : PInteractionBase(magnitude, epsilon, maxRadius) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// PAMatchVelocity on rotVelocity; distances still between positions.
class PAMatchRotVelocity : public PInteractionBase {
 public:
  PAMatchRotVelocity(float magnitude, float epsilon, float maxRadius)
      : PInteractionBase(magnitude, epsilon, maxRadius) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

}  // namespace PSim
