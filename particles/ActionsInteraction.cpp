#include "particles/ActionsInteraction.h"

#include "particles/ActionsMotion.h"

#include <cmath>

namespace PSim {

PInteractionBase::PInteractionBase(float m, float e, float r)
    : PActionBase(false, true), magnitude(m), epsilon(e), maxRadius(r) {}

void PAFollow::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  if (group.Size() < 2) return;
  const float magdt = magnitude * dt;
  const RadiusLimit limit(maxRadius);
  for (ParticleIter p = begin; p + 1 != end; ++p) {
    const PVec3 toNext = (p + 1)->position - p->position;
    const float d2 = toNext.Length2();
    if (limit.Reaches(d2)) p->velocity += toNext * (magdt / (std::sqrt(d2) * (d2 + epsilon)));
  }
}

namespace {
// Visits every pair i < j, i by i, each i with every later j; `act` sees
// the updates of the pairs before it.
template <class Act>
void ForEachPairWithin(ParticleIter begin, ParticleIter end, float maxRadius, Act act) {
  const RadiusLimit limit(maxRadius);
  for (ParticleIter i = begin; i != end; ++i)
    for (ParticleIter j = i + 1; j != end; ++j) {
      const PVec3 toJ = j->position - i->position;
      const float d2 = toJ.Length2();
      if (limit.Reaches(d2)) act(*i, *j, toJ, d2);
    }
}
}  // namespace

void PAGravitate::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  const float magdt = magnitude * dt;
  ForEachPairWithin(begin, end, maxRadius, [&](PParticle& i, PParticle& j, const PVec3& toJ, float d2) {
    const PVec3 acc = toJ * (magdt / (std::sqrt(d2) * (d2 + epsilon)));
    i.velocity += acc;
    j.velocity -= acc;
  });
}

namespace {
// Every pair within reach moves some of the later particle's `field` to
// the earlier one, more the closer they are.
void MatchField(PVec3 PParticle::*field, ParticleIter begin, ParticleIter end, float magdt, float epsilon,
                float maxRadius) {
  ForEachPairWithin(begin, end, maxRadius, [&](PParticle& i, PParticle& j, const PVec3&, float d2) {
    const PVec3 acc = (j.*field) * (magdt / (d2 + epsilon));
    i.*field += acc;
    j.*field -= acc;
  });
}
}  // namespace

void PAMatchVelocity::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  MatchField(&PParticle::velocity, begin, end, magnitude * dt, epsilon, maxRadius);
}

void PAMatchRotVelocity::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  MatchField(&PParticle::rotVelocity, begin, end, magnitude * dt, epsilon, maxRadius);
}

}  // namespace PSim
