#include "screens/RichText.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// Every character 8 pixels wide; lines 16 high with 2 above the text. The
// elements and links are kept as the layout made them.
class RecordingTarget : public RichTextTarget {
 public:
  float FontHeight() const override { return 16; }
  float LineOffset() const override { return 2; }
  float TextExtent(const CEGUI::String& text) const override { return 8.0f * text.length(); }
  bool FindImage(const CEGUI::String& name, RichPicture& picture) const override {
    static const std::map<CEGUI::String, CEGUI::Sizef> kImages = {
        {"set:Icons image:Tall", CEGUI::Sizef(32, 40)}, {"set:Icons image:Huge", CEGUI::Sizef(60, 60)}};
    auto it = kImages.find(name);
    if (it == kImages.end()) return false;
    picture.size = it->second;
    picture.image = reinterpret_cast<const CEGUI::Image*>(this);  // any address: the layout only carries it
    return true;
  }
  bool FindAnim(const CEGUI::String&, RichPicture&) const override { return false; }

  RichLink* AddLink(const CEGUI::String& target, const CEGUI::String& text) override {
    links.push_back(std::make_unique<RichLink>(RichLink{target, text}));
    return links.back().get();
  }
  RichElement* AddText(const CEGUI::String& text, const CEGUI::Vector2f& position, const CEGUI::ColourRect& colours,
                       bool outline, const CEGUI::ColourRect& outlineColours, RichLink* link) override {
    RichElement* element = Add(position, link);
    element->SetText(text);
    element->colours = colours;
    element->outline = outline;
    element->outlineColours = outlineColours;
    return element;
  }
  // The images are stand-ins: only where they go counts.
  RichElement* AddImage(const CEGUI::Image*, const CEGUI::Vector2f& position, RichLink* link) override {
    return Add(position, link);
  }
  RichElement* AddAnim(GUIAnim*, const CEGUI::Vector2f& position, RichLink* link) override {
    return Add(position, link);
  }

  // The index of an element's link, -1 for none.
  int LinkOf(size_t element) const {
    for (size_t i = 0; i < links.size(); ++i)
      if (links[i].get() == elements[element]->link) return static_cast<int>(i);
    return -1;
  }
  CEGUI::Colour Colour(size_t element) const { return elements[element]->colours.d_top_left; }

  std::vector<std::unique_ptr<RichElement>> elements;
  std::vector<std::unique_ptr<RichLink>> links;

 private:
  RichElement* Add(const CEGUI::Vector2f& position, RichLink* link) {
    elements.push_back(std::make_unique<RichElement>(nullptr));
    elements.back()->position = position;
    elements.back()->link = link;
    return elements.back().get();
  }
};

struct Laid {
  bool ok;
  CEGUI::Sizef size;
  RecordingTarget out;
};

std::unique_ptr<Laid> LayOut(const CEGUI::String& markup, float width = 128) {
  auto result = std::make_unique<Laid>();
  result->ok = LayOutRichText(markup, width, result->out, result->size);
  return result;
}

// Text elements as "text@x,y"; pictures as "#@x,y".
std::vector<std::string> Pieces(const Laid& laid) {
  std::vector<std::string> pieces;
  for (const auto& e : laid.out.elements)
    pieces.push_back((e->GetText().empty() ? std::string("#") : std::string(e->GetText().c_str())) + "@" +
                     std::to_string(static_cast<int>(e->position.d_x)) + "," +
                     std::to_string(static_cast<int>(e->position.d_y)));
  return pieces;
}

using P = std::vector<std::string>;

TEST(RichText, TagsSplitRunsAndSetTheirColours) {
  auto label = LayOut("{colour,FFFFFF00}+$120");
  ASSERT_TRUE(label->ok);
  EXPECT_EQ(Pieces(*label), P{"+$120@0,0"});
  EXPECT_EQ(label->out.Colour(0), CEGUI::Colour(1, 1, 0, 1));
  EXPECT_EQ(label->size, CEGUI::Sizef(40, 18));

  auto two = LayOut("ab{colour,FFFF0000}cd");
  EXPECT_EQ(Pieces(*two), (P{"ab@0,0", "cd@16,0"}));
  EXPECT_EQ(two->out.Colour(0), CEGUI::Colour(1, 1, 1, 1));
  EXPECT_EQ(two->out.Colour(1), CEGUI::Colour(1, 0, 0, 1));
  EXPECT_EQ(two->size.d_width, 32);

  auto outlined = LayOut("a{online,FF0000FF}b{offline}c");
  ASSERT_EQ(outlined->out.elements.size(), 3u);
  EXPECT_FALSE(outlined->out.elements[0]->outline);
  EXPECT_TRUE(outlined->out.elements[1]->outline);
  EXPECT_EQ(outlined->out.elements[1]->outlineColours.d_bottom_right, CEGUI::Colour(0, 0, 1, 1));
  EXPECT_FALSE(outlined->out.elements[2]->outline);
}

