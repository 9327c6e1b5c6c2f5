#pragma once
// Particle groups: creating, selecting and emptying them, and reading their
// particles out.
#include "particles/PParticle.h"

#include <cstddef>
#include <cstdint>

namespace PSim {

class PSystemState;

class PGroupApi {
 public:
  explicit PGroupApi(PSystemState* state) : mState(state) {}

  // Appends groups of that capacity; returns the number of the first.
  int GenParticleGroups(int p_group_count = 1, unsigned max_particles = 0);
  // Empties groups [group_id, group_id + p_group_count) with death
  // callbacks; they keep their numbers and callbacks.
  void DeleteParticleGroups(int group_id, int p_group_count = 1);
  // The group that later actions, list runs and queries act on.
  void CurrentGroup(int group_id);
  void SetMaxParticles(unsigned max_count);
  // Adds copies of another group's particles from `index` on, as many as
  // copy_limit, the source and the room allow.
  void CopyGroup(int src_group_id, unsigned index = 0, unsigned copy_limit = ~0u);
  // Copies fields of the current group's particles into the arrays given
  // (any may be null): 3 floats of position, 4 of color and alpha, 3 of
  // velocity, 3 of size, 1 of age per particle. Returns the count read.
  unsigned GetParticles(unsigned index, unsigned count, float* position, float* color = nullptr,
                        float* velocity = nullptr, float* size = nullptr, float* age = nullptr);
  // The current group's storage: field f of particle i is at
  // ptr[i * stride + f's position]. Valid until particles or groups are
  // added or removed. Returns the particle count.
  unsigned GetParticlePointer(float*& ptr, size_t& stride, size_t& position, size_t& positionB, size_t& size,
                              size_t& velocity, size_t& velocityB, size_t& color, size_t& alpha, size_t& age,
                              size_t& up, size_t& rotVelocity, size_t& upB, size_t& mass, size_t& data,
                              size_t& origin);
  unsigned GetGroupCount();
  unsigned GetMaxParticles();
  void BirthCallback(PParticleCallback callback, uint64_t data = 0);
  void DeathCallback(PParticleCallback callback, uint64_t data = 0);
  // Largest run of particles handed to one call while several actions go
  // through a group, in bytes; at least one particle.
  void SetWorkingSetSize(unsigned set_size_bytes);

 private:
  PSystemState* mState;
  void RefuseWhileRecording(const char* operation) const;
};

}  // namespace PSim
