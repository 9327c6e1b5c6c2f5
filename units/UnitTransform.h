#pragma once
// A unit's base transform, an offset added to it (the template's position
// offset), and their sum, which the scene node receives.
#include <OgreQuaternion.h>
#include <OgreVector.h>

struct UnitTransformBlock {
  Ogre::Vector3 position = Ogre::Vector3::ZERO;
  Ogre::Quaternion orientation = Ogre::Quaternion::IDENTITY;
  Ogre::Vector3 scale = Ogre::Vector3::ZERO;
};

struct UnitTransform {
  Ogre::Vector3 position = Ogre::Vector3::ZERO;
  Ogre::Quaternion orientation = Ogre::Quaternion::IDENTITY;
  Ogre::Vector3 scale = Ogre::Vector3::UNIT_SCALE;
  UnitTransformBlock offset;
  UnitTransformBlock derived;

  const Ogre::Vector3& GetDerivedPosition() {
    derived.position = position + offset.position;
    return derived.position;
  }
  const Ogre::Quaternion& GetDerivedOrientation() {
    derived.orientation = orientation * offset.orientation;
    return derived.orientation;
  }
  const Ogre::Vector3& GetDerivedScale() {
    derived.scale = scale + offset.scale;
    return derived.scale;
  }
};