TEST(RichText, BracesTagsAndFieldsFollowTheGrammar) {
  const std::pair<CEGUI::String, P> kCases[] = {
      {"{bold}x", {"x@0,0"}},             // unknown tag: consumed, no text
      {"{colour}x", {"x@0,0"}},           // too few fields: no effect
      {"{}x", {"x@0,0"}},                 // empty tag
      {"a{b", {"a{b@0,0"}},               // no closing brace: plain text
      {"a}b", {"ab@0,0"}},                // a stray closing brace is dropped
      {"{itemtype,3}x{skilltype,1}y", {"xy@0,0"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(Pieces(*LayOut(c.first)), c.second) << c.first;

  // A comma at a field's start belongs to the field.
  auto link = LayOut("{hlink,,t,ab}");
  ASSERT_EQ(link->out.links.size(), 1u);
  EXPECT_EQ(link->out.links[0]->target, ",t");
  EXPECT_EQ(link->out.links[0]->text, "ab");
}

TEST(RichText, LineFeedsAndWrappingBreakBetweenCharacters) {
  auto feeds = LayOut("abcd\n\ncd");
  EXPECT_EQ(Pieces(*feeds), (P{"abcd@0,0", "cd@0,36"}));
  // The widest line counts, wherever it is.
  EXPECT_EQ(feeds->size, CEGUI::Sizef(32, 36 + 18));

  // Two characters fit in 20 pixels; the third starts the next line.
  auto wrapped = LayOut("abcde", 20);
  EXPECT_EQ(Pieces(*wrapped), (P{"ab@0,0", "cd@0,18", "e@0,36"}));
  EXPECT_EQ(wrapped->size, CEGUI::Sizef(16, 54));

  // A tag's style carries over the break.
  auto styled = LayOut("a{colour,FFFF0000}bcd", 20);
  EXPECT_EQ(Pieces(*styled), (P{"a@0,0", "b@8,0", "cd@0,18"}));
  EXPECT_EQ(styled->out.Colour(2), CEGUI::Colour(1, 0, 0, 1));
}

TEST(RichText, PicturesStandOnTheLineAndWaitForRoom) {
  // 40 high in a 16-high font: the line's elements move down by 24, and the
  // next line starts 24 lower.
  auto tall = LayOut("a{image,set:Icons image:Tall}b\nc");
  EXPECT_EQ(Pieces(*tall), (P{"a@0,24", "#@8,24", "b@40,24", "c@0,42"}));
  EXPECT_EQ(tall->size, CEGUI::Sizef(48, 42 + 18));

  // No room left on the line: the picture opens the next one.
  auto late = LayOut("abc{image,set:Icons image:Tall}d", 40);
  EXPECT_EQ(Pieces(*late), (P{"abc@0,0", "#@0,42", "d@32,42"}));

  // A picture crowding out the character after it takes a line of its own.
  auto crowded = LayOut("a{image,set:Icons image:Tall}b", 38);
  EXPECT_EQ(Pieces(*crowded), (P{"a@0,0", "#@0,42", "b@0,60"}));

  // Missing or larger than 48 pixels: nothing is placed.
  EXPECT_EQ(Pieces(*LayOut("{image,set:Icons image:Huge}x{image,nothing}y")), (P{"x@0,0", "y@8,0"}));
}

TEST(RichText, LinkTextIsItsOwnRun) {
  auto link = LayOut("x{hlink,page,ab}y");
  ASSERT_EQ(link->out.elements.size(), 3u);
  EXPECT_EQ(Pieces(*link), (P{"x@0,0", "ab@8,0", "y@24,0"}));
  EXPECT_EQ(link->out.LinkOf(0), -1);
  EXPECT_EQ(link->out.LinkOf(1), 0);
  EXPECT_EQ(link->out.LinkOf(2), -1);
  EXPECT_EQ(link->out.links[0]->target, "page");

  // Wrapped inside the link: both halves belong to it.
  auto wrapped = LayOut("{hlink,page,abc}", 20);
  ASSERT_EQ(wrapped->out.elements.size(), 2u);
  EXPECT_EQ(wrapped->out.LinkOf(0), 0);
  EXPECT_EQ(wrapped->out.LinkOf(1), 0);

  // A picture with a link carries it.
  auto picture = LayOut("{image,set:Icons image:Tall,page,go}");
  ASSERT_EQ(picture->out.elements.size(), 1u);
  EXPECT_EQ(picture->out.LinkOf(0), 0);
}

// Widths that no line could satisfy would otherwise end lines forever.
TEST(RichText, WidthsTooNarrowAreRefused) {
  for (const auto& c : std::vector<std::pair<CEGUI::String, float>>{
           {"ab", 7},                              // narrower than one character
           {"ab", -1},                             // negative
           {"{image,set:Icons image:Tall}", 31},   // narrower than the picture
           {"{hlink,t,ab}", 4}}) {
    auto laid = LayOut(c.first, c.second);
    EXPECT_FALSE(laid->ok) << c.first << " in " << c.second;
    EXPECT_EQ(laid->size, CEGUI::Sizef(0, 0));
  }
  EXPECT_TRUE(LayOut("ab", 8)->ok);
}

TEST(RichText, LineOffsetRoundsHalfAwayFromZero) {
  EXPECT_EQ(RichLineOffset(20, 16), 2);
  EXPECT_EQ(RichLineOffset(21, 16), 3);   // 2.5
  EXPECT_EQ(RichLineOffset(11, 16), -3);  // -2.5
}

}  // namespace
