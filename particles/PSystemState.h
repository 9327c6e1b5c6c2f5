#pragma once
// The state of one particle system, shared by its four interface parts:
// groups, recorded lists, the source state and the time step.
#include "particles/PActionBase.h"
#include "particles/PParticleGroup.h"
#include "particles/PSourceState.h"

#include <vector>

namespace PSim {

// Bytes of one particle record, the unit of the working-set size.
const unsigned kParticleBytes = sizeof(PParticle);

class PSystemState {
 public:
  PSourceState sourceState;
  float dt = 1.0f;
  bool inNewList = false;
  std::vector<PParticleGroup> groups;
  int currentGroup = -1;
  std::vector<PActionList> lists;
  int listInProgress = -1;
  // Most particles one call gets while a run of several actions goes
  // through a group: 1820 records of 144 bytes stay within 256 KiB of cache.
  int workingSetSize = 1820;

  // Takes ownership: appends the action to the list being recorded, or
  // applies it once to the whole current group and deletes it.
  void SendAction(PActionBase* action);

  // Runs a list on the current group (see the runner's comment).
  void ExecuteActionList(PActionList& list);

  // Append n default groups or n empty lists; return the number of the
  // first new one.
  int AddGroups(int n);
  int AddLists(int n);

  // The current group; `operation` names the caller in the error raised
  // when no valid group is current.
  PParticleGroup& CurrentGroupFor(const char* operation);
  bool HasCurrentGroup() const { return currentGroup >= 0 && currentGroup < static_cast<int>(groups.size()); }

 private:
  size_t SetSize() const;
  void RunActions(PParticleGroup& group, PActionList::iterator first, PActionList::iterator last);
  void RunAfterRemoval(PParticleGroup& group, PKillActionBase& killer, PActionList::iterator first,
                       PActionList::iterator last);
  int listDepth = 0;  // nesting of lists that call lists
};

}  // namespace PSim
