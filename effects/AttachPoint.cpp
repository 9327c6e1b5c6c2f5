#include "effects/AttachPoint.h"

#include "effects/EffectManager.h"
#include "effects/EffectWorld.h"
#include "units/Unit.h"
#include "units/UnitModelBase.h"

#include <OgreBone.h>
#include <OgreEntity.h>
#include <OgreSceneNode.h>

void AttachPoint::SetUnit(CGAUnit* unit) {
  mUnit = unit;
  mUnitSerial = unit ? unit->GetSerial() : 0;
}

CGAUnit* AttachPoint::GetUnit() {
  if (!mUnit) return nullptr;
  EffectWorld& world = CGAEffectManager::getSingleton().GetWorld();
  if (!world.IsUnitLive(mUnit) || mUnit->GetSerial() != mUnitSerial || mUnit->IsFinished()) {
    mUnit = nullptr;
    mBone = nullptr;
    mBoneEntity = nullptr;
  }
  return mUnit;
}

Ogre::Bone* AttachPoint::FindBone(Ogre::Entity* entity) {
  if (entity != mBoneEntity) {
    mBoneEntity = entity;
    mBone = mBoneName.empty() ? nullptr : mUnit->GetModel()->GetBone(mBoneName);
  }
  return mBone;
}

Ogre::Vector3 AttachPoint::GetPosition(bool local) {
  CGAUnit* unit = GetUnit();
  if (!unit) return mPosition;
  if (mUseTagPoint) {
    unit->GetTagPosition(mPosition, local);
    return mPosition;
  }
  UnitModelBase* model = unit->GetModel();
  Ogre::SceneNode* node = model ? model->GetSceneNode() : nullptr;
  if (!node) return mPosition;
  if (!local) mPosition = node->_getDerivedPosition();
  Ogre::Entity* entity = model->GetEntity();
  if (!entity) return mPosition;
  if (!mTagName.empty()) {
    // "tagpos" takes effect from the next query on.
    if (mTagName == "tagpos") {
      mUseTagPoint = true;
    } else {
      mBoneName = mTagName;
      mBoneEntity = nullptr;
    }
    mTagName.clear();
  }
  if (Ogre::Bone* bone = FindBone(entity)) {
    mPosition = bone->_getDerivedPosition() * node->_getDerivedScale();
    if (!local) mPosition = node->_getDerivedOrientation() * mPosition + node->_getDerivedPosition();
  }
  return mPosition;
}

Ogre::Quaternion AttachPoint::GetOrientation() {
  CGAUnit* unit = GetUnit();
  UnitModelBase* model = unit ? unit->GetModel() : nullptr;
  Ogre::Entity* entity = model ? model->GetEntity() : nullptr;
  if (!entity) return mOrientation;
  if (!mTagName.empty()) {
    mBoneName = mTagName;
    mBoneEntity = nullptr;
    mTagName.clear();
  }
  if (Ogre::Bone* bone = FindBone(entity)) mOrientation = bone->_getDerivedOrientation();
  return mOrientation;
}
