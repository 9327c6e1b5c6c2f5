#pragma once
// Flies a point toward a target in integer hundredths of a world unit,
// straight or along a sine arc of a third of the distance's height. Flying
// effects (projectiles) use it.
#include <OgreVector.h>

// Integer estimate of the length of (dx, dy, dz): the largest magnitude plus
// 11/32 of the middle one plus 1/4 of the smallest. Symmetric in its inputs.
int ApproxDistance3D(int dx, int dy, int dz);

class Mover {
 public:
  void Init(const int from[3], const int to[3], bool arc);
  // A new target; false (and nothing changes) when it is the current one.
  // The arc goes on as it was.
  bool Retarget(const int to[3]);
  // Moves at most maxStep (plus the arc's lift) toward the target; false when
  // already there.
  bool Step(int maxStep);
  bool HasArrived() const;
  Ogre::Vector3 GetPosition() const;  // world units
  Ogre::Vector3 GetTarget() const;
  void CopyCurrent(int out[3]) const;
  void CopyTarget(int out[3]) const;
  void SetSpeed(int speed) { mSpeed = speed; }
  bool IsArcing() const { return mArcing; }

 private:
  int mDistance = 0;
  int mArcLength = 0;
  int mArcProgress = 0;
  int mArcHeight = 0;
  int mLastLift = 0;
  bool mArcing = false;
  int mCurrent[3] = {0, 0, 0};
  int mStart[3] = {0, 0, 0};
  int mTarget[3] = {0, 0, 0};
  int mSpeed = 0;
  int mDelta[3] = {0, 0, 0};
};
