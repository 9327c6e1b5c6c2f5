#include "units/UnitModel.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "game/SceneNames.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "units/Unit.h"
#include "units/UnitWorld.h"

#include <OgreAnimationState.h>
#include <OgreBone.h>
#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSkeletonInstance.h>
#include <OgreSkeletonManager.h>
#include <OgreSubEntity.h>

#include <algorithm>

namespace {

// Part entities are drawn in this render queue group.
const Ogre::uint8 kPartQueueGroup = 60;
// Weights move this much per second of animation time.
const float kFadeRate = 3.0f;

// Names of model nodes: unique in the process, so part entity names
// (node name, "/", part number) are unique in the scene. A name a data file
// gave an object of the scene is passed over, as the engine would refuse it.
std::string NextNodeName(const Ogre::SceneManager* sceneManager) {
  static unsigned long counter = 0;
  std::string name;
  do name = "UnitModel" + std::to_string(++counter);
  while (IsSceneNameTaken(sceneManager, name));
  return name;
}

void SetCustomParameters(Ogre::Entity* entity, unsigned index, const Ogre::Vector4& value) {
  for (size_t i = 0; i < entity->getNumSubEntities(); ++i) entity->getSubEntity(i)->setCustomParameter(index, value);
}

}  // namespace

CGAUnitModel::CGAUnitModel(Ogre::SceneManager* sceneManager, Ogre::SceneNode* parent, CGAUnit& unit, bool blending)
    : mParent(parent), mSceneManager(sceneManager), mUnit(unit), mWorld(unit.GetWorld()), mBlending(blending) {
  mNode = sceneManager->createSceneNode(NextNodeName(sceneManager));
  mNode->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
  mChildNode = mNode->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
}

CGAUnitModel::~CGAUnitModel() {
  ForgetMainEntity();
  while (!mAttachments.empty()) RemovePart(mAttachments.front().slot);
  mSceneManager->destroySceneNode(mChildNode);
  mSceneManager->destroySceneNode(mNode);
}

void CGAUnitModel::SetVisible(bool visible) {
  if (visible == (mNode->getParent() != nullptr)) return;
  if (visible)
    mParent->addChild(mNode);
  else
    mNode->getParent()->removeChild(mNode);
  SetEffectsVisible(visible);
}

// Effects may end before the model: only those still there are touched.
void CGAUnitModel::SetEffectsVisible(bool visible) {
  for (const UnitModelAttachment& a : mAttachments)
    if (mWorld.IsKept(a.effect)) mWorld.SetEffectVisible(a.effect.effect, visible);
}

void CGAUnitModel::SetNodePosition(const Ogre::Vector3& position) { mNode->setPosition(position); }

void CGAUnitModel::SetNodeOrientation(const Ogre::Quaternion& orientation) { mNode->setOrientation(orientation); }

void CGAUnitModel::SetNodeScale(const Ogre::Vector3& scale) { mNode->setScale(scale); }

void CGAUnitModel::AttachToNode(Ogre::SceneNode* node) {
  if (Ogre::SceneNode* current = mNode->getParentSceneNode()) current->removeChild(mNode);
  (node ? node : mParent)->addChild(mNode);
}

// Parts ------------------------------------------------------------------------

Ogre::Entity* CGAUnitModel::CreatePartEntity(const std::string& mesh) {
  auto partName = [this] { return mNode->getName() + "/" + std::to_string(mPartCounter); };
  // A part number whose name a data file gave an object of the scene is
  // passed over, as the engine would refuse the part.
  while (IsSceneNameTaken(mSceneManager, partName())) ++mPartCounter;
  try {
    Ogre::Entity* entity = mSceneManager->createEntity(partName(), mesh);
    entity->setRenderQueueGroup(kPartQueueGroup);
    ++mPartCounter;
    return entity;
  } catch (const Ogre::Exception& e) {
    GameLog("unit part " + mesh + " cannot be shown: " + e.getDescription());
    return nullptr;
  }
}

void CGAUnitModel::AttachPart(const std::string& slot, const std::string& mesh) {
  if (mesh.empty()) return;
  Ogre::Entity* entity = CreatePartEntity(mesh);
  if (!entity) return;
  SetCustomParameters(entity, 0, Ogre::Vector4::ZERO);
  SetCustomParameters(entity, 1, Ogre::Vector4::ZERO);
  mChildNode->attachObject(entity);
  UnitModelAttachment part;
  part.slot = slot;
  part.entity = entity;
  if (mEntity)
    JoinMainEntity(part);
  else
    TakeMainEntity(entity);
  mAttachments.push_back(part);
}

