#include "screens/GUIIconEx.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "screens/GUIAnim.h"
#include "screens/LevelState.h"
#include "screens/UnitIcon.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>

namespace {

const char* const kMaskImage = "set:Mask image:Mask_0";
const char* const kFallbackImage = "DefaultIcon/DefaultIcon";
const char* const kSweepAnim = "icon_effect_1";
const char* const kNumberFont = "DejaVuSans-10";

const CEGUI::ColourRect kWhite(CEGUI::Colour(1, 1, 1, 1));

}  // namespace

const CEGUI::Image* LoadIconImage(const CEGUI::String& prefix, const std::string& icon) {
  const IconPicture picture = ParseIconText(prefix.c_str(), icon);
  if (picture.fallback) return CGAGUICommon::FindImage(kFallbackImage);

  CEGUI::Renderer& renderer = *CEGUI::System::getSingleton().getRenderer();
  const CEGUI::String file(picture.imageset);
  if (!renderer.isTextureDefined(file)) {
    try {
      renderer.createTexture(file, file + ".tga", "");
    } catch (const CEGUI::Exception&) {
      // A unit type naming a picture the game lacks shows the fallback.
      GameLog("No unit picture " + picture.imageset + ".tga");
      return CGAGUICommon::FindImage(kFallbackImage);
    }
  }
  CEGUI::Texture& texture = renderer.getTexture(file);
  const CEGUI::String name = file + "/" + CEGUI::String(picture.image);
  CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
  if (!images.isDefined(name)) {
    auto& image = static_cast<CEGUI::BasicImage&>(images.create("BasicImage", name));
    image.setTexture(&texture);
    image.setArea(CEGUI::Rectf(CEGUI::Vector2f(static_cast<float>(picture.left), static_cast<float>(picture.top)),
                               CEGUI::Sizef(kIconCell, kIconCell)));
    image.setOffset(CEGUI::Vector2f(0, 0));
    image.setAutoScaled(CEGUI::ASM_Disabled);
  }
  return &images.get(name);
}

CGAGUIIconItem::CGAGUIIconItem() : CEGUI::ListboxItem("", 0, nullptr, false, true) {}

// The list box's whole inside: larger, it would show scroll bars.
CEGUI::Sizef CGAGUIIconItem::getPixelSize() const {
  return d_owner ? static_cast<const CEGUI::Listbox*>(d_owner)->getListRenderArea().getSize() : CEGUI::Sizef(0, 0);
}

void CGAGUIIconItem::draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& target, float alpha,
                          const CEGUI::Rectf* clipper) const {
  if (mIcon)
    mIcon->render(buffer, target, clipper,
                  CEGUI::ColourRect(mDimmed ? CEGUI::Colour(0.5f, 0.5f, 0.5f, 1) : CEGUI::Colour(1, 1, 1, 1)));
  if (mMask) mMask->render(buffer, target, clipper, kWhite);
  if (mSweep && mProgress < 1.0f) {
    const int frame = SweepFrame(static_cast<int>(mSweep->frames.size()), mProgress);
    if (frame >= 0 && mSweep->frames[frame]) mSweep->frames[frame]->render(buffer, target, clipper, kWhite);
  }
  if (mOverlay)
    if (const CEGUI::Image* frame = mOverlay->CurrentFrame()) frame->render(buffer, target, clipper, kWhite);
  if (isSelected() && d_selectBrush) d_selectBrush->render(buffer, target, clipper, kWhite);
  if (mHover && mHoverImage) mHoverImage->render(buffer, target, clipper, kWhite);

  const CEGUI::Font* font = d_owner ? d_owner->getFont() : nullptr;
  if (getText().empty() || !font) return;
  // The number in the bottom right corner, outlined in black.
  const CEGUI::Vector2f at(target.right() - font->getTextExtent(getText()), target.bottom() - font->getFontHeight());
  CGAGUICommon::DrawOutlinedText(*font, buffer, getText(), at, clipper, CEGUI::ColourRect(CEGUI::Colour(0, 0, 0, alpha)));
  font->drawText(buffer, getText(), at, clipper, CEGUI::ColourRect(CEGUI::Colour(1, 1, 1, alpha)));
}

