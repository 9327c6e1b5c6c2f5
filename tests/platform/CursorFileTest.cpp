#include "platform/CursorFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The game's own cursor, as the build draws it.
std::string GameCursor() {
  TempDir dir;
  const std::string path = dir.file("cursor.cur");
  const std::string command = "python3 " YVEK_SOURCE_DIR "/tools/make_cursor.py " + path;
  EXPECT_EQ(std::system(command.c_str()), 0);
  return ReadFileOrEmpty(path);
}

TEST(CursorFile, DecodesTheGameCursor) {
  platform::CursorImage image;
  std::string error;
  ASSERT_TRUE(platform::DecodeCursor(GameCursor(), image, error)) << error;
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  EXPECT_EQ(image.hotspotX, 0);
  EXPECT_EQ(image.hotspotY, 0);
  EXPECT_EQ(image.argb[0], 0xFF202020u);           // the tip: outline, opaque, top row first
  EXPECT_EQ(image.argb[2 * 32 + 1], 0xFF40D8F0u);  // fill just inside it
  EXPECT_EQ(image.argb[31], 0u);                   // transparent corner
}

TEST(CursorFile, RefusesWhatItCannotRead) {
  const std::string good = GameCursor();
  platform::CursorImage image;
  std::string error;
  EXPECT_FALSE(platform::DecodeCursor("", image, error));
  EXPECT_FALSE(platform::DecodeCursor("not a cursor at all, really", image, error));
  EXPECT_FALSE(platform::DecodeCursor(good.substr(0, good.size() - 10), image, error));  // cut short
  std::string icon = good;
  icon[2] = 1;  // an icon, not a cursor
  EXPECT_FALSE(platform::DecodeCursor(icon, image, error));
  std::string compressed = good;
  compressed[22 + 16] = 1;  // a compressed image
  EXPECT_FALSE(platform::DecodeCursor(compressed, image, error));
  std::string farOffset = good;
  farOffset[6 + 12 + 3] = 0x7f;  // image data past the end of the file
  EXPECT_FALSE(platform::DecodeCursor(farOffset, image, error));
}

}  // namespace
