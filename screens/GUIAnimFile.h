#pragma once
// The file of GUI animations "gui_animation.xml": each "Anim" under the root
// "GUIAnims" cuts a grid of equal frames out of one image file.
#include <string>
#include <vector>

struct GUIAnimEntry {
  std::string id;                // key users find the animation by
  std::string image;             // image file, also the imageset's name
  float width = 0, height = 0;   // one frame ("Size", "w:32 h:32")
  float startX = 0, startY = 0;  // the first frame's corner ("Start", "x:0 y:0")
  float endX = 0, endY = 0;      // the last frame's corner, inclusive ("End")
  int lastTime = 0;              // ms a frame stays ("LastTime")
  int row = 0;                   // line in the file, for log lines
};

struct GUIAnimFramePos {
  float x, y;
};

extern const char* const kGUIAnimFile;

// The "Anim" entries in file order. An entry missing an attribute is left
// out with a log line; so is a file without the root "GUIAnims".
std::vector<GUIAnimEntry> ParseGUIAnimFile(const std::string& text, const std::string& fileName);

// The frames' top-left corners, row by row from Start to End (inclusive),
// stepping by the frame size with the steps added up. A frame size of 0 or
// less, coordinates that are not finite, or a grid of more than
// kMaxGUIAnimFrames frames would never end or never fit: such an entry is
// refused with a log line (false). End before Start gives no frames.
constexpr size_t kMaxGUIAnimFrames = 1024;
bool CutGUIAnimFrames(const GUIAnimEntry& entry, const std::string& fileName, std::vector<GUIAnimFramePos>& frames);

// The frames of all animations together: each is an image of the GUI, so a
// file of thousands of full grids would take minutes and gigabytes.
constexpr size_t kMaxGUIAnimFramesInAll = 8192;

struct GUIAnimCut {
  GUIAnimEntry entry;
  std::vector<GUIAnimFramePos> frames;
};

// Cuts the entries in file order, leaving out those CutGUIAnimFrames refuses,
// and adds their frames to framesInAll (the frames cut before). The entry
// that would take framesInAll past kMaxGUIAnimFramesInAll is left out with
// every entry after it, in one log line naming the file.
std::vector<GUIAnimCut> CutGUIAnimFile(const std::vector<GUIAnimEntry>& entries, const std::string& fileName,
                                       size_t& framesInAll);
