#pragma once
// Actions that add, remove, hand out or reorder particles, and those that
// work on the second set of vectors (positionB, velocityB, upB).
#include "particles/PActionBase.h"
#include "particles/PDomain.h"
#include "particles/PSourceState.h"

namespace PSim {

// Emits about rate x dt particles per run from a position domain, with the
// source state of the moment the action was built.
class PASource : public PActionBase {
 public:
  DomainPtr positionDomain;  // its origin is the emitter position
  float rate;
  PSourceState sourceState;

  PASource(const pDomain& positions, const PVec3& origin, float rate, const PSourceState& source);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;

  // How many particles one run emits into a group with `room` free places:
  // floor(x), plus one with the probability of the fraction; never more
  // than the room, and none for a negative or non-number x.
  static unsigned EmitCount(float x, unsigned room);
};

// Removes particles of age ageLimit or more (or younger ones, with
// killLessThan).
class PAKillOld : public PKillActionBase {
 public:
  float ageLimit;
  bool killLessThan;

  PAKillOld(float ageLimit, bool killLessThan);
  size_t Walk(PParticleGroup& group, size_t from, size_t until) override;
};

// Removes particles whose position lies inside the domain (or outside it).
class PASink : public PKillActionBase {
 public:
  bool killInside;
  DomainPtr domain;

  PASink(bool killInside, const pDomain& domain);
  size_t Walk(PParticleGroup& group, size_t from, size_t until) override;
};

// As PASink, tested on the velocity.
class PASinkVelocity : public PKillActionBase {
 public:
  bool killInside;
  DomainPtr domain;

  PASinkVelocity(bool killInside, const pDomain& domain);
  size_t Walk(PParticleGroup& group, size_t from, size_t until) override;
};

// Hands every particle of the range to a function of the caller.
class PACallback : public PActionBase {
 public:
  PParticleCallback callback;
  uint64_t data;

  PACallback(PParticleCallback callback, uint64_t data);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Runs another recorded list on the group.
class PACallActionList : public PActionBase {
 public:
  int actionListNum;

  explicit PACallActionList(int listNum);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Orders the particles by their distance along `look` from the eye.
class PASort : public PActionBase {
 public:
  PVec3 eye;
  PVec3 look;
  bool frontToBack;
  bool clampNegative;

  PASort(const PVec3& eye, const PVec3& look, bool frontToBack, bool clampNegative);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Copies position and up (and/or velocity) into the second vectors.
class PACopyVertexB : public PActionBase {
 public:
  bool copyPosition;
  bool copyVelocity;

  PACopyVertexB(bool copyPosition, bool copyVelocity);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Steers position back to positionB and up back to upB so that they arrive
// in timeLeft; with no time left, snaps them there and stops them.
class PARestore : public PActionBase {
 public:
  float timeLeft;
  bool restorePosition;
  bool restoreUp;

  PARestore(float timeLeft, bool restorePosition, bool restoreUp);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

}  // namespace PSim
