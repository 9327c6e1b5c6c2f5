#include "effects/EffectNode.h"

#include "effects/AttachPoint.h"
#include "effects/EffectLimits.h"
#include "effects/EffectManager.h"
#include "effects/EffectObject.h"
#include "effects/EffectWorld.h"
#include "game/FrameClock.h"
#include "units/Mover.h"
#include "units/Unit.h"
#include "units/UnitModelBase.h"
#include "units/UnitNumbers.h"

#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>

namespace {

// The animation slots are applied in this order of types; each replaces what
// the ones before it set on the same axis.
constexpr std::array<int, kNodeAnimTypes> kTypeOfSlot = {kAnimPosXYZ,   kAnimScaleXYZ, kAnimPosX,    kAnimPosY,
                                                         kAnimPosZ,     kAnimScaleX,   kAnimScaleY,  kAnimScaleZ,
                                                         kAnimRotateX,  kAnimRotateY,  kAnimRotateZ};

int SlotOfType(int type) {
  for (size_t slot = 0; slot < kTypeOfSlot.size(); ++slot)
    if (kTypeOfSlot[slot] == type) return int(slot);
  return -1;
}

bool IsVectorType(int type) { return type == kAnimPosXYZ || type == kAnimScaleXYZ; }

// Flights are in hundredths of a world unit, kept far within int so the
// mover's differences cannot overflow whatever a data file placed.
void ToFlightPoint(const Ogre::Vector3& world, int out[3]) {
  constexpr double kLimit = 1 << 28;
  for (int i = 0; i < 3; ++i) out[i] = TruncateToInt(std::max(-kLimit, std::min(kLimit, double(world[i]) * 100.0)));
}

// Cast types: no flight, a homing projectile, a projectile to a fixed point,
// the owner flies, the owner flies at fixed speed, a straight glide.
enum CastType { kNoFlight = 0, kHoming = 1, kToPoint = 2, kOwnerFlies = 3, kOwnerFliesFast = 4, kGlide = 5 };
constexpr float kGlideSpeed = 3.5f;

}  // namespace

CGAEffectNode::CGAEffectNode() { CGAEffectManager::getSingleton().NoteCreated(this); }

CGAEffectNode::~CGAEffectNode() {
  Destroy();
  if (CGAEffectManager* manager = CGAEffectManager::getSingletonPtr()) manager->NoteDeleted(this);
}

void CGAEffectNode::SetName(const std::string& name) {
  mName = name;
  if (!mSceneNode) mSceneNode = CGAEffectManager::getSingleton().GetSceneManager()->createSceneNode();
}

// Transform ------------------------------------------------------------------

bool CGAEffectNode::SetPosition(const Ogre::Vector3& position) {
  Ogre::Vector3 p = position;
  ApplyTerrainHeight(p);
  mSceneNode->setPosition(p);
  // World positions read later in this frame are current.
  mSceneNode->_update(true, false);
  return true;
}

bool CGAEffectNode::SetScale(const Ogre::Vector3& scale) {
  mSceneNode->setScale(scale);
  KeepScaleInBounds(true);
  return true;
}

void CGAEffectNode::KeepScaleInBounds(bool withChildren) {
  // Scales multiply down the nodes (nested in a file, or effects started
  // inside effects): each node keeps the product within the bounds, so the
  // transforms the engine derives stay finite.
  const Ogre::Node* parent = mSceneNode->getParent();
  const Ogre::Vector3 above =
      parent && mSceneNode->getInheritScale() ? parent->_getDerivedScale() : Ogre::Vector3::UNIT_SCALE;
  Ogre::Vector3 scale = mSceneNode->getScale();
  for (size_t i = 0; i < 3; ++i) scale[i] = Bounded(scale[i], kMaxEffectSize / std::max(1.0f, std::fabs(above[i])));
  if (scale != mSceneNode->getScale()) mSceneNode->setScale(scale);
  if (withChildren)
    for (CGAEffectNode* child : mChildren) child->KeepScaleInBounds(true);
}

bool CGAEffectNode::SetOrientation(const Ogre::Quaternion& orientation) {
  mSceneNode->setOrientation(orientation);
  return true;
}

