#include "tests/support/LogLines.h"

#include "platform/MessageBox.h"
#include "tests/support/HeadlessEngine.h"

#include <OgreLogManager.h>

#include <algorithm>

namespace {

// Every capture alive gets every message box, as every listener of the log
// gets every line.
std::vector<LogLines*>& LiveCaptures() {
  static std::vector<LogLines*> live;
  return live;
}

}  // namespace

LogLines::LogLines() {
  HeadlessEngine();
  Ogre::LogManager::getSingleton().getDefaultLog()->addListener(this);
  if (LiveCaptures().empty())
    platform::SetMessageBoxSink([](const std::string& line) {
      for (LogLines* capture : LiveCaptures()) capture->lines.push_back(line);
    });
  LiveCaptures().push_back(this);
}

LogLines::~LogLines() {
  std::vector<LogLines*>& live = LiveCaptures();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (live.empty()) platform::SetMessageBoxSink(nullptr);
  Ogre::LogManager::getSingleton().getDefaultLog()->removeListener(this);
}

void LogLines::messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool, const Ogre::String&,
                             bool&) {
  if (level == Ogre::LML_CRITICAL) lines.push_back(message);
}

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
