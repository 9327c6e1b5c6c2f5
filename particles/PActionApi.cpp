#include "particles/PActionApi.h"

#include "particles/ActionsCollision.h"
#include "particles/ActionsEmission.h"
#include "particles/ActionsInteraction.h"
#include "particles/ActionsMotion.h"
#include "particles/ActionsTarget.h"
#include "particles/PSystemState.h"

namespace PSim {

void PActionApi::Send(PActionBase* action) { mState->SendAction(action); }

void PActionApi::Avoid(float magnitude, float epsilon, float lookAhead, const pDomain& domain) {
  Send(new PAAvoid(magnitude, epsilon, lookAhead, domain));
}

void PActionApi::Bounce(float friction, float resilience, float cutoff, const pDomain& domain) {
  Send(new PABounce(friction, resilience, cutoff, domain));
}

void PActionApi::Callback(PParticleCallback callback, uint64_t data) { Send(new PACallback(callback, data)); }

void PActionApi::CopyVertexB(bool copyPosition, bool copyVelocity) {
  Send(new PACopyVertexB(copyPosition, copyVelocity));
}

void PActionApi::Damping(const PVec3& damping, float lowSpeed, float highSpeed) {
  Send(new PADamping(damping, lowSpeed, highSpeed));
}

void PActionApi::RotDamping(const PVec3& damping, float lowSpeed, float highSpeed) {
  Send(new PARotDamping(damping, lowSpeed, highSpeed));
}

void PActionApi::Explosion(const PVec3& center, float radius, float magnitude, float stdev, float epsilon) {
  Send(new PAExplosion(center, radius, magnitude, stdev, epsilon < 0.0f ? 0.001f : epsilon));
}

void PActionApi::Follow(float magnitude, float epsilon, float maxRadius) {
  Send(new PAFollow(magnitude, epsilon, maxRadius));
}

void PActionApi::Gravitate(float magnitude, float epsilon, float maxRadius) {
  Send(new PAGravitate(magnitude, epsilon, maxRadius));
}

void PActionApi::Gravity(const PVec3& direction) { Send(new PAGravity(direction)); }

void PActionApi::Jet(const pDomain& jetDomain, const pDomain& accelDomain) {
  Send(new PAJet(jetDomain, accelDomain));
}

void PActionApi::KillOld(float ageLimit, bool killLessThan) { Send(new PAKillOld(ageLimit, killLessThan)); }

void PActionApi::MatchVelocity(float magnitude, float epsilon, float maxRadius) {
  Send(new PAMatchVelocity(magnitude, epsilon, maxRadius));
}

void PActionApi::MatchRotVelocity(float magnitude, float epsilon, float maxRadius) {
  Send(new PAMatchRotVelocity(magnitude, epsilon, maxRadius));
}

void PActionApi::Move(bool moveVelocity, bool moveRotVelocity) { Send(new PAMove(moveVelocity, moveRotVelocity)); }

void PActionApi::OrbitLine(const PVec3& point, const PVec3& axis, float magnitude, float epsilon, float maxRadius) {
  Send(new PAOrbitLine(point, axis, magnitude, epsilon, maxRadius));
}

void PActionApi::OrbitPoint(const PVec3& center, float magnitude, float epsilon, float maxRadius) {
  Send(new PAOrbitPoint(center, magnitude, epsilon, maxRadius));
}

void PActionApi::RandomAccel(const pDomain& domain) { Send(new PARandomAccel(domain)); }

void PActionApi::RandomDisplace(const pDomain& domain) { Send(new PARandomDisplace(domain)); }

void PActionApi::RandomVelocity(const pDomain& domain) { Send(new PARandomVelocity(domain)); }

void PActionApi::RandomRotVelocity(const pDomain& domain) { Send(new PARandomRotVelocity(domain)); }

void PActionApi::Restore(float timeLeft, bool restorePosition, bool restoreUp) {
  Send(new PARestore(timeLeft, restorePosition, restoreUp));
}

void PActionApi::Sink(bool killInside, const pDomain& domain) { Send(new PASink(killInside, domain)); }

void PActionApi::SinkVelocity(bool killInside, const pDomain& domain) {
  Send(new PASinkVelocity(killInside, domain));
}

void PActionApi::Sort(const PVec3& eye, const PVec3& look, bool frontToBack, bool clampNegative) {
  Send(new PASort(eye, look, frontToBack, clampNegative));
}

void PActionApi::Source(float rate, const pDomain& domain, PVec3 origin) {
  Send(new PASource(domain, origin, rate, mState->sourceState));
}

void PActionApi::SpeedLimit(float minSpeed, float maxSpeed) { Send(new PASpeedLimit(minSpeed, maxSpeed)); }

void PActionApi::TargetColor(const PVec3& color, float alpha, float scale) {
  Send(new PATargetColor(color, alpha, scale));
}

void PActionApi::TargetSize(const PVec3& size, const PVec3& scale) { Send(new PATargetSize(size, scale)); }

void PActionApi::TargetVelocity(const PVec3& velocity, float scale) {
  Send(new PATargetVelocity(velocity, scale));
}

void PActionApi::TargetRotVelocity(const PVec3& rotVelocity, float scale) {
  Send(new PATargetRotVelocity(rotVelocity, scale));
}

void PActionApi::Vertex(const PVec3& point, uint64_t data) {
  if (mState->inNewList) {
    Source(1.0f, PDPoint(point));
    return;
  }
  PParticleGroup& group = mState->CurrentGroupFor("Vertex");
  group.Add(mState->sourceState.MakeVertex(point, data));
}

void PActionApi::Vortex(const PVec3& center, const PVec3& axis, float tightness, float maxRadius, float inSpeed,
                        float upSpeed, float rotSpeed) {
  Send(new PAVortex(center, axis, tightness, maxRadius, inSpeed, upSpeed, rotSpeed));
}

void PActionApi::Shrink(const PVec3& center, float factor) { Send(new PAShrink(center, factor)); }

void PActionApi::ColourAnim(const pDomain& keys) { Send(new PAColourAnim(keys)); }

void PActionApi::SizeAnim(const pDomain& keys) { Send(new PASizeAnim(keys)); }

}  // namespace PSim
