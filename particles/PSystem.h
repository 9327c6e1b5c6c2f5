#pragma once
// One independent particle system: its groups, recorded action lists,
// source state and time step, reached through four interface parts that
// share one state.
#include "particles/PActionApi.h"
#include "particles/PDomain.h"
#include "particles/PError.h"
#include "particles/PGroupApi.h"
#include "particles/PListApi.h"
#include "particles/PSourceApi.h"

namespace PSim {

class PSystemState;

class PSystem : public PListApi, public PGroupApi, public PActionApi, public PSourceApi {
 public:
  PSystem();
  // Frees every group, every recorded list with its actions and the source
  // state's domains.
  ~PSystem();

  PSystem(const PSystem&) = delete;
  PSystem& operator=(const PSystem&) = delete;

 private:
  explicit PSystem(PSystemState* state);
  PSystemState* mShared;
};

}  // namespace PSim
