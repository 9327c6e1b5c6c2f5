#pragma once
// What a unit icon shows of its unit type, apart from the GUI: which picture
// the type's icon text names, the tooltip's figures, the mask and the corner
// number, the placement cooldown and the sweep frame that draws it.
#include <cstdint>
#include <string>

struct UnitTemplate;

// The picture of an icon text "x y z": cell (y, z) of the 64-pixel grid of
// picture file x. A negative number names the fallback picture.
struct IconPicture {
  bool fallback = false;
  std::string imageset;  // "UIHEAD" + x, made from the file imageset + ".tga"
  std::string image;     // y + "_" + z
  int left = 0, top = 0;  // pixels: 64 y, 64 z
};
constexpr int kIconCell = 64;
IconPicture ParseIconText(const std::string& prefix, const std::string& icon);

// The tooltip (GBK): name, hit points, attack (or income, or healing), speed,
// distance, sight and price, then the description.
std::string UnitTooltip(const UnitTemplate& unitType);

// The mask lies over the picture while the type cannot be had: locked on the
// unlock screen, dearer than the silver in play.
bool IconMasked(const UnitTemplate& unitType, int gameState, int silver);
// The corner number: the unlock gold of a locked type on the unlock screen
// (nothing once unlocked), the price in play.
std::string IconNumber(const UnitTemplate& unitType, int gameState);

// Counts the type's placement cooldown down by a frame (never below 0) and
// answers the sweep's progress, 1 when ready; nothing moves while paused.
// False when nothing was running.
bool RunCooldown(UnitTemplate& unitType, uint32_t frameMs, bool paused, float& progress);

// The sweep frame for a progress, chosen by progress rather than time: frame
// 0 only at 0, the last never (the sweep is gone at 1). -1 without frames.
int SweepFrame(int frames, float progress);
