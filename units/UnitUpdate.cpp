// One frame of a unit's behaviour: fading, walking, parts, tint, animation
// and action, then by its type its timers, death, income, healing, targets
// and attacks, the defeat check and the march to its goal. The attacks
// themselves are effects started by the "attack" action; their messages do
// the damage.
#include "units/Unit.h"

#include "game/FrameClock.h"
#include "platform/Random.h"
#include "units/UnitAction.h"
#include "units/UnitModelBase.h"
#include "units/UnitNumbers.h"
#include "units/UnitPartDef.h"
#include "units/UnitWorld.h"

#include <cmath>
#include <string>

namespace {

// A timer slot runs only while 2 or more: its start value 1 means off.
constexpr int kTimerRunning = 2;
// An attacker that comes this close to its goal on both axes has arrived.
constexpr float kGoalReach = 2.0f;
constexpr int kPathSearchLimit = 500;
constexpr int kPickUpLifeMs = 5000;

bool Running(CGAUnit& unit, unsigned slot) { return unit.GetInt(slot) >= kTimerRunning; }

// Counts a timer slot down by this frame's duration.
void CountDown(CGAUnit& unit, unsigned slot) {
  unit.SetInt(slot, TruncateToInt(static_cast<double>(unit.GetInt(slot)) - FrameDeltaMs));
}

int Trunc(float value) { return TruncateToInt(value); }

}  // namespace

void CGAUnit::Update() {
  if (mFading) mFadeCountdown = TruncateToInt(static_cast<double>(mFadeCountdown) - FrameDeltaMs);
  UpdateMovement();
  if (!AttachReadyParts()) return;
  if (!UpdateAlpha()) return;
  UpdateTint();
  mModel->Update();
  RunAction();

  // While the unit walks a leg that changes z, the rest waits until it
  // reaches that leg's end.
  const Ogre::Vector3& position = mTransform.position;
  if (mMoveTarget.z != position.z) return;
  const int type = *GetType();
  if (type == kUnitPreview) return;

  if (Running(*this, kSlotLifeTimer)) {
    CountDown(*this, kSlotLifeTimer);
    if (GetInt(kSlotLifeTimer) < kTimerRunning) SetInt(kSlotHp, 0);
  }
  if (type == kUnitPickUp) {
    SetInt(kSlotPickUpAge, TruncateToInt(static_cast<double>(GetInt(kSlotPickUpAge)) + FrameDeltaMs));
    if (GetInt(kSlotPickUpAge) > kPickUpLifeMs && !mFading) SetFadeOut(true, 100);
    return;
  }
  if (GetInt(kSlotHp) < 1) {
    Die();
    return;
  }

  if (Running(*this, kSlotSlowTimer)) {
    CountDown(*this, kSlotSlowTimer);
    mSpeedFactor = 0.5f;
  } else {
    mSpeedFactor = 1.0f;
  }
  mModel->SetSpeed(mSpeedFactor);

  if (Running(*this, kSlotStunTimer)) {
    if (HasWaypoints()) StopMoving();
    CountDown(*this, kSlotStunTimer);
    return;
  }
  switch (type) {
    case kUnitPassive:
      return;
    case kUnitIncome:
      EarnIncome();
      return;
    case kUnitHealer:
      Heal();
      return;
    default:
      Fight();
      return;
  }
}

// Parts whose resources are ready join the model, one slot holding one part.
// Until the model has its main entity nothing else of the unit runs.
bool CGAUnit::AttachReadyParts() {
  for (auto record = mPendingParts.begin(); record != mPendingParts.end();) {
    UnitPartDef* part = record->part;
    if (!part || mWorld.LoadPart(*part)) {
      if (part) {
        mModel->RemovePart(record->key);
        if (!record->bone.empty())
          mModel->AttachPartToBone(record->key, part->GetResName(), part->GetPosition(), part->GetOrientation(),
                                   record->bone);
        else
          mModel->AttachPart(record->key, part->GetResName());
        if (!part->GetEffect().empty()) mModel->AttachPartEffect(record->key, part->GetEffect());
        mTintSet = false;  // the new part has no tint yet
      }
      record = mPendingParts.erase(record);
    } else {
      ++record;
    }
    if (!mModel->GetEntity()) return false;
  }
  return true;
}

// Fading in takes 1 s, fading out 5 s; a unit faded out entirely is hidden
// and does nothing more until it fades in again.
bool CGAUnit::UpdateAlpha() {
  float& current = mAlpha.first;
  const float wanted = mAlpha.second;
  if (current < 0.1f && wanted < 0.1f) {
    current = mAlpha.second = 0.0f;
    SetVisible(false);
    mFadedOut = true;
    StopActionEffects();
    return false;
  }
  if (mFadedOut) {
    SetVisible(true);
    mFadedOut = false;
  }
  if (std::fabs(current - wanted) >= FrameDeltaSeconds)
    current += current > wanted ? -0.2f * FrameDeltaSeconds : FrameDeltaSeconds;
  else
    current = wanted;
  return true;
}

