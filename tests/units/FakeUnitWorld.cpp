#include "FakeUnitWorld.h"

#include "game/FrameClock.h"
#include "platform/MessageBox.h"
#include "support/HeadlessEngine.h"

#include <cstdio>

void FakeModel::PlayAnimationByName(const std::string& name, float s, bool loop) {
  char line[160];
  std::snprintf(line, sizeof line, "%s %g %d", name.c_str(), s, loop ? 1 : 0);
  animations.push_back(line);
}

void FakeUnitWorld::AddLabel(const std::string& markup, const Ogre::Vector3&, float seconds, const std::string& font) {
  char line[64];
  std::snprintf(line, sizeof line, " %g ", seconds);
  labels.push_back(markup + line + font);
}

LogCapture::LogCapture() {
  HeadlessEngine();
  Ogre::LogManager::getSingleton().getDefaultLog()->addListener(this);
  platform::SetMessageBoxSink([this](const std::string& line) { lines.push_back(line); });
}

LogCapture::~LogCapture() {
  platform::SetMessageBoxSink(nullptr);
  Ogre::LogManager::getSingleton().getDefaultLog()->removeListener(this);
}

void LogCapture::messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool,
                               const Ogre::String&, bool&) {
  if (level == Ogre::LML_CRITICAL) lines.push_back(message);
}

bool LogCapture::Contains(const std::string& part) const {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

void SetFrame(float seconds) {
  FrameDeltaSeconds = seconds;
  FrameDeltaMs = static_cast<uint32_t>(seconds * 1000.0f + 0.5f);
  FrameTimeMs += FrameDeltaMs;
}
