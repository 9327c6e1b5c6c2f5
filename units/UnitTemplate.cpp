#include "units/UnitTemplate.h"

#include "game/GameLog.h"
#include "game/PlayerRecord.h"

bool HasUnlockFlag(const UnitTemplate& unitType) {
  return unitType.index >= 0 && unitType.index < kUnlockSlots;
}

bool UnlockUnitType(UnitTemplate& unitType, SPlayerRecord& record) {
  if (!HasUnlockFlag(unitType)) {
    GameLog("unit type " + unitType.Name + " has no unlock flag (only the first " +
            std::to_string(kUnlockSlots) + " types of unit.xml can be unlocked)");
    return false;
  }
  record.Unlocked[unitType.index] = 1;
  unitType.unlocked = true;
  return true;
}
