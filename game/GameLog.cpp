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

void SetEngineLogDetail(int detail) {
  Ogre::LogManager& logs = Ogre::LogManager::getSingleton();
  logs.setLogDetail(static_cast<Ogre::LoggingLevel>(detail < 0 ? 0 : detail));
  if (detail < 0)
    GameLog("Setting ogrelog=" + std::to_string(detail) + " would silence this log; the default 0 is used");
}
