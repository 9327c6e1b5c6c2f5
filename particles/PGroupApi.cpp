#include "particles/PGroupApi.h"

#include "particles/PError.h"
#include "particles/PSystemState.h"

#include <algorithm>
#include <string>

namespace PSim {
namespace {
void CopyOut(const PVec3& v, float* to) {
  to[0] = v.x;
  to[1] = v.y;
  to[2] = v.z;
}
}  // namespace

void PGroupApi::RefuseWhileRecording(const char* operation) const {
  if (mState->inNewList)
    throw PErrInNewActionList(std::string("Can't call ") + operation + " while in NewActionList.");
}

int PGroupApi::GenParticleGroups(int p_group_count, unsigned max_particles) {
  RefuseWhileRecording("GenParticleGroups");
  if (p_group_count < 0) throw PErrParticleGroup("Invalid particle group number 0");
  const int first = mState->AddGroups(p_group_count);
  for (int i = first; i < first + p_group_count; ++i) mState->groups[i].SetMaxParticles(max_particles);
  return first;
}

void PGroupApi::DeleteParticleGroups(int group_id, int p_group_count) {
  RefuseWhileRecording("DeleteParticleGroups");
  if (group_id < 0) throw PErrParticleGroup("Invalid particle group number 1");
  if (p_group_count < 1) throw PErrParticleGroup("Invalid p_group_count");
  if (static_cast<long long>(group_id) + p_group_count > static_cast<long long>(mState->groups.size()))
    throw PErrParticleGroup("Invalid particle group number 2");
  // A maximum of 0 sends every particle through the death callback.
  for (int i = group_id; i < group_id + p_group_count; ++i) mState->groups[i].SetMaxParticles(0);
}

void PGroupApi::CurrentGroup(int group_id) {
  RefuseWhileRecording("CurrentGroup");
  if (group_id < 0 || group_id >= static_cast<int>(mState->groups.size()))
    throw PErrParticleGroup("Invalid particle group number 3");
  mState->currentGroup = group_id;
}

void PGroupApi::SetMaxParticles(unsigned max_count) {
  RefuseWhileRecording("SetMaxParticles");
  mState->CurrentGroupFor("SetMaxParticles").SetMaxParticles(max_count);
}

void PGroupApi::CopyGroup(int src_group_id, unsigned index, unsigned copy_limit) {
  RefuseWhileRecording("CopyGroup");
  if (src_group_id < 0 || src_group_id >= static_cast<int>(mState->groups.size()))
    throw PErrParticleGroup("Invalid particle group number 4");
  PParticleGroup& dest = mState->CurrentGroupFor("CopyGroup");
  const PParticleGroup& src = mState->groups[src_group_id];
  if (index >= src.Size()) return;
  unsigned count = std::min(copy_limit, src.Size() - index);
  count = std::min(count, dest.GetMaxParticles() - dest.Size());
  // By index: the source may be the destination itself, whose storage the
  // adds must not move (room is reserved), but which grows as we go.
  for (unsigned i = 0; i < count; ++i) {
    const PParticle copy = mState->groups[src_group_id].particles[index + i];
    dest.Add(copy);
  }
}

unsigned PGroupApi::GetParticles(unsigned index, unsigned count, float* position, float* color, float* velocity,
                                 float* size, float* age) {
  RefuseWhileRecording("GetParticles");
  if (!mState->HasCurrentGroup()) throw PErrParticleGroup("GetParticles: Invalid pgroup_id");
  PParticleGroup& group = mState->groups[mState->currentGroup];
  if (index > group.Size()) throw PErrParticleGroup("GetParticles: index out of bounds.");
  count = std::min(count, group.Size() - index);
  for (unsigned i = 0; i < count; ++i) {
    const PParticle& p = group.particles[index + i];
    if (position) CopyOut(p.position, position + 3 * i);
    if (color) {
      CopyOut(p.color, color + 4 * i);
      color[4 * i + 3] = p.alpha;
    }
    if (velocity) CopyOut(p.velocity, velocity + 3 * i);
    if (size) CopyOut(p.size, size + 3 * i);
    if (age) age[i] = p.age;
  }
  return count;
}

unsigned PGroupApi::GetParticlePointer(float*& ptr, size_t& stride, size_t& position, size_t& positionB,
                                       size_t& size, size_t& velocity, size_t& velocityB, size_t& color,
                                       size_t& alpha, size_t& age, size_t& up, size_t& rotVelocity, size_t& upB,
                                       size_t& mass, size_t& data, size_t& origin) {
  PParticleGroup& group = mState->CurrentGroupFor("GetParticlePointer");
  if (group.Size() < 1) throw PErrParticleGroup("GetParticlePointer called on empty particle group.");
  RefuseWhileRecording("GetParticlePointer");
  ptr = reinterpret_cast<float*>(group.particles.data());
  // A single particle has no neighbour to step to.
  stride = group.Size() > 1 ? sizeof(PParticle) / sizeof(float) : 0;
  position = PSIM_FLOAT_POS(position);
  positionB = PSIM_FLOAT_POS(positionB);
  size = PSIM_FLOAT_POS(size);
  velocity = PSIM_FLOAT_POS(velocity);
  velocityB = PSIM_FLOAT_POS(velocityB);
  color = PSIM_FLOAT_POS(color);
  alpha = PSIM_FLOAT_POS(alpha);
  age = PSIM_FLOAT_POS(age);
  up = PSIM_FLOAT_POS(up);
  rotVelocity = PSIM_FLOAT_POS(rotVelocity);
  upB = PSIM_FLOAT_POS(upB);
  mass = PSIM_FLOAT_POS(mass);
  data = PSIM_FLOAT_POS(data);
  origin = PSIM_FLOAT_POS(origin);
  return group.Size();
}

unsigned PGroupApi::GetGroupCount() { return mState->CurrentGroupFor("GetGroupCount").Size(); }

unsigned PGroupApi::GetMaxParticles() { return mState->CurrentGroupFor("GetMaxParticles").GetMaxParticles(); }

void PGroupApi::BirthCallback(PParticleCallback callback, uint64_t data) {
  RefuseWhileRecording("BirthCallback");
  mState->CurrentGroupFor("BirthCallback").SetBirthCallback(callback, data);
}

void PGroupApi::DeathCallback(PParticleCallback callback, uint64_t data) {
  RefuseWhileRecording("DeathCallback");
  mState->CurrentGroupFor("DeathCallback").SetDeathCallback(callback, data);
}

void PGroupApi::SetWorkingSetSize(unsigned set_size_bytes) {
  // A size below one record would make sets of no particle that never end.
  mState->workingSetSize = static_cast<int>(std::max(1u, set_size_bytes / kParticleBytes));
}

}  // namespace PSim
