#include "particles/PParticleGroup.h"

namespace PSim {

ParticleIter PParticleGroup::Remove(ParticleIter it) {
  if (deathCallback) deathCallback(*it, deathData);
  // Moving the last particle in keeps removal as cheap anywhere in the group.
  ParticleIter last = particles.end() - 1;
  if (it != last) *it = *last;
  const auto index = it - particles.begin();
  particles.pop_back();
  return particles.begin() + index;
}

void PParticleGroup::SetMaxParticles(unsigned maxCount) {
  maxParticles = maxCount;
  if (particles.size() > maxCount) {
    if (deathCallback)
      for (auto it = particles.begin() + maxCount; it != particles.end(); ++it) deathCallback(*it, deathData);
    particles.resize(maxCount);
  }
  particles.reserve(maxCount);
}

}  // namespace PSim

