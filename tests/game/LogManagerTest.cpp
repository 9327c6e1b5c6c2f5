#include "game/LogManager.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

struct Collector : CGALogListener {
  std::vector<std::pair<std::string, int>> seen;
  void MessageLogged(const std::string& text, int level) override { seen.emplace_back(text, level); }
};

TEST(LogManager, LineFormatHasNoLeadingZeros) {
  std::tm t = {};
  t.tm_year = 111;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 9;
  t.tm_min = 7;
  t.tm_sec = 3;
  EXPECT_EQ(CGALogManager::FormatLine(t, "hello", 0), "2011-3-5 9:7:3 ( std )\thello");
  EXPECT_EQ(CGALogManager::FormatLine(t, "bad", 1), "2011-3-5 9:7:3 (error)\tbad");
  EXPECT_EQ(CGALogManager::FormatLine(t, "other", 2), "2011-3-5 9:7:3 other");
}

TEST(LogManager, DisabledWritesNoFileButListenersHearEverything) {
  TempDir dir;
  {
    CGALogManager log(dir.file("Ostrel.txt"), false);
    Collector a, b;
    log.AddListener(&a);
    log.AddListener(&b);
    log.LogMessage("one", 0);
    log.RemoveListener(&b);
    log.LogMessage("two", 1);
    EXPECT_EQ(a.seen, (std::vector<std::pair<std::string, int>>{{"one", 0}, {"two", 1}}));
    EXPECT_EQ(b.seen.size(), 1u);
    EXPECT_EQ(CGALogManager::getSingletonPtr(), &log);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("Ostrel.txt")));
  EXPECT_EQ(CGALogManager::getSingletonPtr(), nullptr);
}

TEST(LogManager, EnabledWritesStampedLines) {
  TempDir dir;
  {
    CGALogManager log(dir.file("Ostrel.txt"), true);
    log.LogMessage("path not found", 1);
  }
  std::string text = ReadFileOrEmpty(dir.file("Ostrel.txt"));
  EXPECT_EQ(text.rfind("Log Manager Start\n", 0), 0u);
  EXPECT_NE(text.find(" (error)\tpath not found\n"), std::string::npos);
  EXPECT_NE(text.find("Log Manager Shut down\n"), std::string::npos);
}

}  // namespace
