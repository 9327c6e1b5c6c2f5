#include "game/GameLog.h"
#include "support/LogLines.h"

#include <OgreLogManager.h>

#include <gtest/gtest.h>

namespace {

// "ogrelog=-1" once silenced every later line of the game's log, the
// refusals of its data readers included; 0, the default, keeps them.
TEST(GameLog, TheEngineLogDetailNeverSilencesTheGamesLines) {
  LogLines lines;
  Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog();
  const Ogre::LoggingLevel kept = log->getLogDetail();
  for (int detail : {-1, -1000, 0, 1, 3}) {
    lines.Clear();
    SetEngineLogDetail(detail);
    GameLog("a refusal after the setting");
    EXPECT_TRUE(lines.Has("a refusal after the setting")) << detail;
    EXPECT_EQ(lines.Has({"ogrelog=" + std::to_string(detail), "the default 0 is used"}), detail < 0) << detail;
    EXPECT_EQ(log->getLogDetail(), detail < 0 ? 0 : detail) << detail;
  }
  log->setLogDetail(kept);
}

}  // namespace
