// GUI animation files of any bytes: read and cut into frames without a crash
// or an endless loop; an accepted grid starts at Start and stays in bounds.
#include "FuzzSupport.h"
#include "screens/GUIAnimFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const GUIAnimEntry& entry : ParseGUIAnimFile(text, "gui_animation.xml")) {
    std::vector<GUIAnimFramePos> frames;
    if (!CutGUIAnimFrames(entry, "gui_animation.xml", frames)) {
      if (!frames.empty()) std::abort();
      continue;
    }
    if (frames.size() > kMaxGUIAnimFrames) std::abort();
    if (!frames.empty() && (frames[0].x != entry.startX || frames[0].y != entry.startY)) std::abort();
    for (const GUIAnimFramePos& f : frames)
      if (f.x > entry.endX || f.y > entry.endY) std::abort();
  }
  return 0;
}
