#include "game/GameLog.h"
#include "tests/support/LogLines.h"

#include <OgreLogManager.h>

#include <gtest/gtest.h>

namespace {

// "ogrelog=-1" once silenced every later line of the game's log, the
// refusals of its data readers included; 0, the default, keeps them. A value
// past the highest level named no level of the log's type at all.
TEST(GameLog, TheEngineLogDetailNeverSilencesTheGamesLines) {
  LogLines lines;
  Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog();
  const Ogre::LoggingLevel kept = log->getLogDetail();
  for (int detail : {-1, -1000, 0, 1, 3, 4, 2147483647}) {
    const bool known = detail >= 0 && detail <= 3;
    lines.Clear();
    SetEngineLogDetail(detail);
    GameLog("a refusal after the setting");
    EXPECT_TRUE(lines.Has("a refusal after the setting")) << detail;
    EXPECT_EQ(lines.Has({"ogrelog=" + std::to_string(detail), "the default 0 is used"}), !known) << detail;
    EXPECT_EQ(log->getLogDetail(), known ? detail : 0) << detail;
  }
  log->setLogDetail(kept);
}

// The GUI's log level likewise: 0 to 4, anything else the default.
TEST(GameLog, LogLevelSettingsOutsideTheirLevelsFallBackToTheDefault) {
  LogLines lines;
  EXPECT_EQ(LogLevelSetting("ceguilog", 4, 4), 4);
  EXPECT_EQ(LogLevelSetting("ceguilog", 0, 4), 0);
  EXPECT_FALSE(lines.Has("ceguilog"));
  EXPECT_EQ(LogLevelSetting("ceguilog", 5, 4), 0);
  EXPECT_EQ(LogLevelSetting("ceguilog", -2, 4), 0);
  EXPECT_TRUE(lines.Has({"ceguilog=5", "names no log level (0 to 4)"}));
  EXPECT_TRUE(lines.Has("ceguilog=-2"));
}

}  // namespace