const Ogre::Vector3& CGAEffectNode::GetPosition() const { return mSceneNode->getPosition(); }
const Ogre::Vector3& CGAEffectNode::GetScale() const { return mSceneNode->getScale(); }
const Ogre::Quaternion& CGAEffectNode::GetOrientation() const { return mSceneNode->getOrientation(); }

void CGAEffectNode::SetDirection(const Ogre::Vector3& direction) {
  mSceneNode->setDirection(direction, Ogre::Node::TS_WORLD);
}

void CGAEffectNode::SetInheritOrientation(bool inherit) { mSceneNode->setInheritOrientation(inherit); }
void CGAEffectNode::SetInheritScale(bool inherit) { mSceneNode->setInheritScale(inherit); }

void CGAEffectNode::ApplyTerrainHeight(Ogre::Vector3& position) {
  if (mFollowTerrain) CGAEffectManager::getSingleton().GetWorld().GetGroundHeight(position);
}

Ogre::Vector3 CGAEffectNode::WorldPosition() const { return mSceneNode->_getDerivedPosition(); }

// Set-up ---------------------------------------------------------------------

void CGAEffectNode::SetLifeTime(float seconds) {
  // A node tied to a unit keeps the life its definition gave it.
  if (mOwner) return;
  mEndless = seconds < 0.0f;
  mLife = seconds;
}

void CGAEffectNode::EndNow() {
  mLife = -1.0f;
  mEndless = false;
}

bool CGAEffectNode::SetLinkBone(const std::string& bone) {
  mLinkBone = bone;
  return true;
}

void CGAEffectNode::SetTargetPosition(const Ogre::Vector3& position) {
  mTargetPosition = position;
  mTargetPositionSet = true;
}

bool CGAEffectNode::SetAutoDischarge(const std::string& effectName, const std::string& secondName, float period) {
  mSpawner.enabled = true;
  mSpawner.period = period;
  mSpawner.elapsed = period;  // fires in the first update
  mSpawner.effectName = effectName;
  mSpawner.secondName = secondName;
  return true;
}

void CGAEffectNode::AddChild(CGAEffectNode* child) {
  if (Ogre::SceneNode* parent = child->mSceneNode->getParentSceneNode()) parent->removeChild(child->mSceneNode);
  mSceneNode->addChild(child->mSceneNode);
  mChildren.push_back(child);
  child->mParent = this;
  child->KeepScaleInBounds(true);
}

size_t CGAEffectNode::GetDepth() const {
  size_t depth = 0;
  for (const CGAEffectNode* node = mParent; node; node = node->mParent) ++depth;
  return depth;
}

void CGAEffectNode::AddObject(CGAEffectObject* object) {
  mObjects.push_back(object);
  object->SetParentNode(mSceneNode);
}

bool CGAEffectNode::SetNodeAnim(const ScalarKeys& keys, int type, float length, bool loop, bool linear) {
  const int slot = SlotOfType(type);
  if (slot < 0 || IsVectorType(type)) return true;
  CreateNodeAnim(loop, linear, mAnimSlots[size_t(slot)]);
  AddScalarKeys(mAnimSlots[size_t(slot)], keys, length);
  return true;
}

bool CGAEffectNode::SetNodeAnimVector(const VectorKeys& keys, int type, float length, bool loop, bool linear) {
  if (!IsVectorType(type)) return true;
  NodeAnimSlot& slot = mAnimSlots[size_t(SlotOfType(type))];
  CreateNodeAnim(loop, linear, slot);
  AddVectorKeys(slot, keys, length);
  return true;
}

// Owner and targets ----------------------------------------------------------

void CGAEffectNode::AttachToOwner(CGAUnit* unit, bool force) {
  for (CGAEffectNode* child : mChildren) child->AttachToOwner(unit, false);
  if (!unit || unit->IsFinished()) return;
  if (!force && mLinkBone.empty()) return;
  if (mOwner) {
    mOwner->SetUnit(unit);
    return;
  }
  mOwner = std::make_unique<AttachPoint>();
  mOwner->SetUnit(unit);
  // A node with a flight keeps its scene node where it is.
  if (mCastType > 0) return;
  Ogre::SceneNode* unitNode = unit->GetModel() ? unit->GetModel()->GetSceneNode() : nullptr;
  if (!unitNode) return;
  if (Ogre::SceneNode* parent = mSceneNode->getParentSceneNode()) parent->removeChild(mSceneNode);
  mSceneNode->setPosition(Ogre::Vector3::ZERO);
  unitNode->addChild(mSceneNode);
  KeepScaleInBounds(true);
  unitNode->_update(true, false);
}

