#pragma once
// Actions that make particles react to a sphere or a disc. Both change only
// velocity; the particle takes its new path at the next PAMove.
#include "particles/PActionBase.h"
#include "particles/PDomain.h"

namespace PSim {

// Reflects particles that would cross the surface during the next step.
class PABounce : public PActionBase {
 public:
  DomainPtr domain;  // a solid PDSphere or a PDDisc
  float oneMinusFriction;
  float resilience;
  float cutoff;  // squared: tangential speeds above it feel friction

  PABounce(float friction, float resilience, float cutoff, const pDomain& domain);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;

 private:
  void BounceOffDisc(const PDDisc& disc, ParticleIter begin, ParticleIter end) const;
  void BounceOffSphere(const PDSphere& sphere, ParticleIter begin, ParticleIter end) const;
  PVec3 Reflect(const PVec3& velocity, const PVec3& normal) const;
};

// Steers particles around a sphere or a disc within lookAhead time units of
// their path, keeping their speed.
class PAAvoid : public PActionBase {
 public:
  DomainPtr domain;  // a PDSphere or a PDDisc
  float lookAhead;
  float magnitude;
  float epsilon;

  PAAvoid(float magnitude, float epsilon, float lookAhead, const pDomain& domain);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;

 private:
  void AvoidDisc(const PDDisc& disc, ParticleIter begin, ParticleIter end) const;
  void AvoidSphere(const PDSphere& sphere, ParticleIter begin, ParticleIter end) const;
};

}  // namespace PSim
