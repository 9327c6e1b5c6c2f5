#pragma once
// A small attribute store: a type number, four indexed strings, keyed strings
// and 18 integer slots. The slots of a unit carry its hit points, timers, side
// and combat values; units, skill messages and screens all reach them here.
#include <map>
#include <string>
#include <vector>

// The integer slots of a unit, shared by every part of the game.
enum UnitSlot : unsigned {
  kSlotMaxHp = 0,
  kSlotHp = 1,
  kSlotPeriod = 2,
  kSlotCountdown = 3,
  kSlotSide = 4,
  kSlotRange = 5,
  kSlotValue = 6,
  kSlotPrice = 7,
  kSlotGold = 8,
  kSlotStunTimer = 9,
  kSlotSlowTimer = 10,
  kSlotSideStep = 12,
  kSlotLaneSpan = 14,
  kSlotLifeTimer = 15,
  kSlotHiddenTimer = 16,
  kSlotPickUpAge = 17,
  kSlotCount = 18
};

// Unit types (the attribute type).
enum UnitType : int {
  kUnitFighter = 0,
  kUnitIncome = 1,
  kUnitHealer = 3,
  kUnitPassive = 4,
  kUnitLastingEffects = 5,
  kUnitPickUp = 6,
  kUnitMustSurvive = 7,
  kUnitPreview = 8
};

constexpr unsigned kAttributeStrings = 4;

class CGAAttribute {
 public:
  CGAAttribute();
  virtual ~CGAAttribute() = default;

  virtual void SetString(const std::string& key, const std::string& value);
  virtual void SetString(unsigned index, const std::string& value);
  // A key not held yet is added with an empty value.
  virtual std::string& GetString(const std::string& key);
  virtual std::string& GetString(unsigned index);
  // Out-of-range slots are ignored (set) or read as 0 (get): slot numbers
  // come from data files.
  virtual void SetInt(unsigned index, int value);
  virtual int GetInt(unsigned index);

  void SetType(int type) { mType = type; }
  int* GetType() { return &mType; }

  static bool IsSlot(long long index) { return index >= 0 && index < kSlotCount; }

 private:
  int mType = 0;
  std::vector<std::string> mStrings;
  std::vector<int> mInts;
  std::map<std::string, std::string> mKeyed;
  std::string mNoString;  // handed out for an index past the strings
};
