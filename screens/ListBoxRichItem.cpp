#include "screens/ListBoxRichItem.h"

#include "screens/GUIAnim.h"
#include "screens/GUICommon.h"

#include <CEGUI/CEGUI.h>

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

}  // namespace

CGAListBoxRichItem::CGAListBoxRichItem(const CEGUI::String& text, CEGUI::uint itemId, void* itemData, bool disabled,
                                       bool autoDelete)
    : CEGUI::ListboxItem(text, itemId, itemData, disabled, autoDelete) {}

void CGAListBoxRichItem::SetFont(const CEGUI::String& name) { mFont = &CEGUI::FontManager::getSingleton().get(name); }

const CEGUI::Font* CGAListBoxRichItem::GetFont() const {
  if (mFont) return mFont;
  if (d_owner) return d_owner->getFont();
  return CEGUI::System::getSingleton().getDefaultGUIContext().getDefaultFont();
}

void CGAListBoxRichItem::Clear() { mLayout = RichLayout(); }

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
  const CEGUI::Font* font = GetFont();
  for (const RichElement& element : mLayout.elements) DrawElement(element, font, buffer, targetRect, alpha, clipper);
}

void CGAListBoxRichItem::DrawElement(const RichElement& element, const CEGUI::Font* font,
                                     CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& target, float alpha,
                                     const CEGUI::Rectf* clipper) const {
  if (!font) return;
  const float lineOffset = RichLineOffset(font->getLineSpacing(1.3f), font->getFontHeight());
  if (element.text.empty()) {
    // A picture stands on the line's text: its bottom level with the text's.
    const RichPicture& picture = element.picture;
    const CEGUI::Vector2f at(target.left() + element.position.d_x,
                             target.top() + font->getFontHeight() + lineOffset + element.position.d_y -
                                 picture.size.d_height);
    const CEGUI::Image* image = picture.anim ? picture.anim->CurrentFrame() : picture.image;
    if (image) image->render(buffer, CEGUI::Rectf(at, picture.size), clipper, WithAlpha(element.colour, alpha));
    return;
  }
  const CEGUI::Vector2f origin(target.left() + element.position.d_x,
                               target.top() + lineOffset + element.position.d_y);
  const CEGUI::Colour colour = element.link >= 0 ? CEGUI::Colour(0, 1, 0, 1) : element.colour;
  if (element.outline)
    CGAGUICommon::DrawOutlinedText(*font, buffer, element.text, origin, clipper,
                                   WithAlpha(element.outlineColour, alpha));
  font->drawText(buffer, element.text, origin, clipper, WithAlpha(colour, alpha));
}