void CGAUnitModel::AttachPartToBone(const std::string& slot, const std::string& mesh, const Ogre::Vector3& position,
                                    const Ogre::Quaternion& orientation, const std::string& bone) {
  if (mesh.empty()) return;
  Ogre::Bone* found = GetBone(bone);
  if (!found) {
    platform::ConsolePrint("配件链接错误 角色没骨骼 bone %s\n", bone.c_str());
    return;
  }
  Ogre::Entity* entity = CreatePartEntity(mesh);
  if (!entity) return;
  // Parameter 1 as well: a sub-entity without it would draw with whatever
  // highlight the shader was last given.
  SetCustomParameters(entity, 0, Ogre::Vector4::ZERO);
  SetCustomParameters(entity, 1, Ogre::Vector4::ZERO);
  mEntity->attachObjectToBone(found->getName(), entity, orientation, position);
  UnitModelAttachment part;
  part.slot = slot;
  part.entity = entity;
  part.bone = found->getName();
  part.position = position;
  part.orientation = orientation;
  mAttachments.push_back(part);
}

// A part joins the main entity: hung on its bone again, or animated by its
// skeleton. A part whose skeleton differs keeps its own.
void CGAUnitModel::JoinMainEntity(UnitModelAttachment& part) {
  Ogre::Entity* entity = part.entity;
  if (!part.bone.empty()) {
    if (mEntity->hasSkeleton() && mEntity->getSkeleton()->hasBone(part.bone))
      mEntity->attachObjectToBone(part.bone, entity, part.orientation, part.position);
    else
      GameLog("unit part " + entity->getName() + ": the new main entity has no bone " + part.bone);
    return;
  }
  if (!entity->hasSkeleton() || !mEntity->hasSkeleton()) return;
  if (entity->getMesh()->getSkeleton() != mEntity->getMesh()->getSkeleton()) {
    GameLog("unit part " + entity->getMesh()->getName() + ": its skeleton is not the main part's; it is not animated");
    return;
  }
  if (entity->sharesSkeletonInstance()) entity->stopSharingSkeletonInstance();
  entity->shareSkeletonInstanceWith(mEntity);
}

void CGAUnitModel::TakeMainEntity(Ogre::Entity* entity) {
  mEntity = entity;
  mStates = entity->getAllAnimationStates();
  mRideBone = GetBone("ride");
  // The start animation: a pick-up shows itself once, any other unit stands.
  const bool pickUp = *mUnit.GetType() == kUnitPickUp;
  PlayAnimation(pickUp ? "show" : "stand", pickUp ? 1 : -1, 1.0f, false);
  RebuildAnimationList();
  // Parts left from a removed main entity hang on (or move with) this one.
  for (UnitModelAttachment& part : mAttachments)
    if (part.entity) JoinMainEntity(part);
}

// The main entity is going: nothing may keep pointing into its skeleton or
// its animation states.
void CGAUnitModel::ForgetMainEntity() {
  mEntity = nullptr;
  mStates = nullptr;
  mRideBone = nullptr;
  mAnimations.clear();
  mCurrent = -1;
}

void CGAUnitModel::AttachPartEffect(const std::string& slot, const std::string& effect) {
  CGAEffectNode* node = mWorld.CreateEffect(effect);
  if (!node) return;
  mWorld.SetEffectLifeTime(node, -1.0f);
  mWorld.AttachEffectToOwner(node, &mUnit);
  UnitModelAttachment attachment;
  attachment.slot = slot;
  attachment.effect = mWorld.Keep(node);
  mAttachments.push_back(attachment);
}

void CGAUnitModel::RemovePart(const std::string& slot) {
  for (auto it = mAttachments.begin(); it != mAttachments.end();) {
    if (it->slot != slot) {
      ++it;
      continue;
    }
    if (mWorld.IsKept(it->effect)) mWorld.SetEffectLifeTime(it->effect.effect, 0.01f);
    if (it->entity) {
      if (it->entity == mEntity) ForgetMainEntity();
      mSceneManager->destroyEntity(it->entity);
    }
    it = mAttachments.erase(it);
  }
}

bool CGAUnitModel::HasAttachment(const std::string& slot) const {
  return !mAttachments.empty() && mAttachments.front().slot == slot;
}

