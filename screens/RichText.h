#pragma once
// Rich texts: the brace-tag markup of floating labels and list items, laid
// out into lines of a given width. Lines break between characters, never at
// word boundaries; a line's pictures stand on its text. Sizes come from a
// RichTextTarget, which also takes the elements, so the layout runs without
// the GUI.
//
// Markup: a line feed ends a line; "{name,field,...}" is a tag (when a "}"
// follows); a "}" that closes no tag is dropped; everything else is text.
//   {colour,AARRGGBB}           later text in that colour
//   {online,AARRGGBB}           later text outlined in that colour
//   {offline}                   later text not outlined
//   {image,name[,target,text]}  an inline picture of at most 48 x 48 pixels
//   {anim,ID[,target,text]}     the same with a GUI animation
//   {hlink,target,text}         the text as a link
#include "screens/RichElement.h"

#include <CEGUI/Size.h>
#include <CEGUI/String.h>
#include <CEGUI/Vector.h>

namespace CEGUI {
class Image;
}
class GUIAnim;

// Pictures larger than this in either direction are left out.
constexpr float kRichPictureMax = 48.0f;

// An inline picture: an image or an animation, with its size.
struct RichPicture {
  const CEGUI::Image* image = nullptr;
  GUIAnim* anim = nullptr;
  CEGUI::Sizef size{0, 0};
};

// Where a layout goes: the sizes it measures with, and the records it makes,
// which the target owns. The rich-text item is the game's one target.
class RichTextTarget {
 public:
  virtual ~RichTextTarget() {}
  virtual float FontHeight() const = 0;
  // Space above a line's text: half the font's extra line spacing.
  virtual float LineOffset() const = 0;
  virtual float TextExtent(const CEGUI::String& text) const = 0;
  // A picture by its name in the markup; false when there is none.
  virtual bool FindImage(const CEGUI::String& name, RichPicture& picture) const = 0;
  virtual bool FindAnim(const CEGUI::String& id, RichPicture& picture) const = 0;

  virtual RichLink* AddLink(const CEGUI::String& target, const CEGUI::String& text) = 0;
  // Each appends one element; null for nothing to show (an empty text).
  virtual RichElement* AddText(const CEGUI::String& text, const CEGUI::Vector2f& position,
                               const CEGUI::ColourRect& colours, bool outline,
                               const CEGUI::ColourRect& outlineColours, RichLink* link) = 0;
  virtual RichElement* AddImage(const CEGUI::Image* image, const CEGUI::Vector2f& position, RichLink* link) = 0;
  virtual RichElement* AddAnim(GUIAnim* anim, const CEGUI::Vector2f& position, RichLink* link) = 0;
};

// Lays markup out into the target's elements and links, and answers the
// widest line and the height of all lines in `size`. Refuses (false; the
// target may hold part of the text) a negative wrap width, and one in which
// a character or a picture alone does not fit: no line could ever take it.
bool LayOutRichText(const CEGUI::String& markup, float wrapWidth, RichTextTarget& target, CEGUI::Sizef& size);

// The line offset of a font: (line spacing at vertical scale 1.3 - height) / 2,
// rounded half away from zero.
float RichLineOffset(float lineSpacingAt13, float fontHeight);
