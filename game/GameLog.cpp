#include "game/GameLog.h"

#include <OgreLogManager.h>

#include <cstdio>

void GameLog(const std::string& line) {
  if (Ogre::LogManager* logs = Ogre::LogManager::getSingletonPtr()) {
    if (logs->getDefaultLog()) {
      logs->logMessage(line, Ogre::LML_CRITICAL);
      return;
    }
  }
  std::fprintf(stderr, "%s\n", line.c_str());
}

int LogLevelSetting(const char* key, int value, int highest) {
  if (value >= 0 && value <= highest) return value;
  GameLog(std::string("Setting ") + key + "=" + std::to_string(value) + " names no log level (0 to " +
          std::to_string(highest) + "); the default 0 is used");
  return 0;
}

void SetEngineLogDetail(int detail) {
  Ogre::LogManager::getSingleton().setLogDetail(
      static_cast<Ogre::LoggingLevel>(LogLevelSetting("ogrelog", detail, Ogre::LL_BOREME)));
}
