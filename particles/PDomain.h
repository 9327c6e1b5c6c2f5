#pragma once
// Domains: regions of space that can say whether a point lies in them and
// produce random points in them. They stand for constants and random ranges
// of every particle attribute, for the regions that actions test against,
// and (a union of spheres) for key tables. A domain is fixed once built;
// its fields are public so that actions can read a shape's geometry.
#include "particles/PVec3.h"

#include <memory>
#include <vector>

namespace PSim {

class pDomain {
 public:
  // Emitter position carried along with the domain: set by a Source on its
  // own copy and handed to every particle that Source emits.
  PVec3 origin{0.0f, 0.0f, 0.0f};

  virtual bool Contains(const PVec3& point) const = 0;
  virtual PVec3 Generate() const = 0;
  // Measure of the domain (volume, area, length): its weight in a union.
  virtual float Size() const = 0;
  // A new heap copy; the caller owns it.
  virtual pDomain* Clone() const = 0;
  virtual ~pDomain() = default;

 protected:
  pDomain() = default;
  pDomain(const pDomain&) = default;
  pDomain& operator=(const pDomain&) = default;
};

using DomainPtr = std::unique_ptr<pDomain>;

// An owned clone of the caller's domain.
inline DomainPtr CloneOf(const pDomain& domain) { return DomainPtr(domain.Clone()); }

class PDPoint : public pDomain {
 public:
  PVec3 point;

  explicit PDPoint(const PVec3& p) : point(p) {}
  bool Contains(const PVec3& p) const override;
  PVec3 Generate() const override { return point; }
  float Size() const override { return 1.0f; }
  pDomain* Clone() const override { return new PDPoint(*this); }
};

// A solid ball, a spherical shell or (equal radii) a sphere surface.
class PDSphere : public pDomain {
 public:
  PVec3 center;
  float radOut, radIn;
  float radOutSqr, radInSqr;
  float radDif;
  float volume;  // surface area for a thin shell
  bool thinShell;

  // Negative radii are refused. Without keepOrder the larger radius is the
  // outer one; with it, radiusA is the outer and radiusB the inner one
  // whatever their values (key tables store time and alpha that way).
  PDSphere(const PVec3& center, float radiusA, float radiusB = 0.0f, bool keepOrder = false);
  bool Contains(const PVec3& p) const override;
  PVec3 Generate() const override;
  float Size() const override { return volume; }
  pDomain* Clone() const override { return new PDSphere(*this); }
};

// A solid cylinder, a cylindrical shell or a cylinder surface from end0 to
// end1; the larger radius is the outer one.
class PDCylinder : public pDomain {
 public:
  PVec3 apex;  // centre of the first end
  PVec3 axis;  // end1 - end0, not normalised
  PVec3 u, v;  // unit vectors across the axis
  float radOut, radIn;
  float radOutSqr, radInSqr;
  float radDif;
  float axisLenInvSqr;  // 0 for a zero axis
  float volume;         // lateral area for a thin shell
  bool thinShell;

  PDCylinder(const PVec3& end0, const PVec3& end1, float radiusA, float radiusB = 0.0f);
  bool Contains(const PVec3& p) const override;
  PVec3 Generate() const override;
  float Size() const override { return volume; }
  pDomain* Clone() const override { return new PDCylinder(*this); }
};

// A line segment.
class PDLine : public pDomain {
 public:
  PVec3 p0;
  PVec3 vec;     // end1 - end0
  PVec3 vecNrm;  // vec normalised
  float len;

  PDLine(const PVec3& end0, const PVec3& end1);
  // True for points on the ray from end0 through end1 (the test looks only
  // at the direction); a zero-length line contains only its one point.
  bool Contains(const PVec3& p) const override;
  PVec3 Generate() const override;
  float Size() const override { return len; }
  pDomain* Clone() const override { return new PDLine(*this); }
};

// A flat disc or ring; the larger radius is the outer one.
class PDDisc : public pDomain {
 public:
  PVec3 center;
  PVec3 normal;  // unit normal of the plane
  PVec3 u, v;    // unit vectors in the plane
  float radIn, radOut;
  float radInSqr, radOutSqr;
  float radDif;
  float planeD;  // plane: p . normal + planeD = 0
  float area;    // circumference when both radii are equal

  PDDisc(const PVec3& center, PVec3 normal, float radiusA, float radiusB = 0.0f);
  // One-sided: a point more than 0.001 above the plane is outside; below it
  // only the distance from the centre counts.
  bool Contains(const PVec3& p) const override;
  PVec3 Generate() const override;
  float Size() const override { return area; }
  pDomain* Clone() const override { return new PDDisc(*this); }
};

// A list of domains. Generate picks a member with probability proportional
// to its size; key animations read the members in order as key frames.
class PDUnion : public pDomain {
 public:
  std::vector<DomainPtr> members;
  float TotalSize = 0.0f;

  PDUnion() = default;
  PDUnion(const PDUnion& other);
  PDUnion& operator=(const PDUnion&) = delete;

  // Appends a clone; the caller keeps its domain.
  void Insert(const pDomain& domain);
  bool Contains(const PVec3& p) const override;
  PVec3 Generate() const override;
  float Size() const override { return TotalSize; }
  pDomain* Clone() const override { return new PDUnion(*this); }
};

}  // namespace PSim
