#pragma once
// Key-frame animations of one to three numbers. Each animation moves an
// invisible scene node under the effect root along one engine node track;
// its owner reads that node's position as the animated value and applies it
// to whatever it animates (an effect node's transform, a material's colours).
// The engine applies the animation when it renders a frame, so the value
// read is that of the last rendered frame.
#include <OgreVector.h>

#include <vector>

namespace Ogre {
class Animation;
class AnimationState;
class NodeAnimationTrack;
class SceneNode;
class TransformKeyFrame;
}  // namespace Ogre

// Keys as the effect files give them, each ending with its time as a
// fraction of the animation's length.
using ScalarKeys = std::vector<Ogre::Vector2>;  // value, t
using PointKeys = std::vector<Ogre::Vector3>;   // x, y, t
using VectorKeys = std::vector<Ogre::Vector4>;  // x, y, z, t

// One animation; empty while animation is null.
struct NodeAnimSlot {
  Ogre::AnimationState* state = nullptr;
  Ogre::Animation* animation = nullptr;
  Ogre::NodeAnimationTrack* track = nullptr;
  Ogre::TransformKeyFrame* lastKey = nullptr;
  Ogre::SceneNode* driven = nullptr;

  bool HasAnimation() const { return animation != nullptr; }
  // The animated value as of the last rendered frame.
  const Ogre::Vector3& GetValue() const;
};

// The slot operations shared by effect nodes and effect materials.
class CGAEffectAnim {
 public:
  // (Re)creates the slot's animation, empty and playing from time 0; it
  // loops or holds its end.
  static void CreateNodeAnim(bool loop, bool linear, NodeAnimSlot& slot);
  // Set the slot's length and its keys: a key at t plays at length x t.
  static bool AddScalarKeys(NodeAnimSlot& slot, const ScalarKeys& keys, float length);
  static bool AddPointKeys(NodeAnimSlot& slot, const PointKeys& keys, float length);
  static bool AddVectorKeys(NodeAnimSlot& slot, const VectorKeys& keys, float length);
  // Frees the slot's engine objects; false when it has no animation.
  static bool ReleaseNodeAnim(NodeAnimSlot& slot);
  // Advances the slot's animation by the frame time.
  static void Advance(NodeAnimSlot& slot);
};
