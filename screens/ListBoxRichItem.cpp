#include "screens/ListBoxRichItem.h"

#include "screens/GUIAnim.h"
#include "screens/GUICommon.h"

#include <CEGUI/CEGUI.h>

#include <cstdio>
#include <limits>

namespace {

// Sizes from the GUI's font and images.
class FontMetrics : public RichTextMetrics {
 public:
  explicit FontMetrics(const CEGUI::Font& font) : mFont(font) {}
  float FontHeight() const override { return mFont.getFontHeight(); }
  float LineOffset() const override { return RichLineOffset(mFont.getLineSpacing(1.3f), mFont.getFontHeight()); }
  float TextExtent(const CEGUI::String& text) const override { return mFont.getTextExtent(text); }
  bool FindImage(const CEGUI::String& name, RichPicture& picture) const override {
    picture.image = CGAGUICommon::FindImage(name);
    if (!picture.image) return false;
    picture.size = picture.image->getRenderedSize();
    return true;
  }
  bool FindAnim(const CEGUI::String& id, RichPicture& picture) const override {
    GUIAnimManager* anims = GUIAnimManager::Get();
    picture.anim = anims ? anims->Find(id) : nullptr;
    if (!picture.anim) return false;
    picture.size = picture.anim->frameSize;
    return true;
  }

 private:
  const CEGUI::Font& mFont;
};

CEGUI::ColourRect WithAlpha(const CEGUI::Colour& colour, float alpha) {
  CEGUI::ColourRect colours(colour);
  colours.setAlpha(alpha);
  return colours;
}

const CEGUI::Colour kLinkColour(0, 1, 0, 1);
const CEGUI::Colour kHoveredLinkColour(1, 0, 0, 1);

}  // namespace

CGAListBoxRichItem::CGAListBoxRichItem(const CEGUI::String& text, CEGUI::uint itemId, void* itemData, bool disabled,
                                       bool autoDelete)
    : CEGUI::ListboxItem(text, itemId, itemData, disabled, autoDelete),
      mHoverPoint(std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()) {}

void CGAListBoxRichItem::SetFont(const CEGUI::String& name) { mFont = &CEGUI::FontManager::getSingleton().get(name); }

const CEGUI::Font* CGAListBoxRichItem::GetFont() const {
  if (mFont) return mFont;
  if (d_owner) return d_owner->getFont();
  return CEGUI::System::getSingleton().getDefaultGUIContext().getDefaultFont();
}

void CGAListBoxRichItem::Clear() {
  // The hovered link goes with the links.
  for (const RichLink& link : mLayout.links)
    if (getUserData() == &link) setUserData(nullptr);
  mLayout = RichLayout();
}

void CGAListBoxRichItem::UpdateHover(const CEGUI::Vector2f& screenPoint) {
  mHoverPoint = d_owner ? CEGUI::CoordConverter::screenToWindow(*d_owner, screenPoint) : screenPoint;
  RichLink* hovered = nullptr;
  for (const RichElement& element : mLayout.elements)
    if (element.link >= 0 && element.rect.isPointInRect(mHoverPoint)) hovered = &mLayout.links[element.link];
  if (hovered == getUserData()) return;
  setUserData(hovered);
  // The item knows its list box as const only; the list box is ours to tell.
  if (auto* list = dynamic_cast<const CEGUI::Listbox*>(d_owner))
    const_cast<CEGUI::Listbox*>(list)->handleUpdatedItemData();
  if (hovered) std::printf("%s %s \n", hovered->target.c_str(), hovered->text.c_str());
}

CEGUI::Sizef CGAListBoxRichItem::Layout(float wrapWidth) {
  const CEGUI::Font* font = GetFont();
  if (!mLayout.elements.empty() || !font) return CEGUI::Sizef(0, 0);
  if (!LayOutRichText(getText(), wrapWidth, FontMetrics(*font), mLayout)) return CEGUI::Sizef(0, 0);
  mPixelSize = CEGUI::Sizef(wrapWidth, mLayout.size.d_height);
  return mLayout.size;
}

void CGAListBoxRichItem::draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& targetRect, float alpha,
                              const CEGUI::Rectf* clipper) const {
  if (alpha < 0.1f) return;
  if (d_selectBrush) {
    const CEGUI::Rectf line(targetRect.getPosition(), CEGUI::Sizef(mPixelSize.d_width, targetRect.getHeight()));
    if (line.isPointInRect(mHoverPoint))
      d_selectBrush->render(buffer, targetRect, clipper,
                            getModulateAlphaColourRect(CEGUI::ColourRect(CEGUI::Colour(1, 1, 1, 1)), alpha));
  }
  const CEGUI::Font* font = GetFont();
  for (RichElement& element : mLayout.elements) DrawElement(element, font, buffer, targetRect, alpha, clipper);
}

void CGAListBoxRichItem::DrawElement(RichElement& element, const CEGUI::Font* font, CEGUI::GeometryBuffer& buffer,
                                     const CEGUI::Rectf& target, float alpha, const CEGUI::Rectf* clipper) const {
  if (!font) return;
  const float lineOffset = RichLineOffset(font->getLineSpacing(1.3f), font->getFontHeight());
  const bool hovered = element.link >= 0 && getUserData() == &mLayout.links[element.link];
  if (element.text.empty()) {
    // A picture stands on the line's text: its bottom level with the text's.
    const RichPicture& picture = element.picture;
    const CEGUI::Vector2f at(target.left() + element.position.d_x,
                             target.top() + font->getFontHeight() + lineOffset + element.position.d_y -
                                 picture.size.d_height);
    element.rect = CEGUI::Rectf(at, picture.size);
    const CEGUI::ColourRect colours =
        hovered ? CEGUI::ColourRect(kHoveredLinkColour) : WithAlpha(element.colour, alpha);
    const CEGUI::Image* image = picture.anim ? picture.anim->CurrentFrame() : picture.image;
    if (image) image->render(buffer, element.rect, clipper, colours);
    return;
  }
  const CEGUI::Vector2f origin(target.left() + element.position.d_x,
                               target.top() + lineOffset + element.position.d_y);
  element.rect.setPosition(origin);
  const CEGUI::Colour colour = element.link < 0 ? element.colour : hovered ? kHoveredLinkColour : kLinkColour;
  if (element.outline)
    CGAGUICommon::DrawOutlinedText(*font, buffer, element.text, origin, clipper,
                                   WithAlpha(element.outlineColour, alpha));
  font->drawText(buffer, element.text, origin, clipper, WithAlpha(colour, alpha));
}
