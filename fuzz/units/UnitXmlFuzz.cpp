// "unit.xml", the display tables and the creature lists with any bytes: the
// unlock indices stay within the player record's flags, "att" pairs name
// real slots, and creature lists name only what their display table holds.
#include "FuzzSupport.h"
#include "game/PlayerRecord.h"
#include "units/Attribute.h"
#include "units/UnitManager.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  const std::string text(reinterpret_cast<const char*>(data), size);
  CGAUnitManager manager(nullptr);
  std::string units = "<Units>";
  for (int i = 0; i < 60; ++i) units += "<Unit Name=\"u" + std::to_string(i) + "\"/>";
  manager.ReadUnitTemplates(units + "<Unit Name=\"archer\"/><Unit Name=\"gold\"/></Units>", "units.unt");
  for (int i = 0; i < kUnlockSlots; ++i) PlayerRecord.Unlocked[i] = i % 3 == 0;

  manager.ReadUnitXml(text, "unit.xml");
  for (const auto& entry : manager.GetUnitTemplates()) {
    const UnitTemplate& t = entry.second;
    if (t.index < 0 || t.index > kUnlockIndexNone) std::abort();
    for (const auto& pair : t.attributes)
      if (!CGAAttribute::IsSlot(pair.first)) std::abort();
  }

  manager.ReadCritterNames(text, "critter.xml");
  manager.ReadNpcNames(text, "npc.xml");
  for (const char* list : {"mob_fuzz.unit", "npc_fuzz.unit"}) {
    const auto& table = list[0] == 'm' ? manager.GetCritterNames() : manager.GetNpcNames();
    for (const std::string& name : manager.ReadCreatureList(text, list)) {
      bool listed = false;
      for (const auto& entry : table) listed |= entry.second == name;
      if (!listed) std::abort();
    }
  }
  if (!manager.ReadCreatureList(text, "boss_fuzz.unit").empty()) std::abort();
  return 0;
}
