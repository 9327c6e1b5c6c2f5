#include "screens/RichText.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Every character 8 pixels wide; lines 16 high with 2 above the text.
class FixedMetrics : public RichTextMetrics {
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
};

struct Laid {
  bool ok;
  RichLayout layout;
};

Laid LayOut(const CEGUI::String& markup, float width = 128) {
  Laid result;
  result.ok = LayOutRichText(markup, width, FixedMetrics(), result.layout);
  return result;
}

// Text elements as "text@x,y"; pictures as "#@x,y".
std::vector<std::string> Pieces(const RichLayout& layout) {
  std::vector<std::string> pieces;
  for (const RichElement& e : layout.elements)
    pieces.push_back((e.text.empty() ? std::string("#") : std::string(e.text.c_str())) + "@" +
                     std::to_string(static_cast<int>(e.position.d_x)) + "," +
                     std::to_string(static_cast<int>(e.position.d_y)));
  return pieces;
}

using P = std::vector<std::string>;

TEST(RichText, TagsSplitRunsAndSetTheirColours) {
  Laid label = LayOut("{colour,FFFFFF00}+$120");
  ASSERT_TRUE(label.ok);
  EXPECT_EQ(Pieces(label.layout), P{"+$120@0,0"});
  EXPECT_EQ(label.layout.elements[0].colour, CEGUI::Colour(1, 1, 0, 1));
  EXPECT_EQ(label.layout.size, CEGUI::Sizef(40, 18));

  Laid two = LayOut("ab{colour,FFFF0000}cd");
  EXPECT_EQ(Pieces(two.layout), (P{"ab@0,0", "cd@16,0"}));
  EXPECT_EQ(two.layout.elements[0].colour, CEGUI::Colour(1, 1, 1, 1));
  EXPECT_EQ(two.layout.elements[1].colour, CEGUI::Colour(1, 0, 0, 1));
  EXPECT_EQ(two.layout.size.d_width, 32);

  Laid outlined = LayOut("a{online,FF0000FF}b{offline}c");
  ASSERT_EQ(outlined.layout.elements.size(), 3u);
  EXPECT_FALSE(outlined.layout.elements[0].outline);
  EXPECT_TRUE(outlined.layout.elements[1].outline);
  EXPECT_EQ(outlined.layout.elements[1].outlineColour, CEGUI::Colour(0, 0, 1, 1));
  EXPECT_FALSE(outlined.layout.elements[2].outline);
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
  for (const auto& c : kCases) EXPECT_EQ(Pieces(LayOut(c.first).layout), c.second) << c.first;

  // A comma at a field's start belongs to the field.
  Laid link = LayOut("{hlink,,t,ab}");
  ASSERT_EQ(link.layout.links.size(), 1u);
  EXPECT_EQ(link.layout.links[0].target, ",t");
  EXPECT_EQ(link.layout.links[0].text, "ab");
}

TEST(RichText, LineFeedsAndWrappingBreakBetweenCharacters) {
  Laid feeds = LayOut("abcd\n\ncd");
  EXPECT_EQ(Pieces(feeds.layout), (P{"abcd@0,0", "cd@0,36"}));
  // The widest line counts, wherever it is.
  EXPECT_EQ(feeds.layout.size, CEGUI::Sizef(32, 36 + 18));

  // Two characters fit in 20 pixels; the third starts the next line.
  Laid wrapped = LayOut("abcde", 20);
  EXPECT_EQ(Pieces(wrapped.layout), (P{"ab@0,0", "cd@0,18", "e@0,36"}));
  EXPECT_EQ(wrapped.layout.size, CEGUI::Sizef(16, 54));

  // A tag's style carries over the break.
  Laid styled = LayOut("a{colour,FFFF0000}bcd", 20);
  EXPECT_EQ(Pieces(styled.layout), (P{"a@0,0", "b@8,0", "cd@0,18"}));
  EXPECT_EQ(styled.layout.elements[2].colour, CEGUI::Colour(1, 0, 0, 1));
}

