#pragma once
// The base of every action. An action is recorded into a list and run again
// and again, or applied once, at once.
#include "particles/PParticleGroup.h"

#include <memory>
#include <vector>

namespace PSim {

class PSystemState;

class PActionBase {
 public:
  float dt = 0.0f;              // time step of the current run, set by the runner
  bool killsParticles = false;  // removes particles from the group
  bool needsWholeList = false;  // must be given the whole group in one call
  PSystemState* state = nullptr;  // the state the action was sent to

  virtual ~PActionBase() = default;
  // Applies the action to the particles [begin, end) of the group.
  virtual void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) = 0;

 protected:
  PActionBase(bool kills, bool whole) : killsParticles(kills), needsWholeList(whole) {}
  PActionBase(const PActionBase&) = delete;
  PActionBase& operator=(const PActionBase&) = delete;

  // Actions that add, remove, reorder or pair particles refuse a part of a
  // group.
  static void RequireWholeGroup(PParticleGroup& group, ParticleIter begin, ParticleIter end);
};

// A recorded list owns its actions.
using PActionList = std::vector<std::unique_ptr<PActionBase>>;

}  // namespace PSim
