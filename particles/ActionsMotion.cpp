#include "particles/ActionsMotion.h"

#include <cmath>

namespace PSim {

PAMove::PAMove(bool velocity, bool rotVelocity)
    : PActionBase(false, false), moveVelocity(velocity), moveRotVelocity(rotVelocity) {}

void PAMove::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float step = dt;
  if (moveRotVelocity && moveVelocity) {
    for (ParticleIter p = begin; p != end; ++p) {
      p->age += step;
      p->position += p->velocity * step;
      p->up += p->rotVelocity * step;
    }
  } else if (moveRotVelocity) {
    for (ParticleIter p = begin; p != end; ++p) {
      p->age += step;
      p->up += p->rotVelocity * step;
    }
  } else {
    for (ParticleIter p = begin; p != end; ++p) {
      p->age += step;
      p->position += p->velocity * step;
    }
  }
}

PAGravity::PAGravity(const PVec3& d) : PActionBase(false, false), direction(d) {}

void PAGravity::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const PVec3 change = direction * dt;
  for (ParticleIter p = begin; p != end; ++p) p->velocity += change;
}

PAExplosion::PAExplosion(const PVec3& c, float r, float m, float s, float e)
    : PActionBase(false, false), center(c), radius(r), magnitude(m), stdev(s), epsilon(e) {}

void PAExplosion::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  static const float oneOverSqrt2Pi = 1.0f / 2.5066282749176025f;
  const float magdt = magnitude * dt;
  const float oneOverSigma = 1.0f / stdev;
  const float inexp = Sqr(oneOverSigma) * -0.5f;
  const float ooss = oneOverSigma * oneOverSqrt2Pi;
  for (ParticleIter p = begin; p != end; ++p) {
    const PVec3 dir = p->position - center;
    const float d2 = dir.Length2();
    const float d = std::sqrt(d2);
    const float g = std::exp(Sqr(radius - d) * inexp) * ooss;
    const float amount = g * magdt / ((d2 + epsilon) * d);
    p->velocity += dir * amount;
  }
}

PAOrbitPoint::PAOrbitPoint(const PVec3& c, float m, float e, float r)
    : PActionBase(false, false), center(c), magnitude(m), epsilon(e), maxRadius(r) {}

void PAOrbitPoint::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float magdt = magnitude * dt;
  const RadiusLimit limit(maxRadius);
  for (ParticleIter p = begin; p != end; ++p) {
    const PVec3 dir = center - p->position;
    const float d2 = dir.Length2();
    if (limit.Reaches(d2)) p->velocity += dir * (magdt / (std::sqrt(d2) * (d2 + epsilon)));
  }
}

PAOrbitLine::PAOrbitLine(const PVec3& pt, const PVec3& a, float m, float e, float r)
    : PActionBase(false, false), point(pt), axis(Normalized(a)), magnitude(m), epsilon(e), maxRadius(r) {}

void PAOrbitLine::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float magdt = magnitude * dt;
  const RadiusLimit limit(maxRadius);
  for (ParticleIter p = begin; p != end; ++p) {
    const PVec3 f = p->position - point;
    const PVec3 into = axis * Dot(f, axis) - f;  // to the nearest point of the line
    const float d2 = into.Length2();
    if (limit.Reaches(d2)) p->velocity += into * (magdt / (std::sqrt(d2) * (d2 + epsilon)));
  }
}

PAVortex::PAVortex(const PVec3& c, const PVec3& a, float tight, float maxR, float in, float upS, float rot)
    : PActionBase(false, false),
      center(c),
      axis(a),
      tightness(tight),
      maxRadius(maxR),
      inSpeed(in),
      upSpeed(upS),
      rotSpeed(rot) {}

void PAVortex::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float radSqr = Sqr(maxRadius);
  const float axisLength = axis.Length();
  const PVec3 axisN = Normalized(axis);
  for (ParticleIter p = begin; p != end; ++p) {
    const PVec3 offset = p->position - center;
    const float along = Dot(offset, axisN);
    const float t = along / axisLength;  // 0 at center, 1 at the far end
    PVec3 r = axisN * along - offset;    // toward the axis
    const float r2 = r.Length2();
    // Only the cylinder of maxRadius between the two ends is affected.
    if (!(r2 < radSqr && along >= 0.0f && t <= 1.0f)) continue;
    const float funnelSqr = Sqr(std::pow(t, tightness) * maxRadius);
    r = r / std::sqrt(r2);
    const float dtOverMass = dt / p->mass;
    if (funnelSqr <= r2)
      p->velocity += r * (inSpeed * dtOverMass);
    else
      p->velocity = axisN * (upSpeed * dtOverMass) + Cross(axisN, r) * (rotSpeed * 0.03f);
  }
}

PAJet::PAJet(const pDomain& jet, const pDomain& accel)
    : PActionBase(false, false), jetDomain(CloneOf(jet)), accelDomain(CloneOf(accel)) {}

void PAJet::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p)
    if (jetDomain->Contains(p->position)) p->velocity += accelDomain->Generate() * dt;
}

void PARandomAccel::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p) p->velocity += domain->Generate() * dt;
}

void PARandomDisplace::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p) p->position += domain->Generate() * dt;
}

void PARandomVelocity::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p) p->velocity = domain->Generate();
}

void PARandomRotVelocity::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p) p->rotVelocity = domain->Generate();
}

PADamping::PADamping(const PVec3& d, float low, float high)
    : PActionBase(false, false), damping(d), lowSpeed(Sqr(low)), highSpeed(Sqr(high)) {}

namespace {
void Damp(PVec3& v, const PVec3& scale, float lowSqr, float highSqr) {
  const float s2 = v.Length2();
  if (lowSqr <= s2 && s2 <= highSqr) v = CompMult(v, scale);
}

PVec3 DampingScale(const PVec3& damping, float dt) {
  const PVec3 one(1.0f, 1.0f, 1.0f);
  return one - (one - damping) * dt;
}
}  // namespace

void PADamping::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const PVec3 scale = DampingScale(damping, dt);
  for (ParticleIter p = begin; p != end; ++p) Damp(p->velocity, scale, lowSpeed, highSpeed);
}

void PARotDamping::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const PVec3 scale = DampingScale(damping, dt);
  for (ParticleIter p = begin; p != end; ++p) Damp(p->rotVelocity, scale, lowSpeed, highSpeed);
}

PASpeedLimit::PASpeedLimit(float lo, float hi) : PActionBase(false, false), minSpeed(lo), maxSpeed(hi) {}

void PASpeedLimit::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float minSqr = Sqr(minSpeed);
  const float maxSqr = Sqr(maxSpeed);
  for (ParticleIter p = begin; p != end; ++p) {
    const float s2 = p->velocity.Length2();
    if (s2 < minSqr && s2 != 0.0f)
      p->velocity *= minSpeed / std::sqrt(s2);
    else if (s2 > maxSqr)
      p->velocity *= maxSpeed / std::sqrt(s2);
  }
}

PAShrink::PAShrink(const PVec3& c, float f) : PActionBase(false, false), center(c), factor(f) {}

void PAShrink::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p) p->velocity = (center - p->position) * factor * dt;
}

}  // namespace PSim
