#include "game/Settings.h"
#include "platform/Profile.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// An oversized settings file is handled as unreadable: every key its
// default, each read and each refused write saying so with the file's name,
// and the file left as it is.
TEST(Settings, AnOversizedFileIsReportedAndKeptAsItIs) {
  TempDir dir;
  ScopedWorkingDir cwd(dir.path());
  WriteSetting("vol", 37);
  const uint64_t size = platform::kMaxProfileBytes + 1;
  std::filesystem::resize_file("game.cfg", size);
  LogLines log;
  EXPECT_EQ(ReadSetting("vol"), 50);
  EXPECT_TRUE(log.Has({"Settings file ./game.cfg cannot be read", "vol takes its default 50"})) << log.All();
  log.Clear();
  WriteSetting("vol", 80);
  EXPECT_TRUE(log.Has({"Cannot write setting vol to ./game.cfg"})) << log.All();
  EXPECT_EQ(std::filesystem::file_size("game.cfg"), size);
}
