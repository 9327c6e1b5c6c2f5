#include "game/app/GameUnitWorld.h"

#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "game/AudioManager.h"
#include "screens/GUICommon.h"
#include "screens/GUILabelEx.h"
#include "screens/LevelState.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModel.h"
#include "units/UnitNumbers.h"
#include "units/UnitPartDef.h"

namespace {

CGATerrainManager& Terrain() { return CGATerrainManager::getSingleton(); }

}  // namespace

UnitModelBase* GameUnitWorld::CreateModel(CGAUnit& unit) {
  Ogre::SceneNode* node = CGAUnitManager::getSingleton().GetNode();
  return new CGAUnitModel(node->getCreator(), node, unit);
}

bool GameUnitWorld::LoadPart(UnitPartDef& part) { return part.LoadResources(); }

bool GameUnitWorld::GetGroundHeight(Ogre::Vector3& probe) { return Terrain().GetGroundHeight(probe, true); }

int GameUnitWorld::GetLogic(int x, int z) {
  return Terrain().GetLogic(static_cast<unsigned>(x), static_cast<unsigned>(z));
}

std::vector<Ogre::Vector2> GameUnitWorld::FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal,
                                                   int searchLimit) {
  CGAPathFinder* finder = Terrain().GetPathFinder();
  return finder ? finder->FindPath(start, goal, searchLimit) : std::vector<Ogre::Vector2>();
}

void GameUnitWorld::GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) {
  CGAUnitManager::getSingleton().GetUnitsInRect(out, x, z, rx, rz);
}

CGAEffectNode* GameUnitWorld::CreateEffect(const std::string& name) {
  return CGAEffectManager::getSingleton().CreateEffect(name, "", false, nullptr);
}

void GameUnitWorld::SetEffectPosition(CGAEffectNode* effect, const Ogre::Vector3& position) {
  effect->SetPosition(position);
}
void GameUnitWorld::SetEffectLinkBone(CGAEffectNode* effect, const std::string& bone) { effect->SetLinkBone(bone); }
void GameUnitWorld::AttachEffectToOwner(CGAEffectNode* effect, CGAUnit* owner) { effect->AttachToOwner(owner, true); }
void GameUnitWorld::AddEffectTarget(CGAEffectNode* effect, CGAUnit* target) { effect->AddTarget(target); }
void GameUnitWorld::SetEffectTargetPosition(CGAEffectNode* effect, const Ogre::Vector3& position) {
  effect->SetTargetPosition(position);
}
bool GameUnitWorld::IsEffectEndless(CGAEffectNode* effect) { return effect->IsEndless(); }
void GameUnitWorld::SetEffectLifeTime(CGAEffectNode* effect, float seconds) {
  if (IsEffectLive(effect)) effect->SetLifeTime(seconds);
}

void GameUnitWorld::SetEffectVisible(CGAEffectNode* effect, bool visible) {
  if (IsEffectLive(effect)) effect->SetVisible(visible);
}

// At shutdown the effect manager goes before the units, having destroyed
// every effect.
bool GameUnitWorld::IsEffectLive(CGAEffectNode* effect) {
  const CGAEffectManager* effects = CGAEffectManager::getSingletonPtr();
  return effects && effects->IsLive(effect);
}

std::string GameUnitWorld::GetEffectName(CGAEffectNode* effect) { return effect->GetName(); }

void GameUnitWorld::PlaySound(const std::string& name, CGAUnit* at) {
  CTPAudioManager::getSingleton().PlaySound(name, at->GetModel()->GetSceneNode(), 1, true);
}

void GameUnitWorld::LoseLevel() { GameState = kGameLost; }

void GameUnitWorld::AddLevelSilver(int amount) {
  LevelSilver = TruncateToInt(static_cast<double>(LevelSilver) + amount);  // no wrap past the int range
}

void GameUnitWorld::AddLabel(const std::string& markup, const Ogre::Vector3& position, float seconds,
                             const std::string& font) {
  if (CGAGUILabelEx* labels = CGAGUILabelEx::getSingletonPtr())
    labels->AddLabel(CGAGUICommon::ToCEGUIString(markup), position, seconds, CGAGUICommon::ToCEGUIString(font));
}
