#pragma once
// Action lists: recording, running, calling one list from another, and the
// time step every action uses.
namespace PSim {

class PSystemState;

class PListApi {
 public:
  explicit PListApi(PSystemState* state) : mState(state) {}

  // Appends empty lists; returns the number of the first new one.
  int GenActionLists(int list_count = 1);
  // Empties the list and records every following action into it.
  void NewActionList(int list_id);
  void EndActionList();
  // Empties lists [list_id, list_id + list_count); they keep their numbers.
  void DeleteActionLists(int list_id, int list_count = 1);
  // While recording: records a call of the list; otherwise runs it at once
  // on the current group.
  void CallActionList(int list_id);
  void SetTimeStep(float dt);
  // Restarts the random sequence that every random value is drawn from.
  void Seed(unsigned seed);

 private:
  PSystemState* mState;
};

}  // namespace PSim
