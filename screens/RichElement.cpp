#include "screens/RichElement.h"

#include "screens/GUIAnim.h"
#include "screens/GUICommon.h"
#include "screens/ListBoxRichItem.h"
#include "screens/RichText.h"

#include <CEGUI/Font.h>
#include <CEGUI/FontGlyph.h>
#include <CEGUI/Image.h>

namespace {

const CEGUI::Colour kLinkColour(0, 1, 0, 1);
const CEGUI::Colour kHoveredLinkColour(1, 0, 0, 1);

CEGUI::ColourRect WithAlpha(CEGUI::ColourRect colours, float alpha) {
  colours.setAlpha(alpha);
  return colours;
}

}  // namespace

void RichElement::SetText(const CEGUI::String& text) {
  mText = text;
  mGlyphs.clear();
  mGlyphFont = nullptr;
  if (const CEGUI::Font* font = mOwner ? mOwner->GetFont() : nullptr)
    rect.setSize(CEGUI::Sizef(font->getTextExtent(text), font->getFontHeight()));
}

void RichElement::SetImage(const CEGUI::Image* image) {
  mImage = image;
  if (image) rect.setSize(image->getRenderedSize());
}

void RichElement::SetAnim(GUIAnim* anim) {
  mAnim = anim;
  if (anim) rect.setSize(anim->frameSize);
}

void RichElement::Draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& target, float alpha,
                       const CEGUI::Rectf* clipper) {
  const CEGUI::Font* font = mOwner ? mOwner->GetFont() : nullptr;
  if (!font) return;
  const float lineOffset = RichLineOffset(font->getLineSpacing(1.3f), font->getFontHeight());
  const bool hovered = link && mOwner->getUserData() == link;
  if (mText.empty()) {
    // A picture stands on the line's text: its bottom level with the text's.
    const CEGUI::Sizef size = rect.getSize();
    rect.setPosition(CEGUI::Vector2f(target.left() + position.d_x,
                                     target.top() + font->getFontHeight() + lineOffset + position.d_y - size.d_height));
    const CEGUI::ColourRect drawn = hovered ? CEGUI::ColourRect(kHoveredLinkColour) : WithAlpha(colours, alpha);
    const CEGUI::Image* image = mAnim ? mAnim->CurrentFrame() : mImage;
    if (image) image->render(buffer, rect, clipper, drawn);
    return;
  }
  const CEGUI::Vector2f origin(target.left() + position.d_x, target.top() + lineOffset + position.d_y);
  rect.setPosition(origin);
  const CEGUI::ColourRect drawn =
      WithAlpha(link ? CEGUI::ColourRect(hovered ? kHoveredLinkColour : kLinkColour) : colours, alpha);
  if (outline) {
    const CEGUI::ColourRect edge = WithAlpha(outlineColours, alpha);
    for (const CEGUI::Vector2f& offset : CGAGUICommon::kOutlineOffsets)
      DrawGlyphs(*font, buffer, origin + offset, clipper, edge);
  }
  DrawGlyphs(*font, buffer, origin, clipper, drawn);
}

void RichElement::DrawGlyphs(const CEGUI::Font& font, CEGUI::GeometryBuffer& buffer, const CEGUI::Vector2f& origin,
                             const CEGUI::Rectf* clipper, const CEGUI::ColourRect& colours) {
  // An auto-scaled font makes its glyph images anew when the display changes
  // size: quads cut from it are not kept past the drawing.
  if (mGlyphFont != &font || font.getAutoScaled() != CEGUI::ASM_Disabled) {
    mGlyphs.clear();
    mGlyphFont = &font;
    // The pen of the GUI's own text drawing at scale 1.
    float x = 0;
    for (size_t i = 0; i < mText.length(); ++i) {
      const CEGUI::FontGlyph* glyph = font.getGlyphData(mText[i]);
      if (!glyph || !glyph->getImage()) continue;
      mGlyphs.push_back(GlyphQuad{CEGUI::Vector2f(x, font.getBaseline()), glyph->getSize(1, 1), glyph->getImage()});
      x += glyph->getAdvance();
    }
  }
  // The glyph image applies its own offset.
  for (const GlyphQuad& quad : mGlyphs)
    quad.image->render(buffer, origin + quad.position, quad.size, clipper, colours);
}