CGAGUIIconEx::CGAGUIIconEx(int id) : mId(id) {
  CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
  const CEGUI::USize fill(CEGUI::UDim(1, 0), CEGUI::UDim(1, 0));

  mList = static_cast<CEGUI::Listbox*>(windows.createWindow("WindowsLook/Listbox"));
  mItem = new CGAGUIIconItem();
  mList->addItem(mItem);
  mList->setSize(fill);
  mList->setMousePassThroughEnabled(true);
  if (CEGUI::FontManager::getSingleton().isDefined(kNumberFont)) mList->setFont(kNumberFont);

  auto* drag = static_cast<CEGUI::DragContainer*>(windows.createWindow("DragContainer"));
  mDrag = drag;
  drag->addChild(mList);
  drag->setSize(fill);
  drag->setUserData(this);
  drag->setUserString("GUIIconEx", "");
  drag->setDraggingEnabled(false);

  drag->subscribeEvent(CEGUI::Window::EventMouseClick, CEGUI::Event::Subscriber(&CGAGUIIconEx::OnMouseClick, this));
  drag->subscribeEvent(CEGUI::Window::EventUpdated, CEGUI::Event::Subscriber(&CGAGUIIconEx::OnUpdate, this));
  drag->subscribeEvent(CEGUI::Window::EventMouseEntersSurface,
                       CEGUI::Event::Subscriber(&CGAGUIIconEx::OnMouseEnters, this));
  drag->subscribeEvent(CEGUI::Window::EventMouseLeavesSurface,
                       CEGUI::Event::Subscriber(&CGAGUIIconEx::OnMouseLeaves, this));

  // Without the animation the cooldown still runs, it is only not drawn.
  if (GUIAnimManager* anims = GUIAnimManager::Get()) mItem->SetSweep(anims->Find(kSweepAnim));
}

CGAGUIIconEx::~CGAGUIIconEx() {
  // The list box goes with its container, and the item with the list box.
  CEGUI::WindowManager::getSingleton().destroyWindow(mDrag);
}

void CGAGUIIconEx::SetUnit(UnitTemplate* unitType) {
  if (!unitType->icon.empty()) mItem->SetIcon(LoadIconImage("UIHEAD", unitType->icon));
  mUnit = unitType;
  mDrag->setTooltipText(ToCEGUIString(UnitTooltip(*unitType)));
}

void CGAGUIIconEx::AttachTo(CEGUI::Window* host, bool keepDragDisabled) {
  if (host == mHost) return;
  if (mHost && mDrag->getParent() == mHost) mHost->removeChild(mDrag);
  if (!host) return;
  mHost = host;
  host->addChild(mDrag);
  if (!keepDragDisabled) static_cast<CEGUI::DragContainer*>(mDrag)->setDraggingEnabled(true);
  mList->setShowVertScrollbar(false);
  mList->setShowHorzScrollbar(false);
}

void CGAGUIIconEx::SetSelected(bool selected) {
  mItem->SetDimmed(selected);
  ItemChanged();
}

void CGAGUIIconEx::ItemChanged() { mList->handleUpdatedItemData(); }

bool CGAGUIIconEx::OnMouseClick(const CEGUI::EventArgs& args) {
  if (static_cast<const CEGUI::MouseEventArgs&>(args).button != CEGUI::LeftButton) return true;
  // A mask that still applies comes back at the next update.
  mItem->SetMask(nullptr);
  ItemChanged();
  if (mListener) mListener->OnIconClick(args, this);
  return true;
}

bool CGAGUIIconEx::OnUpdate(const CEGUI::EventArgs&) {
  if (!mDrag->isEffectiveVisible() || !mUnit) return true;
  bool changed = false;
  const bool masked = IconMasked(*mUnit, GameState, LevelSilver);
  if (masked != (mItem->GetMask() != nullptr)) {
    // Without the mask image there is nothing to set or redraw, frame after frame.
    const CEGUI::Image* mask = masked ? FindImage(kMaskImage) : nullptr;
    if (mask != mItem->GetMask()) {
      mItem->SetMask(mask);
      changed = true;
    }
  }
  // Set again when it differs, not only when empty: a changed price shows.
  const CEGUI::String number(IconNumber(*mUnit, GameState));
  if (mItem->getText() != number) {
    mItem->setText(number);
    changed = true;
  }
  float progress = 1.0f;
  if (GameState != kGameUnlocking && RunCooldown(*mUnit, FrameDeltaMs, BattlePaused != 0, progress)) {
    mItem->SetProgress(progress);
    changed = true;
  }
  if (changed) ItemChanged();
  return true;
}

bool CGAGUIIconEx::OnMouseEnters(const CEGUI::EventArgs& args) {
  if (mDrag->getClipRect().isPointInRect(static_cast<const CEGUI::MouseEventArgs&>(args).position))
    mItem->SetHover(true);
  return true;
}

bool CGAGUIIconEx::OnMouseLeaves(const CEGUI::EventArgs& args) {
  if (!mDrag->getClipRect().isPointInRect(static_cast<const CEGUI::MouseEventArgs&>(args).position))
    mItem->SetHover(false);
  return true;
}
