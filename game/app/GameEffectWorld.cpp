#include "game/app/GameEffectWorld.h"

#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/Parse.h"
#include "screens/GUICommon.h"
#include "screens/GUILabelEx.h"
#include "screens/LevelState.h"
#include "terrain/TerrainManager.h"
#include "units/UnitManager.h"

#include <OgreCamera.h>

bool GameEffectWorld::IsUnitLive(const CGAUnit* unit) { return CGAUnitManager::getSingleton().IsLive(unit); }

std::vector<CGAUnit*> GameEffectWorld::GetUnitsAround(int cellX, int cellZ, int radius) {
  std::vector<CGAUnit*> units;
  CGAUnitManager::getSingleton().GetUnitsAround(units, cellX, cellZ, radius);
  return units;
}

CGAUnit* GameEffectWorld::CreateUnit(const std::string& templateName) {
  return CGAUnitManager::getSingleton().CreateUnit(templateName);
}

bool GameEffectWorld::GetGroundHeight(Ogre::Vector3& point) {
  return CGATerrainManager::getSingleton().GetGroundHeight(point, true);
}

float GameEffectWorld::GetTerrainHeight(float x, float z) { return CGATerrainManager::getSingleton().GetHeight(x, z); }

int GameEffectWorld::GetLogic(int x, int z) {
  return CGATerrainManager::getSingleton().GetLogic(static_cast<unsigned>(x), static_cast<unsigned>(z));
}

Ogre::Vector3 GameEffectWorld::GetViewDirection() {
  const CGACamera& camera = CGACamera::getSingleton();
  return camera.GetLookAt() - camera.GetCamera()->getDerivedPosition();
}

void GameEffectWorld::ShakeCamera(float amplitude) { CGACamera::getSingleton().SetShake(amplitude); }

void GameEffectWorld::PlaySound3D(const std::string& name, Ogre::SceneNode* at) {
  CTPAudioManager::getSingleton().PlaySound(name, at, CTPAudioManager::kMode3D, true);
}

void GameEffectWorld::ShowLabel(const std::string& markup, const Ogre::Vector3& at, float seconds,
                                const std::string& font) {
  if (CGAGUILabelEx* labels = CGAGUILabelEx::getSingletonPtr())
    labels->AddLabel(CGAGUICommon::ToCEGUIString(markup), at, seconds, CGAGUICommon::ToCEGUIString(font));
}

void GameEffectWorld::AddLevelSilver(int amount) { LevelSilver = SaturatingAdd(LevelSilver, amount); }
int GameEffectWorld::GetGoldDropRate() { return LevelGoldRat; }
int GameEffectWorld::GetSilverDropRate() { return LevelSilverRat; }
