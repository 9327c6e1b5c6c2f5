#pragma once
// One kind of unit: its actions, part choices, skeleton files and name-tag
// offset from the ".unt" files, and its numbers, texts and unlock state from
// "unit.xml". Held by value in the unit manager and never moved once stored:
// screens keep pointers to templates.
#include <OgreVector.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

class TiXmlElement;
class UnitAction;
class UnitPartDef;
struct SPlayerRecord;

// Unit types past this many in "unit.xml" have no unlock flag of their own.
constexpr int kUnlockIndexNone = 50;

struct UnitTemplate {
  Ogre::Vector3 NamePosition = Ogre::Vector3::ZERO;
  // The Unit element; unit creation reads more children from it. Its
  // document lives as long as the unit manager.
  const TiXmlElement* unitElement = nullptr;
  std::map<std::string, std::vector<UnitPartDef*>> choiceParts;  // by PartName
  std::vector<UnitAction*> actions;                              // document order
  std::vector<std::string> skeletonFiles;
  std::string Name;
  std::string name;  // display name
  std::string text;  // description
  std::string icon;
  std::string need;
  std::string lock_0;
  int type = 0;
  int hp = 0;
  int price = 0;
  int gold = 0;
  int release_dis = 0;
  int attack_time = 0;
  int attack_value = 0;
  int ready = 0;
  int cooldownLeft = 0;
  float radius = 0.0f;
  float speed = 0.0f;
  bool unlocked = false;
  int index = 0;
  std::vector<std::pair<int, int>> attributes;  // (slot, value) from "att"
};

// Whether the player record has a flag for this unit type.
bool HasUnlockFlag(const UnitTemplate& unitType);

// Unlocks a unit type for the player: sets its flag in the record. A type
// without a flag of its own (index 50) cannot be unlocked: the record is left
// alone and false returned.
bool UnlockUnitType(UnitTemplate& unitType, SPlayerRecord& record);
