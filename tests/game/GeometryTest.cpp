#include "game/Geometry.h"

#include <gtest/gtest.h>

TEST(ApproxDistance, KnownValues) {
  struct Case { int dx, dz, expected; };
  for (Case c : {Case{3, 4, 6}, Case{30, 40, 49}, Case{100, 0, 100}, Case{100, 100, 131},
                 Case{-30, 40, 49}, Case{0, 0, 0}, Case{300, 400, 493}}) {
    EXPECT_EQ(ApproxDistance(c.dx, c.dz), c.expected) << c.dx << "," << c.dz;
  }
}

TEST(ApproxDistance, SymmetricAndNeverAboveTheSum) {
  for (int dx = -70; dx <= 70; dx += 7)
    for (int dz = -70; dz <= 70; dz += 3) {
      int d = ApproxDistance(dx, dz);
      ASSERT_EQ(d, ApproxDistance(dz, dx));
      ASSERT_EQ(d, ApproxDistance(-dx, dz));
      ASSERT_EQ(d, ApproxDistance(dx, -dz));
      ASSERT_LE(d, std::abs(dx) + std::abs(dz));
      ASSERT_GE(d, std::max(std::abs(dx), std::abs(dz)));
    }
}

TEST(InSquareRange, Cases) {
  EXPECT_TRUE(InSquareRange(1, 2, 1, 2, 0));
  EXPECT_FALSE(InSquareRange(1, 2, 1, 3, 0));
  EXPECT_TRUE(InSquareRange(0, 0, 5, -5, 5));
  EXPECT_FALSE(InSquareRange(0, 0, 6, 0, 5));
  EXPECT_FALSE(InSquareRange(0, 0, 0, -6, 5));
}
