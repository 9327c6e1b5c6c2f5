#include "particles/PSystem.h"

#include "particles/PSystemState.h"

namespace PSim {

PSystem::PSystem() : PSystem(new PSystemState) {}

PSystem::PSystem(PSystemState* state)
    : PListApi(state), PGroupApi(state), PActionApi(state), PSourceApi(state), mShared(state) {}

PSystem::~PSystem() { delete mShared; }

}  // namespace PSim
