#include "particles/PSystemState.h"

#include "particles/ActionsEmission.h"
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

// The end of the run that starts at `first`: a flagged action alone, or
// unflagged actions up to the next flagged one.
PActionList::iterator RunEnd(PActionList::iterator first, PActionList::iterator end) {
  auto last = first + 1;
  if (!Flagged(**first))
    while (last != end && !Flagged(**last)) ++last;
  return last;
}

// Whether a callback action is among [first, last): it may look at the
// whole group, and would see particles a fused removal has not reached yet.
bool HasCallback(PActionList::iterator first, PActionList::iterator last) {
  return std::any_of(first, last, [](const std::unique_ptr<PActionBase>& a) {
    return dynamic_cast<const PACallback*>(a.get()) != nullptr;
  });
}

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
    auto last = RunEnd(first, list.end());
    // A removal is fused into the run after it only where nothing can tell:
    // death callbacks would fire after the run has started.
    auto* killer = last - first == 1 ? dynamic_cast<PKillActionBase*>(first->get()) : nullptr;
    if (killer && !group.HasDeathCallback() && last != list.end() && !Flagged(**last)) {
      const auto runEnd = RunEnd(last, list.end());
      if (runEnd - last > 1 && !HasCallback(last, runEnd)) {
        RunAfterRemoval(group, *killer, last, runEnd);
        first = runEnd;
        continue;
      }
    }
    RunActions(group, first, last);
    first = last;
  }
}

size_t PSystemState::SetSize() const { return static_cast<size_t>(std::max(workingSetSize, 1)); }

void PSystemState::RunActions(PParticleGroup& group, PActionList::iterator first, PActionList::iterator last) {
  const bool single = last - first == 1;
  size_t start = 0;
  do {
    const size_t end = single ? group.particles.size() : std::min(start + SetSize(), group.particles.size());
    for (auto it = first; it != last; ++it) {
      (*it)->dt = dt;
      (*it)->Execute(group, group.begin() + start, group.begin() + end);
    }
    start = end;
  } while (!single && start < group.particles.size());
}

// A removal followed by a run of several actions: the removal walks each
// set just before the run goes over it, which saves a pass through the
// group and gives the same particles, sets and order as running one after
// the other, since the walk leaves survivors for good behind it and the run
// changes nothing ahead of it. An error in the run still finds the removal
// done.
void PSystemState::RunAfterRemoval(PParticleGroup& group, PKillActionBase& killer, PActionList::iterator first,
                                   PActionList::iterator last) {
  killer.dt = dt;
  size_t start = 0;
  do {
    const size_t end = killer.Walk(group, start, start + SetSize());
    try {
      for (auto it = first; it != last; ++it) {
        (*it)->dt = dt;
        (*it)->Execute(group, group.begin() + start, group.begin() + end);
      }
    } catch (...) {
      killer.Walk(group, end, group.particles.size());
      throw;
    }
    start = end;
  } while (start < group.particles.size());
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
