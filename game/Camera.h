#pragma once
// The orbit camera controller of the main camera.
#include <OgreSingleton.h>
#include <OgreVector.h>

namespace Ogre {
class Camera;
class SceneManager;
}  // namespace Ogre

class CGACamera : public Ogre::Singleton<CGACamera> {
 public:
  CGACamera(Ogre::Camera* camera, Ogre::SceneManager* sceneManager);

  void SetPitchLimits(const Ogre::Vector2& limits) { mPitchLimits = limits; }
  void SetDistanceLimits(const Ogre::Vector2& limits) { mDistanceLimits = limits; }
  void SetLookAt(const Ogre::Vector3& point);
  const Ogre::Vector3& GetLookAt() const { return mLookAt; }
  void Zoom(float delta);
  void Rotate(float yawDelta, float pitchDelta);
  void SetSmoothFollow(bool on) { mSmoothFollow = on; }
  void Update();

 private:
  Ogre::Camera* mCamera;
  Ogre::SceneManager* mSceneManager;
  Ogre::Vector3 mLookAt = Ogre::Vector3::ZERO;
  Ogre::Vector3 mEyeOffset = Ogre::Vector3::ZERO;
  float mPitch = 50, mYaw = 180, mDistance = 18;
  Ogre::Vector2 mDistanceLimits{-500, 500};
  Ogre::Vector2 mPitchLimits{0, 180};
  bool mSmoothFollow = false;
};