void CGAUnitModel::SetCustomParameter(unsigned index, const Ogre::Vector4& value) {
  for (const UnitModelAttachment& a : mAttachments)
    if (a.entity) SetCustomParameters(a.entity, index, value);
}

// Bones ------------------------------------------------------------------------

void CGAUnitModel::SetBoneAlias(const std::string& alias, const std::string& bone) { mBoneAliases[alias] = bone; }

Ogre::Bone* CGAUnitModel::GetBone(const std::string& name) {
  if (!mEntity || !mEntity->hasSkeleton()) return nullptr;
  auto alias = mBoneAliases.find(name);
  const std::string& bone = alias == mBoneAliases.end() ? name : alias->second;
  Ogre::SkeletonInstance* skeleton = mEntity->getSkeleton();
  return skeleton->hasBone(bone) ? skeleton->getBone(bone) : nullptr;
}

// Animations -------------------------------------------------------------------

void CGAUnitModel::AddAnimGroup(const std::string& group, const std::string& anim, const std::string& skeleton,
                                const std::string& sound, const std::string& effect) {
  mAnimGroups[group].push_back({anim, skeleton, sound, effect});
}

void CGAUnitModel::AddSkeletonFile(const std::string& file) {
  if (!mEntity) {
    mPendingSkeletonFiles.push_back(file);
    return;
  }
  if (LinkSkeletonFile(file)) RebuildAnimationList();
}

// Offers the file's animations as states of the main entity; false (and
// logged) when it cannot.
bool CGAUnitModel::LinkSkeletonFile(const std::string& file) {
  if (!mEntity->hasSkeleton()) {
    GameLog("skeleton file " + file + ": the unit's main part " + mEntity->getMesh()->getName() + " has no skeleton");
    return false;
  }
  const Ogre::SkeletonPtr& master = mEntity->getMesh()->getSkeleton();
  Ogre::SkeletonPtr source;
  try {
    source = Ogre::static_pointer_cast<Ogre::Skeleton>(
        Ogre::SkeletonManager::getSingleton().load(file, master->getGroup()));
  } catch (const Ogre::Exception& e) {
    GameLog("skeleton file " + file + " cannot be linked: " + e.getDescription());
    return false;
  }
  master->addLinkedSkeletonAnimationSource(file, 1.0f);
  // A skeleton that is already loaded records the link without the linked
  // skeleton (the engine fills it in only when it loads the skeleton
  // again), and so offers none of its animations: give it the loaded one.
  for (const Ogre::LinkedSkeletonAnimationSource& link : master->getLinkedSkeletonAnimationSources())
    if (link.skeletonName == file && !link.pSkeleton)
      const_cast<Ogre::LinkedSkeletonAnimationSource&>(link).pSkeleton = source;
  mEntity->refreshAvailableAnimationState();
  return true;
}

// Every state of the main entity at weight 0 (or, when keeping weights, the
// playing ones at theirs: new states come at the engine's weight 1), in the
// set's order. The state that was fading in stays current, wherever it now
// is in the list.
void CGAUnitModel::RebuildAnimationList(bool keepWeights) {
  Ogre::AnimationState* current = GetCurrentAnimation();
  mAnimations.clear();
  mCurrent = -1;
  if (!mStates) return;
  for (const auto& entry : mStates->getAnimationStates()) {
    Ogre::AnimationState* state = entry.second;
    if (!keepWeights || !state->getEnabled()) state->setWeight(0.0f);
    if (state == current) mCurrent = static_cast<int>(mAnimations.size());
    mAnimations.push_back(state);
  }
}

Ogre::AnimationState* CGAUnitModel::GetCurrentAnimation() const {
  return mCurrent >= 0 && mCurrent < static_cast<int>(mAnimations.size()) ? mAnimations[mCurrent] : nullptr;
}

void CGAUnitModel::PlayAnimationByName(const std::string& name, float speed, bool loop) {
  if (!mEntity) return;
  for (size_t i = 0; i < mAnimations.size(); ++i) {
    Ogre::AnimationState* state = mAnimations[i];
    if (state->getAnimationName() != name) continue;
    mCurrent = static_cast<int>(i);
    mSpeed = speed;
    state->setEnabled(true);
    state->setTimePosition(0.0f);
    state->setLoop(loop);
    if (mBlending) {
      mBlend.current = name;
      mBlendSpeed = speed;
    }
    return;
  }
}

