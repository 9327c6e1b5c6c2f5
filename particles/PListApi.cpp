#include "particles/PListApi.h"

#include "particles/ActionsEmission.h"
#include "particles/PError.h"
#include "particles/PSystemState.h"
#include "platform/Random.h"

namespace PSim {

int PListApi::GenActionLists(int list_count) {
  if (mState->inNewList) throw PErrInNewActionList("Can't call GenActionLists while in NewActionList.");
  if (list_count < 0) throw PErrActionList("Invalid action list number.");
  return mState->AddLists(list_count);
}

void PListApi::NewActionList(int list_id) {
  if (mState->inNewList) throw PErrInNewActionList("Can't call NewActionList while in NewActionList.");
  if (list_id < 0 || list_id >= static_cast<int>(mState->lists.size()))
    throw PErrActionList("Invalid action list number");
  mState->listInProgress = list_id;
  mState->inNewList = true;
  mState->lists[list_id].clear();
}

void PListApi::EndActionList() {
  if (!mState->inNewList) throw PErrInNewActionList("Can't call EndActionList while not in NewActionList.");
  mState->inNewList = false;
  mState->listInProgress = -1;
}

void PListApi::DeleteActionLists(int list_id, int list_count) {
  if (mState->inNewList) throw PErrInNewActionList("Can't call DeleteActionLists while in NewActionList.");
  if (list_id < 0) throw PErrActionList("Invalid action list number.");
  if (static_cast<long long>(list_id) + list_count > static_cast<long long>(mState->lists.size()))
    throw PErrActionList("Invalid action list number.");
  for (int i = list_id; i < list_id + list_count; ++i) mState->lists[i].clear();
}

void PListApi::CallActionList(int list_id) {
  if (list_id < 0 || list_id >= static_cast<int>(mState->lists.size()))
    throw PErrActionList("Invalid action list number.");
  if (mState->inNewList)
    mState->SendAction(new PACallActionList(list_id));
  else
    mState->ExecuteActionList(mState->lists[list_id]);
}

void PListApi::SetTimeStep(float dt) { mState->dt = dt; }

void PListApi::Seed(unsigned seed) { platform::SeedRand(seed); }

}  // namespace PSim
