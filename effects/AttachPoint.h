#pragma once
// The tie of an effect node to a unit, as its owner or as one of its targets:
// the unit, optionally one of its bones or its tag point, and the last
// position and orientation found, which the point keeps returning once the
// unit is gone.
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>

namespace Ogre {
class Bone;
class Entity;
}  // namespace Ogre
class CGAUnit;

class AttachPoint {
 public:
  void SetUnit(CGAUnit* unit);
  // A bone name, or "tagpos" for the unit's tag point; resolved at the next
  // query that can see the unit's skeleton.
  void SetTagName(const std::string& name) { mTagName = name; }
  // The unit, or null once it is finished or deleted (then for good).
  CGAUnit* GetUnit();
  // In the unit model's space (local) or in the world.
  Ogre::Vector3 GetPosition(bool local);
  // The bone's orientation in its skeleton's space.
  Ogre::Quaternion GetOrientation();

 private:
  // The bone of the model's current main entity, looked up again when the
  // model's main entity changed.
  Ogre::Bone* FindBone(Ogre::Entity* entity);

  CGAUnit* mUnit = nullptr;
  // Tells a deleted unit from a new one at its address: the serial, not the
  // id, which the game may change after creation.
  uint64_t mUnitSerial = 0;
  std::string mTagName;
  std::string mBoneName;
  Ogre::Entity* mBoneEntity = nullptr;
  Ogre::Bone* mBone = nullptr;
  bool mUseTagPoint = false;
  Ogre::Vector3 mPosition = Ogre::Vector3::ZERO;
  Ogre::Quaternion mOrientation = Ogre::Quaternion::IDENTITY;
};
