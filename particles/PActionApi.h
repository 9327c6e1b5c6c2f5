#pragma once
// One creator per action. While a list is being recorded the action is
// appended to it; otherwise it is applied once, at once, to the whole
// current group. Vectors are copied and domains cloned, so the caller keeps
// its own.
#include "particles/PDomain.h"
#include "particles/PParticle.h"

#include <cstdint>

namespace PSim {

class PSystemState;
class PActionBase;

class PActionApi {
 public:
  explicit PActionApi(PSystemState* state) : mState(state) {}

  void Avoid(float magnitude, float epsilon, float lookAhead, const pDomain& domain);
  void Bounce(float friction, float resilience, float cutoff, const pDomain& domain);
  void Callback(PParticleCallback callback, uint64_t data = 0);
  void CopyVertexB(bool copyPosition = true, bool copyVelocity = false);
  void Damping(const PVec3& damping, float lowSpeed, float highSpeed);
  void RotDamping(const PVec3& damping, float lowSpeed, float highSpeed);
  // A negative epsilon becomes 0.001.
  void Explosion(const PVec3& center, float radius, float magnitude, float stdev, float epsilon);
  void Follow(float magnitude, float epsilon, float maxRadius);
  void Gravitate(float magnitude, float epsilon, float maxRadius);
  void Gravity(const PVec3& direction);
  void Jet(const pDomain& jetDomain, const pDomain& accelDomain);
  void KillOld(float ageLimit, bool killLessThan = false);
  void MatchVelocity(float magnitude, float epsilon, float maxRadius);
  void MatchRotVelocity(float magnitude, float epsilon, float maxRadius);
  void Move(bool moveVelocity = true, bool moveRotVelocity = true);
  void OrbitLine(const PVec3& point, const PVec3& axis, float magnitude, float epsilon, float maxRadius);
  void OrbitPoint(const PVec3& center, float magnitude, float epsilon, float maxRadius);
  void RandomAccel(const pDomain& domain);
  void RandomDisplace(const pDomain& domain);
  void RandomVelocity(const pDomain& domain);
  void RandomRotVelocity(const pDomain& domain);
  void Restore(float timeLeft, bool restorePosition = true, bool restoreUp = true);
  void Sink(bool killInside, const pDomain& domain);
  void SinkVelocity(bool killInside, const pDomain& domain);
  void Sort(const PVec3& eye, const PVec3& look, bool frontToBack = true, bool clampNegative = false);
  // About rate x time step new particles from the domain, with the source
  // state of this moment; each keeps `origin` as its emitter position.
  void Source(float rate, const pDomain& domain, PVec3 origin = PVec3(0.0f, 0.0f, 0.0f));
  void SpeedLimit(float minSpeed, float maxSpeed);
  void TargetColor(const PVec3& color, float alpha, float scale);
  void TargetSize(const PVec3& size, const PVec3& scale);
  void TargetVelocity(const PVec3& velocity, float scale);
  void TargetRotVelocity(const PVec3& rotVelocity, float scale);
  // At once: one particle at the point, carrying `data`. While recording:
  // a Source of rate 1 at the point.
  void Vertex(const PVec3& point, uint64_t data = 0);
  void Vortex(const PVec3& center, const PVec3& axis, float tightness, float maxRadius, float inSpeed,
              float upSpeed, float rotSpeed);
  void Shrink(const PVec3& center, float factor);
  // `keys`: a PDUnion of PDSphere keys (centre = colour, outer radius =
  // time, inner radius = alpha, built with keepOrder).
  void ColourAnim(const pDomain& keys);
  // `keys`: a PDUnion of PDSphere keys (centre = growth rate per unit of
  // time, outer radius = time).
  void SizeAnim(const pDomain& keys);

 private:
  PSystemState* mState;
  void Send(PActionBase* action);
};

}  // namespace PSim
