#pragma once
// The effect world of the running game: units from the unit manager, the
// current map's ground and cells, the camera, sounds, floating labels and
// the running level's silver and drop rates.
#include "effects/EffectWorld.h"

class GameEffectWorld : public EffectWorld {
 public:
  bool IsUnitLive(const CGAUnit* unit) override;
  std::vector<CGAUnit*> GetUnitsAround(int cellX, int cellZ, int radius) override;
  CGAUnit* CreateUnit(const std::string& templateName) override;
  bool GetGroundHeight(Ogre::Vector3& point) override;
  float GetTerrainHeight(float x, float z) override;
  int GetLogic(int x, int z) override;
  Ogre::Vector3 GetViewDirection() override;
  void ShakeCamera(float amplitude) override;
  void PlaySound3D(const std::string& name, Ogre::SceneNode* at) override;
  void ShowLabel(const std::string& markup, const Ogre::Vector3& at, float seconds, const std::string& font) override;
  void AddLevelSilver(int amount) override;
  int GetGoldDropRate() override;
  int GetSilverDropRate() override;
};
