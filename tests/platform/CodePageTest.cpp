#include "platform/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, NarrowLiteralsAreGbk) {
  // The game's texts are compiled as code page 936.
  EXPECT_EQ(std::string("中文"), std::string("\xD6\xD0\xCE\xC4"));
}

TEST(CodePage, GbkRoundTripsThroughUtf8) {
  const std::string gbk = "\xD6\xD0\xCE\xC4 ok";
  EXPECT_EQ(platform::GbkToUtf8(gbk), "\xE4\xB8\xAD\xE6\x96\x87 ok");
  EXPECT_EQ(platform::Utf8ToGbk("\xE4\xB8\xAD\xE6\x96\x87 ok"), gbk);
  EXPECT_EQ(platform::GbkToUtf32(gbk), (std::u32string{0x4E2D, 0x6587, ' ', 'o', 'k'}));
}

TEST(CodePage, BadBytesBecomeReplacementCharacters) {
  EXPECT_EQ(platform::GbkToUtf32("a\xFF" "b"), (std::u32string{'a', 0xFFFD, 'b'}));
  EXPECT_EQ(platform::GbkToUtf32("a\xD6"), (std::u32string{'a', 0xFFFD}));  // cut-off pair
  EXPECT_EQ(platform::Utf8ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");            // no GBK emoji
}

TEST(CodePage, PairsConvertToOneUtf16Unit) {
  EXPECT_EQ(platform::GbkPairToUtf16(0xD6, 0xD0), u'\u4E2D');
  EXPECT_EQ(platform::GbkPairToUtf16(0xFF, 0xFF), 0);
}
