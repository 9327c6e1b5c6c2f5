#include "units/Attribute.h"

#include <gtest/gtest.h>

namespace {

TEST(Attribute, EverySlotStartsAtOneAndTheTypeAtZero) {
  CGAAttribute a;
  for (unsigned i = 0; i < kSlotCount; ++i) EXPECT_EQ(a.GetInt(i), 1) << i;
  EXPECT_EQ(*a.GetType(), 0);
  a.SetType(kUnitPickUp);
  EXPECT_EQ(*a.GetType(), 6);
}

TEST(Attribute, SlotsOutsideTheEighteenAreIgnored) {
  CGAAttribute a;
  a.SetInt(17, 42);
  a.SetInt(18, 99);
  a.SetInt(static_cast<unsigned>(-1), 99);
  EXPECT_EQ(a.GetInt(17), 42);
  EXPECT_EQ(a.GetInt(18), 0);
  for (unsigned i = 0; i < 17; ++i) EXPECT_EQ(a.GetInt(i), 1) << i;
  EXPECT_TRUE(CGAAttribute::IsSlot(0));
  EXPECT_TRUE(CGAAttribute::IsSlot(17));
  EXPECT_FALSE(CGAAttribute::IsSlot(18));
  EXPECT_FALSE(CGAAttribute::IsSlot(-1));
}

TEST(Attribute, StringsByKeyAndByIndex) {
  CGAAttribute a;
  EXPECT_EQ(a.GetString("motto"), "");  // an unknown key reads empty and is kept
  a.GetString("motto") = "onward";
  EXPECT_EQ(a.GetString("motto"), "onward");
  a.SetString("motto", "hold");
  EXPECT_EQ(a.GetString("motto"), "hold");
  a.SetString(3u, "last");
  EXPECT_EQ(a.GetString(3u), "last");
  EXPECT_EQ(a.GetString(0u), "");
  a.SetString(4u, "past the end");
  EXPECT_EQ(a.GetString(4u), "");
}

}  // namespace
