#include "units/Unit.h"

#include "game/FrameClock.h"
#include "platform/Random.h"
#include "units/Mover.h"
#include "units/UnitAction.h"
#include "units/UnitModelBase.h"
#include "units/UnitPartDef.h"
#include "units/UnitTemplate.h"
#include "units/UnitWorld.h"

namespace {
uint64_t gUnitsMade = 0;
}  // namespace

CGAUnit::CGAUnit(UnitWorld& world) : mWorld(world), mModel(world.CreateModel(*this)), mSerial(++gUnitsMade) {
  SetVisible(true);
}

CGAUnit::~CGAUnit() {
  if (mMount) {
    mMount->SetFadeOut(true, 1000);
    mMount->SetRider(nullptr);
  }
  if (mRider) mRider->mMount = nullptr;
  StopActionEffects();
}

void CGAUnit::SetVisible(bool visible) { mModel->SetVisible(visible); }

void CGAUnit::SetOrientation(const Ogre::Quaternion& orientation) {
  mTransform.orientation = orientation;
  mNodeOrientation = mTransform.GetDerivedOrientation();
  mModel->SetNodeOrientation(mNodeOrientation);
}

void CGAUnit::SetScale(float x, float y, float z) {
  mTransform.scale = Ogre::Vector3(x, y, z);
  mModel->SetNodeScale(mTransform.GetDerivedScale());
}

void CGAUnit::GetTagPosition(Ogre::Vector3& out, bool local) {
  out = local ? mTagOffset : mTransform.GetDerivedPosition() + mTagOffset;
}

bool CGAUnit::SetTerrainFollow(bool follow) {
  mTerrainFollow = follow;
  return true;
}

CGAUnit* CGAUnit::GetTarget() {
  if (mTarget && mTarget->IsFading()) mTarget = nullptr;
  return mTarget;
}

void CGAUnit::SetColour(const Ogre::Vector4& colour) {
  mColour = colour;
  mAlpha.second = colour.w;
}

UnitEffectRecord* CGAUnit::GetEffectRecord(size_t index) {
  return index < mEffectRecords.size() ? &mEffectRecords[index] : nullptr;
}

void CGAUnit::SetEffectRecordValue(size_t index, int value) {
  if (index < mEffectRecords.size()) mEffectRecords[index].value = value;
}

void CGAUnit::SetFadeOut(bool fade, int ms) {
  mFading = fade;
  mFadeCountdown = ms;
  mAlpha.second = fade ? 0.0f : 1.0f;
}

// Parts -----------------------------------------------------------------------

void CGAUnit::AddPart(UnitPartDef* part) {
  if (part) mPendingParts.push_back({part->GetPartType(), part->GetBone(), part});
}

void CGAUnit::AddPartGroup(const std::string& group) {
  if (!mTemplate) return;
  auto found = mTemplate->choiceParts.find(group);
  if (found == mTemplate->choiceParts.end()) return;
  for (UnitPartDef* part : found->second) AddPart(part);
}

namespace {
const char* WeaponBone(bool mainHand) { return mainHand ? "Bone16" : "Bone20"; }
}  // namespace

void CGAUnit::AddWeapon(UnitPartDef* part, bool mainHand) {
  mPendingParts.push_back({WeaponBone(mainHand), WeaponBone(mainHand), part});
  (mainHand ? mMainHand : mOffHand) = part;
}

void CGAUnit::RemoveWeapon(bool mainHand) {
  mModel->RemovePart(WeaponBone(mainHand));
  (mainHand ? mMainHand : mOffHand) = nullptr;
}

// Actions ---------------------------------------------------------------------

void CGAUnit::AddAction(UnitAction* action) {
  mActions.push_back(action);
  mActionIndex.clear();  // a name may now have another last index
}

void CGAUnit::ClearActions() {
  mActions.clear();
  mActionIndex.clear();
}

void CGAUnit::ReloadActions() {
  ClearActions();
  if (mTemplate) mActions = mTemplate->actions;
}

void CGAUnit::RemoveAction(unsigned index) {
  if (index >= mActions.size()) return;
  mActions.erase(mActions.begin() + index);
  mActionIndex.clear();  // the cached index ranges moved
}

void CGAUnit::SetAction(const std::string& name, bool overrideLevel) {
  const float roll = static_cast<float>(platform::Rand()) * 100.0f / static_cast<float>(platform::kRandMax);
  auto cached = mActionIndex.find(name);
  if (cached == mActionIndex.end()) {
    unsigned first = 0, last = 0;
    bool found = false;
    for (unsigned i = 0; i < mActions.size(); ++i) {
      if (mActions[i]->GetName() != name) continue;
      if (!found) first = i;
      last = i;
      found = true;
    }
    if (!found) return;
    cached = mActionIndex.emplace(name, std::make_pair(first, last)).first;
  }
  const unsigned first = cached->second.first;
  const unsigned last = cached->second.second;
  if (first == last) {
    StartActionByIndex(first, overrideLevel);
    return;
  }
  // Every action between the first and the last of that name takes part in
  // the choice, whatever its own name.
  const std::vector<unsigned> candidates = ActionCandidates(mActions, first, last, roll);
  if (candidates.empty()) return;
  StartAction(mActions[candidates[platform::Rand() % candidates.size()]], overrideLevel);
}

void CGAUnit::StartActionByIndex(unsigned index, bool overrideLevel) {
  if (index < mActions.size()) StartAction(mActions[index], overrideLevel);
}

void CGAUnit::StartAction(UnitAction* action, bool overrideLevel) {
  if (!overrideLevel && action && mCurrentAction && mCurrentAction->GetLevel() > action->GetLevel()) return;
  StopActionEffects();
  mCurrentAction = action;
  mActionClock = 0.0f;
  mEventIndex = 0;
}

bool CGAUnit::IsInAction(const char* name) const { return mCurrentAction && mCurrentAction->GetName() == name; }

void CGAUnit::RunAction() {
  if (!mCurrentAction) return;
  mCurrentAction->Run(this, mActionClock, mEventIndex);
  // A slowed unit's actions run at its reduced speed.
  if (!mActionPaused) mActionClock += FrameDeltaSeconds * mSpeedFactor;
}

void CGAUnit::AddRunningEffect(CGAEffectNode* effect) { mRunningEffects.push_back(mWorld.Keep(effect)); }

void CGAUnit::StopActionEffects() {
  // The effect manager may have ended some already (a level reset), and new
  // effects may stand where they were.
  for (const KeptEffect& kept : mRunningEffects)
    if (mWorld.IsKept(kept)) mWorld.SetEffectLifeTime(kept.effect, 0.1f);
  mRunningEffects.clear();
}
