#pragma once
// One live unit on the battlefield: its attribute slots (hit points, timers,
// side), transform and heading, walking state, target, fading, running action
// and queued parts, and its behaviour in each frame: targets, attacks,
// healing, income, death and marching. Its model, the terrain, the nearby
// units, effects, sounds and the level's state are reached through the unit
// world, so the logic runs without a scene.
#include "game/Camera.h"
#include "units/Attribute.h"
#include "units/UnitTransform.h"
#include "units/UnitWorld.h"

#include <OgreVector.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CGAEffectNode;
class Mover;
class UnitAction;
class UnitModelBase;
class UnitMoveListener;
class UnitPartDef;
struct UnitTemplate;

// A part waiting for its resources before the model shows it. The key is the
// slot on the model: a newer part of the same key replaces an older one.
struct UnitPartRecord {
  std::string key;
  std::string bone;
  UnitPartDef* part = nullptr;
};

// An entry of a unit's effect record list, which nothing in the game fills.
struct UnitEffectRecord {
  std::string name;
  int value = 0;
};

// The camera may follow a unit: it looks at the unit's position.
class CGAUnit : public CGAAttribute, public CGACamera::FollowTarget {
 public:
  explicit CGAUnit(UnitWorld& world);
  ~CGAUnit() override;
  CGAUnit(const CGAUnit&) = delete;
  CGAUnit& operator=(const CGAUnit&) = delete;

  UnitWorld& GetWorld() { return mWorld; }
  UnitModelBase* GetModel() { return mModel.get(); }
  void OnCreated() {}

  // One frame of the unit's whole behaviour (see UnitUpdate.cpp).
  void Update();
  // Chooses the nearest enemy along x within halfWidth grid cells across
  // and the lane's span, and makes it the target (the second argument is
  // not used).
  CGAUnit* FindTarget(int halfWidth, int unused = 0);

  // Names and identity.
  void SetName(const std::string& name) { mName = name; }
  std::string GetName() const { return mName; }
  void SetTemplateName(const std::string& name) { mTemplateName = name; }
  const std::string& GetTemplateName() const { return mTemplateName; }
  void SetTemplate(UnitTemplate* unitTemplate) { mTemplate = unitTemplate; }
  UnitTemplate* GetTemplate() const { return mTemplate; }
  void SetId(uint64_t id) { mId = id; }
  uint64_t GetId() const { return mId; }
  // One number per unit made, never reused and never changed (unlike the
  // id): tells a unit from a later one made at its address.
  uint64_t GetSerial() const { return mSerial; }

  // Transform.
  Ogre::Vector3& GetPosition() { return mTransform.position; }
  Ogre::Vector3 GetFollowPosition() const override { return mTransform.position; }
  const Ogre::Vector3& GetDerivedPosition() { return mTransform.GetDerivedPosition(); }
  bool SetPosition(const Ogre::Vector3& position);
  void SetPositionXZ(float x, float z) { SetPosition(Ogre::Vector3(x, 0.0f, z)); }
  bool MoveToXZ(float x, float z);
  void SetPositionOffset(const Ogre::Vector3& offset) { mTransform.offset.position = offset; }
  void SetOrientation(const Ogre::Quaternion& orientation);
  void SetScale(float x, float y, float z);
  void SetScaleOffset(float s) { mTransform.offset.scale = Ogre::Vector3(s, s, s); }
  const Ogre::Vector3& GetScale() const { return mTransform.scale; }
  // The orientation the scene node was last given (picking places the
  // unit's picking shape with it).
  const Ogre::Quaternion& GetNodeOrientation() const { return mNodeOrientation; }
  void SetCollideBox(const Ogre::Vector3& box) { mCollideBox = box; }
  const Ogre::Vector3& GetCollideBox() const { return mCollideBox; }
  void SetTagOffset(const Ogre::Vector3& offset) { mTagOffset = offset; }
  void GetTagPosition(Ogre::Vector3& out, bool local);
  bool SetTerrainFollow(bool follow);
  bool SnapToTerrain();
  void SetVisible(bool visible);

  // Heading in degrees about +Y: 0 faces +z, 90 faces +x.
  void SetHeading(float degrees);
  float GetHeading() const { return mHeading; }
  float GetWantedHeading() const { return mWantedHeading; }
  void FaceTo(float x, float z, bool atOnce);

  // Walking.
  void SetSpeed(float speed) { mSpeed = speed; }
  float GetSpeed() const { return mSpeed; }
  void SetSpeedFactor(float factor) { mSpeedFactor = factor; }
  float GetSpeedFactor() const { return mSpeedFactor; }
  void SetRadius(float radius) { mRadius = radius; }
  float GetRadius() const { return mRadius; }
  void AddWaypoint(const Ogre::Vector3& point) { mWaypoints.push_back(point); }
  void AddWaypointXZ(float x, float z);
  void StopMoving();
  bool HasWaypoints() const { return !mWaypoints.empty(); }
  std::vector<Ogre::Vector3> GetWaypoints() const { return mWaypoints; }
  void SetMoveTarget(float x, float z);
  const Ogre::Vector3& GetMoveTarget() const { return mMoveTarget; }
  // Units do not fly: always null.
  Mover* FlyTo(float x, float z, float speed);
  void AddTriggerPoint(int x, int z) { mTriggerPoints.emplace_back(x, z); }
  void SetMoveListener(UnitMoveListener* listener) { mListener = listener; }
  bool UpdateMovement();

  // Grid cell and march goal.
  void SetGridCell(int x, int z) { mGridCell = {x, z}; }
  std::pair<int, int> GetGridCell() const { return mGridCell; }
  void SetGoal(int x, int z) { mGoal = {x, z}; }
  std::pair<int, int> GetGoal() const { return mGoal; }

