#pragma once
// The unit icon: one unit type's picture with its price (or on the unlock
// screen its unlock gold) in the corner, a mask while the type cannot be had,
// the placement cooldown as a sweep and a tooltip with the type's figures.
// Its per-frame update is where a type's placement cooldown runs down. Hosts
// (the unit bar, the recruit panel, the unlock screen) hear of left clicks
// through a Listener.
#include "screens/GUICommon.h"

#include <CEGUI/ColourRect.h>
#include <CEGUI/widgets/ListboxItem.h>

namespace CEGUI {
class EventArgs;
class Image;
class Listbox;
}  // namespace CEGUI
class GUIAnim;
struct UnitTemplate;

// The list item that paints an icon: picture, mask, sweep, overlay,
// selection, hover image, then the corner number, in that order.
class CGAGUIIconItem : public CEGUI::ListboxItem {
 public:
  CGAGUIIconItem();

  void SetIcon(const CEGUI::Image* image) { mIcon = image; }
  void SetMask(const CEGUI::Image* image) { mMask = image; }
  const CEGUI::Image* GetMask() const { return mMask; }
  void SetHoverImage(const CEGUI::Image* image) { mHoverImage = image; }
  void SetOverlay(GUIAnim* anim) { mOverlay = anim; }
  void SetSweep(GUIAnim* anim) { mSweep = anim; }
  void SetProgress(float progress) { mProgress = progress; }
  float GetProgress() const { return mProgress; }
  // Kept for the item's users; no layer is drawn in them.
  void SetColours(const CEGUI::ColourRect& colours) { mColours = colours; }
  void SetHover(bool hover) { mHover = hover; }
  void SetDimmed(bool dimmed) { mDimmed = dimmed; }
  bool IsDimmed() const { return mDimmed; }
  const CEGUI::Image* GetIcon() const { return mIcon; }

  // Always the size of its list box's inside.
  CEGUI::Sizef getPixelSize() const override;
  void draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& targetRect, float alpha,
            const CEGUI::Rectf* clipper) const override;

 private:
  const CEGUI::Image* mIcon = nullptr;
  const CEGUI::Image* mMask = nullptr;
  const CEGUI::Image* mHoverImage = nullptr;
  GUIAnim* mOverlay = nullptr;
  GUIAnim* mSweep = nullptr;
  float mProgress = 1.0f;  // cooldown: 0 just placed, 1 ready
  CEGUI::ColourRect mColours{CEGUI::Colour(1, 1, 1, 1)};
  bool mHover = false;
  bool mDimmed = false;
};

class CGAGUIIconEx : public CGAGUICommon {
 public:
  class Listener {
   public:
    virtual ~Listener() {}
    // A left click on one of the host's icons.
    virtual bool OnIconClick(const CEGUI::EventArgs&, CGAGUIIconEx*) { return true; }
  };

  explicit CGAGUIIconEx(int id = 0);
  ~CGAGUIIconEx() override;
  CGAGUIIconEx(const CGAGUIIconEx&) = delete;
  CGAGUIIconEx& operator=(const CGAGUIIconEx&) = delete;

  // Picture, binding and tooltip.
  void SetUnit(UnitTemplate* unitType);
  UnitTemplate* GetUnit() const { return mUnit; }
  void SetListener(Listener* listener) { mListener = listener; }
  // Moves the icon into a host window (null: out of its host). Dragging stays
  // off unless keepDragDisabled is false.
  void AttachTo(CEGUI::Window* host, bool keepDragDisabled = true);
  CEGUI::Window* GetHost() const { return mHost; }
  // Dims the picture (the type is in the bar) or brightens it again.
  void SetSelected(bool selected);

  CGAGUIIconItem* GetItem() const { return mItem; }
  CEGUI::Window* GetWindow() const { return mDrag; }
  int GetId() const { return mId; }

  bool OnMouseClick(const CEGUI::EventArgs& args);
  bool OnUpdate(const CEGUI::EventArgs& args);
  bool OnMouseEnters(const CEGUI::EventArgs& args);
  bool OnMouseLeaves(const CEGUI::EventArgs& args);

 private:
  void ItemChanged();

  CEGUI::Window* mDrag = nullptr;
  CEGUI::Window* mHost = nullptr;
  CEGUI::Listbox* mList = nullptr;
  CGAGUIIconItem* mItem = nullptr;
  int mId;
  Listener* mListener = nullptr;
  UnitTemplate* mUnit = nullptr;
};

// The picture an icon text names, made on first use: cell (y, z) of the
// 64-pixel grid of the picture file prefix + x + ".tga"; "DefaultIcon" for a
// negative number or a missing file (null when that is not loaded either).
const CEGUI::Image* LoadIconImage(const CEGUI::String& prefix, const std::string& icon);
