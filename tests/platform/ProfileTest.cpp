#include "platform/Paths.h"
#include "platform/Profile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

struct IntCase {
  const char* text;
  int expected;
};
void PrintTo(const IntCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ProfileIntValues : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileIntValues, ReadsLeadingDigits) {
  TempDir dir;
  std::string file = dir.write("game.cfg", std::string("[system]\nvol=") + GetParam().text + "\n");
  EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 50), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileIntValues,
                         ::testing::Values(IntCase{"37", 37}, IntCase{"12abc", 12}, IntCase{"abc", 0},
                                           IntCase{"", 0}, IntCase{"  5 ", 5}, IntCase{"-3", -3},
                                           IntCase{"010", 10}, IntCase{"99999999999", 2147483647}));

TEST(Profile, MissingFileSectionOrKeyGiveTheDefault) {
  TempDir dir;
  std::string file = dir.write("game.cfg", "[other]\nvol=1\n[system]\nfull=1\n");
  EXPECT_EQ(platform::GetProfileInt(dir.file("none.cfg"), "system", "vol", 50), 50);
  EXPECT_EQ(platform::GetProfileInt(file, "absent", "vol", 7), 7);
  EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 50), 50);
  EXPECT_EQ(platform::GetProfileInt(file, "system", "full", 0), 1);
}

TEST(Profile, SectionsAndKeysIgnoreCaseAndCarriageReturns) {
  TempDir dir;
  std::string file = dir.write("game.cfg", "; comment\r\n[System]\r\n Full = 1\r\n");
  EXPECT_EQ(platform::GetProfileInt(file, "system", "full", 0), 1);
  EXPECT_EQ(platform::GetProfileString(file, "SYSTEM", "FULL", ""), "1");
}

TEST(Profile, WriteCreatesFileAndSection) {
  TempDir dir;
  std::string file = dir.file("game.cfg");
  ASSERT_TRUE(platform::WriteProfileString(file, "system", "vol", "37"));
  EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 50), 37);
  ASSERT_TRUE(platform::WriteProfileString(file, "update", "LocalVersion", "3"));
  EXPECT_EQ(platform::GetProfileInt(file, "update", "LocalVersion", 0), 3);
  EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 50), 37);
}

TEST(Profile, WriteReplacesOnlyItsKey) {
  TempDir dir;
  std::string file = dir.write("game.cfg", "[system]\nvol=10\nfull=1\n\n[other]\nvol=3\n");
  ASSERT_TRUE(platform::WriteProfileString(file, "system", "vol", "99"));
  ASSERT_TRUE(platform::WriteProfileString(file, "system", "level", "2"));
  EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 0), 99);
  EXPECT_EQ(platform::GetProfileInt(file, "system", "full", 0), 1);
  EXPECT_EQ(platform::GetProfileInt(file, "system", "level", 0), 2);
  EXPECT_EQ(platform::GetProfileInt(file, "other", "vol", 0), 3);
  EXPECT_EQ(platform::GetProfileInt(file, "other", "level", 0), 0);
}

// A settings file of a gigabyte was read whole at every setting: no file
// larger than kMaxProfileBytes is read, and none is written (its other lines
// would be lost). The bound itself is a size a file may have.
TEST(Profile, AFileLargerThanAnyProfileIsNeitherReadNorWritten) {
  TempDir dir;
  const std::string head = "[system]\nvol=37\n";
  const std::string file = dir.write("game.cfg", head + std::string(platform::kMaxProfileBytes - head.size(), ';'));
  EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 50), 37);
  ASSERT_TRUE(platform::WriteProfileString(file, "system", "vol", "38"));

  for (uint64_t size : {uint64_t(platform::kMaxProfileBytes) + 8, uint64_t(64) << 20}) {
    std::filesystem::resize_file(file, size);  // sparse beyond the text
    const uint64_t before = BytesReadSoFar();
    std::string value;
    EXPECT_EQ(platform::FindProfileValue(file, "system", "vol", value), platform::ProfileLookup::Unreadable);
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(platform::GetProfileInt(file, "system", "vol", 50), 50);
    EXPECT_FALSE(platform::WriteProfileString(file, "system", "vol", "39"));
    EXPECT_LT(BytesReadSoFar() - before, 4 * uint64_t(platform::kMaxProfileBytes) + 4096);
    EXPECT_EQ(std::filesystem::file_size(file), size);
    std::string start;
    ASSERT_TRUE(platform::ReadFileHead(file, 16, start));
    EXPECT_EQ(start, "[system]\r\nvol=38");
  }
}

TEST(Profile, AFileThatCannotBeReadIsNotWritten) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("game.cfg"));  // no file to read
  std::string value;
  EXPECT_EQ(platform::FindProfileValue(dir.file("game.cfg"), "system", "vol", value),
            platform::ProfileLookup::Unreadable);
  EXPECT_EQ(platform::FindProfileValue(dir.file("none.cfg"), "system", "vol", value),
            platform::ProfileLookup::Missing);
  EXPECT_FALSE(platform::WriteProfileString(dir.file("game.cfg"), "system", "vol", "1"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("game.cfg")));
}

TEST(Profile, WriteIntoMissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(platform::WriteProfileString(dir.file("no/such/game.cfg"), "system", "vol", "1"));
}

}  // namespace
