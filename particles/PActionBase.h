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

// Base of the actions that remove the particles their test picks. The walk
// goes from the first particle up; a removed particle's place takes the
// group's last particle, which is examined in turn, so every place below
// the walk's reach holds a survivor for good.
class PKillActionBase : public PActionBase {
 public:
  // Walks the whole group.
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override;
  // Walks the places [from, until), or up to the group's end when that
  // comes first; returns where the walk stopped.
  virtual size_t Walk(PParticleGroup& group, size_t from, size_t until) = 0;

 protected:
  PKillActionBase() : PActionBase(true, false) {}

  template <class Dies>
  static size_t WalkWhere(PParticleGroup& group, size_t from, size_t until, Dies dies) {
    size_t i = from;
    while (i < until && i < group.particles.size()) {
      if (dies(group.particles[i]))
        group.Remove(group.begin() + i);
      else
        ++i;
    }
    return i;
  }
};

// A recorded list owns its actions.
using PActionList = std::vector<std::unique_ptr<PActionBase>>;

}  // namespace PSim
