#pragma once
// One laid-out piece of a rich-text item (see screens/ListBoxRichItem.h): a
// text run, an inline picture or an animated picture at its place in the
// item, with the colours, outline and link it is drawn with. A text keeps
// the quads of its glyphs from its first drawing on.
#include <CEGUI/ColourRect.h>
#include <CEGUI/Rect.h>
#include <CEGUI/Size.h>
#include <CEGUI/String.h>
#include <CEGUI/Vector.h>

#include <vector>

namespace CEGUI {
class Font;
class GeometryBuffer;
class Image;
}  // namespace CEGUI
class CGAListBoxRichItem;
class GUIAnim;

// A link of the markup: where it leads and the text it shows.
struct RichLink {
  CEGUI::String target;
  CEGUI::String text;
};

// One glyph of a text, placed relative to the text's origin.
struct GlyphQuad {
  CEGUI::Vector2f position;
  CEGUI::Sizef size;
  const CEGUI::Image* image;
};

class RichElement {
 public:
  // The owner gives the font and the hovered link; none leaves a text
  // unmeasured and the element undrawn.
  explicit RichElement(const CGAListBoxRichItem* owner) : mOwner(owner) {}

  // The content, and with it the rect's size: a text's extent and its font's
  // height (with the owner's font), an image's size, an animation's frame
  // size. Setting a text empties the glyph cache.
  void SetText(const CEGUI::String& text);
  void SetImage(const CEGUI::Image* image);
  void SetAnim(GUIAnim* anim);
  const CEGUI::String& GetText() const { return mText; }
  const std::vector<GlyphQuad>& GetGlyphs() const { return mGlyphs; }

  // Draws the element at its place in target with the owner's font, and
  // keeps where it went in rect. A picture stands on its line's text; a link
  // is drawn green, red while it is the owner's data.
  void Draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& target, float alpha, const CEGUI::Rectf* clipper);

  CEGUI::Vector2f position{0, 0};  // top left of the element's line slot, relative to the item
  CEGUI::Rectf rect{0, 0, 0, 0};   // where it was last drawn, for the link under the mouse
  CEGUI::ColourRect colours{CEGUI::Colour(1, 1, 1, 1)};
  CEGUI::ColourRect outlineColours{CEGUI::Colour(1, 0, 0, 1)};
  bool outline = true;
  RichLink* link = nullptr;

 private:
  // The text at origin as the font draws it at scale 1, from the glyph cache,
  // which the first drawing builds.
  void DrawGlyphs(const CEGUI::Font& font, CEGUI::GeometryBuffer& buffer, const CEGUI::Vector2f& origin,
                  const CEGUI::Rectf* clipper, const CEGUI::ColourRect& colours);

  const CGAListBoxRichItem* mOwner;
  const CEGUI::Image* mImage = nullptr;
  GUIAnim* mAnim = nullptr;
  CEGUI::String mText;
  std::vector<GlyphQuad> mGlyphs;
  const CEGUI::Font* mGlyphFont = nullptr;  // the font the cache was built with
};
