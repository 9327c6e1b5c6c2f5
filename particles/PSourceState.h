#pragma once
// The attributes that new particles take: a domain per vector attribute,
// from which every new particle draws its own value, and a few plain values.
#include "particles/PDomain.h"
#include "particles/PParticle.h"

#include <cstdint>

namespace PSim {

class PSourceState {
 public:
  DomainPtr upDomain;
  DomainPtr velocityDomain;
  DomainPtr rotVelocityDomain;
  DomainPtr vertexBDomain;  // positionB, when vertexBTracks is false
  DomainPtr sizeDomain;
  DomainPtr colorDomain;
  DomainPtr alphaDomain;  // the x of the drawn point
  uint64_t data = 0;
  float startingAge = 0.0f;
  float ageSigma = 0.0f;  // standard deviation of the starting age
  float mass = 1.0f;
  bool vertexBTracks = true;  // positionB is the particle's own position

  PSourceState();
  PSourceState(const PSourceState& other);
  PSourceState& operator=(const PSourceState& other);

  // A particle born at `position` from an emitter at `origin`, the
  // attribute domains drawn in a fixed order (position first, age last).
  PParticle Emit(const PVec3& position, const PVec3& origin) const;

  // A particle placed at once at `point`, carrying `userData`.
  PParticle MakeVertex(const PVec3& point, uint64_t userData) const;

 private:
  float StartingAge() const;
};

}  // namespace PSim
