#include "game/Camera.h"

#include "game/FrameClock.h"
#include "platform/Random.h"

#include <OgreAnimation.h>
#include <OgreAnimationState.h>
#include <OgreAnimationTrack.h>
#include <OgreCamera.h>
#include <OgreKeyFrame.h>
#include <OgreMatrix3.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

template <> CGACamera* Ogre::Singleton<CGACamera>::msSingleton = nullptr;

namespace {

// A look-at point that jumps further than this is not glided to.
const float kGlideReach = 5.0f;
const float kEyeGlideRate = 2.0f;
const float kLookAtGlideRate = 6.0f;
const float kTransitionSeconds = 0.5f;

// Uniform in [-amplitude, amplitude] from the game's one random source.
float Tremble(float amplitude) {
  return 2.0f * amplitude * static_cast<float>(platform::Rand()) / platform::kRandMax - amplitude;
}

}  // namespace

CGACamera::FollowTarget::~FollowTarget() {
  if (CGACamera* camera = CGACamera::getSingletonPtr()) camera->ForgetFollowTarget(this);
}

CGACamera::CGACamera(Ogre::Camera* camera, Ogre::SceneManager* sceneManager)
    : mSceneManager(sceneManager), mCamera(camera) {
  mEyeTransition = MakeTransition("cameposition_anim");
  mLookAtTransition = MakeTransition("camelookat_anim");
  if (!mCamera->getParentSceneNode()) {
    Ogre::SceneNode* node = mSceneManager->getRootSceneNode()->createChildSceneNode(mCamera->getName());
    node->attachObject(mCamera);
    node->setFixedYawAxis(true);
  }
}

CGACamera::Transition CGACamera::MakeTransition(const char* name) {
  Transition t;
  t.node = mSceneManager->getRootSceneNode()->createChildSceneNode(name);
  t.animation = mSceneManager->createAnimation(name, kTransitionSeconds);
  t.track = t.animation->createNodeTrack(0, t.node);
  t.state = mSceneManager->createAnimationState(name);
  t.state->setEnabled(true);
  t.state->setLoop(false);
  return t;
}

void CGACamera::SetLookAt(const Ogre::Vector3& point) {
  mLookAt = point;
  Rotate(0, 0);
  Update();
}

void CGACamera::Rotate(float yawDelta, float pitchDelta) {
  mYaw += yawDelta;
  mPitch += pitchDelta;
  if (mPitch > mPitchLimits.y) mPitch = mPitchLimits.y;
  if (mPitch < mPitchLimits.x) mPitch = mPitchLimits.x;
  Ogre::Matrix3 rotation;
  rotation.FromEulerAnglesXYZ(Ogre::Degree(mPitch), Ogre::Degree(mYaw), Ogre::Degree(0));
  mEyeOffset = (Ogre::Vector3::UNIT_Y * rotation).normalisedCopy() * mDistance;
  Update();
}

void CGACamera::Zoom(float distanceDelta) {
  mDistance += distanceDelta;
  if (mDistance < mDistanceLimits.x) mDistance = mDistanceLimits.x;
  if (mDistance > mDistanceLimits.y) mDistance = mDistanceLimits.y;
  Rotate(0, 0);
  Update();
}

void CGACamera::SetYawPitch(float yaw, float pitch) {
  mYaw = yaw;
  mPitch = pitch;
  Rotate(0, 0);
}

void CGACamera::SetFollowTarget(FollowTarget* target) {
  mCamera->setProjectionType(Ogre::PT_PERSPECTIVE);
  mFollowed = target;
}

void CGACamera::ForgetFollowTarget(const FollowTarget* target) {
  if (mFollowed == target) mFollowed = nullptr;
}

const Ogre::Ray& CGACamera::GetPickRay(float x, float y) {
  mPickRay = mCamera->getCameraToViewportRay(x, y);
  return mPickRay;
}

bool CGACamera::WorldToScreen(const Ogre::Vector3& world, Ogre::Vector3* screen) const {
  const Ogre::Vector4 clip = mCamera->getProjectionMatrix() * (mCamera->getViewMatrix() * Ogre::Vector4(world));
  // Behind the camera w turns negative and the division would mirror the
  // point onto the screen.
  if (clip.w <= 0) return false;
  const float x = clip.x / clip.w, y = clip.y / clip.w, z = clip.z / clip.w;
  *screen = Ogre::Vector3(x * 0.5f + 0.5f, 1.0f - (y * 0.5f + 0.5f), z * 0.5f + 0.5f);
  return true;
}

void CGACamera::Update() {
  if (mAnimating) return;
  if (mFollowed) mLookAt = mFollowed->GetFollowPosition() + Ogre::Vector3::UNIT_Y;

  Ogre::Vector3 shake = Ogre::Vector3::ZERO;
  if (mShake > 0) {
    shake.x = Tremble(mShake);
    shake.y = Tremble(mShake);
    shake.z = Tremble(mShake);
    mShake -= FrameDeltaSeconds;
  }

  if (mSmoothFollow && mSmoothedLookAt.distance(mLookAt) <= kGlideReach) {
    mSmoothedEye += (mLookAt + mEyeOffset - mSmoothedEye) * FrameDeltaSeconds * kEyeGlideRate;
    mSmoothedLookAt += (mLookAt - mSmoothedLookAt) * FrameDeltaSeconds * kLookAtGlideRate;
  } else {
    mSmoothedEye = mLookAt + mEyeOffset;
    mSmoothedLookAt = mLookAt;
  }
  // The shake moves only the point looked at, never the eye.
  PlaceCamera(mSmoothedEye, mSmoothedLookAt + shake);
}

void CGACamera::PlaceCamera(const Ogre::Vector3& eye, const Ogre::Vector3& target) {
  Ogre::SceneNode* node = mCamera->getParentSceneNode();
  node->setPosition(eye);
  node->lookAt(target, Ogre::Node::TS_WORLD);
}

void CGACamera::SetAnimationLength(float seconds) {
  mEyeTransition.animation->setLength(seconds);
  mLookAtTransition.animation->setLength(seconds);
  mEyeTransition.state->setLength(seconds);
  mLookAtTransition.state->setLength(seconds);
}

void CGACamera::AddAnimationKey(float time, const Ogre::Vector3& position, AnimationTrack track, bool reset) {
  if (!mAnimating) return;
  Transition& t = track == kLookAtTrack ? mLookAtTransition : mEyeTransition;
  if (reset) {
    t.node->setPosition(position);
    t.track->removeAllKeyFrames();
    t.state->setTimePosition(0);
  }
  t.track->createNodeKeyFrame(time)->setTranslate(position);
}

Ogre::Vector3 CGACamera::GetCurrentLookAt() const {
  return mAnimating ? mLookAtTransition.node->getPosition() : mLookAt;
}
