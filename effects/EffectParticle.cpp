#include "effects/EffectParticle.h"

#include "effects/EffectManager.h"
#include "game/GameLog.h"

#include <OgreMaterialManager.h>
#include <OgreParticleEmitter.h>
#include <OgreParticleSystem.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

CGAEffectParticle::~CGAEffectParticle() {
  ReleaseMaterial();
  ReleaseNodeAnim(mRateSlot);
  if (mSystem) CGAEffectManager::getSingleton().GetSceneManager()->destroyParticleSystem(mSystem);
}

Ogre::ParticleSystem* CGAEffectParticle::Create(const std::string& particleTemplate, int queueOffset) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  try {
    mSystem = manager.GetSceneManager()->createParticleSystem(manager.MakeEffectName(), particleTemplate);
  } catch (const Ogre::Exception& e) {
    GameLog("effect particles \"" + particleTemplate + "\" not shown: " + e.getDescription());
    return nullptr;
  }
  PrepareEffectMovable(mSystem, kEffectQueueBase, queueOffset);
  UseSharedMaterial(Ogre::MaterialManager::getSingleton().getByName(mSystem->getMaterialName()));
  for (unsigned short i = 0; i < mSystem->getNumEmitters(); ++i)
    mBaseRates.push_back(mSystem->getEmitter(i)->getEmissionRate());
  return mSystem;
}

bool CGAEffectParticle::SetEmissionRateAnim(const ScalarKeys& keys, float length, bool loop, bool linear) {
  CreateNodeAnim(loop, linear, mRateSlot);
  AddScalarKeys(mRateSlot, keys, length);
  return true;
}

bool CGAEffectParticle::SetMaterialName(const std::string& name, bool copy) {
  if (SetMaterial(name, copy) && mSystem) mSystem->setMaterialName(GetMaterial()->getName(), GetMaterial()->getGroup());
  return true;
}

void CGAEffectParticle::SetVisible(bool visible) {
  if (mSystem) mSystem->setVisible(visible);
}

bool CGAEffectParticle::Update() {
  if (mSystem) {
    if (!mSystem->getParentSceneNode() && GetParentNode()) GetParentNode()->attachObject(mSystem);
    if (mRateSlot.HasAnimation()) {
      Advance(mRateSlot);
      const float factor = mRateSlot.GetValue().x;
      for (size_t i = 0; i < mBaseRates.size() && i < mSystem->getNumEmitters(); ++i)
        mSystem->getEmitter(Ogre::ushort(i))->setEmissionRate(std::max(0.0f, mBaseRates[i] * factor));
    }
  }
  UpdateMaterialAnim();
  return true;
}
