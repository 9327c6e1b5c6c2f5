#pragma once
// What the in-game screen asks of the world beneath the GUI: the level's
// map, the ground and the units under the mouse, unit creation and the unit
// grid, effects and sounds. The game implements it over its managers
// (game/app/GameBattlefield.h); tests use a stand-in.
#include "screens/LevelDriver.h"

#include <OgreRay.h>
#include <OgreVector.h>

#include <string>

namespace Ogre {
class SceneManager;
}
class CGAUnit;
struct UnitTemplate;

class CGABattlefield : public LevelDriver::Battlefield {
 public:
  // Where the screen's markers hang; null for none.
  virtual Ogre::SceneManager* GetSceneManager() = 0;

  // The map: loading one clears the old one first. False (the log says
  // why) when the map is missing or no map: then there is none.
  virtual bool LoadMap(const std::string& map) = 0;
  virtual void ClearMap() = 0;

  // The ray through a viewport point (0 to 1 from the top left) and the
  // point where it meets the ground.
  virtual Ogre::Ray GetPickRay(float x, float y) = 0;
  virtual Ogre::Vector3 PickGround(const Ogre::Ray& ray) = 0;
  // The logic cell at world (x, z): 0 where no unit may stand.
  virtual int GetLogic(int x, int z) = 0;

  // Units. Pointers to units are good while IsLive answers true.
  virtual UnitTemplate* GetUnitTemplate(const std::string& name) = 0;
  virtual CGAUnit* CreateUnit(const std::string& type) = 0;
  virtual bool IsLive(const CGAUnit* unit) = 0;
  virtual bool IsPlaceBlocked(CGAUnit* unit) = 0;
  // The player's unit or pick-up at a ground point, or under a ray.
  virtual CGAUnit* PickUnitAt(const Ogre::Vector3& ground) = 0;
  virtual CGAUnit* PickUnitByRay(const Ogre::Ray& ray) = 0;
  virtual void SetHighlight(CGAUnit* unit, bool on) = 0;
  // Every unit goes.
  virtual void ClearUnits() = 0;
  // Every effect the effect manager keeps goes, those without an owner too,
  // before any of their timed messages fires.
  virtual void DestroyAllEffects() = 0;

  // Sounds: a one-shot effect sound; the level's looping music (which ends
  // the music played before); the master volumes (0 to 1).
  virtual void PlaySound(const std::string& name) = 0;
  virtual void PlayMusic(const std::string& name) = 0;
  virtual void SetSoundVolume(float volume) = 0;
  virtual void SetMusicVolume(float volume) = 0;
};
