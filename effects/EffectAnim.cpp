#include "effects/EffectAnim.h"

#include "effects/EffectLimits.h"
#include "effects/EffectManager.h"
#include "game/FrameClock.h"

#include <OgreAnimation.h>
#include <OgreAnimationState.h>
#include <OgreKeyFrame.h>
#include <OgreSceneManager.h>

namespace {

Ogre::Vector3 Translation(const Ogre::Vector2& key) { return {key.x, 0.0f, 0.0f}; }
Ogre::Vector3 Translation(const Ogre::Vector3& key) { return {key.x, key.y, 0.0f}; }
Ogre::Vector3 Translation(const Ogre::Vector4& key) { return {key.x, key.y, key.z}; }
// The time fraction is a key's last number.
float Fraction(const Ogre::Vector2& key) { return key.y; }
float Fraction(const Ogre::Vector3& key) { return key.z; }
float Fraction(const Ogre::Vector4& key) { return key.w; }

template <class Key>
bool AddKeys(NodeAnimSlot& slot, const std::vector<Key>& keys, float length) {
  if (!slot.HasAnimation()) return true;
  // Huge lengths or times would make the engine's interpolation overflow.
  length = Bounded(length, kMaxEffectSeconds);
  slot.state->setLength(length);
  for (const Key& key : keys) {
    slot.lastKey = slot.track->createNodeKeyFrame(Bounded(length * Fraction(key), kMaxEffectSeconds));
    slot.lastKey->setTranslate(Bounded(Translation(key), kMaxEffectDistance));
  }
  // A reading before the first rendered frame gives the first value.
  if (!keys.empty()) slot.driven->setPosition(Bounded(Translation(keys.front()), kMaxEffectDistance));
  return true;
}

}  // namespace

const Ogre::Vector3& NodeAnimSlot::GetValue() const { return driven->getPosition(); }

void CGAEffectAnim::CreateNodeAnim(bool loop, bool linear, NodeAnimSlot& slot) {
  ReleaseNodeAnim(slot);
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  Ogre::SceneManager* scene = manager.GetSceneManager();
  const std::string name = manager.MakeEffectName();
  slot.animation = scene->createAnimation(name, 0.0f);
  slot.animation->setInterpolationMode(linear ? Ogre::Animation::IM_LINEAR : Ogre::Animation::IM_SPLINE);
  slot.driven = manager.GetEffectRoot()->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
  slot.state = scene->createAnimationState(name);
  slot.track = slot.animation->createNodeTrack(0, slot.driven);
  slot.state->setLoop(loop);
  slot.state->setEnabled(true);
}

bool CGAEffectAnim::AddScalarKeys(NodeAnimSlot& slot, const ScalarKeys& keys, float length) {
  return AddKeys(slot, keys, length);
}

bool CGAEffectAnim::AddPointKeys(NodeAnimSlot& slot, const PointKeys& keys, float length) {
  return AddKeys(slot, keys, length);
}

bool CGAEffectAnim::AddVectorKeys(NodeAnimSlot& slot, const VectorKeys& keys, float length) {
  return AddKeys(slot, keys, length);
}

bool CGAEffectAnim::ReleaseNodeAnim(NodeAnimSlot& slot) {
  if (!slot.HasAnimation()) return false;
  Ogre::SceneManager* scene = CGAEffectManager::getSingleton().GetSceneManager();
  const std::string name = slot.animation->getName();
  if (scene->hasAnimationState(name)) scene->destroyAnimationState(name);
  if (scene->hasAnimation(name)) scene->destroyAnimation(name);
  scene->destroySceneNode(slot.driven);
  slot = NodeAnimSlot();
  return true;
}

void CGAEffectAnim::Advance(NodeAnimSlot& slot) {
  // An animation without length shows its first key (looping over no
  // length has no time to wrap to).
  if (slot.state->getLength() > 0.0f) slot.state->addTime(FrameDeltaSeconds);
}
