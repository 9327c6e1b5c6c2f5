// Unit template files of any bytes: reading never fails hard, timelines come
// out in time order, every template read can be made into a unit that runs
// its actions and walks, and the unit manager runs them all for some frames.
#include "FuzzSupport.h"
#include "game/FrameClock.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  const std::string text(reinterpret_cast<const char*>(data), size);
  NullUnitWorld world;
  world.endlessEffects = true;
  CGAUnitManager manager(nullptr);
  manager.SetUnitWorld(&world);
  world.manager = &manager;
  manager.ReadUnitTemplates(text, "fuzz.unt");
  manager.ReadUnitTemplates(text, "again.unt");  // every template redefined once

  FrameDeltaSeconds = 0.05f;
  FrameDeltaMs = 50;
  CGAUnit* previous = nullptr;
  for (const auto& entry : manager.GetUnitTemplates()) {
    for (const UnitAction* action : entry.second.actions) {
      const auto& events = action->GetEvents();
      for (size_t i = 1; i < events.size(); ++i)
        if (events[i].Time < events[i - 1].Time) std::abort();
    }
    CGAUnit* unit = manager.CreateUnit(entry.first);
    if (!unit) std::abort();
    unit->SetTarget(previous);
    unit->AddWaypointXZ(1.0f, 2.0f);
    for (const UnitAction* action : entry.second.actions) {
      unit->SetAction(action->GetName());
      for (int frame = 0; frame < 8; ++frame) {
        unit->UpdateMovement();
        unit->RunAction();
      }
    }
    previous = unit;
  }
  for (int frame = 0; frame < 8; ++frame) manager.Update();
  return 0;
}
