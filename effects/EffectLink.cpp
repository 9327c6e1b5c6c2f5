#include "effects/EffectLink.h"

#include "effects/EffectManager.h"
#include "game/GameLog.h"

#include <OgreEntity.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

CGAEffectLink::~CGAEffectLink() {
  ReleaseMaterial();
  DestroyOwnNode(mNode);
  if (mEntity) CGAEffectManager::getSingleton().GetSceneManager()->destroyEntity(mEntity);
}

bool CGAEffectLink::Create(const std::string& name, bool repeat, float verticalScale, int queueOffset) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  SetName(name);
  mRepeat = repeat;
  mVerticalScale = verticalScale;
  try {
    mEntity = manager.GetSceneManager()->createEntity(name, "link.mesh");
  } catch (const Ogre::Exception& e) {
    GameLog("effect link not shown: " + e.getDescription());
    return false;
  }
  PrepareEffectMovable(mEntity, kEffectQueueBase, queueOffset);
  mNode = CreateNodeAtEffectRoot();
  mNode->attachObject(mEntity);
  mNode->setFixedYawAxis(true);
  return true;
}

bool CGAEffectLink::SetMaterialName(const std::string& name, bool copy) {
  if (SetMaterial(name, copy) && mEntity) mEntity->setMaterialName(GetMaterial()->getName(), GetMaterial()->getGroup());
  return true;
}

void CGAEffectLink::SetVisible(bool visible) {
  if (mEntity) mEntity->setVisible(visible);
}

bool CGAEffectLink::Update() {
  UpdateMaterialAnim();
  return true;
}
