#pragma once
// A battlefield for the screens' tests: unit types the test gives (their
// attribute pairs applied over the price, as the unit manager does), units
// that show nothing, picks and the ground answered from what the test sets,
// and a note of maps, sounds and clears.
#include "screens/Battlefield.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitTemplate.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class FakeBattlefield : public CGABattlefield {
 public:
  struct Spawn {
    std::string type;
    int side, x, z;
  };

  NullUnitWorld world;  // before the units, which use it to the end

  // Set by the test.
  std::map<std::string, UnitTemplate> types;
  Ogre::SceneManager* scene = nullptr;
  Ogre::Vector3 ground = Ogre::Vector3::ZERO;  // under every point of the screen
  CGAUnit* pickAt = nullptr;
  CGAUnit* pickByRay = nullptr;
  bool blocked = false;
  int logic = 1;
  bool sideZero = false;

  // Noted.
  std::vector<std::string> calls;  // "map x", "clear map", "music x", "sound x", "clear units", "clear effects"
  std::vector<Spawn> spawned;
  std::set<const CGAUnit*> highlighted;
  float soundVolume = -1, musicVolume = -1;
  bool mapLoads = true;
  std::vector<std::unique_ptr<CGAUnit>> units;
  Ogre::Vector2 lastPickPoint{-1, -1};

  UnitTemplate& AddType(const std::string& name, int price, bool unlocked = true) {
    UnitTemplate& t = types[name];
    t.Name = name;
    t.price = price;
    t.unlocked = unlocked;
    t.ready = 3000;
    return t;
  }

  bool HasSideZeroUnits() override { return sideZero; }
  bool CellHasPlayerUnit(int, int) override { return false; }
  void SpawnUnit(const std::string& type, int side, int x, int z, bool, int, int) override {
    spawned.push_back(Spawn{type, side, x, z});
  }
  size_t CountLiveUnits() override { return spawned.size(); }

  Ogre::SceneManager* GetSceneManager() override { return scene; }
  bool LoadMap(const std::string& map) override {
    calls.push_back("map " + map);
    return mapLoads;
  }
  void ClearMap() override { calls.push_back("clear map"); }
  Ogre::Ray GetPickRay(float x, float y) override {
    lastPickPoint = Ogre::Vector2(x, y);
    return Ogre::Ray(Ogre::Vector3(0, 10, 0), Ogre::Vector3::NEGATIVE_UNIT_Y);
  }
  Ogre::Vector3 PickGround(const Ogre::Ray&) override { return ground; }
  int GetLogic(int, int) override { return logic; }

  UnitTemplate* GetUnitTemplate(const std::string& name) override {
    auto it = types.find(name);
    return it == types.end() ? nullptr : &it->second;
  }
  CGAUnit* CreateUnit(const std::string& type) override {
    UnitTemplate* t = GetUnitTemplate(type);
    if (!t) return nullptr;
    units.emplace_back(new CGAUnit(world));
    CGAUnit* unit = units.back().get();
    unit->SetTemplateName(type);
    unit->SetTemplate(t);
    unit->SetType(t->type);
    unit->SetInt(kSlotPrice, t->price);
    for (const auto& slot : t->attributes) unit->SetInt(static_cast<unsigned>(slot.first), slot.second);
    return unit;
  }
  bool IsLive(const CGAUnit* unit) override {
    return std::any_of(units.begin(), units.end(), [&](const auto& u) { return u.get() == unit; });
  }
  bool IsPlaceBlocked(CGAUnit*) override { return blocked; }
  CGAUnit* PickUnitAt(const Ogre::Vector3&) override { return pickAt; }
  CGAUnit* PickUnitByRay(const Ogre::Ray&) override { return pickByRay; }
  void SetHighlight(CGAUnit* unit, bool on) override {
    if (on)
      highlighted.insert(unit);
    else
      highlighted.erase(unit);
  }
  void ClearUnits() override {
    units.clear();
    pickAt = pickByRay = nullptr;
    calls.push_back("clear units");
  }
  void DestroyAllEffects() override { calls.push_back("clear effects"); }

  void PlaySound(const std::string& name) override { calls.push_back("sound " + name); }
  void PlayMusic(const std::string& name) override { calls.push_back("music " + name); }
  void SetSoundVolume(float volume) override { soundVolume = volume; }
  void SetMusicVolume(float volume) override { musicVolume = volume; }

  bool Called(const std::string& call) const { return std::count(calls.begin(), calls.end(), call) > 0; }
};
