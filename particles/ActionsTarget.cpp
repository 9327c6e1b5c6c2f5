#include "particles/ActionsTarget.h"

#include "particles/PError.h"

namespace PSim {

PATargetColor::PATargetColor(const PVec3& c, float a, float s)
    : PActionBase(false, false), color(c), alpha(a), scale(s) {}

void PATargetColor::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float k = scale * dt;
  for (ParticleIter p = begin; p != end; ++p) {
    p->color += (color - p->color) * k;
    p->alpha = (alpha - p->alpha) * k + p->alpha;
  }
}

PATargetSize::PATargetSize(const PVec3& s, const PVec3& sc) : PActionBase(false, false), size(s), scale(sc) {}

void PATargetSize::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const PVec3 k = scale * dt;
  for (ParticleIter p = begin; p != end; ++p) p->size += CompMult(size - p->size, k);
}

PATargetVelocity::PATargetVelocity(const PVec3& v, float s) : PActionBase(false, false), velocity(v), scale(s) {}

void PATargetVelocity::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float k = scale * dt;
  for (ParticleIter p = begin; p != end; ++p) p->velocity += (velocity - p->velocity) * k;
}

PATargetRotVelocity::PATargetRotVelocity(const PVec3& v, float s)
    : PActionBase(false, false), rotVelocity(v), scale(s) {}

void PATargetRotVelocity::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const float k = scale * dt;
  for (ParticleIter p = begin; p != end; ++p) p->rotVelocity += (rotVelocity - p->rotVelocity) * k;
}

PAKeyAnimBase::PAKeyAnimBase(const pDomain& table, const char* action)
    : PActionBase(false, false), keyDomain(CloneOf(table)) {
  const auto* keyUnion = dynamic_cast<const PDUnion*>(keyDomain.get());
  if (keyUnion) {
    for (const DomainPtr& member : keyUnion->members) {
      const auto* key = dynamic_cast<const PDSphere*>(member.get());
      if (!key) break;
      keys.push_back(PAnimKey{key->center, key->radOut, key->radIn});
    }
  }
  if (!keyUnion || keys.size() != keyUnion->members.size()) {
    fault = std::string(action) + " keys must be a union of spheres.";
    keys.clear();
  }
}

const std::vector<PAnimKey>& PAKeyAnimBase::Keys() const {
  if (!fault.empty()) throw PErrInvalidValue(fault);
  return keys;
}

void PAColourAnim::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const std::vector<PAnimKey>& keys = Keys();
  const size_t count = keys.size();
  if (count < 2) return;
  const PAnimKey& first = keys.front();
  const PAnimKey& last = keys.back();
  for (ParticleIter p = begin; p != end; ++p) {
    const float age = p->age;
    // The first key at or after the particle's age closes the segment.
    size_t i = 0;
    while (i < count && keys[i].time < age) ++i;
    const PAnimKey* k0;
    const PAnimKey* k1;
    if (i == 0) {
      // At or before the first key: hold it (the segment has no start, and
      // extrapolating back leaves the colour range).
      p->color = first.value;
      p->alpha = first.alpha;
      continue;
    } else if (i < count) {
      k0 = &keys[i - 1];
      k1 = &keys[i];
    } else if (count > 2) {
      // Past the last key: hold it instead of extrapolating.
      p->color = last.value;
      p->alpha = last.alpha;
      continue;
    } else {
      k0 = &keys[0];
      k1 = &keys[1];
    }
    const float t = (age - k0->time) / (k1->time - k0->time);
    if (t > 1.0f) continue;  // past the end of a two-key table: keep the colour
    p->alpha = (k1->alpha - k0->alpha) * t + k0->alpha;
    p->color = k0->value + (k1->value - k0->value) * t;
  }
}

void PASizeAnim::Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) {
  const std::vector<PAnimKey>& keys = Keys();
  if (keys.size() < 2) return;
  for (ParticleIter p = begin; p != end; ++p) {
    PVec3 rate = keys.front().value;
    for (const PAnimKey& key : keys)
      if (key.time > p->age) {
        rate = key.value;
        break;
      }
    p->size += rate * dt;
  }
}

}  // namespace PSim