void CGAUnitModel::Update() {
  if (mEntity && !mPendingSkeletonFiles.empty()) {
    std::vector<std::string> files;
    files.swap(mPendingSkeletonFiles);
    for (const std::string& file : files) AddSkeletonFile(file);
  }
  if (mBlending)
    UpdateBlending();
  else
    UpdateAnimations();
}

// The current state gains 3 x dt of weight up to 1 (one frame may overshoot),
// the others lose as much and are disabled a frame after reaching 0.
void CGAUnitModel::UpdateAnimations() {
  const float dt = mSpeed * FrameDeltaSeconds;
  for (size_t i = 0; i < mAnimations.size(); ++i) {
    Ogre::AnimationState* state = mAnimations[i];
    if (!state->getEnabled()) continue;
    float weight = state->getWeight();
    if (static_cast<int>(i) == mCurrent) {
      weight = weight < 1.0f ? weight + kFadeRate * dt : 1.0f;
    } else if (weight <= 0.0f) {
      weight = 0.0f;
      state->setEnabled(false);
    } else {
      weight -= kFadeRate * dt;
    }
    state->setWeight(weight);
    if (state->getLoop() || !state->hasEnded()) state->addTime(dt);
  }
}

// The blending mode, by name: the state named current gains 3 x dt of weight
// up to 1 and advances; every other state loses as much down to 0, where it
// stops. The idle animation's ends are counted while it plays; past the loop
// target a variant of its group plays once, then the idle comes back.
void CGAUnitModel::UpdateBlending() {
  if (!mStates) return;
  const float dt = mBlendSpeed * FrameDeltaSeconds;
  for (const auto& entry : mStates->getAnimationStates()) {
    Ogre::AnimationState* state = entry.second;
    if (state->getAnimationName() == mBlend.current || !state->getEnabled()) continue;
    const float weight = std::max(0.0f, state->getWeight() - kFadeRate * dt);
    state->setWeight(weight);
    if (weight == 0.0f) state->setEnabled(false);
  }
  if (!mStates->hasAnimationState(mBlend.current)) return;
  Ogre::AnimationState* current = mStates->getAnimationState(mBlend.current);
  current->setEnabled(true);
  current->setWeight(std::min(1.0f, current->getWeight() + kFadeRate * dt));
  if (mBlend.current == mBlend.idle) {
    CountIdleEnds(current, dt);
    if (mLoopsDone > mLoopTarget) PlayIdleVariant();
    return;
  }
  current->addTime(dt);
  if (mBlend.current == mBlend.variant && current->hasEnded() && --mRemainingPlays <= 0) mBlend.current = mBlend.idle;
}

// A looping idle ends each time it wraps; a held one never ends again.
void CGAUnitModel::CountIdleEnds(Ogre::AnimationState* idle, float dt) {
  const float before = idle->getTimePosition();
  idle->addTime(dt);
  if (idle->getLoop() && idle->getLength() > 0.0f) mLoopsDone += static_cast<int>((before + dt) / idle->getLength());
}

// A variant of the idle's group other than the first (the idle itself),
// made available by linking its skeleton file when the main entity lacks
// it, plays once from its start with its sound; the next loop target is
// drawn. A group of one variant never varies.
void CGAUnitModel::PlayIdleVariant() {
  mLoopsDone = 0;
  auto group = mAnimGroups.find(mBlend.idle);
  if (group == mAnimGroups.end() || group->second.size() < 2) return;
  const int count = static_cast<int>(group->second.size());
  const int index = std::min(static_cast<int>(platform::RangeRandom(1.0f, static_cast<float>(count))), count - 1);
  mLoopTarget = static_cast<int>(platform::RangeRandom(6.0f, 12.0f));
  const UnitModelVariant& variant = group->second[static_cast<size_t>(index)];
  if (!mStates->hasAnimationState(variant.anim) && !variant.skeleton.empty() && LinkSkeletonFile(variant.skeleton))
    RebuildAnimationList(true);  // the states keep fading as they were
  if (!mStates->hasAnimationState(variant.anim)) {
    GameLog("animation " + variant.anim + " of group " + group->first + ": the unit's main part " +
            mEntity->getMesh()->getName() + " has no such animation");
    return;
  }
  mBlend = {group->first, variant.anim, mBlend.idle, variant.anim, variant.sound, variant.effect};
  mRemainingPlays = 1;
  Ogre::AnimationState* state = mStates->getAnimationState(variant.anim);
  state->setEnabled(true);
  state->setTimePosition(0.0f);
  state->setLoop(false);
  if (!variant.sound.empty()) mWorld.PlaySound(variant.sound, &mUnit);
}
