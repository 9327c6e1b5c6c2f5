#pragma once
// A named timeline of events (animation, effect, sound, chained action, value
// change) that a unit runs. Templates own their actions; units point at them.
#include "units/UnitNumbers.h"

#include <string>
#include <vector>

class CGAUnit;
struct TextPlace;

enum UnitEventType : int { kEventAnim = 0, kEventEffect = 1, kEventSound = 2, kEventAction = 3, kEventSpace = 4 };

struct UnitActionEvent {
  int type = kEventAnim;
  float Time = 0.0f;  // seconds on the action clock
  // Anim: Name, Speed, Loop, Pose. Effect: Name, Bone[, Target]. Sound: Name.
  // Action: Name, Target. Space: Value0, Value1, Value2.
  std::vector<std::string> parameters;
  // Numbers of the parameters, read once when the event joins its action
  // so a running timeline parses no text: Anim speed and loop, Space amount.
  float speed = 0.0f;
  bool loop = false;
  int amount = 0;
};

class UnitAction {
 public:
  void SetName(const std::string& name) { mName = name; }
  const std::string& GetName() const { return mName; }
  void SetLevel(int level) { mLevel = level; }
  int GetLevel() const { return mLevel; }
  // Percent threshold of the choice among same-named actions, kept whole.
  void SetProbability(float probability) { mProbability = TruncateToInt(probability); }
  float GetProbability() const { return static_cast<float>(mProbability); }

  // Adds an event; `place` is where its parameters were read, for the log
  // line about a number beyond its field's range.
  void AddEvent(const UnitActionEvent& event);
  void AddEvent(const UnitActionEvent& event, const TextPlace& place);
  void RemoveEvent(unsigned index);
  // Puts the events in time order (a stable sort): the timeline fires events
  // one after the other and would repeat or skip ones out of order.
  void SortEvents();
  const std::vector<UnitActionEvent>& GetEvents() const { return mEvents; }

  // Fires the event that is due on the clock, if any. A due event sets the
  // clock back to its own time, so later delays count from its firing.
  void Run(CGAUnit* unit, float& clock, int& eventIndex) const;

 private:
  std::vector<UnitActionEvent> mEvents;
  int mLevel = 0;
  int mProbability = 1;
  std::string mName;
};

// The candidates of a choice among the actions first..last (inclusive) for a
// roll in [0, 100]: those whose Probability is above the roll, or all of them
// when none is.
std::vector<unsigned> ActionCandidates(const std::vector<UnitAction*>& actions, unsigned first, unsigned last,
                                       float roll);
