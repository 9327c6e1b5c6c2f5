#include "screens/UnlockList.h"

#include <gtest/gtest.h>

namespace {

TEST(UnlockList, LockChildrenInFileOrder) {
  const auto entries = ParseUnlockList(
      "<locks><lock id=\"archer\" icon=\"Root/unlock/icon_0\"/><note id=\"x\"/>"
      "<lock id=\"priest\" icon=\"Root/unlock/icon_1\"/></locks>",
      "lock.xml");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].id, "archer");
  EXPECT_EQ(entries[0].icon, "Root/unlock/icon_0");
  EXPECT_EQ(entries[1].id, "priest");
}

TEST(UnlockList, EntriesWithoutIdAreLeftOut) {
  const auto entries = ParseUnlockList("<r><lock icon=\"a\"/><lock id=\"b\"/></r>", "lock.xml");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].id, "b");
  EXPECT_EQ(entries[0].icon, "");
  EXPECT_TRUE(ParseUnlockList("<r", "lock.xml").empty());
}

}  // namespace
