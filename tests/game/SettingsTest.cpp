#include "game/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(Settings, DefaultsWithoutAFile) {
  TempDir dir;
  ScopedWorkingDir cwd(dir.path());
  for (const char* key : {"Debug", "Shadow", "ogrelog", "ceguilog", "full", "level", "Bloom", "Water"})
    EXPECT_EQ(ReadSetting(key), 0) << key;
  EXPECT_EQ(ReadSetting("vol"), 50);
}

TEST(Settings, WritesAreReadBackAndKeepOtherKeys) {
  TempDir dir;
  ScopedWorkingDir cwd(dir.path());
  WriteSetting("full", 1);
  WriteSetting("vol", 99);
  WriteSetting("full", 0);
  EXPECT_EQ(ReadSetting("full"), 0);
  EXPECT_EQ(ReadSetting("vol"), 99);
  EXPECT_NE(ReadFileOrEmpty("game.cfg").find("[system]"), std::string::npos);
}
