#include "support/LogLines.h"

#include "support/HeadlessEngine.h"

#include <OgreLogManager.h>

LogLines::LogLines() {
  HeadlessEngine();
  Ogre::LogManager::getSingleton().getDefaultLog()->addListener(this);
}

LogLines::~LogLines() { Ogre::LogManager::getSingleton().getDefaultLog()->removeListener(this); }

bool LogLines::Has(std::initializer_list<std::string> parts) const {
  for (const std::string& line : lines) {
    bool all = true;
    for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
    if (all) return true;
  }
  return false;
}

std::string LogLines::All() const {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}
