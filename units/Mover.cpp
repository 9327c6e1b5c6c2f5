#include "units/Mover.h"

#include "game/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int ApproxDistance3D(int dx, int dy, int dz) {
  // 64-bit so the fixed-point scale by 1024 cannot overflow.
  long long v[3] = {std::llabs(dx) << 10, std::llabs(dy) << 10, std::llabs(dz) << 10};
  std::sort(v, v + 3);
  return static_cast<int>(((v[1] >> 5) * 11 + v[2] + (v[0] >> 2)) >> 10);
}

namespace {
bool Same(const int a[3], const int b[3]) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }
void Copy(int to[3], const int from[3]) { std::copy(from, from + 3, to); }
}  // namespace

void Mover::Init(const int from[3], const int to[3], bool arc) {
  *this = Mover();
  mSpeed = 1500;
  Copy(mStart, from);
  Copy(mCurrent, from);
  Copy(mTarget, to);
  mDistance = ApproxDistance(mStart[0] - mTarget[0], mStart[2] - mTarget[2]);
  if (arc) {
    mArcing = true;
    mArcHeight = mDistance / 3;
    mArcLength = mDistance;
  }
}

bool Mover::Retarget(const int to[3]) {
  if (Same(to, mTarget)) return false;
  mStart[0] = mCurrent[0];
  mStart[2] = mCurrent[2];
  Copy(mTarget, to);
  mDistance = ApproxDistance(mStart[0] - mTarget[0], mStart[2] - mTarget[2]);
  for (int i = 0; i < 3; ++i) mDelta[i] = mTarget[i] - mCurrent[i];
  return true;
}

bool Mover::Step(int maxStep) {
  if (HasArrived()) return false;
  const int d[3] = {mTarget[0] - mCurrent[0], mTarget[1] - mCurrent[1], mTarget[2] - mCurrent[2]};
  const int length = ApproxDistance3D(d[0], d[1], d[2]);
  if (length <= maxStep) {
    Copy(mCurrent, mTarget);
    return true;
  }
  int move[3];
  for (int i = 0; i < 3; ++i)
    move[i] = static_cast<int>(static_cast<float>(d[i]) / static_cast<float>(length) * static_cast<float>(maxStep));
  if (mArcing) {
    // The lift of this step replaces the previous one; the last step of the
    // arc (sin 180 degrees = 0) takes it away again.
    float t = 1.0f;
    const int remaining = mArcLength - mArcProgress;
    const float share = static_cast<float>(maxStep) * 0.6f;
    if (share < static_cast<float>(remaining)) {
      mArcProgress = static_cast<int>(share + static_cast<float>(mArcProgress));
      t = static_cast<float>(mArcProgress) / static_cast<float>(mArcLength);
    }
    const int lift = static_cast<int>(std::sin(t * static_cast<float>(M_PI)) * static_cast<float>(mArcHeight));
    if (t >= 1.0f) mArcing = false;
    move[1] = move[1] - mLastLift + lift;
    mLastLift = lift;
  }
  for (int i = 0; i < 3; ++i) mCurrent[i] += move[i];
  return true;
}

bool Mover::HasArrived() const { return Same(mCurrent, mTarget); }

Ogre::Vector3 Mover::GetPosition() const {
  return Ogre::Vector3(mCurrent[0] * 0.01f, mCurrent[1] * 0.01f, mCurrent[2] * 0.01f);
}

Ogre::Vector3 Mover::GetTarget() const { return Ogre::Vector3(mTarget[0] * 0.01f, mTarget[1] * 0.01f, mTarget[2] * 0.01f); }

void Mover::CopyCurrent(int out[3]) const { Copy(out, mCurrent); }

void Mover::CopyTarget(int out[3]) const { Copy(out, mTarget); }