TEST(RichText, PicturesStandOnTheLineAndWaitForRoom) {
  // 40 high in a 16-high font: the line's elements move down by 24, and the
  // next line starts 24 lower.
  Laid tall = LayOut("a{image,set:Icons image:Tall}b\nc");
  EXPECT_EQ(Pieces(tall.layout), (P{"a@0,24", "#@8,24", "b@40,24", "c@0,42"}));
  EXPECT_EQ(tall.layout.size, CEGUI::Sizef(48, 42 + 18));

  // No room left on the line: the picture opens the next one.
  Laid late = LayOut("abc{image,set:Icons image:Tall}d", 40);
  EXPECT_EQ(Pieces(late.layout), (P{"abc@0,0", "#@0,42", "d@32,42"}));

  // A picture crowding out the character after it takes a line of its own.
  Laid crowded = LayOut("a{image,set:Icons image:Tall}b", 38);
  EXPECT_EQ(Pieces(crowded.layout), (P{"a@0,0", "#@0,42", "b@0,60"}));

  // Missing or larger than 48 pixels: nothing is placed.
  EXPECT_EQ(Pieces(LayOut("{image,set:Icons image:Huge}x{image,nothing}y").layout), (P{"x@0,0", "y@8,0"}));
}

TEST(RichText, LinkTextIsItsOwnRun) {
  Laid link = LayOut("x{hlink,page,ab}y");
  ASSERT_EQ(link.layout.elements.size(), 3u);
  EXPECT_EQ(Pieces(link.layout), (P{"x@0,0", "ab@8,0", "y@24,0"}));
  EXPECT_EQ(link.layout.elements[0].link, -1);
  EXPECT_EQ(link.layout.elements[1].link, 0);
  EXPECT_EQ(link.layout.elements[2].link, -1);
  EXPECT_EQ(link.layout.links[0].target, "page");
  // Sized for the hover test: the text's extent by the font's height.
  EXPECT_EQ(link.layout.elements[1].rect.getSize(), CEGUI::Sizef(16, 16));

  // Wrapped inside the link: both halves belong to it.
  Laid wrapped = LayOut("{hlink,page,abc}", 20);
  ASSERT_EQ(wrapped.layout.elements.size(), 2u);
  EXPECT_EQ(wrapped.layout.elements[0].link, 0);
  EXPECT_EQ(wrapped.layout.elements[1].link, 0);

  // A picture with a link carries it.
  Laid picture = LayOut("{image,set:Icons image:Tall,page,go}");
  ASSERT_EQ(picture.layout.elements.size(), 1u);
  EXPECT_EQ(picture.layout.elements[0].link, 0);
  EXPECT_EQ(picture.layout.elements[0].rect.getSize(), CEGUI::Sizef(32, 40));
}

// Widths that no line could satisfy would otherwise end lines forever.
TEST(RichText, WidthsTooNarrowAreRefused) {
  for (const auto& c : std::vector<std::pair<CEGUI::String, float>>{
           {"ab", 7},                              // narrower than one character
           {"ab", -1},                             // negative
           {"{image,set:Icons image:Tall}", 31},   // narrower than the picture
           {"{hlink,t,ab}", 4}}) {
    Laid laid = LayOut(c.first, c.second);
    EXPECT_FALSE(laid.ok) << c.first << " in " << c.second;
    EXPECT_TRUE(laid.layout.elements.empty());
    EXPECT_EQ(laid.layout.size, CEGUI::Sizef(0, 0));
  }
  EXPECT_TRUE(LayOut("ab", 8).ok);
}

TEST(RichText, LineOffsetRoundsHalfAwayFromZero) {
  EXPECT_EQ(RichLineOffset(20, 16), 2);
  EXPECT_EQ(RichLineOffset(21, 16), 3);   // 2.5
  EXPECT_EQ(RichLineOffset(11, 16), -3);  // -2.5
}

}  // namespace
