#pragma once
// The visible side of one unit: its scene node, the part entities that make
// up its body (all animated by the first part's skeleton, the main entity),
// parts hanging on bones, effects attached under slot names, bone aliases,
// and the cross-fading of its skeletal animations: by the index of the state
// played last, or, in the blending mode, by the name of the state fading in,
// with an idle animation that now and then gives way to a random variant of
// its animation group.
#include "units/UnitModelBase.h"
#include "units/UnitWorld.h"

#include <map>
#include <string>
#include <vector>

namespace Ogre {
class AnimationState;
class AnimationStateSet;
}  // namespace Ogre
class CGAEffectNode;
class CGAUnit;

// A part entity or an attached effect under a slot name; several may share
// a slot. A part on a bone remembers where it hangs, so that it can hang on
// the next main entity when the main entity is replaced.
struct UnitModelAttachment {
  std::string slot;
  Ogre::Entity* entity = nullptr;
  KeptEffect effect;  // none when effect.effect is null
  std::string bone;  // empty: not on a bone
  Ogre::Vector3 position = Ogre::Vector3::ZERO;
  Ogre::Quaternion orientation = Ogre::Quaternion::IDENTITY;
};

// One animation of an animation group (read from the template's Anim
// elements).
struct UnitModelVariant {
  std::string anim;
  std::string skeleton;
  std::string sound;
  std::string effect;
};

// What the blending mode plays: the state fading in, the idle animation,
// and the variant of the idle's group playing now, with its group, sound and
// effect.
struct UnitModelBlendRecord {
  std::string group;
  std::string current = "stand";
  std::string idle = "stand";
  std::string variant = "stand";
  std::string sound;
  std::string effect;
};

class CGAUnitModel : public UnitModelBase {
 public:
  // The model node is made unattached; SetVisible(true) puts it under parent.
  // The game never asks for the blending mode.
  CGAUnitModel(Ogre::SceneManager* sceneManager, Ogre::SceneNode* parent, CGAUnit& unit, bool blending = false);
  ~CGAUnitModel() override;
  CGAUnitModel(const CGAUnitModel&) = delete;
  CGAUnitModel& operator=(const CGAUnitModel&) = delete;

  void SetVisible(bool visible) override;
  void SetNodePosition(const Ogre::Vector3& position) override;
  void SetNodeOrientation(const Ogre::Quaternion& orientation) override;
  void SetNodeScale(const Ogre::Vector3& scale) override;

  // The first part becomes the main entity, owner of the skeleton; later
  // ones share its skeleton. A part on a bone keeps its own skeleton.
  void AttachPart(const std::string& slot, const std::string& mesh) override;
  void AttachPartToBone(const std::string& slot, const std::string& mesh, const Ogre::Vector3& position,
                        const Ogre::Quaternion& orientation, const std::string& bone) override;
  // An endless effect owned by the unit.
  void AttachPartEffect(const std::string& slot, const std::string& effect) override;
  // Every attachment of the slot: entities destroyed, effects told to end.
  void RemovePart(const std::string& slot) override;
  bool HasAttachment(const std::string& slot) const;
  const std::vector<UnitModelAttachment>& GetAttachments() const { return mAttachments; }

  // On every sub-entity of every part: index 0 is the unit's tint with its
  // opacity, index 1 the highlight.
  void SetCustomParameter(unsigned index, const Ogre::Vector4& value) override;

  // A bone of the main entity by name or alias; null without one.
  void SetBoneAlias(const std::string& alias, const std::string& bone) override;
  Ogre::Bone* GetBone(const std::string& name) override;
  Ogre::Bone* GetRideBone() override { return mRideBone; }

  void AddAnimGroup(const std::string& group, const std::string& anim, const std::string& skeleton,
                    const std::string& sound, const std::string& effect) override;
  const std::map<std::string, std::vector<UnitModelVariant>>& GetAnimGroups() const { return mAnimGroups; }
  // Links a skeleton file's animations to the main skeleton; kept until
  // there is a main entity.
  void AddSkeletonFile(const std::string& file) override;

  // The named animation fades in from its current weight while the others
  // fade out; an unknown name changes nothing. In the blending mode the
  // speed is the blending speed.
  void PlayAnimationByName(const std::string& name, float speed, bool loop) override;
  // Does nothing: the unit's animations come from its actions' Anim events.
  void PlayAnimation(const std::string&, int, float, bool) override {}
  void SetSpeed(float speed) override { mSpeed = speed; }
  // Links pending skeleton files, then moves every weight 3 x dt toward its
  // goal and advances the playing states.
  void Update() override;
  bool IsBlending() const { return mBlending; }
  const UnitModelBlendRecord& GetBlendRecord() const { return mBlend; }
  // Ends of the idle animation still allowed before a variant plays, and
  // those seen so far.
  int GetLoopTarget() const { return mLoopTarget; }
  int GetLoopsDone() const { return mLoopsDone; }
  const std::vector<Ogre::AnimationState*>& GetAnimations() const { return mAnimations; }
  // The state fading in, or null.
  Ogre::AnimationState* GetCurrentAnimation() const;

  Ogre::SceneNode* GetSceneNode() override { return mNode; }
  Ogre::SceneNode* GetChildNode() { return mChildNode; }
  Ogre::Entity* GetEntity() override { return mEntity; }
  // Moves the model node under another node (null: back under its parent).
  void AttachToNode(Ogre::SceneNode* node);

 private:
  Ogre::Entity* CreatePartEntity(const std::string& mesh);
  void TakeMainEntity(Ogre::Entity* entity);
  void ForgetMainEntity();
  void JoinMainEntity(UnitModelAttachment& part);
  bool LinkSkeletonFile(const std::string& file);
  void RebuildAnimationList(bool keepWeights = false);
  void UpdateAnimations();
  void UpdateBlending();
  void CountIdleEnds(Ogre::AnimationState* idle, float dt);
  void PlayIdleVariant();
  void SetEffectsVisible(bool visible);

  std::vector<Ogre::AnimationState*> mAnimations;  // the main entity's states, in the set's order
  int mCurrent = -1;
  float mSpeed = 1.0f;
  Ogre::AnimationStateSet* mStates = nullptr;
  UnitModelBlendRecord mBlend;
  float mBlendSpeed = 1.0f;
  int mLoopTarget = 0;
  int mRemainingPlays = 0;  // of the variant, before the idle comes back
  int mLoopsDone = 0;
  std::map<std::string, std::vector<UnitModelVariant>> mAnimGroups;
  std::vector<UnitModelAttachment> mAttachments;
  std::map<std::string, std::string> mBoneAliases;
  std::vector<std::string> mPendingSkeletonFiles;
  Ogre::Bone* mRideBone = nullptr;
  int mPartCounter = 0;
  Ogre::SceneNode* mChildNode = nullptr;
  Ogre::SceneNode* mNode = nullptr;
  Ogre::SceneNode* mParent;
  Ogre::SceneManager* mSceneManager;
  Ogre::Entity* mEntity = nullptr;
  CGAUnit& mUnit;
  UnitWorld& mWorld;
  const bool mBlending;
};