void CGAEffectNode::AddTarget(CGAUnit* unit) {
  if (!unit) return;
  auto point = std::make_unique<AttachPoint>();
  point->SetUnit(unit);
  point->SetTagName("target");
  mTargets.push_back(std::move(point));
}

CGAUnit* CGAEffectNode::GetOwnerUnit() { return mOwner ? mOwner->GetUnit() : nullptr; }

// Visibility and the end -----------------------------------------------------

void CGAEffectNode::SetVisible(bool visible) {
  for (CGAEffectNode* child : mChildren) child->SetVisible(visible);
  for (CGAEffectObject* object : mObjects) object->SetVisible(visible);
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  for (const KeptEffect& released : mReleased)
    if (manager.IsKept(released)) released.effect->SetVisible(visible);
}

void CGAEffectNode::ReleaseEffect(CGAEffectNode* effect) {
  if (effect->IsEndless()) mReleased.push_back(CGAEffectManager::getSingleton().Keep(effect));
}

bool CGAEffectNode::Destroy() {
  for (CGAEffectObject* object : mObjects) delete object;
  mObjects.clear();
  for (CGAEffectNode* child : mChildren) {
    child->Destroy();
    delete child;
  }
  mChildren.clear();
  CGAEffectManager* manager = CGAEffectManager::getSingletonPtr();
  // The manager may have ended a released effect already, and a newer
  // effect may have its address.
  for (const KeptEffect& released : mReleased)
    if (manager && manager->IsKept(released)) released.effect->SetLifeTime(0.1f);
  mReleased.clear();
  mMover.reset();
  for (NodeAnimSlot& slot : mAnimSlots) ReleaseNodeAnim(slot);
  if (mSceneNode) {
    mSceneNode->getCreator()->destroySceneNode(mSceneNode);
    mSceneNode = nullptr;
  }
  mOwner.reset();
  mCurrentTarget = nullptr;
  mTargets.clear();
  return true;
}

std::vector<std::string> CGAEffectNode::SplitFields(std::string text) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : text) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(field);
  return fields;
}

// The frame ------------------------------------------------------------------

bool CGAEffectNode::Update() {
  // A flight needs its owner; a node tied to a unit ends with it.
  if ((!mOwner && mCastType > 0) || (mOwner && !mOwner->GetUnit())) {
    EndNow();
    return false;
  }
  if (GetLife() <= 0.0f) return false;

  // A target that is gone takes the owner with it: at most one per frame.
  for (auto it = mTargets.begin(); it != mTargets.end(); ++it) {
    if ((*it)->GetUnit()) continue;
    mTargets.erase(it);
    mCurrentTarget = nullptr;
    mOwner.reset();
    return false;
  }
  mCurrentTarget = mTargets.empty() ? nullptr : mTargets.front().get();

  ApplyNodeAnimations();
  UpdateFlight();
  if (GetLife() <= 0.0f) return false;  // a flight with nowhere to go
  KeepScaleInBounds(false);  // the children keep theirs in their update
  UpdateChildren();
  for (CGAEffectObject* object : mObjects) object->Update();
  UpdateSpawner();
  DispatchDueMessages();

  if (CGAUnit* owner = GetOwnerUnit()) {
    if (owner->GetInt(kSlotHp) <= 0 && *owner->GetType() != kUnitLastingEffects) {
      mLife = -1.0f;
      return false;
    }
  }
  // The clock and the life stand still while a projectile flies.
  if (mMover && !mMover->HasArrived() && mCastType != kGlide) return true;
  if (!mEndless) {
    mMessageClock += FrameDeltaSeconds;
    mLife -= FrameDeltaSeconds;
  }
  return true;
}

