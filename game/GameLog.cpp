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
