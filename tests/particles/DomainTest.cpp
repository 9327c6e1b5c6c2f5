// Domains: their derived fields, containment, generated points and sizes.
#include "ParticleFixture.h"

#include "particles/PDomain.h"

#include <cmath>

namespace psimtest {
namespace {

const double kPi = 3.14159265358979323846;

struct SphereCase {
  float a, b;
  bool keepOrder;
  float radOut, radIn;
};

TEST(SphereDomain, OrdersItsRadiiUnlessToldToKeepThem) {
  for (const SphereCase& c : {SphereCase{2, 5, false, 5, 2}, {5, 2, false, 5, 2}, {2, 5, true, 2, 5},
                              {3, 0, true, 3, 0}, {0, 0, false, 0, 0}}) {
    const PDSphere s(PVec3(0, 0, 0), c.a, c.b, c.keepOrder);
    EXPECT_EQ(s.radOut, c.radOut);
    EXPECT_EQ(s.radIn, c.radIn);
    EXPECT_EQ(s.radOutSqr, c.radOut * c.radOut);
    EXPECT_EQ(s.radDif, c.radOut - c.radIn);
    EXPECT_EQ(s.thinShell, c.radOut == c.radIn);
  }
}

TEST(SphereDomain, KeptReversedRadiiContainNothingButStillGeneratePoints) {
  const PDSphere s(PVec3(1, 1, 1), 2, 5, true);
  EXPECT_EQ(s.radDif, -3.0f);
  for (float r : {0.0f, 2.0f, 3.5f, 5.0f}) EXPECT_FALSE(s.Contains(PVec3(1 + r, 1, 1)));
  for (int i = 0; i < 200; ++i) {
    const float d = (s.Generate() - s.center).Length();
    EXPECT_GE(d, 2.0f - 1e-5f);
    EXPECT_LE(d, 5.0f + 1e-5f);
  }
}

struct SizeCase {
  const char* what;
  double size, expected;
};

TEST(Domains, SizesAreVolumesAreasAndLengths) {
  const SizeCase cases[] = {
      {"solid ball", PDSphere(PVec3(0, 0, 0), 1).Size(), 4 * kPi / 3},
      {"shell", PDSphere(PVec3(0, 0, 0), 2, 1).Size(), 4 * kPi / 3 * 7},
      {"thin shell: the surface", PDSphere(PVec3(0, 0, 0), 2, 2).Size(), 4 * kPi * 4},
      {"cylinder", PDCylinder(PVec3(0, 0, 0), PVec3(0, 0, 3), 2).Size(), kPi * 4 * 3},
      {"cylindrical shell", PDCylinder(PVec3(0, 0, 0), PVec3(0, 3, 0), 1, 2).Size(), kPi * 3 * 3},
      {"thin cylinder: the side", PDCylinder(PVec3(0, 0, 0), PVec3(3, 0, 0), 2, 2).Size(), 2 * 3 * kPi * 2},
      {"disc", PDDisc(PVec3(0, 0, 0), PVec3(0, 1, 0), 2).Size(), kPi * 4},
      {"ring", PDDisc(PVec3(0, 0, 0), PVec3(0, 1, 0), 1, 2).Size(), kPi * 3},
      {"circle: the circumference", PDDisc(PVec3(0, 0, 0), PVec3(0, 1, 0), 2, 2).Size(), 2 * kPi * 2},
      {"line", PDLine(PVec3(1, 0, 0), PVec3(4, 4, 0)).Size(), 5},
      {"point", PDPoint(PVec3(1, 2, 3)).Size(), 1},
  };
  for (const SizeCase& c : cases) EXPECT_NEAR(c.size, c.expected, c.expected * 1e-6) << c.what;
}

TEST(Domains, NegativeRadiiAreRefused) {
  const PVec3 o(0, 0, 0), x(1, 0, 0);
  ExpectError<PErrInvalidValue>([&] { PDSphere(o, -1, 0); }, "Can't have negative radius.");
  ExpectError<PErrInvalidValue>([&] { PDSphere(o, 1, -1, true); }, "Can't have negative radius.");
  ExpectError<PErrInvalidValue>([&] { PDCylinder(o, x, -1, 0); }, "Can't have negative radius.");
  ExpectError<PErrInvalidValue>([&] { PDCylinder(o, x, 1, -2); }, "Can't have negative radius.");
  ExpectError<PErrInvalidValue>([&] { PDDisc(o, x, -0.5f, 0); }, "Can't have negative radius.");
  ExpectError<PErrInvalidValue>([&] { PDDisc(o, x, 1, -0.5f); }, "Can't have negative radius.");
}

TEST(SphereDomain, GeneratesOnTheShellOrAtTheCentre) {
  const PDSphere thin(PVec3(1, 2, 3), 4, 4);
  const PDSphere dot(PVec3(1, 2, 3), 0, 0);
  const PDSphere shell(PVec3(0, 0, 0), 1, 2);
  for (int i = 0; i < 200; ++i) {
    EXPECT_NEAR((thin.Generate() - thin.center).Length(), 4.0f, 1e-5f);
    EXPECT_EQ(dot.Generate(), PVec3(1, 2, 3));
    const PVec3 p = shell.Generate();
    EXPECT_TRUE(shell.Contains(p * (1 - 1e-6f)) || shell.Contains(p * (1 + 1e-6f)));
  }
}

TEST(PointDomain, ContainsOnlyItsPointToTheLastBit) {
  const PDPoint p(PVec3(1, 2, 3));
  EXPECT_TRUE(p.Contains(PVec3(1, 2, 3)));
  EXPECT_FALSE(p.Contains(PVec3(1, 2, std::nextafter(3.0f, 4.0f))));
}

TEST(CylinderDomain, ContainsBothCapsAndBothRadii) {
  const PDCylinder c(PVec3(0, 0, 0), PVec3(0, 0, 4), 2, 1);
  EXPECT_TRUE(c.Contains(PVec3(1, 0, 0)));     // cap t = 0, inner radius
  EXPECT_TRUE(c.Contains(PVec3(0, 2, 4)));     // cap t = 1, outer radius
  EXPECT_FALSE(c.Contains(PVec3(0.5f, 0, 2)));  // inside the hole
  EXPECT_FALSE(c.Contains(PVec3(1.5f, 0, 4.01f)));
  EXPECT_FALSE(c.Contains(PVec3(2.01f, 0, 2)));
  for (int i = 0; i < 200; ++i) {
    const PVec3 p = c.Generate();
    const float r = std::hypot(p.x, p.y);
    EXPECT_GE(r, 1 - 1e-5f);
    EXPECT_LE(r, 2 + 1e-5f);
    EXPECT_GE(p.z, 0.0f);
    EXPECT_LE(p.z, 4.0f);
  }
}

TEST(LineDomain, ContainsTheRayAheadOfItsFirstEnd) {
  const PDLine line(PVec3(0, 0, 0), PVec3(2, 0, 0));
  EXPECT_TRUE(line.Contains(PVec3(1, 0, 0)));
  EXPECT_TRUE(line.Contains(PVec3(5, 0, 0)));  // beyond the second end
  EXPECT_FALSE(line.Contains(PVec3(-1, 0, 0)));
  EXPECT_FALSE(line.Contains(PVec3(1, 0.1f, 0)));
  for (int i = 0; i < 50; ++i) {
    const PVec3 p = line.Generate();
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_GE(p.x, 0.0f);
    EXPECT_LE(p.x, 2.0f);
  }
}

TEST(LineDomain, AZeroLengthLineContainsItsOnePoint) {
  // Its containment test once divided by the zero length and said no to
  // everything, its own point included.
  const PDLine line(PVec3(1, 2, 3), PVec3(1, 2, 3));
  EXPECT_TRUE(line.Contains(PVec3(1, 2, 3)));
  EXPECT_FALSE(line.Contains(PVec3(1, 2, 3.5f)));
  EXPECT_EQ(line.Generate(), PVec3(1, 2, 3));
  EXPECT_EQ(line.Size(), 0.0f);
}

TEST(DiscDomain, IsOneSidedAroundItsPlane) {
  const PDDisc disc(PVec3(0, 0, 0), PVec3(0, 5, 0), 1, 3);  // the normal is normalised
  ExpectVec(disc.normal, 0, 1, 0);
  EXPECT_EQ(disc.radIn, 1.0f);
  EXPECT_EQ(disc.radOut, 3.0f);
  EXPECT_TRUE(disc.Contains(PVec3(2, 0, 0)));
  EXPECT_TRUE(disc.Contains(PVec3(2, 0.0005f, 0)));
  EXPECT_FALSE(disc.Contains(PVec3(2, 0.002f, 0)));
  EXPECT_TRUE(disc.Contains(PVec3(0, -2.5f, 0)));  // far below, distance within the radii
  EXPECT_FALSE(disc.Contains(PVec3(0.5f, 0, 0)));
  const PDDisc lifted(PVec3(0, 2, 0), PVec3(0, 1, 0), 1);
  EXPECT_EQ(lifted.planeD, -2.0f);
  for (int i = 0; i < 200; ++i) {
    const PVec3 p = disc.Generate();
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    const float r = std::hypot(p.x, p.z);
    EXPECT_GE(r, 1 - 1e-5f);
    EXPECT_LE(r, 3 + 1e-5f);
  }
}

TEST(UnionDomain, DrawsFromItsMembersInProportionToTheirSizes) {
  const PDSphere small(PVec3(-10, 0, 0), 1);
  const PDSphere large(PVec3(10, 0, 0), std::cbrt(3.0f));  // three times the volume
  PDUnion both;
  both.Insert(small);
  both.Insert(large);
  EXPECT_FLOAT_EQ(both.Size(), small.Size() + large.Size());
  platform::SeedRand(11);
  int fromLarge = 0, fromSmall = 0;
  for (int i = 0; i < 20000; ++i) {
    const PVec3 p = both.Generate();
    (p.x > 0 ? fromLarge : fromSmall) += 1;
  }
  EXPECT_NEAR(static_cast<double>(fromLarge) / fromSmall, 3.0, 0.15);
  EXPECT_TRUE(both.Contains(PVec3(10, 1, 0)));
  EXPECT_FALSE(both.Contains(PVec3(0, 0, 0)));
}

TEST(UnionDomain, AnEmptyUnionContainsNothingAndCannotGenerate) {
  PDUnion none;
  EXPECT_FALSE(none.Contains(PVec3(0, 0, 0)));
  EXPECT_EQ(none.Size(), 0.0f);
  ExpectError<PErrInternalError>([&] { none.Generate(); },
                                 "Sizes didn't add up to TotalSize in PDUnion::Generate().");
}

TEST(UnionDomain, AClonedUnionOutlivesTheOriginal) {
  DomainPtr copy;
  {
    PDUnion original;
    original.Insert(PDPoint(PVec3(1, 1, 1)));
    original.Insert(PDLine(PVec3(0, 0, 0), PVec3(0, 0, 2)));
    original.origin = PVec3(4, 4, 4);
    copy = CloneOf(original);
  }
  auto* u = dynamic_cast<PDUnion*>(copy.get());
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->members.size(), 2u);
  EXPECT_EQ(u->TotalSize, 3.0f);
  EXPECT_EQ(u->origin, PVec3(4, 4, 4));
  EXPECT_TRUE(u->Contains(PVec3(1, 1, 1)));
  EXPECT_NO_THROW(u->Generate());
}

}  // namespace
}  // namespace psimtest
