#pragma once
// One live effect: a scene node with the objects that show it, child nodes,
// a transform and a life time, an owner unit it is tied to, target units it
// aims at, an optional flight toward its target, an optional periodic
// spawner of further effects, and timed messages that carry the skill's
// consequences (see SkillMessages.cpp). Effect time is in seconds.
#include "effects/EffectAnim.h"
#include "effects/Message.h"
#include "units/UnitWorld.h"

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class SceneNode;
}
class AttachPoint;
class CGAEffectObject;
class CGAUnit;
class Mover;

// The node animation types, numbered as the effect files name them.
enum NodeAnimType : int {
  kAnimPosX = 0,
  kAnimPosY = 1,
  kAnimPosZ = 2,
  kAnimPosXYZ = 3,
  kAnimScaleX = 4,
  kAnimScaleY = 5,
  kAnimScaleZ = 6,
  kAnimRotateX = 7,
  kAnimRotateY = 8,
  kAnimRotateZ = 9,
  kAnimScaleXYZ = 10,
  kNodeAnimTypes = 11
};

// Spawns an effect at the node every period.
struct AutoDischarge {
  bool enabled = false;
  float elapsed = 0.0f;
  float period = 0.0f;
  std::string effectName;
  std::string secondName;  // kept, not used
};

class CGAEffectNode : public CGAMessage, public CGAEffectAnim {
 public:
  CGAEffectNode();
  ~CGAEffectNode() override;
  CGAEffectNode(const CGAEffectNode&) = delete;
  CGAEffectNode& operator=(const CGAEffectNode&) = delete;

  // Frees everything the node owns; it may then only be deleted.
  virtual bool Destroy();
  // The frame's step; false on the early exits (the node is ending).
  virtual bool Update();

  // Names the node and makes its scene node (not attached anywhere yet).
  void SetName(const std::string& name);
  // Names the node without making a scene node.
  void SetNameOnly(const std::string& name) { mName = name; }
  const std::string& GetName() const { return mName; }
  void SetEffectName(const std::string& name) { mEffectName = name; }
  const std::string& GetEffectName() const { return mEffectName; }
  Ogre::SceneNode* GetSceneNode() const { return mSceneNode; }

  // Transform of the scene node (local); a position follows the ground when
  // the node follows the terrain.
  bool SetPosition(const Ogre::Vector3& position);
  bool SetScale(const Ogre::Vector3& scale);
  bool SetOrientation(const Ogre::Quaternion& orientation);
  const Ogre::Vector3& GetPosition() const;
  const Ogre::Vector3& GetScale() const;
  const Ogre::Quaternion& GetOrientation() const;
  // Turns the node so that its -Z axis points along -direction (world).
  void SetDirection(const Ogre::Vector3& direction);
  void SetAccordTerrain(bool follow) { mFollowTerrain = follow; }
  void SetInheritOrientation(bool inherit);
  void SetInheritScale(bool inherit);

  // Life in seconds; negative: endless. Ignored while the node has an owner.
  void SetLifeTime(float seconds);
  // 1.0 while endless, else the life left.
  float GetLife() const { return mEndless ? 1.0f : mLife; }
  bool IsEndless() const { return mEndless; }

  // A bone of the owner to follow, "tagpos" for its tag point, or "null"
  // to stay where the node is.
  bool SetLinkBone(const std::string& bone);
  const std::string& GetLinkBone() const { return mLinkBone; }
  void SetTargetPosition(const Ogre::Vector3& position);
  const Ogre::Vector3& GetTargetPosition() const { return mTargetPosition; }
  void SetCastType(int type) { mCastType = type; }
  int GetCastType() const { return mCastType; }
  void SetLookAtMode(int mode) { mLookAtMode = mode; }
  bool SetAutoDischarge(const std::string& effectName, const std::string& secondName, float period);

