#include "particles/PSystemState.h"

#include "particles/PError.h"

#include <algorithm>
#include <string>

namespace PSim {

PParticleGroup& PSystemState::CurrentGroupFor(const char* operation) {
  if (!HasCurrentGroup()) throw PErrParticleGroup(std::string(operation) + ": Invalid particle group number");
  return groups[currentGroup];
}

void PSystemState::SendAction(PActionBase* action) {
  std::unique_ptr<PActionBase> owned(action);
  action->state = this;
  if (inNewList) {
    lists[listInProgress].push_back(std::move(owned));
    return;
  }
  PParticleGroup& group = CurrentGroupFor("SendAction");
  action->dt = dt;
  action->Execute(group, group.begin(), group.end());
}

namespace {
bool Flagged(const PActionBase& a) { return a.killsParticles || a.needsWholeList; }
}  // namespace

// A list is cut into runs: an action that adds, removes or needs every
// particle at once is a run of its own and sees the whole group; the
// unflagged actions between such actions form one run, which goes through
// the group working set by working set, every action of the run over one
// set before the next set starts, so the set stays in cache.
void PSystemState::ExecuteActionList(PActionList& list) {
  PParticleGroup& group = CurrentGroupFor("CallActionList");
  // An acyclic chain of calls is never deeper than the number of lists.
  if (listDepth >= static_cast<int>(lists.size())) throw PErrActionList("Action list calls itself.");
  ++listDepth;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{listDepth};

  auto first = list.begin();
  while (first != list.end()) {
    auto last = first + 1;
    if (!Flagged(**first))
      while (last != list.end() && !Flagged(**last)) ++last;
    RunActions(group, first, last);
    first = last;
  }
}

void PSystemState::RunActions(PParticleGroup& group, PActionList::iterator first, PActionList::iterator last) {
  const bool single = last - first == 1;
  const size_t setSize = static_cast<size_t>(std::max(workingSetSize, 1));
  size_t start = 0;
  do {
    const size_t end = single ? group.particles.size() : std::min(start + setSize, group.particles.size());
    for (auto it = first; it != last; ++it) {
      (*it)->dt = dt;
      (*it)->Execute(group, group.begin() + start, group.begin() + end);
    }
    start = end;
  } while (!single && start < group.particles.size());
}

int PSystemState::AddGroups(int n) {
  const int first = static_cast<int>(groups.size());
  groups.resize(groups.size() + n);
  return first;
}

int PSystemState::AddLists(int n) {
  const int first = static_cast<int>(lists.size());
  lists.resize(lists.size() + n);
  return first;
}

}  // namespace PSim
