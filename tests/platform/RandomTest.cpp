#include "platform/Random.h"

#include <gtest/gtest.h>

TEST(Random, ClassicSequenceFromSeed) {
  platform::SeedRand(1);
  EXPECT_EQ(platform::Rand(), 41);
  EXPECT_EQ(platform::Rand(), 18467);
  EXPECT_EQ(platform::Rand(), 6334);
  EXPECT_EQ(platform::Rand(), 26500);
}

TEST(Random, ReseedingReplaysAndStaysInRange) {
  platform::SeedRand(12345);
  std::vector<int> first;
  for (int i = 0; i < 1000; ++i) {
    first.push_back(platform::Rand());
    ASSERT_GE(first.back(), 0);
    ASSERT_LE(first.back(), platform::kRandMax);
  }
  platform::SeedRand(12345);
  for (int v : first) ASSERT_EQ(platform::Rand(), v);
}