  void AddChild(CGAEffectNode* child);
  const std::vector<CGAEffectNode*>& GetChildren() const { return mChildren; }
  // The nodes above this one, up to its topmost effect.
  size_t GetDepth() const;
  void AddObject(CGAEffectObject* object);
  const std::vector<CGAEffectObject*>& GetObjects() const { return mObjects; }

  // Node animations of a type (NodeAnimType): single-axis types take
  // scalar keys, POS_XYZ and SCALE_XYZ vector keys; other types are ignored.
  bool SetNodeAnim(const ScalarKeys& keys, int type, float length, bool loop, bool linear);
  bool SetNodeAnimVector(const VectorKeys& keys, int type, float length, bool loop, bool linear);

  // Ties the node and its children to an owner unit. Without a link bone a
  // node is tied only when forced; a node without flight moves under the
  // unit's scene node.
  void AttachToOwner(CGAUnit* unit, bool force);
  void AddTarget(CGAUnit* unit);
  CGAUnit* GetOwnerUnit();
  bool HasOwner() const { return mOwner != nullptr; }
  size_t GetTargetCount() const { return mTargets.size(); }

  // Shows or hides the node, its children, objects and the effects it
  // released.
  void SetVisible(bool visible);

  // Comma-separated fields: every comma ends a field (also an empty one), an
  // empty last field is dropped.
  static std::vector<std::string> SplitFields(std::string text);

 private:
  void EndNow();
  void KeepScaleInBounds(bool withChildren);
  void ApplyTerrainHeight(Ogre::Vector3& position);
  void ApplyNodeAnimations();
  void UpdateFlight();
  bool LaunchFlight();
  void FollowOwner();
  void ApplyLookAt();
  void UpdateChildren();
  void UpdateSpawner();
  void DispatchDueMessages();
  bool HasArrivedFlight() const;
  void ReleaseEffect(CGAEffectNode* effect);

  // Skill messages (SkillMessages.cpp).
  void DispatchMessage(EffectMessage& message);
  CGAUnit* Caster();
  CGAUnit* Target();
  Ogre::Vector3 WorldPosition() const;
  void DropCoins();
  void SplashAroundTarget(CGAUnit* caster, CGAUnit* target);
  void Summon(CGAUnit* caster, const std::string& templateName);
  void Hit(CGAUnit* caster, const std::string& fields);
  void SideStep(CGAUnit* caster, CGAUnit* victim);
  void CreateSelfEffect(const std::string& name);
  // With a bone (not null) the new effect follows that bone.
  void CreateTargetEffects(const std::string& name, const std::string* bone);
  void CreateReleaseEffect(const std::string& name, const std::string* bone);
  void Teleport(CGAUnit* caster);

  std::string mName;
  std::string mEffectName;
  float mLife = 0.0f;
  std::string mLinkBone;
  Ogre::SceneNode* mSceneNode = nullptr;
  Ogre::Vector3 mTargetPosition = Ogre::Vector3::ZERO;
  bool mTargetPositionSet = false;
  Ogre::Vector3 mFlightDirection = Ogre::Vector3::ZERO;
  std::vector<KeptEffect> mReleased;  // managed by the manager; checked before use
  CGAEffectNode* mParent = nullptr;     // the node this one is a child of
  std::vector<CGAEffectNode*> mChildren;
  std::vector<CGAEffectObject*> mObjects;
  AutoDischarge mSpawner;
  float mMessageClock = 0.0f;
  std::unique_ptr<Mover> mMover;
  int mCastType = 0;
  float mSpeed = 2500.0f;
  int mLookAtMode = -1;
  std::unique_ptr<AttachPoint> mOwner;
  AttachPoint* mCurrentTarget = nullptr;
  std::vector<std::unique_ptr<AttachPoint>> mTargets;
  bool mEndless = true;
  std::array<NodeAnimSlot, kNodeAnimTypes> mAnimSlots;  // in the order of kSlotOrder
  bool mFollowTerrain = false;
};
