#include "effects/EffectEntity.h"

#include "effects/EffectManager.h"
#include "game/FrameClock.h"
#include "game/GameLog.h"

#include <OgreEntity.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

CGAEffectEntity::~CGAEffectEntity() {
  ReleaseMaterial();
  if (!mEntity) return;
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  manager.RemoveRttHidden(mEntity);
  manager.GetSceneManager()->destroyEntity(mEntity);
}

bool CGAEffectEntity::Create(const std::string& mesh, int queueOffset) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  try {
    mEntity = manager.GetSceneManager()->createEntity(manager.MakeEffectName(), mesh);
  } catch (const Ogre::Exception& e) {
    GameLog("effect mesh \"" + mesh + "\" not shown: " + e.getDescription());
    return false;
  }
  PrepareEffectMovable(mEntity, kEffectQueueBase, queueOffset);
  if (mEntity->getNumSubEntities() == 0) return true;
  Ogre::MaterialPtr material = mEntity->getSubEntity(0)->getMaterial();
  if (material) {
    material->setReceiveShadows(false);
    material->setFog(false);
  }
  UseSharedMaterial(material);
  return true;
}

bool CGAEffectEntity::SetEntityAnimation(const std::string& name, bool loop) {
  if (!mEntity || !mEntity->hasAnimationState(name)) return true;
  mAnimation = mEntity->getAnimationState(name);
  mAnimation->setEnabled(true);
  mAnimation->setLoop(loop);
  return true;
}

bool CGAEffectEntity::SetMaterialName(const std::string& name, bool copy) {
  if (SetMaterial(name, copy) && mEntity) mEntity->setMaterialName(GetMaterial()->getName(), GetMaterial()->getGroup());
  return true;
}

void CGAEffectEntity::SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) {
  if (texture == "RttTex" && mEntity) CGAEffectManager::getSingleton().AddRttHidden(mEntity);
  CGAEffectMaterial::SetTexture(texture, pass, unit);
}

void CGAEffectEntity::SetVisible(bool visible) {
  if (mEntity) mEntity->setVisible(visible);
}

bool CGAEffectEntity::Update() {
  UpdateMaterialAnim();
  if (!mEntity) return true;
  if (!mEntity->getParentSceneNode() && GetParentNode()) GetParentNode()->attachObject(mEntity);
  if (mAnimation) mAnimation->addTime(FrameDeltaSeconds);
  return true;
}
