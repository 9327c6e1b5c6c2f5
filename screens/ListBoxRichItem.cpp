#include "screens/ListBoxRichItem.h"

#include "screens/GUIAnim.h"
#include "screens/GUICommon.h"
#include "screens/RichText.h"

#include <CEGUI/CEGUI.h>

#include <cstdio>
#include <limits>

namespace {

// The item as the layout's target: sizes from its font and the GUI's
// pictures, and the records into the item.
class ItemLayoutTarget : public RichTextTarget {
 public:
  ItemLayoutTarget(CGAListBoxRichItem& item, const CEGUI::Font& font) : mItem(item), mFont(font) {}
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

  RichLink* AddLink(const CEGUI::String& target, const CEGUI::String& text) override {
    return mItem.AddLink(target, text);
  }
  RichElement* AddText(const CEGUI::String& text, const CEGUI::Vector2f& position, const CEGUI::ColourRect& colours,
                       bool outline, const CEGUI::ColourRect& outlineColours, RichLink* link) override {
    return mItem.AddText(text, position, colours, outline, outlineColours, link);
  }
  RichElement* AddImage(const CEGUI::Image* image, const CEGUI::Vector2f& position, RichLink* link) override {
    return mItem.AddImage(image, position, link);
  }
  RichElement* AddAnim(GUIAnim* anim, const CEGUI::Vector2f& position, RichLink* link) override {
    return mItem.AddAnim(anim, position, link);
  }

 private:
  CGAListBoxRichItem& mItem;
  const CEGUI::Font& mFont;
};

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
  for (const auto& link : mLinks)
    if (getUserData() == link.get()) setUserData(nullptr);
  mElements.clear();
  mLinks.clear();
}

RichElement* CGAListBoxRichItem::Append(std::unique_ptr<RichElement> element, const CEGUI::Vector2f& position,
                                        RichLink* link) {
  element->position = position;
  element->link = link;
  mElements.push_back(std::move(element));
  return mElements.back().get();
}

RichElement* CGAListBoxRichItem::AddText(const CEGUI::String& text, const CEGUI::Vector2f& position,
                                         const CEGUI::ColourRect& colours, bool outline,
                                         const CEGUI::ColourRect& outlineColours, RichLink* link) {
  if (text.empty()) return nullptr;
  auto element = std::make_unique<RichElement>(this);
  element->SetText(text);
  element->colours = colours;
  element->outline = outline;
  element->outlineColours = outlineColours;
  return Append(std::move(element), position, link);
}

RichElement* CGAListBoxRichItem::AddImage(const CEGUI::Image* image, const CEGUI::Vector2f& position,
                                          RichLink* link) {
  if (!image) return nullptr;
  auto element = std::make_unique<RichElement>(this);
  element->SetImage(image);
  return Append(std::move(element), position, link);
}

RichElement* CGAListBoxRichItem::AddAnim(GUIAnim* anim, const CEGUI::Vector2f& position, RichLink* link) {
  if (!anim) return nullptr;
  auto element = std::make_unique<RichElement>(this);
  element->SetAnim(anim);
  return Append(std::move(element), position, link);
}

RichLink* CGAListBoxRichItem::AddLink(const CEGUI::String& target, const CEGUI::String& text) {
  mLinks.push_back(std::make_unique<RichLink>(RichLink{target, text}));
  return mLinks.back().get();
}

void CGAListBoxRichItem::UpdateHover(const CEGUI::Vector2f& screenPoint) {
  mHoverPoint = d_owner ? CEGUI::CoordConverter::screenToWindow(*d_owner, screenPoint) : screenPoint;
  RichLink* hovered = nullptr;
  for (const auto& element : mElements)
    if (element->link && element->rect.isPointInRect(mHoverPoint)) hovered = element->link;
  if (hovered == getUserData()) return;
  setUserData(hovered);
  // The item knows its list box as const only; the list box is ours to tell.
  if (auto* list = dynamic_cast<const CEGUI::Listbox*>(d_owner))
    const_cast<CEGUI::Listbox*>(list)->handleUpdatedItemData();
  if (hovered) std::printf("%s %s \n", hovered->target.c_str(), hovered->text.c_str());
}

CEGUI::Sizef CGAListBoxRichItem::Layout(float wrapWidth) {
  const CEGUI::Font* font = GetFont();
  if (!mElements.empty() || !font) return CEGUI::Sizef(0, 0);
  ItemLayoutTarget target(*this, *font);
  CEGUI::Sizef size;
  if (!LayOutRichText(getText(), wrapWidth, target, size)) {
    Clear();
    return CEGUI::Sizef(0, 0);
  }
  mPixelSize = CEGUI::Sizef(wrapWidth, size.d_height);
  return size;
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
  // Drawing keeps where each element went, and fills the glyph caches.
  for (const auto& element : mElements) element->Draw(buffer, targetRect, alpha, clipper);
}
