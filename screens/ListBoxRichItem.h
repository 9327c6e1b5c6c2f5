#pragma once
// A GUI list item showing a rich text (see screens/RichText.h): laid out once
// at a wrap width into elements (screens/RichElement.h), then drawn from them
// as often as needed. The floating labels draw it into geometry of their
// own. Inside a list box it follows the mouse over its links: the link under
// the mouse is the item's data and is drawn red, and the selection brush
// marks the item under the mouse.
#include "screens/RichElement.h"

#include <CEGUI/Vector.h>
#include <CEGUI/widgets/ListboxItem.h>

#include <memory>
#include <vector>

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

  // Deletes the elements and the links.
  void Clear();
  // Lays the text out (once: a laid-out item answers a zero size until
  // cleared) and answers the widest line and the height; a zero size also
  // without a font, or for a width that cannot take the text's characters.
  CEGUI::Sizef Layout(float wrapWidth);
  void SetPixelSize(const CEGUI::Sizef& size) { mPixelSize = size; }

  // Each appends one element, owned by the item, and answers it: a text run
  // (none for an empty text), a picture, an animated picture (none without
  // one). A link given is one of the item's own.
  RichElement* AddText(const CEGUI::String& text, const CEGUI::Vector2f& position, const CEGUI::ColourRect& colours,
                       bool outline, const CEGUI::ColourRect& outlineColours, RichLink* link);
  RichElement* AddImage(const CEGUI::Image* image, const CEGUI::Vector2f& position, RichLink* link);
  RichElement* AddAnim(GUIAnim* anim, const CEGUI::Vector2f& position, RichLink* link);
  // A link record, owned by the item.
  RichLink* AddLink(const CEGUI::String& target, const CEGUI::String& text);

  // In the order they were added.
  const std::vector<std::unique_ptr<RichElement>>& GetElements() const { return mElements; }
  const std::vector<std::unique_ptr<RichLink>>& GetLinks() const { return mLinks; }

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
  RichElement* Append(std::unique_ptr<RichElement> element, const CEGUI::Vector2f& position, RichLink* link);

  std::vector<std::unique_ptr<RichLink>> mLinks;
  std::vector<std::unique_ptr<RichElement>> mElements;
  const CEGUI::Font* mFont = nullptr;
  CEGUI::Sizef mPixelSize{0, 0};
  CEGUI::Vector2f mHoverPoint;
};