void CGAEffectNode::ApplyNodeAnimations() {
  for (size_t i = 0; i < mAnimSlots.size(); ++i) {
    NodeAnimSlot& slot = mAnimSlots[i];
    if (!slot.HasAnimation()) continue;
    Advance(slot);
    const Ogre::Vector3& h = slot.GetValue();
    const int type = kTypeOfSlot[i];
    switch (type) {
      case kAnimPosXYZ:
      case kAnimPosX:
      case kAnimPosY:
      case kAnimPosZ: {
        Ogre::Vector3 p = h;
        if (type != kAnimPosXYZ) {
          p = mSceneNode->getPosition();
          p[size_t(type - kAnimPosX)] = h.x;
        }
        ApplyTerrainHeight(p);
        mSceneNode->setPosition(p);
        break;
      }
      case kAnimScaleXYZ: mSceneNode->setScale(h); break;
      case kAnimScaleX:
      case kAnimScaleY:
      case kAnimScaleZ: {
        Ogre::Vector3 s = mSceneNode->getScale();
        s[size_t(type - kAnimScaleX)] = h.x;
        mSceneNode->setScale(s);
        break;
      }
      default: {
        Ogre::Vector3 axis = Ogre::Vector3::ZERO;
        axis[size_t(type - kAnimRotateX)] = 1.0f;
        mSceneNode->setOrientation(Ogre::Quaternion(Ogre::Degree(h.x), axis));
        break;
      }
    }
  }
}

// Flights --------------------------------------------------------------------

bool CGAEffectNode::LaunchFlight() {
  if (!mLinkBone.empty()) {
    mOwner->SetTagName(mLinkBone);
    mLinkBone.clear();
  } else {
    mOwner->SetTagName("release");
  }
  CGAUnit* owner = mOwner->GetUnit();
  const Ogre::Vector3 from = mOwner->GetPosition(false);
  switch (mCastType) {
    case kHoming:
    case kToPoint: {
      // Without a target the flight goes to the target position; without
      // either it has nowhere to go.
      Ogre::Vector3 to;
      if (mCurrentTarget) {
        to = mCurrentTarget->GetPosition(false);
      } else if (mTargetPositionSet) {
        to = mTargetPosition;
      } else {
        EndNow();
        return false;
      }
      int start[3], end[3];
      ToFlightPoint(from, start);
      ToFlightPoint(to, end);
      mMover = std::make_unique<Mover>();
      mMover->Init(start, end, true);
      return true;
    }
    case kGlide: {
      int start[3], end[3] = {0, 0, 0};
      ToFlightPoint(from, start);
      mMover = std::make_unique<Mover>();
      mMover->Init(start, end, true);
      // Without a target the glide rests.
      if (mCurrentTarget) {
        mFlightDirection = from - mCurrentTarget->GetPosition(false);
        mFlightDirection.y = 0.0f;
        mFlightDirection.normalise();
      }
      return true;
    }
    case kOwnerFlies:
      owner->FaceTo(mTargetPosition.x, mTargetPosition.z, true);
      mSpeed = owner->GetPosition().distance(mTargetPosition) * 180.0f;
      owner->FlyTo(mTargetPosition.x, mTargetPosition.z, mSpeed);
      return true;
    case kOwnerFliesFast:
      mSpeed = 1500.0f;
      owner->FlyTo(mTargetPosition.x, mTargetPosition.z, mSpeed);
      return true;
    default: return true;
  }
}

void CGAEffectNode::UpdateFlight() {
  if (mCastType > 10) mCastType = kNoFlight;
  if (mCastType <= kNoFlight) {
    FollowOwner();
    ApplyLookAt();
    return;
  }
  if (!mMover && !LaunchFlight()) return;
  switch (mCastType) {
    case kGlide:
      if (mFlightDirection == Ogre::Vector3::ZERO) return;
      mSceneNode->setDirection(mFlightDirection, Ogre::Node::TS_WORLD);
      mSceneNode->setPosition(mSceneNode->getPosition() - mFlightDirection * FrameDeltaSeconds * kGlideSpeed);
      return;
    case kHoming:
    case kToPoint: {
      if (mMover->HasArrived()) return;
      if (mCastType == kHoming && mCurrentTarget) {
        int to[3];
        ToFlightPoint(mCurrentTarget->GetPosition(false), to);
        mMover->Retarget(to);
      }
      mSceneNode->setPosition(mMover->GetPosition());
      mMover->Step(TruncateToInt(double(FrameDeltaSeconds) * mSpeed));
      mSceneNode->setFixedYawAxis(true);
      mSceneNode->setDirection(mSceneNode->_getDerivedPosition() - mMover->GetPosition(), Ogre::Node::TS_WORLD);
      return;
    }
    default:
      // The owner's own flight: units do not fly (FlyTo starts nothing), so
      // the node rests from now on.
      mMover.reset();
      mCastType = kNoFlight;
      return;
  }
}

