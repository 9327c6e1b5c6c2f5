#include "particles/PSourceState.h"

#include "particles/PRandom.h"

namespace PSim {
namespace {
DomainPtr Point(float x, float y, float z) { return DomainPtr(new PDPoint(PVec3(x, y, z))); }
}  // namespace

PSourceState::PSourceState()
    : upDomain(Point(0, 1, 0)),
      velocityDomain(Point(0, 0, 0)),
      rotVelocityDomain(Point(0, 0, 0)),
      vertexBDomain(Point(0, 0, 0)),
      sizeDomain(Point(1, 1, 1)),
      colorDomain(Point(1, 1, 1)),
      alphaDomain(Point(1, 1, 1)) {}

PSourceState::PSourceState(const PSourceState& other) { *this = other; }

PSourceState& PSourceState::operator=(const PSourceState& other) {
  if (this == &other) return *this;
  upDomain = CloneOf(*other.upDomain);
  velocityDomain = CloneOf(*other.velocityDomain);
  rotVelocityDomain = CloneOf(*other.rotVelocityDomain);
  vertexBDomain = CloneOf(*other.vertexBDomain);
  sizeDomain = CloneOf(*other.sizeDomain);
  colorDomain = CloneOf(*other.colorDomain);
  alphaDomain = CloneOf(*other.alphaDomain);
  data = other.data;
  startingAge = other.startingAge;
  ageSigma = other.ageSigma;
  mass = other.mass;
  vertexBTracks = other.vertexBTracks;
  return *this;
}

float PSourceState::StartingAge() const { return startingAge + NormalRandom(ageSigma); }

PParticle PSourceState::Emit(const PVec3& position, const PVec3& origin) const {
  PParticle p;
  p.position = position;
  p.origin = origin;
  p.positionB = vertexBTracks ? position : vertexBDomain->Generate();
  p.up = upDomain->Generate();
  p.upB = origin;
  p.velocity = velocityDomain->Generate();
  p.rotVelocity = rotVelocityDomain->Generate();
  p.size = sizeDomain->Generate();
  p.color = colorDomain->Generate();
  p.alpha = alphaDomain->Generate().x;
  p.age = StartingAge();
  p.mass = mass;
  p.data = data;
  return p;
}

PParticle PSourceState::MakeVertex(const PVec3& point, uint64_t userData) const {
  // Its own draw order (size before up), which replays depend on.
  PParticle p;
  p.position = point;
  p.positionB = vertexBTracks ? point : vertexBDomain->Generate();
  p.size = sizeDomain->Generate();
  p.up = upDomain->Generate();
  p.velocity = velocityDomain->Generate();
  p.rotVelocity = rotVelocityDomain->Generate();
  p.color = colorDomain->Generate();
  p.alpha = alphaDomain->Generate().x;
  p.age = StartingAge();
  p.mass = mass;
  p.data = userData;
  return p;
}

}  // namespace PSim
