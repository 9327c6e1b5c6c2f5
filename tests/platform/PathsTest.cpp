#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Paths, GamePathsBecomeRelativeSlashPaths) {
  EXPECT_EQ(platform::NativePath(".\\save\\bob"), "./save/bob");
  EXPECT_EQ(platform::NativePath("plain"), "plain");
}

TEST(Paths, MakeDirectoriesCreatesParents) {
  TempDir dir;
  EXPECT_TRUE(platform::MakeDirectories(dir.file("a/b/c")));
  EXPECT_TRUE(platform::MakeDirectories(dir.file("a/b/c")));
  dir.write("file", "x");
  EXPECT_FALSE(platform::MakeDirectories(dir.file("file/sub")));
}

TEST(Paths, AtomicWriteReplacesWholeAndLeavesNoTemporary) {
  TempDir dir;
  std::string path = dir.write("f", "old contents");
  ASSERT_TRUE(platform::WriteFileAtomically(path, "new"));
  EXPECT_EQ(ReadFileOrEmpty(path), "new");
  EXPECT_FALSE(std::filesystem::exists(platform::TemporaryPathFor(path)));
  EXPECT_FALSE(platform::WriteFileAtomically(dir.file("missing/f"), "x"));
}

// The temporary file is a hidden one beside its file: no data file of the
// game (a player's record, "record.xml", "game.cfg") begins with a dot.
TEST(Paths, TemporaryFilesAreHiddenBesideTheirFile) {
  EXPECT_EQ(platform::TemporaryPathFor("./save/abc"), "./save/.abc.tmp");
  EXPECT_EQ(platform::TemporaryPathFor("record.xml"), ".record.xml.tmp");
  EXPECT_EQ(platform::TemporaryPathFor("/a.b/c.tmp"), "/a.b/.c.tmp.tmp");
}

TEST(Paths, ReadFileHeadReadsNoMoreThanAsked) {
  TempDir dir;
  const std::string path = dir.write("f", "0123456789");
  std::string head;
  ASSERT_TRUE(platform::ReadFileHead(path, 4, head));
  EXPECT_EQ(head, "0123");
  ASSERT_TRUE(platform::ReadFileHead(path, 100, head));
  EXPECT_EQ(head, "0123456789");
  EXPECT_FALSE(platform::ReadFileHead(dir.file("missing"), 4, head));
  EXPECT_FALSE(platform::ReadFileHead(dir.path(), 4, head));  // a folder
}
