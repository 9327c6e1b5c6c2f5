#pragma once
// Actions that move particles: the integration step, forces, and the
// actions that shape velocities. Forces change velocity (or rotVelocity);
// only PAMove and PARandomDisplace change position.
#include "particles/PActionBase.h"
#include "particles/PDomain.h"

namespace PSim {

// Ages every particle by dt and moves it (and turns it) by its velocities.
class PAMove : public PActionBase {
 public:
  bool moveVelocity;
  bool moveRotVelocity;

  PAMove(bool moveVelocity, bool moveRotVelocity);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

class PAGravity : public PActionBase {
 public:
  PVec3 direction;

  explicit PAGravity(const PVec3& direction);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// A spherical shock front of `radius` around `center` whose push has a
// Gaussian profile of width `stdev` across the front.
class PAExplosion : public PActionBase {
 public:
  PVec3 center;
  float radius;
  float magnitude;
  float stdev;
  float epsilon;

  PAExplosion(const PVec3& center, float radius, float magnitude, float stdev, float epsilon);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Pull toward a point, falling off as 1 / (d^2 + epsilon).
class PAOrbitPoint : public PActionBase {
 public:
  PVec3 center;
  float magnitude;
  float epsilon;
  float maxRadius;

  PAOrbitPoint(const PVec3& center, float magnitude, float epsilon, float maxRadius);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Pull toward a line through `point` along `axis` (stored at length 1).
class PAOrbitLine : public PActionBase {
 public:
  PVec3 point;
  PVec3 axis;
  float magnitude;
  float epsilon;
  float maxRadius;

  PAOrbitLine(const PVec3& point, const PVec3& axis, float magnitude, float epsilon, float maxRadius);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// A funnel around the axis from center to center + axis: particles outside
// the funnel are drawn in, particles inside rise and spin.
class PAVortex : public PActionBase {
 public:
  PVec3 center;
  PVec3 axis;
  float tightness;
  float maxRadius;
  float inSpeed;
  float upSpeed;
  float rotSpeed;

  PAVortex(const PVec3& center, const PVec3& axis, float tightness, float maxRadius, float inSpeed, float upSpeed,
           float rotSpeed);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Accelerates particles inside jetDomain by points of accelDomain.
class PAJet : public PActionBase {
 public:
  DomainPtr jetDomain;
  DomainPtr accelDomain;

  PAJet(const pDomain& jetDomain, const pDomain& accelDomain);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Base of the four actions that draw a random vector per particle from
// their domain: velocity or position change by it times dt, velocity or
// rotVelocity become it.
class PRandomActionBase : public PActionBase {
 public:
  DomainPtr domain;

 protected:
  explicit PRandomActionBase(const pDomain& d) : PActionBase(false, false), domain(CloneOf(d)) {}
};

class PARandomAccel : public PRandomActionBase {
 public:
  explicit PARandomAccel(const pDomain& d) : PRandomActionBase(d) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

class PARandomDisplace : public PRandomActionBase {
 public:
  explicit PARandomDisplace(const pDomain& d) : PRandomActionBase(d) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

class PARandomVelocity : public PRandomActionBase {
 public:
  explicit PARandomVelocity(const pDomain& d) : PRandomActionBase(d) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

class PARandomRotVelocity : public PRandomActionBase {
 public:
  explicit PARandomRotVelocity(const pDomain& d) : PRandomActionBase(d) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Slows velocities whose speed lies in [lowSpeed, highSpeed] (both stored
// squared) by the factor damping per unit of time.
class PADamping : public PActionBase {
 public:
  PVec3 damping;
  float lowSpeed;   // squared
  float highSpeed;  // squared

  PADamping(const PVec3& damping, float lowSpeed, float highSpeed);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// PADamping on rotVelocity.
class PARotDamping : public PADamping {
 public:
  using PADamping::PADamping;
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Keeps speeds between minSpeed and maxSpeed; particles at rest stay.
class PASpeedLimit : public PActionBase {
 public:
  float minSpeed;
  float maxSpeed;

  PASpeedLimit(float minSpeed, float maxSpeed);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Replaces every velocity by one heading for `center`.
class PAShrink : public PActionBase {
 public:
  PVec3 center;
  float factor;

  PAShrink(const PVec3& center, float factor);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Squared distances a force with a maximum radius acts within.
struct RadiusLimit {
  float maxRadiusSqr;
  explicit RadiusLimit(float maxRadius) : maxRadiusSqr(Sqr(maxRadius)) {}
  // A radius whose square reaches 1e16 means no limit.
  bool Reaches(float d2) const { return maxRadiusSqr >= 1e16f || d2 < maxRadiusSqr; }
};

}  // namespace PSim
