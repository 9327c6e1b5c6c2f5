#include "effects/EffectBillboard.h"

#include "effects/EffectManager.h"

#include <OgreBillboard.h>
#include <OgreBillboardSet.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

namespace {
constexpr unsigned kPoolSize = 20;
}

CGAEffectBillboard::~CGAEffectBillboard() {
  ReleaseMaterial();
  if (!mSet) return;
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  manager.RemoveRttHidden(mSet);
  manager.GetSceneManager()->destroyBillboardSet(mSet);
}

void CGAEffectBillboard::Create(int queueOffset) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  mSet = manager.GetSceneManager()->createBillboardSet(manager.MakeEffectName(), kPoolSize);
  PrepareEffectMovable(mSet, kEffectQueueBase, queueOffset);
  mSet->setSortingEnabled(true);
}

Ogre::Billboard* CGAEffectBillboard::AddBillboard(const Ogre::Vector2& size, const Ogre::Vector3& position,
                                                  const Ogre::ColourValue& colour, uint16_t textureIndex) {
  Ogre::Billboard* billboard = mSet->createBillboard(position, colour);
  if (!billboard) return nullptr;  // the pool is full and does not grow
  billboard->setDimensions(size.x, size.y);
  // The engine reads the cell unchecked: one the set lacks would read past it.
  billboard->setTexcoordIndex(textureIndex < mSet->getTextureCoords().size() ? textureIndex : 0);
  return billboard;
}

bool CGAEffectBillboard::SetMaterialName(const std::string& name, bool copy) {
  if (SetMaterial(name, copy)) mSet->setMaterial(GetMaterial());
  return true;
}

void CGAEffectBillboard::SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) {
  if (texture == "RttTex") CGAEffectManager::getSingleton().AddRttHidden(mSet);
  CGAEffectMaterial::SetTexture(texture, pass, unit);
}

void CGAEffectBillboard::SetVisible(bool visible) { mSet->setVisible(visible); }

bool CGAEffectBillboard::Update() {
  UpdateMaterialAnim();
  if (!mSet->getParentSceneNode() && GetParentNode()) GetParentNode()->attachObject(mSet);
  return true;
}
