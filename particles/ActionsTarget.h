#pragma once
// Actions that bring a particle's appearance or motion toward set values:
// the target actions close a fraction of the gap at every run; the key
// animations follow a table of keys by particle age.
#include "particles/PActionBase.h"
#include "particles/PDomain.h"

#include <string>
#include <vector>

namespace PSim {

class PATargetColor : public PActionBase {
 public:
  PVec3 color;
  float alpha;
  float scale;

  PATargetColor(const PVec3& color, float alpha, float scale);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Per-axis rates.
class PATargetSize : public PActionBase {
 public:
  PVec3 size;
  PVec3 scale;

  PATargetSize(const PVec3& size, const PVec3& scale);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

class PATargetVelocity : public PActionBase {
 public:
  PVec3 velocity;
  float scale;

  PATargetVelocity(const PVec3& velocity, float scale);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

class PATargetRotVelocity : public PActionBase {
 public:
  PVec3 rotVelocity;
  float scale;

  PATargetRotVelocity(const PVec3& rotVelocity, float scale);
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// One key of a key table: a sphere's centre (colour, or growth rate of the
// size), outer radius (the key's age) and inner radius (the key's alpha).
struct PAnimKey {
  PVec3 value;
  float time;
  float alpha;
};

// Base of the key animations: the table is a PDUnion of PDSphere keys in
// ascending time, read once into a flat list when the action is built.
class PAKeyAnimBase : public PActionBase {
 public:
  DomainPtr keyDomain;

 protected:
  PAKeyAnimBase(const pDomain& keys, const char* action);
  // The keys; throws when the table is not a union of spheres.
  const std::vector<PAnimKey>& Keys() const;

 private:
  std::vector<PAnimKey> keys;
  std::string fault;  // why the table cannot be read, or empty
};

// Interpolates colour and alpha between the keys that enclose each
// particle's age; a particle at or before the first key takes the first
// key's colour and, with three keys or more, one past the last key takes
// the last key's; with two keys it keeps its colour once past the last.
class PAColourAnim : public PAKeyAnimBase {
 public:
  explicit PAColourAnim(const pDomain& keys) : PAKeyAnimBase(keys, "ColourAnim") {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

// Grows each particle's size at the rate of the first key still ahead of
// its age, or of the first key when none is ahead.
class PASizeAnim : public PAKeyAnimBase {
 public:
  explicit PASizeAnim(const pDomain& keys) : PAKeyAnimBase(keys, "SizeAnim") {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
};

}  // namespace PSim
