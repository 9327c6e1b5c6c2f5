#include "screens/UnitIcon.h"

#include "game/Parse.h"
#include "screens/LevelState.h"
#include "units/UnitNumbers.h"
#include "units/UnitTemplate.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Number(long long value) { return std::to_string(value); }

// The last "att" of type 14 (the lanes the unit sees); 1 without one.
int Sight(const UnitTemplate& unitType) {
  int sight = 1;
  for (const auto& att : unitType.attributes)
    if (att.first == 14) sight = att.second;
  return sight;
}

}  // namespace

IconPicture ParseIconText(const std::string& prefix, const std::string& icon) {
  const Ogre::Vector3 numbers = ParseVector3(icon);
  IconPicture picture;
  if (numbers.x < 0 || numbers.y < 0 || numbers.z < 0) {
    picture.fallback = true;
    return picture;
  }
  // The numbers of a hostile text ("1e30 0 0") stay within int.
  picture.imageset = prefix + Number(TruncateToInt(numbers.x));
  picture.image = Number(TruncateToInt(numbers.y)) + "_" + Number(TruncateToInt(numbers.z));
  picture.left = TruncateToInt(static_cast<double>(kIconCell) * numbers.y);
  picture.top = TruncateToInt(static_cast<double>(kIconCell) * numbers.z);
  return picture;
}

std::string UnitTooltip(const UnitTemplate& unitType) {
  const long long value = std::llabs(static_cast<long long>(unitType.attack_value));
  std::string effect;
  switch (unitType.type) {
    case 1: effect = "产出：" + Number(value / 2) + " - " + Number(value); break;
    case 3: effect = "治疗：" + Number(value); break;
    default: effect = "攻击：" + Number(value); break;
  }
  char speed[64];
  std::snprintf(speed, sizeof speed, "%.1f", unitType.attack_time * 0.001);
  return "     " + unitType.name + " \n体质：" + Number(unitType.hp) + " \n" + effect + " \n速度：" + speed +
         " 秒\n距离：" + Number(unitType.release_dis) + " \n视野：" + Number(Sight(unitType)) + " \n费用：" +
         Number(unitType.price) + " \n " + unitType.text;
}

bool IconMasked(const UnitTemplate& unitType, int gameState, int silver) {
  if (gameState == kGameUnlocking) return !unitType.unlocked;
  return unitType.price > silver;
}

std::string IconNumber(const UnitTemplate& unitType, int gameState) {
  if (gameState == kGameUnlocking) return unitType.unlocked ? std::string() : Number(unitType.gold);
  return Number(unitType.price);
}

bool RunCooldown(UnitTemplate& unitType, uint32_t frameMs, bool paused, float& progress) {
  if (paused || unitType.cooldownLeft <= 0) return false;
  unitType.cooldownLeft = static_cast<int>(std::max<long long>(0, static_cast<long long>(unitType.cooldownLeft) - frameMs));
  progress = unitType.ready > 0 ? 1.0f - static_cast<float>(unitType.cooldownLeft) / unitType.ready : 1.0f;
  return true;
}

int SweepFrame(int frames, float progress) {
  if (frames <= 0) return -1;
  int index = static_cast<int>((frames - 1) * progress);
  if (index == 0 && progress > 0) index = 1;
  return std::min(std::max(index, 0), frames - 1);
}
