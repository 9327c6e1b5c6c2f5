#include "platform/IconFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// A file the build draws with one of its scripts.
std::string Drawn(const std::string& script, const std::string& name) {
  TempDir dir;
  const std::string path = dir.file(name);
  const std::string command = "python3 " YVEK_SOURCE_DIR "/tools/" + script + " " + path;
  EXPECT_EQ(std::system(command.c_str()), 0);
  return ReadFileOrEmpty(path);
}

// The game's own cursor and icon, as the build draws them (once a run).
const std::string& GameCursor() {
  static const std::string cursor = Drawn("make_cursor.py", "cursor.cur");
  return cursor;
}
const std::string& GameIcon() {
  static const std::string icon = Drawn("make_icon.py", "yvek.ico");
  return icon;
}

TEST(IconFile, DecodesTheGameCursor) {
  platform::IconImage image;
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

TEST(IconFile, RefusesWhatItCannotRead) {
  const std::string good = GameCursor();
  platform::IconImage image;
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

  std::vector<platform::IconImage> images;
  EXPECT_FALSE(platform::DecodeIcon(good, images, error));  // a cursor, not an icon
  const std::string goodIcon = GameIcon();
  EXPECT_FALSE(platform::DecodeCursor(goodIcon, image, error));
  std::string countPastTheEnd = goodIcon;
  countPastTheEnd[4] = 100;  // more images than the directory holds
  EXPECT_FALSE(platform::DecodeIcon(countPastTheEnd, images, error));
  EXPECT_FALSE(platform::DecodeIcon(goodIcon.substr(0, goodIcon.size() - 10), images, error));
}

// The window icon: the big and the small image, straight alpha.
TEST(IconFile, DecodesTheGameIconInBothSizes) {
  std::vector<platform::IconImage> images;
  std::string error;
  ASSERT_TRUE(platform::DecodeIcon(GameIcon(), images, error)) << error;
  ASSERT_EQ(images.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const platform::IconImage& image = images[i];
    const int size = i == 0 ? 32 : 16, scale = size / 16;
    EXPECT_EQ(image.width, size);
    EXPECT_EQ(image.height, size);
    const auto at = [&](int x, int y) { return image.argb[static_cast<size_t>(y * scale) * size + x * scale]; };
    EXPECT_EQ(at(0, 0), 0u) << size;             // transparent corner
    EXPECT_EQ(at(1, 1), 0xFF202020u) << size;    // the outline, top row first
    EXPECT_EQ(at(2, 2), 0xFFE8C040u) << size;    // gold
    EXPECT_EQ(at(3, 3), 0xFFC03030u) << size;    // the red Y
    EXPECT_EQ(at(7, 14), 0xFF202020u) << size;   // the tip
  }
}

}  // namespace
