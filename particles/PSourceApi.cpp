#include "particles/PSourceApi.h"

#include "particles/PSystemState.h"

namespace PSim {
namespace {
DomainPtr PointAt(const PVec3& v) { return DomainPtr(new PDPoint(v)); }
}  // namespace

void PSourceApi::SetColor(float red, float green, float blue, float alpha) {
  SetColor(PVec3(red, green, blue), alpha);
}

void PSourceApi::SetColor(const PVec3& color, float alpha) {
  PSourceState& s = mState->sourceState;
  s.colorDomain = PointAt(color);
  s.alphaDomain = PointAt(PVec3(alpha, alpha, alpha));
}

void PSourceApi::SetColor(const pDomain& colorDomain) {
  PSourceState& s = mState->sourceState;
  s.colorDomain = CloneOf(colorDomain);
  s.alphaDomain = PointAt(PVec3(1.0f, 1.0f, 1.0f));
}

void PSourceApi::SetColor(const pDomain& colorDomain, const pDomain& alphaDomain) {
  PSourceState& s = mState->sourceState;
  s.colorDomain = CloneOf(colorDomain);
  s.alphaDomain = CloneOf(alphaDomain);
}

void PSourceApi::SetData(uint64_t data) { mState->sourceState.data = data; }

void PSourceApi::SetUpVector(const PVec3& up) { mState->sourceState.upDomain = PointAt(up); }
void PSourceApi::SetUpVector(const pDomain& up) { mState->sourceState.upDomain = CloneOf(up); }

void PSourceApi::SetVelocity(const PVec3& velocity) { mState->sourceState.velocityDomain = PointAt(velocity); }
void PSourceApi::SetVelocity(const pDomain& velocity) { mState->sourceState.velocityDomain = CloneOf(velocity); }

void PSourceApi::SetRotVelocity(const PVec3& rotVelocity) {
  mState->sourceState.rotVelocityDomain = PointAt(rotVelocity);
}
void PSourceApi::SetRotVelocity(const pDomain& rotVelocity) {
  mState->sourceState.rotVelocityDomain = CloneOf(rotVelocity);
}

void PSourceApi::SetVertexB(const PVec3& vertexB) { mState->sourceState.vertexBDomain = PointAt(vertexB); }
void PSourceApi::SetVertexB(const pDomain& vertexB) { mState->sourceState.vertexBDomain = CloneOf(vertexB); }

void PSourceApi::SetVertexBTracks(bool tracks) { mState->sourceState.vertexBTracks = tracks; }

void PSourceApi::SetSize(const PVec3& size) { mState->sourceState.sizeDomain = PointAt(size); }
void PSourceApi::SetSize(const pDomain& size) { mState->sourceState.sizeDomain = CloneOf(size); }

void PSourceApi::SetMass(float mass) { mState->sourceState.mass = mass; }

void PSourceApi::SetStartingAge(float age, float sigma) {
  mState->sourceState.startingAge = age;
  mState->sourceState.ageSigma = sigma;
}

void PSourceApi::ResetSourceState() { mState->sourceState = PSourceState(); }

}  // namespace PSim
