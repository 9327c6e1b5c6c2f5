// GUI animation files of any bytes: read and cut into frames without a crash
// or an endless loop; an accepted grid starts at Start and stays in bounds,
// and the frames of all animations stay within their bound.
#include "FuzzSupport.h"
#include "screens/GUIAnimFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t framesInAll = 0;
  size_t counted = 0;
  for (const GUIAnimCut& cut : CutGUIAnimFile(ParseGUIAnimFile(text, "gui_animation.xml"), "gui_animation.xml",
                                              framesInAll)) {
    const GUIAnimEntry& entry = cut.entry;
    const std::vector<GUIAnimFramePos>& frames = cut.frames;
    counted += frames.size();
    if (frames.size() > kMaxGUIAnimFrames) std::abort();
    if (!frames.empty() && (frames[0].x != entry.startX || frames[0].y != entry.startY)) std::abort();
    for (const GUIAnimFramePos& f : frames)
      if (f.x > entry.endX || f.y > entry.endY) std::abort();
  }
  if (counted != framesInAll || framesInAll > kMaxGUIAnimFramesInAll) std::abort();
  return 0;
}
