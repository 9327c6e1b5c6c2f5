#include "game/GameBattlefield.h"

#include "game/AudioManager.h"
#include "game/Camera.h"
#include "screens/Placement.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"

#include <algorithm>

namespace {

// Sound modes of the sound manager: a 2-D stream once, or looping.
const int kStreamOnce = 3;
const int kStreamLoop = 4;
const unsigned kCellsPerTile = 16;

CGAUnitManager& Units() { return CGAUnitManager::getSingleton(); }

}  // namespace

// Until the unit manager keeps its grid and answers these itself, the
// battlefield reads its live list.
bool CGAGameBattlefield::HasSideZeroUnits() {
  const auto& units = Units().GetUnits();
  return std::any_of(units.begin(), units.end(),
                     [](CGAUnit* unit) { return unit->GetInt(kSlotSide) == 0 && !unit->IsFinished(); });
}

bool CGAGameBattlefield::CellHasPlayerUnit(int cellX, int cellZ) {
  for (CGAUnit* unit : Units().GetUnits()) {
    const Ogre::Vector3& at = unit->GetPosition();
    if (static_cast<int>(at.x) / 2 == cellX && static_cast<int>(at.z) / 2 == cellZ &&
        unit->GetInt(kSlotSide) == kSidePlayer)
      return true;
  }
  return false;
}

void CGAGameBattlefield::SpawnUnit(const std::string& type, int side, int x, int z, bool hasGoal, int goalX,
                                   int goalZ) {
  CGAUnit* unit = Units().CreateUnit(type);
  if (!unit) return;  // no such unit type: the wave goes on without it
  unit->SetInt(kSlotSide, side);
  unit->SetPositionXZ(static_cast<float>(x), static_cast<float>(z));
  if (hasGoal) unit->SetGoal(goalX, goalZ);
}

Ogre::SceneManager* CGAGameBattlefield::GetSceneManager() {
  return CGACamera::getSingleton().GetCamera()->getSceneManager();
}

void CGAGameBattlefield::LoadMap(const std::string& map) {
  CGATerrainManager& terrain = CGATerrainManager::getSingleton();
  terrain.ClearMap();
  terrain.LoadMap(map, kCellsPerTile);
  terrain.LoadPendingStatics();
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

bool CGAGameBattlefield::IsLive(const CGAUnit* unit) {
  const auto& units = Units().GetUnits();
  return std::find(units.begin(), units.end(), unit) != units.end();
}

bool CGAGameBattlefield::IsPlaceBlocked(CGAUnit*) { return false; }

CGAUnit* CGAGameBattlefield::PickUnitAt(const Ogre::Vector3&) { return nullptr; }

CGAUnit* CGAGameBattlefield::PickUnitByRay(const Ogre::Ray&) { return nullptr; }

void CGAGameBattlefield::SetHighlight(CGAUnit*, bool) {}

void CGAGameBattlefield::ClearUnits() { Units().ClearUnits(); }

void CGAGameBattlefield::PlaySound(const std::string& name) {
  CTPAudioManager::getSingleton().PlaySound(name, nullptr, kStreamOnce, true);
}

void CGAGameBattlefield::PlayMusic(const std::string& name) {
  // One level's music at a time.
  CTPAudioManager& sound = CTPAudioManager::getSingleton();
  if (!mMusic.empty()) sound.StopSound(mMusic);
  mMusic = name;
  sound.PlaySound(name, nullptr, kStreamLoop, false);
}

void CGAGameBattlefield::SetSoundVolume(float volume) { CTPAudioManager::getSingleton().SetSoundVolume(volume); }

void CGAGameBattlefield::SetMusicVolume(float volume) { CTPAudioManager::getSingleton().SetMusicVolume(volume); }
