#pragma once
// The orbit camera controller of the main camera: the view looks at a point
// on the battlefield from an eye offset given by yaw, pitch and distance,
// each kept within limits. It can follow a unit, shake and glide, and gives
// pick rays and screen positions of world points.
#include <OgreRay.h>
#include <OgreSingleton.h>
#include <OgreVector.h>

namespace Ogre {
class Animation;
class AnimationState;
class Camera;
class NodeAnimationTrack;
class SceneManager;
class SceneNode;
}  // namespace Ogre

class CGACamera : public Ogre::Singleton<CGACamera> {
 public:
  // Something the view can follow (a unit). Its destructor tells the camera,
  // so the camera never reads a followed thing that is gone.
  class FollowTarget {
   public:
    virtual Ogre::Vector3 GetFollowPosition() const = 0;

   protected:
    FollowTarget() = default;
    FollowTarget(const FollowTarget&) = default;
    FollowTarget& operator=(const FollowTarget&) = default;
    ~FollowTarget();
  };

  // The two transition animations' tracks.
  enum AnimationTrack { kEyeTrack = 0, kLookAtTrack = 1 };

  // Hangs the camera on a scene node of its own name when it has none.
  CGACamera(Ogre::Camera* camera, Ogre::SceneManager* sceneManager);

  void SetLookAt(const Ogre::Vector3& point);
  const Ogre::Vector3& GetLookAt() const { return mLookAt; }
  // The yaw is never limited; the pitch and the distance are clamped.
  void Rotate(float yawDelta, float pitchDelta);
  void Zoom(float distanceDelta);
  void SetYawPitch(float yaw, float pitch);
  int GetYaw() const { return static_cast<int>(mYaw); }
  int GetPitch() const { return static_cast<int>(mPitch); }
  const Ogre::Vector3& GetEyeOffset() const { return mEyeOffset; }
  // Neither clamped nor applied until the next rotation.
  void SetDistance(float distance) { mDistance = distance; }
  float GetDistance() const { return mDistance; }
  // Applied at the next Zoom or Rotate.
  void SetDistanceLimits(const Ogre::Vector2& limits) { mDistanceLimits = limits; }
  void SetPitchLimits(const Ogre::Vector2& limits) { mPitchLimits = limits; }

  void SetSmoothFollow(bool on) { mSmoothFollow = on; }
  // While animating the controller leaves the engine camera alone.
  void SetAnimating(bool on) { mAnimating = on; }
  bool IsAnimating() const { return mAnimating; }
  // The point looked at trembles by up to this much; the amplitude runs down
  // by the frame time.
  void SetShake(float amplitude) { mShake = amplitude; }
  float GetShake() const { return mShake; }
  // Switches the projection back to perspective; null follows nothing.
  void SetFollowTarget(FollowTarget* target);
  FollowTarget* GetFollowTarget() const { return mFollowed; }
  // Called by a followed thing that goes away.
  void ForgetFollowTarget(const FollowTarget* target);

  Ogre::Camera* GetCamera() const { return mCamera; }
  // x and y in viewport units 0..1; the ray is kept until the next call.
  const Ogre::Ray& GetPickRay(float x, float y);
  // Screen position (0..1 from the viewport's top left) and depth of a
  // world point; false for a point on or behind the camera's plane.
  bool WorldToScreen(const Ogre::Vector3& world, Ogre::Vector3* screen) const;

  // Once a frame, and after every move.
  void Update();

  // Transition animations (nothing in the game drives them yet).
  void SetAnimationLength(float seconds);
  void AddAnimationKey(float time, const Ogre::Vector3& position, AnimationTrack track, bool reset);
  Ogre::Vector3 GetCurrentLookAt() const;

 private:
  struct Transition {
    Ogre::AnimationState* state = nullptr;
    Ogre::Animation* animation = nullptr;
    Ogre::NodeAnimationTrack* track = nullptr;
    Ogre::SceneNode* node = nullptr;
  };
  Transition MakeTransition(const char* name);
  void PlaceCamera(const Ogre::Vector3& eye, const Ogre::Vector3& target);

  Transition mEyeTransition;
  Transition mLookAtTransition;
  bool mAnimating = false;
  Ogre::SceneManager* mSceneManager;
  Ogre::Camera* mCamera;
  Ogre::Vector3 mLookAt = Ogre::Vector3::ZERO;
  Ogre::Vector3 mEyeOffset = Ogre::Vector3::ZERO;
  Ogre::Vector3 mSmoothedEye = Ogre::Vector3::ZERO;
  Ogre::Vector3 mSmoothedLookAt = Ogre::Vector3::ZERO;
  float mPitch = 50;
  float mYaw = 180;
  FollowTarget* mFollowed = nullptr;
  float mDistance = 18;
  Ogre::Vector2 mDistanceLimits{-500, 500};
  Ogre::Vector2 mPitchLimits{0, 180};
  Ogre::Ray mPickRay;
  float mShake = 0;
  bool mSmoothFollow = false;
};
