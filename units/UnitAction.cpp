#include "units/UnitAction.h"

#include "game/Parse.h"
#include "units/Attribute.h"
#include "units/Unit.h"
#include "units/UnitModelBase.h"
#include "units/UnitWorld.h"

#include <algorithm>

void UnitAction::AddEvent(const UnitActionEvent& event) { AddEvent(event, TextPlace()); }

void UnitAction::AddEvent(const UnitActionEvent& event, const TextPlace& place) {
  mEvents.push_back(event);
  UnitActionEvent& added = mEvents.back();
  const auto text = [&added](size_t i) { return i < added.parameters.size() ? added.parameters[i] : std::string(); };
  const auto at = [&place](const char* name) { return TextPlace{place.file, place.line, name}; };
  if (added.type == kEventAnim) {
    added.speed = ParseReal(text(1), 0, at("Speed"));
    added.loop = ParseInt(text(2), 0, at("Loop")) != 0;
  } else if (added.type == kEventSpace) {
    added.amount = ParseInt(text(1), 0, at("Value1"));
  }
}

void UnitAction::RemoveEvent(unsigned index) {
  if (index < mEvents.size()) mEvents.erase(mEvents.begin() + index);
}

void UnitAction::SortEvents() {
  std::stable_sort(mEvents.begin(), mEvents.end(),
                   [](const UnitActionEvent& a, const UnitActionEvent& b) { return a.Time < b.Time; });
}

namespace {

const std::string& Parameter(const UnitActionEvent& event, size_t index) {
  static const std::string none;
  return index < event.parameters.size() ? event.parameters[index] : none;
}

void StartEffect(CGAUnit& unit, const UnitActionEvent& event) {
  CGAUnit* target = unit.GetTarget();
  const bool onTarget = Parameter(event, 2) == "1";
  if (target && target->IsFinished() && onTarget) return;
  UnitWorld& world = unit.GetWorld();
  CGAEffectNode* effect = world.CreateEffect(Parameter(event, 0));
  if (!effect) return;
  world.SetEffectPosition(effect, unit.GetPosition());
  if (!Parameter(event, 1).empty()) world.SetEffectLinkBone(effect, Parameter(event, 1));
  if (onTarget) {
    // The target owns it and it aims back at the caster.
    world.AttachEffectToOwner(effect, target);
    world.AddEffectTarget(effect, &unit);
    world.SetEffectTargetPosition(effect, unit.GetPosition());
    return;
  }
  world.AttachEffectToOwner(effect, &unit);
  if (target) {
    world.AddEffectTarget(effect, target);
    world.SetEffectTargetPosition(effect, target->GetPosition());
    unit.FaceTo(target->GetPosition().x, target->GetPosition().z, true);
  }
  if (world.IsEffectEndless(effect)) unit.AddRunningEffect(effect);
}

void ChangeValue(CGAUnit& unit, const UnitActionEvent& event) {
  const std::string& what = Parameter(event, 0);
  if (what == "self_exp")
    unit.SetInt(kSlotHp, TruncateToInt(static_cast<double>(unit.GetInt(kSlotHp)) + event.amount));
  else if (what == "hiding")
    unit.SetInt(kSlotHiddenTimer, event.amount);
}

}  // namespace

void UnitAction::Run(CGAUnit* unit, float& clock, int& eventIndex) const {
  for (size_t i = static_cast<size_t>(std::max(eventIndex, 0)); i < mEvents.size(); ++i) {
    const UnitActionEvent& event = mEvents[i];
    // Events are in time order: once one is not due, none after it is.
    if (event.Time >= clock) break;
    clock = event.Time;
    switch (event.type) {
      case kEventAnim:
        if (!event.parameters.empty())
          unit->GetModel()->PlayAnimationByName(Parameter(event, 0), event.speed, event.loop);
        break;
      case kEventEffect:
        if (!event.parameters.empty()) StartEffect(*unit, event);
        break;
      case kEventSound:
        unit->GetWorld().PlaySound(Parameter(event, 0), unit);
        break;
      case kEventAction:
        if (Parameter(event, 1) == "0") {
          // The new action has reset the clock and the index.
          unit->SetAction(Parameter(event, 0));
          return;
        }
        if (CGAUnit* target = unit->GetTarget()) target->SetAction(Parameter(event, 0));
        break;
      case kEventSpace:
        ChangeValue(*unit, event);
        break;
      default:
        break;
    }
    eventIndex = static_cast<int>(i) + 1;
  }
}

std::vector<unsigned> ActionCandidates(const std::vector<UnitAction*>& actions, unsigned first, unsigned last,
                                       float roll) {
  std::vector<unsigned> candidates;
  for (unsigned i = first; i <= last && i < actions.size(); ++i)
    if (actions[i]->GetProbability() > roll) candidates.push_back(i);
  if (candidates.empty())
    for (unsigned i = first; i <= last && i < actions.size(); ++i) candidates.push_back(i);
  return candidates;
}
