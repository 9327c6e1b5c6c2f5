#include "particles/PActionBase.h"

#include "particles/PError.h"

namespace PSim {

void PActionBase::RequireWholeGroup(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  if (begin != group.begin() || end != group.end()) throw PErrInternalError("Can only be done on whole list");
}

void PKillActionBase::Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) {
  RequireWholeGroup(group, begin, end);
  Walk(group, 0, group.particles.size());
}

}  // namespace PSim
