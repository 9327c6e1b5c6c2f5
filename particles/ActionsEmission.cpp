#include "particles/ActionsEmission.h"

#include "particles/PError.h"
#include "particles/PRandom.h"
#include "particles/PSystemState.h"

#include <algorithm>
#include <cmath>

namespace PSim {
namespace {

}  // namespace

PASource::PASource(const pDomain& positions, const PVec3& origin, float r, const PSourceState& source)
    : PActionBase(false, true), positionDomain(CloneOf(positions)), rate(r), sourceState(source) {
  positionDomain->origin = origin;
}

unsigned PASource::EmitCount(float x, unsigned room) {
  const float chance = URand();  // drawn on every run, so replays stay in step
  if (!(x >= 0.0f)) return 0;
  // Clamping before the conversion keeps a huge rate or step from
  // overflowing the integer.
  if (static_cast<double>(x) >= room) return room;
  unsigned n = static_cast<unsigned>(std::floor(x));
  if (x - static_cast<float>(n) > chance) ++n;
  return std::min(n, room);
}

void PASource::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  const unsigned n = EmitCount(rate * dt, group.GetMaxParticles() - group.Size());
  for (unsigned i = 0; i < n; ++i) {
    const PVec3 position = positionDomain->Generate();
    group.Add(sourceState.Emit(position, positionDomain->origin));
  }
}

PAKillOld::PAKillOld(float limit, bool lessThan) : ageLimit(limit), killLessThan(lessThan) {}

size_t PAKillOld::Walk(PParticleGroup& group, size_t from, size_t until) {
  return WalkWhere(group, from, until, [this](const PParticle& p) { return (p.age < ageLimit) == killLessThan; });
}

PASink::PASink(bool inside, const pDomain& d) : killInside(inside), domain(CloneOf(d)) {}

size_t PASink::Walk(PParticleGroup& group, size_t from, size_t until) {
  return WalkWhere(group, from, until,
                   [this](const PParticle& p) { return domain->Contains(p.position) == killInside; });
}

PASinkVelocity::PASinkVelocity(bool inside, const pDomain& d) : killInside(inside), domain(CloneOf(d)) {}

size_t PASinkVelocity::Walk(PParticleGroup& group, size_t from, size_t until) {
  return WalkWhere(group, from, until,
                   [this](const PParticle& p) { return domain->Contains(p.velocity) == killInside; });
}

PACallback::PACallback(PParticleCallback cb, uint64_t d) : PActionBase(false, false), callback(cb), data(d) {}

void PACallback::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  if (!callback) throw PErrInternalError("callback pointer was NULL");
  for (ParticleIter it = begin; it != end; ++it) callback(*it, data);
}

PACallActionList::PACallActionList(int listNum) : PActionBase(false, true), actionListNum(listNum) {}

void PACallActionList::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  state->ExecuteActionList(state->lists[actionListNum]);
}

PASort::PASort(const PVec3& e, const PVec3& l, bool front, bool clamp)
    : PActionBase(false, true), eye(e), look(l), frontToBack(front), clampNegative(clamp) {}

void PASort::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  const float sign = frontToBack ? -1.0f : 1.0f;
  for (PParticle& p : group.particles) {
    p.sortKey = Dot(p.position - eye, look) * sign;
    if (clampNegative && p.sortKey < 0.0f) p.sortKey = 0.0f;
  }
  // Keys that are not numbers go last: a plain "<" is no ordering with them,
  // and the sort may then run past the group's ends.
  std::sort(group.begin(), group.end(), [](const PParticle& a, const PParticle& b) {
    if (std::isnan(b.sortKey)) return !std::isnan(a.sortKey);
    return a.sortKey < b.sortKey;
  });
}

PACopyVertexB::PACopyVertexB(bool position, bool velocity)
    : PActionBase(false, false), copyPosition(position), copyVelocity(velocity) {}

void PACopyVertexB::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  for (ParticleIter p = begin; p != end; ++p) {
    if (copyPosition) {
      p->positionB = p->position;
      p->upB = p->up;
    }
    if (copyVelocity) p->velocityB = p->velocity;
  }
}

PARestore::PARestore(float left, bool position, bool up)
    : PActionBase(false, false), timeLeft(left), restorePosition(position), restoreUp(up) {}

namespace {
// The velocity change that brings `at` (moving at `vel`) to `target` in t.
PVec3 RestoreStep(const PVec3& vel, const PVec3& target, const PVec3& at, float t, float a, float b) {
  const PVec3 pa = (vel * -0.6667f * t + target - at) * a;
  const PVec3 pb = (vel * t - target - target + at + at) * b;
  return pa + pb;
}
}  // namespace

void PARestore::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  if (!(timeLeft <= 0.0f)) {
    const float t = timeLeft;
    const float a = dt * 6.0f / (t * t);
    const float b = dt * dt * 3.0f / (t * t * t);
    for (ParticleIter p = begin; p != end; ++p) {
      if (restorePosition) p->velocity += RestoreStep(p->velocity, p->positionB, p->position, t, a, b);
      if (restoreUp) p->rotVelocity += RestoreStep(p->rotVelocity, p->upB, p->up, t, a, b);
    }
    return;
  }
  for (ParticleIter p = begin; p != end; ++p) {
    if (restorePosition) {
      p->position = p->positionB;
      p->velocity = PVec3(0, 0, 0);
    }
    if (restoreUp) {
      p->up = p->upB;
      p->rotVelocity = PVec3(0, 0, 0);
    }
  }
}

}  // namespace PSim
