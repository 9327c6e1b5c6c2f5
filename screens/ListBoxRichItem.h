#pragma once
// A GUI list item showing a rich text (see screens/RichText.h): laid out once
// at a wrap width, then drawn from its elements as often as needed. The
// floating labels draw it into geometry of their own.
#include "screens/RichText.h"

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

  CEGUI::Sizef getPixelSize() const override { return mPixelSize; }
  void draw(CEGUI::GeometryBuffer& buffer, const CEGUI::Rectf& targetRect, float alpha,
            const CEGUI::Rectf* clipper) const override;

 private:
  void DrawElement(const RichElement& element, const CEGUI::Font* font, CEGUI::GeometryBuffer& buffer,
                   const CEGUI::Rectf& target, float alpha, const CEGUI::Rectf* clipper) const;

  const CEGUI::Font* mFont = nullptr;
  RichLayout mLayout;
  CEGUI::Sizef mPixelSize{0, 0};
};
