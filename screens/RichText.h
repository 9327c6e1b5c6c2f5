#pragma once
// Rich texts: the brace-tag markup of floating labels and list items, laid
// out into lines of a given width. Lines break between characters, never at
// word boundaries; a line's pictures stand on its text. Font and picture
// sizes come from a RichTextMetrics, so the layout runs without the GUI.
//
// Markup: a line feed ends a line; "{name,field,...}" is a tag (when a "}"
// follows); a "}" that closes no tag is dropped; everything else is text.
//   {colour,AARRGGBB}           later text in that colour
//   {online,AARRGGBB}           later text outlined in that colour
//   {offline}                   later text not outlined
//   {image,name[,target,text]}  an inline picture of at most 48 x 48 pixels
//   {anim,ID[,target,text]}     the same with a GUI animation
//   {hlink,target,text}         the text as a link
#include <CEGUI/Colour.h>
#include <CEGUI/Rect.h>
#include <CEGUI/Size.h>
#include <CEGUI/String.h>
#include <CEGUI/Vector.h>

#include <vector>

namespace CEGUI {
class Image;
}
class GUIAnim;

// Pictures larger than this in either direction are left out.
constexpr float kRichPictureMax = 48.0f;

struct RichLink {
  CEGUI::String target;
  CEGUI::String text;
};

// An inline picture: an image or an animation, with its size.
struct RichPicture {
  const CEGUI::Image* image = nullptr;
  GUIAnim* anim = nullptr;
  CEGUI::Sizef size{0, 0};
};

// One laid-out piece: a text run or a picture.
struct RichElement {
  CEGUI::String text;  // empty for a picture
  RichPicture picture;
  CEGUI::Vector2f position{0, 0};  // top left of the element's line slot
  CEGUI::Colour colour{1, 1, 1, 1};
  bool outline = false;
  CEGUI::Colour outlineColour{0, 0, 0, 1};
  int link = -1;  // index into RichLayout::links, -1 for none
  // Where the element was last drawn, for the link under the mouse; its size
  // (a text's extent and the font's height, a picture's size) comes with the
  // layout, its position with each drawing.
  CEGUI::Rectf rect{0, 0, 0, 0};
};

class RichTextMetrics {
 public:
  virtual ~RichTextMetrics() {}
  virtual float FontHeight() const = 0;
  // Space above a line's text: half the font's extra line spacing.
  virtual float LineOffset() const = 0;
  virtual float TextExtent(const CEGUI::String& text) const = 0;
  // A picture by its name in the markup; false when there is none.
  virtual bool FindImage(const CEGUI::String& name, RichPicture& picture) const = 0;
  virtual bool FindAnim(const CEGUI::String& id, RichPicture& picture) const = 0;
};

struct RichLayout {
  std::vector<RichElement> elements;
  std::vector<RichLink> links;
  CEGUI::Sizef size{0, 0};  // the widest line, and the height of all lines
};

// Lays markup out into `out` (which it empties first). Refuses (false, `out`
// left empty) a negative wrap width, and one in which a character or a
// picture alone does not fit: no line could ever take it.
bool LayOutRichText(const CEGUI::String& markup, float wrapWidth, const RichTextMetrics& metrics, RichLayout& out);

// The line offset of a font: (line spacing at vertical scale 1.3 - height) / 2,
// rounded half away from zero.
float RichLineOffset(float lineSpacingAt13, float fontHeight);
