#include "units/Mover.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ApproxDistance3D, EstimatesLengthsSymmetrically) {
  struct Case {
    int dx, dy, dz, expected;
  };
  for (const Case& c : {Case{300, 0, 400, 503}, Case{0, 0, 1000, 1000}, Case{0, 0, 0, 0}, Case{-1000, 0, 0, 1000},
                        Case{100, 100, 100, 159}, Case{3000000, 0, 0, 3000000}}) {
    int v[3] = {c.dx, c.dy, c.dz};
    std::sort(v, v + 3);
    do {
      EXPECT_EQ(ApproxDistance3D(v[0], v[1], v[2]), c.expected) << v[0] << " " << v[1] << " " << v[2];
    } while (std::next_permutation(v, v + 3));
  }
}

TEST(Mover, AnArrivedMoverDoesNothing) {
  Mover m;
  const int from[3] = {0, 0, 0}, to[3] = {1000, 0, 0};
  m.Init(from, to, false);
  EXPECT_FALSE(m.Retarget(to));
  EXPECT_TRUE(m.Step(400));
  EXPECT_TRUE(m.Step(400));
  EXPECT_TRUE(m.Step(400));
  EXPECT_TRUE(m.HasArrived());
  EXPECT_FALSE(m.Step(400));
  EXPECT_EQ(m.GetPosition(), Ogre::Vector3(10, 0, 0));
}

TEST(Mover, AStraightFlightKeepsToTheLine) {
  Mover m;
  const int from[3] = {0, 500, 0}, to[3] = {3000, 500, 4000};
  m.Init(from, to, false);
  while (m.Step(250)) {
    int at[3];
    m.CopyCurrent(at);
    EXPECT_EQ(at[1], 500);
  }
  EXPECT_EQ(m.GetPosition(), Ogre::Vector3(30, 5, 40));
}

TEST(Mover, AnArcRisesToAThirdOfTheDistanceAndLandsOnTheTarget) {
  Mover m;
  const int from[3] = {0, 0, 0}, to[3] = {6000, 0, 0};
  m.Init(from, to, true);
  int highest = 0;
  while (m.Step(100)) {
    int at[3];
    m.CopyCurrent(at);
    highest = std::max(highest, at[1]);
  }
  EXPECT_TRUE(m.HasArrived());
  EXPECT_EQ(m.GetPosition(), Ogre::Vector3(60, 0, 0));
  EXPECT_GT(highest, 1000);
  EXPECT_LE(highest, 2000);
}

TEST(Mover, RetargetKeepsFlyingFromWhereItIs) {
  Mover m;
  const int from[3] = {0, 0, 0}, to[3] = {1000, 0, 0}, next[3] = {500, 0, 1000};
  m.Init(from, to, false);
  m.Step(500);
  EXPECT_TRUE(m.Retarget(next));
  int target[3];
  m.CopyTarget(target);
  EXPECT_EQ(target[2], 1000);
  while (m.Step(300)) {
  }
  EXPECT_EQ(m.GetPosition(), Ogre::Vector3(5, 0, 10));
}

}  // namespace
