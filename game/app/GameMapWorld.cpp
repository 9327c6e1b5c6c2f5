#include "game/app/GameMapWorld.h"

#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "units/UnitManager.h"

void GameMapWorld::PreloadCreatureFile(const std::string& file, bool background) {
  if (CGAUnitManager* units = CGAUnitManager::getSingletonPtr()) units->PreloadCreatureFile(file, background);
}

void GameMapWorld::RefreshUnitHeights() {
  if (CGAUnitManager* units = CGAUnitManager::getSingletonPtr()) units->RefreshUnitHeights();
}

std::string GameMapWorld::CreateSceneEffect(const std::string& effectName, const Ogre::Vector3& position) {
  CGAEffectManager* effects = CGAEffectManager::getSingletonPtr();
  CGAEffectNode* effect = effects ? effects->CreateEffect(effectName) : nullptr;
  if (!effect) return std::string();
  effect->SetPosition(position);
  mSceneEffects[effect->GetName()] = effects->Keep(effect);
  return effect->GetName();
}

CGAEffectNode* GameMapWorld::Find(const std::string& node) const {
  CGAEffectManager* effects = CGAEffectManager::getSingletonPtr();
  auto found = mSceneEffects.find(node);
  if (!effects || found == mSceneEffects.end() || !effects->IsKept(found->second)) return nullptr;
  return found->second.effect;
}

void GameMapWorld::PlaceSceneEffect(const std::string& node, const Ogre::Vector3& scale,
                                    const Ogre::Quaternion& orientation) {
  if (CGAEffectNode* effect = Find(node)) {
    effect->SetScale(scale);
    effect->SetOrientation(orientation);
  }
}

void GameMapWorld::EndSceneEffect(const std::string& node) {
  // The effect manager deletes it in its next update.
  if (CGAEffectNode* effect = Find(node)) effect->SetLifeTime(0.0f);
  mSceneEffects.erase(node);
}

bool GameMapWorld::FindSceneEffect(const std::string& node, SceneEffectPlacement& placement) {
  CGAEffectNode* effect = Find(node);
  if (!effect) return false;
  placement = {effect->GetEffectName(), effect->GetPosition(), effect->GetScale(), effect->GetOrientation()};
  return true;
}