// Green while stunned, blue while slowed, else the unit's colour (half
// transparent while hidden), always at the current alpha. The model's parts
// are told only when the tint changed or a part came since.
void CGAUnit::UpdateTint() {
  const float alpha = mAlpha.first;
  Ogre::Vector4 tint(mColour.x, mColour.y, mColour.z, alpha);
  if (Running(*this, kSlotStunTimer)) {
    tint = Ogre::Vector4(0, 1, 0, alpha);
  } else if (Running(*this, kSlotSlowTimer)) {
    tint = Ogre::Vector4(0, 0, 1, alpha);
  } else if (Running(*this, kSlotHiddenTimer)) {
    CountDown(*this, kSlotHiddenTimer);
    tint.w = 0.5f;
  }
  if (mTintSet && tint == mTint) return;
  mModel->SetCustomParameter(0, tint);
  mTint = tint;
  mTintSet = true;
}

// Runs once: the unit stops, fades out over 2 s playing "die" (whatever the
// Level of the action it was in), loses the level if it had to survive, and
// an enemy drops its coins. A unit without any action (its template has no
// "ready") only stops.
void CGAUnit::Die() {
  StopMoving();
  if (mDied || !mCurrentAction) return;
  mDied = true;
  if (*GetType() == kUnitMustSurvive) mWorld.LoseLevel();
  SetFadeOut(true, 2000);
  SetAction("die", true);
  if (GetInt(kSlotSide) == 1) return;
  if (CGAEffectNode* coins = mWorld.CreateEffect("money2")) {
    mWorld.SetEffectPosition(coins, mTransform.position);
    mWorld.AttachEffectToOwner(coins, this);
  }
}

void CGAUnit::EarnIncome() {
  CountDown(*this, kSlotCountdown);
  if (GetInt(kSlotCountdown) >= 1) return;
  SetInt(kSlotCountdown, GetInt(kSlotPeriod));
  const int value = GetInt(kSlotValue);
  const int amount = Trunc(platform::RangeRandom(static_cast<float>(value / 2.0), static_cast<float>(value)));
  mWorld.AddLevelSilver(amount);
  mWorld.AddLabel("{colour,FFFFFFFF}+$" + std::to_string(amount), mTransform.position, 3.0f, "simhei-10");
}

// How many grid rows a search reaches to either side: the lane's span - 1.
int CGAUnit::LaneRows() { return TruncateToInt(static_cast<double>(GetInt(kSlotLaneSpan)) - 1); }

bool CGAUnit::InLane(CGAUnit& other) {
  const float span = static_cast<float>(GetInt(kSlotLaneSpan));
  return std::fabs(other.GetPosition().z - mTransform.position.z) <= std::fabs(2.0f * span - 2.0f + 0.1f);
}

// Every period: the nearest hurt unit of its own side in reach and in its
// lane becomes the patient of an "attack" (the heal is the attack's effect).
void CGAUnit::Heal() {
  CountDown(*this, kSlotCountdown);
  if (GetInt(kSlotCountdown) >= 1) return;
  SetInt(kSlotCountdown, GetInt(kSlotPeriod));
  const Ogre::Vector3& position = mTransform.position;
  if (mWorld.GetLogic(Trunc(position.x), Trunc(position.z)) == 0) return;
  mTarget = nullptr;
  mCandidates.clear();
  mWorld.GetUnitsInRect(mCandidates, mGridCell.first, mGridCell.second, GetInt(kSlotRange), LaneRows());
  const float reach = static_cast<float>(GetInt(kSlotRange));
  float best = 0.0f;
  for (CGAUnit* patient : mCandidates) {
    const int hp = patient->GetInt(kSlotHp);
    if (patient->GetInt(kSlotSide) != GetInt(kSlotSide) || *patient->GetType() == kUnitPreview || hp <= 0 ||
        hp >= patient->GetInt(kSlotMaxHp) || !InLane(*patient))
      continue;
    const float distance = patient->GetPosition().distance(position);
    if (distance < reach && (!mTarget || distance <= best)) {
      mTarget = patient;
      best = distance;
    }
  }
  if (!mTarget) return;
  FaceTo(mTarget->GetPosition().x, mTarget->GetPosition().z, true);
  SetAction("attack");
}

CGAUnit* CGAUnit::FindTarget(int halfWidth, int) {
  mTarget = nullptr;
  const Ogre::Vector3& position = mTransform.position;
  if (mWorld.GetLogic(Trunc(position.x), Trunc(position.z)) == 0) return nullptr;
  mCandidates.clear();
  mWorld.GetUnitsInRect(mCandidates, mGridCell.first, mGridCell.second, halfWidth, LaneRows());
  const float reach = static_cast<float>(GetInt(kSlotRange));
  float best = 10000.0f;
  for (CGAUnit* enemy : mCandidates) {
    if (enemy->GetInt(kSlotSide) == GetInt(kSlotSide) || *enemy->GetType() == kUnitPreview ||
        enemy->GetInt(kSlotHp) <= 0 || !InLane(*enemy) || Running(*enemy, kSlotHiddenTimer))
      continue;
    const float dx = std::fabs(enemy->GetPosition().x - position.x);
    if (dx <= best && dx < reach) {
      mTarget = enemy;
      best = dx;
      // A unit this small is taken at once.
      if (enemy->GetRadius() <= 0.1f) break;
    }
  }
  return mTarget;
}

