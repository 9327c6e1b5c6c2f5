#pragma once
// The in-game screen's battlefield in the game: the terrain, camera, unit,
// effect and sound managers.
#include "screens/Battlefield.h"

class CGAGameBattlefield : public CGABattlefield {
 public:
  // Level driver.
  bool HasSideZeroUnits() override;
  bool CellHasPlayerUnit(int cellX, int cellZ) override;
  void SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX, int goalZ) override;
  size_t CountLiveUnits() override;

  Ogre::SceneManager* GetSceneManager() override;
  bool LoadMap(const std::string& map) override;
  void ClearMap() override;
  Ogre::Ray GetPickRay(float x, float y) override;
  Ogre::Vector3 PickGround(const Ogre::Ray& ray) override;
  int GetLogic(int x, int z) override;

  UnitTemplate* GetUnitTemplate(const std::string& name) override;
  CGAUnit* CreateUnit(const std::string& type) override;
  bool IsLive(const CGAUnit* unit) override;
  bool IsPlaceBlocked(CGAUnit* unit) override;
  CGAUnit* PickUnitAt(const Ogre::Vector3& ground) override;
  CGAUnit* PickUnitByRay(const Ogre::Ray& ray) override;
  void SetHighlight(CGAUnit* unit, bool on) override;
  void ClearUnits() override;
  void DestroyAllEffects() override;

  void PlaySound(const std::string& name) override;
  void PlayMusic(const std::string& name) override;
  void SetSoundVolume(float volume) override;
  void SetMusicVolume(float volume) override;

 private:
  std::string mMusic;  // the level's music playing now
};