void CGAEffectNode::FollowOwner() {
  if (!mOwner || mLinkBone == "null") return;
  if (!mLinkBone.empty()) {
    mOwner->SetTagName(mLinkBone);
    mLinkBone.clear();
  }
  mSceneNode->setPosition(mOwner->GetPosition(true));
  if (mSceneNode->getInheritOrientation()) mSceneNode->setOrientation(mOwner->GetOrientation());
}

void CGAEffectNode::ApplyLookAt() {
  switch (mLookAtMode) {
    case 0:
      mSceneNode->setFixedYawAxis(true);
      mSceneNode->setDirection(CGAEffectManager::getSingleton().GetWorld().GetViewDirection(),
                               Ogre::Node::TS_WORLD);
      break;
    case 1:
    case 9: {
      if (mCurrentTarget) mTargetPosition = mCurrentTarget->GetPosition(false);
      const Ogre::Vector3 at = WorldPosition();
      mSceneNode->setFixedYawAxis(true);
      if (mLookAtMode == 1) {
        mSceneNode->setDirection(at - mTargetPosition, Ogre::Node::TS_WORLD);
      } else {
        // Stretched to reach the target.
        mSceneNode->setDirection(mTargetPosition - at, Ogre::Node::TS_WORLD);
        Ogre::Vector3 scale = mSceneNode->_getDerivedScale();
        scale.z = at.distance(mTargetPosition);
        mSceneNode->setScale(scale);
      }
      break;
    }
    default: break;
  }
}

// Children, spawner and messages ---------------------------------------------

void CGAEffectNode::UpdateChildren() {
  for (size_t i = 0; i < mChildren.size();) {
    CGAEffectNode* child = mChildren[i];
    if (child->GetLife() <= 0.0f) {
      child->Destroy();
      delete child;
      mChildren.erase(mChildren.begin() + long(i));
      continue;
    }
    child->SetTargetPosition(mTargetPosition);
    child->Update();
    ++i;
  }
}

void CGAEffectNode::UpdateSpawner() {
  if (!mSpawner.enabled) return;
  if (mSpawner.elapsed < mSpawner.period) {
    mSpawner.elapsed += FrameDeltaSeconds;
    return;
  }
  mSpawner.elapsed = 0.0f;
  if (mSpawner.effectName.empty()) return;
  EffectMessage request;
  request.name = mSpawner.effectName;
  CGAEffectNode* spawned = CGAEffectManager::getSingleton().CreateEffect(request);
  if (!spawned) return;
  if (mOwner) spawned->AttachToOwner(mOwner->GetUnit(), true);
  if (mCurrentTarget) spawned->AddTarget(mCurrentTarget->GetUnit());
  spawned->SetPosition(WorldPosition());
  spawned->SetTargetPosition(mTargetPosition);
  spawned->SetCastType(mCastType);
}

bool CGAEffectNode::HasArrivedFlight() const { return mMover && mMover->HasArrived(); }

void CGAEffectNode::DispatchDueMessages() {
  // An arrived flight about to end releases everything still pending.
  const bool ending = HasArrivedFlight() && FrameDeltaSeconds > mLife;
  for (auto it = mMessages.begin(); it != mMessages.end();) {
    if (!(mMessageClock >= it->first || ending)) {
      ++it;
      continue;
    }
    std::vector<EffectMessage> due = std::move(it->second);
    mMessages.erase(it);
    for (EffectMessage& message : due) DispatchMessage(message);
    it = mMessages.begin();
  }
}
