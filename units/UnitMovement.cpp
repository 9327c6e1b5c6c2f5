// Walking, turning and terrain following of a unit.
#include "units/Unit.h"

#include "game/FrameClock.h"
#include "game/Geometry.h"
#include "units/Mover.h"
#include "units/UnitModelBase.h"
#include "units/UnitMoveListener.h"
#include "units/UnitNumbers.h"
#include "units/UnitWorld.h"

#include <OgreBone.h>
#include <OgreSceneNode.h>

#include <cmath>

namespace {

// Headings come back into range by one turn at most: they never stray
// further than one frame's turning or one wrap.
float WrapOnce(float degrees) {
  if (degrees > 360.0f) return degrees - 360.0f;
  if (degrees < 0.0f) return degrees + 360.0f;
  return degrees;
}

}  // namespace

void CGAUnit::OrientNode() {
  mNodeOrientation = Ogre::Quaternion(Ogre::Degree(mHeading), Ogre::Vector3::UNIT_Y);
  mModel->SetNodeOrientation(mNodeOrientation);
}

void CGAUnit::PlaceNode() { mModel->SetNodePosition(mTransform.GetDerivedPosition()); }

void CGAUnit::SetHeading(float degrees) {
  mHeading = mWantedHeading = WrapOnce(degrees);
  OrientNode();
}

void CGAUnit::FaceTo(float x, float z, bool atOnce) {
  const Ogre::Vector3& p = mTransform.GetDerivedPosition();
  if (x == p.x && z == p.z) return;
  // Divided by 3.14 rather than pi, as units have always turned: a hair
  // past the true angle.
  float wanted;
  if (x <= p.x) {
    const float a = std::fabs(p.x) - std::fabs(x);
    const float b = std::fabs(p.z) - std::fabs(z);
    wanted = std::atan2(a, b) / 3.14f * 180.0f + 180.0f;
  } else {
    const float a = std::fabs(x) - std::fabs(p.x);
    const float b = std::fabs(z) - std::fabs(p.z);
    wanted = std::atan2(a, b) / 3.14f * 180.0f;
  }
  mWantedHeading = WrapOnce(wanted);
  if (atOnce && mSpeed > 0.0f) {
    mHeading = mWantedHeading;
    OrientNode();
  }
}

bool CGAUnit::SetPosition(const Ogre::Vector3& position) {
  mTransform.position = position;
  SnapToTerrain();
  mMoveTarget = mTransform.GetDerivedPosition();
  PlaceNode();
  return true;
}

bool CGAUnit::MoveToXZ(float x, float z) {
  Ogre::Vector3& p = mTransform.position;
  if (ApproxDistance(TruncateToInt(x - p.x), TruncateToInt(z - p.z)) < 4) return false;
  p.x = x;
  p.z = z;
  SnapToTerrain();
  PlaceNode();
  return true;
}

bool CGAUnit::SnapToTerrain() {
  if (!mTerrainFollow) return false;
  Ogre::Vector3 probe = mTransform.position + Ogre::Vector3(0.0f, 256.0f, 0.0f);
  mWorld.GetGroundHeight(probe);
  mTransform.position.y = probe.y;
  return true;
}

void CGAUnit::AddWaypointXZ(float x, float z) {
  mWaypoints.emplace_back(x, mTransform.GetDerivedPosition().y, z);
}

void CGAUnit::StopMoving() {
  mWaypoints.clear();
  mMoveTarget = mTransform.position;
}

void CGAUnit::SetMoveTarget(float x, float z) {
  mMoveTarget.x = x;
  mMoveTarget.z = z;
}

Mover* CGAUnit::FlyTo(float, float, float) { return nullptr; }

// The mount stands where the rider is; the rider sits on the mount's "ride"
// bone, which moves with the mount's node.
void CGAUnit::PlaceOnMount() {
  const Ogre::Vector3 at = mTransform.GetDerivedPosition();
  mMount->SetPosition(at);
  Ogre::Bone* bone = mMount->GetModel()->GetRideBone();
  Ogre::SceneNode* node = mMount->GetModel()->GetSceneNode();
  if (!bone || !node) return;
  mModel->SetNodePosition(at + node->getOrientation() * (node->getScale() * bone->_getDerivedPosition()));
}

bool CGAUnit::UpdateMovement() {
  // Both wrap: a wanted heading left past 360 would keep the unit turning
  // back and forth across 0 for ever.
  mHeading = WrapOnce(mHeading);
  mWantedHeading = WrapOnce(mWantedHeading);

  // Turn the shorter way toward the wanted heading, 90 degrees a second at
  // speed 1; crossing 0/360 is wrapped on the next frame.
  if (mHeading != mWantedHeading) {
    const float diff = std::fabs(mWantedHeading - mHeading);
    const float turn = FrameDeltaSeconds * 360.0f * mSpeed / 4.0f;
    if (diff <= turn)
      mHeading = mWantedHeading;
    else if (mHeading <= mWantedHeading)
      mHeading += diff >= 180.0f ? -turn : turn;
    else
      mHeading += diff >= 180.0f ? turn : -turn;
    OrientNode();
    if (mMount) mMount->SetHeading(mHeading);
  }

  if (mMover) {
    mMover->Step(static_cast<int>(FrameDeltaSeconds * 1500.0f));
    mTransform.position = mMoveTarget = mMover->GetPosition();
    mWaypoints.clear();
    if (mMover->HasArrived()) mMover.reset();
    PlaceNode();
    return true;
  }

  const float step = mSpeed * FrameDeltaSeconds * mSpeedFactor;
  Ogre::Vector3& position = mTransform.position;
  mMoveTarget.y = position.y;  // walking is flat; heights come from the terrain
  if (position != mMoveTarget || !mWaypoints.empty()) {
    if (position.distance(mMoveTarget) < step) {
      // The point just reached is the first waypoint.
      const Ogre::Vector3 reached = mMoveTarget;
      position = mMoveTarget;
      if (!mWaypoints.empty()) mWaypoints.erase(mWaypoints.begin());
      if (!mWaypoints.empty()) {
        mMoveTarget = mWaypoints.front();
        FaceTo(mMoveTarget.x, mMoveTarget.z, false);
        if (mListener) mListener->OnWaypointReached(reached.x, reached.z, mMoveTarget.x, mMoveTarget.z);
      }
    }
    position -= (position - mMoveTarget).normalisedCopy() * step;
    SnapToTerrain();
    if (!mMount) PlaceNode();
    const Ogre::Vector3& at = mTransform.GetDerivedPosition();
    for (auto point = mTriggerPoints.begin(); point != mTriggerPoints.end(); ++point) {
      if (Ogre::Vector2(point->first - at.x, point->second - at.z).length() < 2.0f) {
        if (mListener) mListener->OnTriggerPoint(point->first, point->second);
        mTriggerPoints.erase(point);
        break;
      }
    }
  }

  if (mMount) PlaceOnMount();

  if (!mWaypoints.empty()) {
    if (!IsInAction("run")) SetAction("run");
  } else if (!mCurrentAction || IsInAction("run")) {
    SetAction("ready");
  }
  return true;
}
