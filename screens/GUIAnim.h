#pragma once
// GUI animations: frame-by-frame pictures cut out of one image file, shown
// at a fixed rate. One table for the whole game, loaded at GUI start-up;
// users keep pointers into it.
#include <CEGUI/Size.h>
#include <CEGUI/String.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CEGUI {
class Image;
}

class GUIAnim {
 public:
  // The image to draw now (null without frames). Advances one frame when more
  // than LastTime ms have passed since the last advance: the counter belongs
  // to the animation, so every user drawing it moves it.
  const CEGUI::Image* CurrentFrame();
  // The same at a given time of the animation clock.
  const CEGUI::Image* CurrentFrame(uint64_t nowMs);

  std::vector<const CEGUI::Image*> frames;  // owned by their imageset
  CEGUI::Sizef frameSize{0, 0};
  uint64_t lastAdvanceMs = 0;  // 64-bit: a float loses whole milliseconds after hours
  uint32_t currentIndex = 0;
  int32_t lastTime = 0;  // ms a frame stays
};

// Milliseconds of a monotonic clock that never wraps.
uint64_t GUIAnimClockMs();

// Extends the platform's 32-bit tick, which wraps every 49.7 days, to 64 bits
// by counting the wraps; ticks must come at least once per wrap.
class TickWrapCounter {
 public:
  explicit TickWrapCounter(uint32_t first) : mLast(first) {}
  uint64_t Extend(uint32_t tick) {
    if (tick < mLast) ++mWraps;
    mLast = tick;
    return mWraps << 32 | tick;
  }

 private:
  uint32_t mLast;
  uint64_t mWraps = 0;
};

class GUIAnimManager {
 public:
  GUIAnimManager();
  ~GUIAnimManager();
  static GUIAnimManager* Get();

  // Reads an animation file through the resource groups; a missing file
  // leaves the table as it was. Frames are images named "Anim_" + ID + "_" +
  // number in the imageset named after the image file; a later entry with
  // the same ID replaces the earlier one.
  void Load(const std::string& fileName);
  // The animation of an ID, or null.
  GUIAnim* Find(const CEGUI::String& id);

 private:
  std::map<CEGUI::String, GUIAnim> mAnims;
  size_t mFramesInAll = 0;  // frames defined, also of animations replaced since
};
