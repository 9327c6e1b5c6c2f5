#include "game/app/GameBattlefield.h"

#include "effects/EffectManager.h"
#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/GameLog.h"
#include "screens/Placement.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"

#include <algorithm>

namespace {

CGAUnitManager& Units() { return CGAUnitManager::getSingleton(); }

}  // namespace

bool CGAGameBattlefield::HasSideZeroUnits() { return Units().HasSideZeroUnits(); }

bool CGAGameBattlefield::CellHasPlayerUnit(int cellX, int cellZ) {
  std::vector<CGAUnit*> units;
  Units().GetCellUnits(units, cellX, cellZ);
  return std::any_of(units.begin(), units.end(),
                     [](CGAUnit* unit) { return unit->GetInt(kSlotSide) == kSidePlayer; });
}

void CGAGameBattlefield::SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX,
                                   int goalZ) {
  CGAUnit* unit = Units().CreateUnit(type);
  if (!unit) return;  // no such unit type: the wave goes on without it
  unit->SetInt(kSlotSide, side);
  unit->SetPositionXZ(static_cast<float>(x), static_cast<float>(z));
  if (hasGoal) unit->SetGoal(goalX, goalZ);
  GameLog("Wave unit " + type + " of side " + std::to_string(side) + " at " + std::to_string(x) + ", " +
          std::to_string(z));
}

size_t CGAGameBattlefield::CountLiveUnits() { return Units().GetUnits().size(); }

Ogre::SceneManager* CGAGameBattlefield::GetSceneManager() {
  return CGACamera::getSingleton().GetCamera()->getSceneManager();
}

bool CGAGameBattlefield::LoadMap(const std::string& map) {
  CGATerrainManager& terrain = CGATerrainManager::getSingleton();
  terrain.ClearMap();
  if (!terrain.LoadMap(map, CGATerrainManager::kGameCellsPerTile)) return false;
  terrain.LoadPendingStatics();
  return true;
}

void CGAGameBattlefield::ClearMap() { CGATerrainManager::getSingleton().ClearMap(); }

Ogre::Ray CGAGameBattlefield::GetPickRay(float x, float y) { return CGACamera::getSingleton().GetPickRay(x, y); }

Ogre::Vector3 CGAGameBattlefield::PickGround(const Ogre::Ray& ray) {
  return CGATerrainManager::getSingleton().PickGround(ray, nullptr, false);
}

int CGAGameBattlefield::GetLogic(int x, int z) {
  if (x < 0 || z < 0) return 0;
  return CGATerrainManager::getSingleton().GetLogic(static_cast<unsigned>(x), static_cast<unsigned>(z));
}

UnitTemplate* CGAGameBattlefield::GetUnitTemplate(const std::string& name) { return Units().GetUnitTemplate(name); }

CGAUnit* CGAGameBattlefield::CreateUnit(const std::string& type) { return Units().CreateUnit(type); }

bool CGAGameBattlefield::IsLive(const CGAUnit* unit) { return Units().IsLive(unit); }

bool CGAGameBattlefield::IsPlaceBlocked(CGAUnit* unit) { return Units().IsPlaceBlocked(unit); }

CGAUnit* CGAGameBattlefield::PickUnitAt(const Ogre::Vector3& ground) { return Units().PickUnitAt(ground); }

CGAUnit* CGAGameBattlefield::PickUnitByRay(const Ogre::Ray& ray) { return Units().PickUnitByRay(ray); }

void CGAGameBattlefield::SetHighlight(CGAUnit* unit, bool on) {
  unit->GetModel()->SetCustomParameter(1, Ogre::Vector4(0, 0, 0, on ? 5.0f : 0.0f));
}

void CGAGameBattlefield::ClearUnits() { Units().ClearUnits(); }

void CGAGameBattlefield::DestroyAllEffects() { CGAEffectManager::getSingleton().DestroyAllEffects(); }

void CGAGameBattlefield::PlaySound(const std::string& name) {
  CTPAudioManager::getSingleton().PlaySound(name, nullptr, CTPAudioManager::kModeStream, true);
}

void CGAGameBattlefield::PlayMusic(const std::string& name) {
  // One level's music at a time.
  CTPAudioManager& sound = CTPAudioManager::getSingleton();
  if (!mMusic.empty()) sound.StopSound(mMusic);
  mMusic = name;
  sound.PlaySound(name, nullptr, CTPAudioManager::kModeStreamLoop, false);
}

void CGAGameBattlefield::SetSoundVolume(float volume) { CTPAudioManager::getSingleton().SetSoundVolume(volume); }

void CGAGameBattlefield::SetMusicVolume(float volume) { CTPAudioManager::getSingleton().SetMusicVolume(volume); }
