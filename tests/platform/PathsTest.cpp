#include "platform/Paths.h"
#include "support/TempDir.h"

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
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  EXPECT_FALSE(platform::WriteFileAtomically(dir.file("missing/f"), "x"));
}
