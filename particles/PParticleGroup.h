#pragma once
// A group of up to a maximum number of particles, held by value in one
// contiguous vector whose storage is reserved when the maximum is set, so
// emitting never moves the particles and actions stream through them.
#include "particles/PParticle.h"

#include <vector>

namespace PSim {

using ParticleList = std::vector<PParticle>;
using ParticleIter = ParticleList::iterator;

class PParticleGroup {
 public:
  // Appends a copy unless the group is full; the birth callback sees the
  // stored copy. Returns whether the particle was added.
  bool Add(const PParticle& p) {
    if (particles.size() >= maxParticles) return false;
    particles.push_back(p);
    if (birthCallback) birthCallback(particles.back(), birthData);
    return true;
  }

  // Removes the particle at `it` after its death callback: the last
  // particle takes its place. Returns `it`, which now holds the former last
  // particle (or the new end), so a caller walking the group examines the
  // same position again.
  ParticleIter Remove(ParticleIter it);

  // Death callbacks for the particles beyond the new maximum, first to
  // last, then the cut; storage for the maximum is reserved at once.
  void SetMaxParticles(unsigned maxCount);

  unsigned Size() const { return static_cast<unsigned>(particles.size()); }
  unsigned GetMaxParticles() const { return maxParticles; }

  void SetBirthCallback(PParticleCallback callback, uint64_t data) {
    birthCallback = callback;
    birthData = data;
  }
  void SetDeathCallback(PParticleCallback callback, uint64_t data) {
    deathCallback = callback;
    deathData = data;
  }
  bool HasDeathCallback() const { return deathCallback != nullptr; }

  ParticleIter begin() { return particles.begin(); }
  ParticleIter end() { return particles.end(); }
  PParticle& operator[](size_t i) { return particles[i]; }

  ParticleList particles;

 private:
  unsigned maxParticles = 0;
  PParticleCallback birthCallback = nullptr;
  PParticleCallback deathCallback = nullptr;
  uint64_t birthData = 0;
  uint64_t deathData = 0;
};

}  // namespace PSim
