#include "game/Camera.h"

#include <OgreCamera.h>
#include <OgreMatrix3.h>
#include <OgreSceneNode.h>

template <> CGACamera* Ogre::Singleton<CGACamera>::msSingleton = nullptr;

CGACamera::CGACamera(Ogre::Camera* camera, Ogre::SceneManager* sceneManager)
    : mCamera(camera), mSceneManager(sceneManager) {}

void CGACamera::SetLookAt(const Ogre::Vector3& point) {
  mLookAt = point;
  Rotate(0, 0);
}

void CGACamera::Zoom(float delta) {
  mDistance += delta;
  if (mDistance < mDistanceLimits.x) mDistance = mDistanceLimits.x;
  if (mDistance > mDistanceLimits.y) mDistance = mDistanceLimits.y;
  Rotate(0, 0);
}

void CGACamera::Rotate(float yawDelta, float pitchDelta) {
  mYaw += yawDelta;
  mPitch += pitchDelta;
  if (mPitch > mPitchLimits.y) mPitch = mPitchLimits.y;
  if (mPitch < mPitchLimits.x) mPitch = mPitchLimits.x;
  Ogre::Matrix3 rotation;
  rotation.FromEulerAnglesXYZ(Ogre::Degree(mPitch), Ogre::Degree(mYaw), Ogre::Degree(0));
  mEyeOffset = (Ogre::Vector3(0, 1, 0) * rotation).normalisedCopy() * mDistance;
  Update();
}

void CGACamera::Update() {
  Ogre::SceneNode* node = mCamera->getParentSceneNode();
  if (!node) return;
  node->setPosition(mLookAt + mEyeOffset);
  node->lookAt(mLookAt, Ogre::Node::TS_WORLD);
}
