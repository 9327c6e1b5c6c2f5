#pragma once
// A GUI list item showing a rich text (see screens/RichText.h): laid out once
// at a wrap width, then drawn from its elements as often as needed. The
// floating labels draw it into geometry of their own. Inside a list box it
// follows the mouse over its links: the link under the mouse is the item's
// data and is drawn red, and the selection brush marks the item under the
// mouse.
#include "screens/RichText.h"

#include <CEGUI/Vector.h>
#include <CEGUI/widgets/ListboxItem.h>

namespace CEGUI {
class Font;
}

class CGAListBoxRichItem : public CEGUI::ListboxItem {
 public:
  explicit CGAListBoxRichItem(const CEGUI::String& text, CEGUI::uint itemId = 0, void* itemData = nullptr,
                              bool disabled = false, bool autoDelete = true);

  // The GUI library throws for a font it does not hold.
  void SetFont(const CEGUI::String& name);
  // The item's font, else its list box's, else the GUI's default font.
  const CEGUI::Font* GetFont() const;

  void Clear();
  // Lays the text out (once: a laid-out item answers a zero size until
  // cleared) and answers the widest line and the height; a zero size also
  // without a font, or for a width that cannot take the text's characters.
  CEGUI::Sizef Layout(float wrapWidth);
  void SetPixelSize(const CEGUI::Sizef& size) { mPixelSize = size; }
  const RichLayout& GetLayout() const { return mLayout; }

  // The mouse at a screen point: kept in the list box's coordinates, and the
  // link drawn there last (the last such element in layout order), or none,
  // becomes the item's data; a change redraws the list box and names the
  // link on the standard output.
  void UpdateHover(const CEGUI::Vector2f& screenPoint);
  // Where UpdateHover last put the mouse; before that, a point no drawn
  // element covers.
  const CEGUI::Vector2f& GetHoverPoint() const { return mHoverPoint; }

  CEGUI::Sizef getPixelSize() const override { return mPixelSize; }
  void draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& targetRect, float alpha,
            const CEGUI::Rectf* clipper) const override;

 private:
  void DrawElement(RichElement& element, const CEGUI::Font* font, CEGUI::GeometryBuffer& buffer,
                   const CEGUI::Rectf& target, float alpha, const CEGUI::Rectf* clipper) const;

  const CEGUI::Font* mFont = nullptr;
  // Drawing keeps where each element went, for UpdateHover.
  mutable RichLayout mLayout;
  CEGUI::Sizef mPixelSize{0, 0};
  CEGUI::Vector2f mHoverPoint;
};
