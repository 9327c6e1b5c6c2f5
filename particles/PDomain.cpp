#include "particles/PDomain.h"

#include "particles/PError.h"
#include "particles/PRandom.h"

#include <algorithm>
#include <cmath>

namespace PSim {
namespace {

// Single-precision constants, so that sizes come out the same on every build.
const float kPi = 3.1415927410125732f;
const float kTwoPi = 6.2831854820251465f;
const float kFourPi = 12.566370964050293f;
const float kFourPiThirds = 4.188790321350098f;

void RefuseNegative(float radiusA, float radiusB) {
  if (radiusB < 0.0f || radiusA < 0.0f) throw PErrInvalidValue("Can't have negative radius.");
}

// Two unit vectors across the unit vector n: u avoids being parallel to n
// by starting from the x axis, or the y axis when n lies almost along x.
void BasisAcross(const PVec3& n, PVec3& u, PVec3& v) {
  PVec3 r1(1.0f, 0.0f, 0.0f);
  if (std::fabs(Dot(r1, n)) > 0.999f) r1 = PVec3(0.0f, 1.0f, 0.0f);
  u = r1 - n * Dot(r1, n);
  u.Normalize();
  v = Cross(n, u);
}

// The radii of a sphere or cylinder and what follows from them.
template <class Shell>
void SetRadii(Shell& shell, float radOut, float radIn) {
  shell.radOut = radOut;
  shell.radIn = radIn;
  shell.radOutSqr = Sqr(radOut);
  shell.radInSqr = Sqr(radIn);
  shell.thinShell = radOut == radIn;
  shell.radDif = radOut - radIn;
}

}  // namespace

bool PDPoint::Contains(const PVec3& p) const { return p == point; }

PDSphere::PDSphere(const PVec3& c, float radiusA, float radiusB, bool keepOrder) : center(c) {
  RefuseNegative(radiusA, radiusB);
  if (keepOrder)
    SetRadii(*this, radiusA, radiusB);
  else
    SetRadii(*this, std::max(radiusA, radiusB), std::min(radiusA, radiusB));
  if (thinShell)
    volume = kFourPi * radOutSqr;
  else
    volume = (kFourPiThirds * radOutSqr) * radOut - (kFourPiThirds * radInSqr) * radIn;
}

bool PDSphere::Contains(const PVec3& p) const {
  const float d2 = (p - center).Length2();
  return radInSqr <= d2 && d2 <= radOutSqr;
}

PVec3 PDSphere::Generate() const {
  // Points of the ball of radius 0.5 have uniformly distributed directions.
  PVec3 dir;
  do {
    dir = RandVec() - PVec3(0.5f, 0.5f, 0.5f);
  } while (dir.Length2() > 0.25f);
  dir.Normalize();
  if (thinShell) return center + dir * radOut;
  const float r = URand() * radDif + radIn;
  return center + dir * r;
}

PDCylinder::PDCylinder(const PVec3& end0, const PVec3& end1, float radiusA, float radiusB)
    : apex(end0), axis(end1 - end0) {
  RefuseNegative(radiusA, radiusB);
  SetRadii(*this, std::max(radiusA, radiusB), std::min(radiusA, radiusB));
  const float len2 = axis.Length2();
  const float len = std::sqrt(len2);
  axisLenInvSqr = len2 != 0.0f ? 1.0f / len2 : 0.0f;
  BasisAcross(axis * std::sqrt(axisLenInvSqr), u, v);
  if (thinShell)
    volume = 2.0f * len * kPi * radOut;
  else
    volume = (radOutSqr * kPi - radInSqr * kPi) * len;
}

bool PDCylinder::Contains(const PVec3& p) const {
  const PVec3 d = p - apex;
  const float t = Dot(axis, d) * axisLenInvSqr;
  if (t < 0.0f || t > 1.0f) return false;
  const float r2 = (d - axis * t).Length2();
  return radInSqr <= r2 && r2 <= radOutSqr;
}

PVec3 PDCylinder::Generate() const {
  const float dist = URand();
  const float theta = kTwoPi * URand();
  const float r = radIn + radDif * URand();
  return apex + axis * dist + u * (r * std::cos(theta)) + v * (r * std::sin(theta));
}

PDLine::PDLine(const PVec3& end0, const PVec3& end1)
    : p0(end0), vec(end1 - end0), vecNrm(Normalized(vec)), len(vec.Length()) {}

bool PDLine::Contains(const PVec3& p) const {
  const PVec3 d = p - p0;
  // A zero-length line has no direction to compare with.
  if (len == 0.0f) return d.Length2() == 0.0f;
  return std::fabs(Dot(vecNrm, d) - d.Length()) / len < 1e-7f;
}

PVec3 PDLine::Generate() const { return p0 + vec * URand(); }

PDDisc::PDDisc(const PVec3& c, PVec3 n, float radiusA, float radiusB) : center(c), normal(Normalized(n)) {
  RefuseNegative(radiusA, radiusB);
  radIn = std::min(radiusA, radiusB);
  radOut = std::max(radiusA, radiusB);
  radInSqr = Sqr(radIn);
  radOutSqr = Sqr(radOut);
  radDif = radOut - radIn;
  BasisAcross(normal, u, v);
  planeD = -Dot(center, normal);
  if (radDif == 0.0f)
    area = kTwoPi * radOut;
  else
    area = kPi * radOutSqr - kPi * radInSqr;
}

bool PDDisc::Contains(const PVec3& p) const {
  const PVec3 d = p - center;
  if (Dot(d, normal) > 0.001f) return false;
  const float d2 = d.Length2();
  return radInSqr <= d2 && d2 <= radOutSqr;
}

PVec3 PDDisc::Generate() const {
  const float theta = kTwoPi * URand();
  const float r = radIn + radDif * URand();
  return center + u * (r * std::cos(theta)) + v * (r * std::sin(theta));
}

PDUnion::PDUnion(const PDUnion& other) : pDomain(other) {
  for (const DomainPtr& member : other.members) Insert(*member);
}

void PDUnion::Insert(const pDomain& domain) {
  TotalSize += domain.Size();
  members.push_back(CloneOf(domain));
}

bool PDUnion::Contains(const PVec3& p) const {
  for (const DomainPtr& member : members)
    if (member->Contains(p)) return true;
  return false;
}

PVec3 PDUnion::Generate() const {
  // The running sum repeats Insert's additions in the same order, so it
  // reaches TotalSize exactly.
  const float target = URand() * TotalSize;
  float sum = 0.0f;
  for (const DomainPtr& member : members) {
    sum += member->Size();
    if (!(sum < target)) return member->Generate();
  }
  throw PErrInternalError("Sizes didn't add up to TotalSize in PDUnion::Generate().");
}

}  // namespace PSim