void CGAUnit::Fight() {
  // A target that died, fades or hides is dropped.
  if (mTarget && (mTarget->GetInt(kSlotHp) <= 0 || mTarget->IsFading() || Running(*mTarget, kSlotHiddenTimer))) {
    SetAction("ready");
    mTarget = nullptr;
  }

  // A slowed unit attacks at half rate. Between attacks a narrow search runs
  // every frame: a target found so stops the walk and is attacked when the
  // countdown runs out.
  SetInt(kSlotCountdown, TruncateToInt(GetInt(kSlotCountdown) - static_cast<double>(FrameDeltaMs) * mSpeedFactor));
  if (GetInt(kSlotCountdown) < kTimerRunning) {
    FindTarget(GetInt(kSlotRange) / 2);
    SetInt(kSlotCountdown, GetInt(kSlotPeriod));
    if (mTarget) {
      FaceTo(mTarget->GetPosition().x, mTarget->GetPosition().z, true);
      SetAction("attack");
    }
  } else if (!mTarget) {
    FindTarget(1);
  }

  const Ogre::Vector3& position = mTransform.position;
  if (GetInt(kSlotSide) == 0 && !mFading && mWorld.GetLogic(Trunc(position.x), Trunc(position.z)) == 3)
    mWorld.LoseLevel();

  if (mTarget) {
    if (HasWaypoints()) StopMoving();
    return;
  }
  if (GetInt(kSlotSide) == 0 && !HasWaypoints()) March();
}

// An attacker without a target walks the path finder's route to its goal; a
// goal coordinate of 0 means straight along the other axis.
void CGAUnit::March() {
  StopMoving();
  const Ogre::Vector3& position = mTransform.position;
  const float goalX = static_cast<float>(mGoal.first), goalZ = static_cast<float>(mGoal.second);
  if (std::fabs(goalX - position.x) < kGoalReach && std::fabs(goalZ - position.z) < kGoalReach) {
    SetFadeOut(true, 1000);
    return;
  }
  Ogre::Vector2 goal(goalX, goalZ);
  if (mGoal.first == 0)
    goal.x = static_cast<float>(Trunc(position.x));
  else if (mGoal.second == 0)
    goal.y = static_cast<float>(Trunc(position.z));
  const std::vector<Ogre::Vector2> path =
      mWorld.FindPath(Ogre::Vector2(position.x, position.z), goal, kPathSearchLimit);
  AddWaypointXZ(position.x, position.z);
  for (size_t i = 1; i < path.size(); ++i) AddWaypointXZ(path[i].x, path[i].y);
}

// Riding --------------------------------------------------------------------

void CGAUnit::RideOn(CGAUnit* mount) {
  if (!mount) return;
  mMount = mount;
  mount->SetRider(this);
  mount->SetRidden(true);
  mount->SetHeading(mHeading);
  mount->SetTerrainFollow(false);
  mModel->PlayAnimation("ride", -1, 1.0f, false);
}

void CGAUnit::Dismount() {
  if (!mMount) return;
  mMount->SetFadeOut(true, 1000);
  mMount->SetRider(nullptr);
  mMount = nullptr;
  mModel->PlayAnimation("stand", -1, 1.0f, false);
  SnapToTerrain();
  PlaceNode();
}

// Weapon attack ---------------------------------------------------------------

void CGAUnit::SetAttackMode(bool on) {
  mAttackMode = on;
  if (on) Attack();
}

void CGAUnit::Attack() {
  if (!mTarget || !mAttackMode || HasWaypoints()) return;
  FaceTo(mTarget->GetPosition().x, mTarget->GetPosition().z, true);
  // A unit with one weapon strikes with it; with both or none, by chance.
  float roll = platform::RangeRandom(0.0f, 10.0f);
  if (mMainHand && !mOffHand) roll = 0.0f;
  if (mOffHand && !mMainHand) roll = 10.0f;
  const bool mainHand = roll < 5.0f;
  std::string animation = mainHand ? "attack_main" : "attack_off";
  if (UnitPartDef* weapon = mainHand ? mMainHand : mOffHand) {
    if (CGAEffectNode* effect = mWorld.CreateEffect("main_attack")) {
      mWorld.AttachEffectToOwner(effect, this);
      mWorld.AddEffectTarget(effect, mTarget);
      mWorld.SetEffectLinkBone(effect, mainHand ? "Bone16" : "Bone20");
    }
    if (!weapon->GetAttackType().empty()) animation += "_" + weapon->GetAttackType();
  }
  mModel->PlayAnimation(animation, 1, 1.0f, false);
}
