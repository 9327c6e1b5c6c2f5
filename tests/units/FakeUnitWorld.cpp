#include "FakeUnitWorld.h"

#include "game/FrameClock.h"

#include <cstdio>

void FakeModel::PlayAnimationByName(const std::string& name, float s, bool loop) {
  char line[160];
  std::snprintf(line, sizeof line, "%s %g %d", name.c_str(), s, loop ? 1 : 0);
  animations.push_back(line);
}

void FakeModel::PlayAnimation(const std::string& name, int mode, float s, bool flag) {
  char line[160];
  std::snprintf(line, sizeof line, "%s %d %g %d", name.c_str(), mode, s, flag ? 1 : 0);
  requests.push_back(line);
}

void FakeUnitWorld::AddLabel(const std::string& markup, const Ogre::Vector3&, float seconds, const std::string& font) {
  char line[64];
  std::snprintf(line, sizeof line, " %g ", seconds);
  labels.push_back(markup + line + font);
}

void SetFrame(float seconds) {
  FrameDeltaSeconds = seconds;
  FrameDeltaMs = static_cast<uint32_t>(seconds * 1000.0f + 0.5f);
  FrameTimeMs += FrameDeltaMs;
}
