#include "particles/ActionsCollision.h"

#include "particles/PError.h"

#include <cmath>
#include <typeinfo>

namespace PSim {
namespace {

// Signed distance from the disc's plane.
float PlaneDistance(const PDDisc& disc, const PVec3& p) { return Dot(p, disc.normal) + disc.planeD; }

// Where the straight path from `p` at `velocity` meets the disc's plane,
// when p and `ahead` lie on opposite sides of it (a zero counts as the same
// side); `t` receives the time to the plane.
bool CrossesRing(const PDDisc& disc, const PVec3& p, const PVec3& ahead, const PVec3& velocity, float& t,
                 PVec3& offset, float& r2) {
  const float distance = PlaneDistance(disc, p);
  if (distance * PlaneDistance(disc, ahead) >= 0.0f) return false;
  t = -distance / Dot(disc.normal, velocity);
  offset = p + velocity * t - disc.center;
  r2 = offset.Length2();
  return disc.radInSqr <= r2 && r2 <= disc.radOutSqr;
}

// `toward` turned by k and rescaled to the old speed vm.
PVec3 Steer(const PVec3& toward, float k, const PVec3& heading, float vm) {
  const PVec3 s = toward * k + heading;
  return s * (vm / s.Length());
}

// Calls `onSphere` or `onDisc` by the exact class of the domain; other
// shapes are refused at every run, before any particle is touched.
template <class OnSphere, class OnDisc>
void ByShape(const char* action, const pDomain& domain, OnSphere onSphere, OnDisc onDisc) {
  if (typeid(domain) == typeid(PDSphere))
    onSphere(static_cast<const PDSphere&>(domain));
  else if (typeid(domain) == typeid(PDDisc))
    onDisc(static_cast<const PDDisc&>(domain));
  else
    throw PErrNotImplemented(std::string(action) + " not implemented for domain " + typeid(domain).name());
}

}  // namespace

PABounce::PABounce(float friction, float r, float c, const pDomain& d)
    : PActionBase(false, false), domain(CloneOf(d)), oneMinusFriction(1.0f - friction), resilience(r), cutoff(c * c) {}

void PABounce::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  ByShape(
      "Bounce", *domain, [&](const PDSphere& sphere) { BounceOffSphere(sphere, begin, end); },
      [&](const PDDisc& disc) { BounceOffDisc(disc, begin, end); });
}

void PABounce::BounceOffDisc(const PDDisc& disc, ParticleIter begin, ParticleIter end) const {
  for (ParticleIter p = begin; p != end; ++p) {
    float t, r2;
    PVec3 offset;
    if (!CrossesRing(disc, p->position, p->position + p->velocity * dt, p->velocity, t, offset, r2)) continue;
    const PVec3 vn = disc.normal * Dot(disc.normal, p->velocity);
    const PVec3 vt = p->velocity - vn;
    // Friction acts only above the cutoff speed; the normal part is
    // reversed and scaled either way.
    if (vt.Length2() <= cutoff)
      p->velocity = vt - vn * resilience;
    else
      p->velocity = vt * oneMinusFriction - vn * resilience;
  }
}

// Velocity after a bounce off a surface of unit normal n.
PVec3 PABounce::Reflect(const PVec3& velocity, const PVec3& n) const {
  const float nmag = Dot(velocity, n);
  PVec3 vn = n * nmag;
  const PVec3 vt = velocity - vn;
  if (nmag < 0.0f) vn = -vn;
  const float fric = vt.Length2() > cutoff ? oneMinusFriction : 1.0f;
  return vt * fric + vn * resilience;
}

void PABounce::BounceOffSphere(const PDSphere& sphere, ParticleIter begin, ParticleIter end) const {
  if (sphere.radIn != 0.0f) throw PErrInternalError("Bouncing doesn't work on thick shells. radIn must be 0.");
  const float dtInv = 1.0f / dt;
  for (ParticleIter p = begin; p != end; ++p) {
    const PVec3 next = p->position + p->velocity * dt;
    if (sphere.Contains(p->position)) {
      if (sphere.Contains(next)) continue;
      p->velocity = Reflect(p->velocity, Normalized(sphere.center - p->position));
      const PVec3 next2 = p->position + p->velocity * dt;
      if (sphere.Contains(next2)) continue;
      // Even the bounced step leaves: aim just inside the surface instead.
      const PVec3 toCenter = sphere.center - next2;
      const PVec3 wish = sphere.center - toCenter * (sphere.radOut * 0.999f / toCenter.Length());
      p->velocity = (wish - p->position) * dtInv;
    } else {
      if (!sphere.Contains(next)) continue;
      p->velocity = Reflect(p->velocity, Normalized(p->position - sphere.center));
    }
  }
}

PAAvoid::PAAvoid(float m, float e, float look, const pDomain& d)
    : PActionBase(false, false), domain(CloneOf(d)), lookAhead(look), magnitude(m), epsilon(e) {}

void PAAvoid::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  ByShape(
      "Avoid", *domain, [&](const PDSphere& sphere) { AvoidSphere(sphere, begin, end); },
      [&](const PDDisc& disc) { AvoidDisc(disc, begin, end); });
}

void PAAvoid::AvoidSphere(const PDSphere& sphere, ParticleIter begin, ParticleIter end) const {
  const float magdt = magnitude * dt;
  for (ParticleIter p = begin; p != end; ++p) {
    const float vm = p->velocity.Length();
    const PVec3 heading = p->velocity / vm;
    const PVec3 toCenter = sphere.center - p->position;
    const float along = Dot(toCenter, heading);
    const float disc = sphere.radOutSqr - Dot(toCenter, toCenter) + Sqr(along);
    if (disc < 0.0f) continue;  // the path misses the sphere
    const float t = along - std::sqrt(disc);  // distance to the near surface
    if (t < 0.0f || t > vm * lookAhead) continue;
    // Perpendicular to the path, away from the centre.
    const PVec3 away = Cross(heading, Normalized(Cross(heading, toCenter)));
    p->velocity = Steer(away, magdt / (t * t + epsilon), heading, vm);
  }
}

void PAAvoid::AvoidDisc(const PDDisc& disc, ParticleIter begin, ParticleIter end) const {
  const float magdt = magnitude * dt;
  for (ParticleIter p = begin; p != end; ++p) {
    float t, r2;
    PVec3 offset;
    if (!CrossesRing(disc, p->position, p->position + p->velocity * lookAhead, p->velocity, t, offset, r2)) continue;
    const PVec3 towardRim = offset / std::sqrt(r2);
    const float vm = p->velocity.Length();
    const PVec3 heading = p->velocity / vm;
    p->velocity = Steer(towardRim, magdt / (t * t + epsilon), heading, vm);
  }
}

}  // namespace PSim