  // Target; a fading target is dropped when asked for.
  void SetTarget(CGAUnit* target) { mTarget = target; }
  CGAUnit* GetTarget();

  // Riding and the weapon attack: complete, but nothing in the game calls
  // them. A mount and its rider forget each other when either is deleted.
  void RideOn(CGAUnit* mount);
  void Dismount();
  void SetRider(CGAUnit* rider) { mRider = rider; }
  void SetRidden(bool ridden) { mRidden = ridden; }
  CGAUnit* GetMount() const { return mMount; }
  CGAUnit* GetRider() const { return mRider; }
  void SetAttackMode(bool on);
  void Attack();

  // Effect records: nothing in the game fills them.
  size_t GetEffectRecordCount() const { return mEffectRecords.size(); }
  UnitEffectRecord* GetEffectRecord(size_t index);
  void SetEffectRecordValue(size_t index, int value);

  // Looks and fading.
  void SetColour(const Ogre::Vector4& colour);
  const Ogre::Vector4& GetColour() const { return mColour; }
  void SetAlpha(float alpha) { mAlpha.second = alpha; }
  std::pair<float, float> GetAlpha() const { return mAlpha; }
  void SetFadeOut(bool fade, int ms);
  bool IsFinished() const { return mFading && mFadeCountdown < 0; }
  bool IsFading() const { return mFading; }
  int GetFadeCountdown() const { return mFadeCountdown; }

  // Parts waiting for their resources.
  void AddPart(UnitPartDef* part);
  void AddPartGroup(const std::string& group);
  void AddWeapon(UnitPartDef* part, bool mainHand);
  void RemoveWeapon(bool mainHand);
  const std::vector<UnitPartRecord>& GetPendingParts() const { return mPendingParts; }

  // Actions.
  void AddAction(UnitAction* action);
  void ClearActions();
  void ReloadActions();
  void RemoveAction(unsigned index);
  const std::vector<UnitAction*>& GetActions() const { return mActions; }
  // Starts an action of that name; one of a higher Level than the current
  // one's is refused unless overrideLevel (death is never refused).
  void SetAction(const std::string& name, bool overrideLevel = false);
  void StartActionByIndex(unsigned index, bool overrideLevel = false);
  void StartAction(UnitAction* action, bool overrideLevel = false);
  UnitAction* GetCurrentAction() const { return mCurrentAction; }
  bool IsInAction(const char* name) const;
  float GetActionClock() const { return mActionClock; }
  int GetEventIndex() const { return mEventIndex; }
  void RunAction();
  void AddRunningEffect(CGAEffectNode* effect);
  void StopActionEffects();
  void SetActionPaused(bool paused) { mActionPaused = paused; }

 private:
  void OrientNode();
  void PlaceNode();
  void PlaceOnMount();
  // Steps of Update; each returns false when the update ends there.
  bool AttachReadyParts();
  bool UpdateAlpha();
  void UpdateTint();
  void Die();
  void EarnIncome();
  void Heal();
  void Fight();
  void March();
  bool InLane(CGAUnit& other);
  int LaneRows();

  UnitWorld& mWorld;
  std::vector<UnitPartRecord> mPendingParts;
  std::string mName;
  std::string mTemplateName;
  bool mFading = false;
  UnitTransform mTransform;
  float mWantedHeading = 0.0f;
  float mHeading = 0.0f;
  float mSpeed = 1.0f;
  std::vector<Ogre::Vector3> mWaypoints;
  bool mTerrainFollow = false;
  std::pair<int, int> mGridCell{0, 0};
  std::pair<int, int> mGoal{0, 0};
  Ogre::Vector3 mMoveTarget = Ogre::Vector3::ZERO;
  Ogre::Vector3 mCollideBox = Ogre::Vector3::UNIT_SCALE;
  std::unique_ptr<Mover> mMover;
  float mSpeedFactor = 1.0f;
  float mRadius = 0.5f;
  std::pair<float, float> mAlpha{0.0f, 1.0f};  // current, wanted: a new unit fades in
  Ogre::Vector4 mColour{1.0f, 1.0f, 1.0f, 1.0f};
  Ogre::Vector4 mTint = Ogre::Vector4::ZERO;  // last given to the model's parts
  bool mTintSet = false;
  Ogre::Vector3 mTagOffset = Ogre::Vector3::UNIT_Y;
  std::unique_ptr<UnitModelBase> mModel;
  CGAUnit* mRider = nullptr;
  CGAUnit* mMount = nullptr;
  bool mRidden = false;
  CGAUnit* mTarget = nullptr;
  UnitPartDef* mMainHand = nullptr;
  UnitPartDef* mOffHand = nullptr;
  bool mAttackMode = false;
  std::vector<UnitAction*> mActions;
  std::map<std::string, std::pair<unsigned, unsigned>> mActionIndex;  // name -> first, last
  UnitAction* mCurrentAction = nullptr;
  float mActionClock = 0.0f;
  int mEventIndex = 0;
  bool mActionPaused = false;
  std::vector<KeptEffect> mRunningEffects;
  int mFadeCountdown = 10000;
  UnitTemplate* mTemplate = nullptr;
  UnitMoveListener* mListener = nullptr;
  uint64_t mId = 0;
  const uint64_t mSerial;
  std::vector<std::pair<int, int>> mTriggerPoints;
  std::vector<UnitEffectRecord> mEffectRecords;
  Ogre::Quaternion mNodeOrientation = Ogre::Quaternion::IDENTITY;
  // Death runs once, even when "die" is missing from the template.
  bool mDied = false;
  // Hidden by fading out: shown again when it fades back in.
  bool mFadedOut = false;
  // Candidates of target searches, kept to spare an allocation a frame.
  std::vector<CGAUnit*> mCandidates;
};
