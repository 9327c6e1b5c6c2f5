// Rich-text items with the game's font and the floating labels, on the GUI
// library's null renderer.
#include "GuiTestSystem.h"
#include "game/FrameClock.h"
#include "screens/GUIAnim.h"
#include "screens/GUICommon.h"
#include "screens/GUILabelEx.h"
#include "screens/ListBoxRichItem.h"
#include "screens/RichText.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Null/GeometryBuffer.h>
#include <gtest/gtest.h>

namespace {

const CEGUI::Font& GameFont() {
  GuiTestSystem();
  CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
  return fonts.isDefined("simhei-10") ? fonts.get("simhei-10") : fonts.createFromFile("simhei-10.font");
}

// Geometry whose vertices a test can read.
struct SeenBuffer : CEGUI::NullGeometryBuffer {
  size_t Count(const CEGUI::Colour& colour) const {
    size_t n = 0;
    for (const CEGUI::Vertex& vertex : d_vertices) n += vertex.colour_val == colour;
    return n;
  }
  const CEGUI::Vertex& At(size_t i) const { return d_vertices[i]; }
};

void SetFrame(float seconds) {
  FrameDeltaSeconds = seconds;
  FrameDeltaMs = static_cast<uint32_t>(seconds * 1000);
}

TEST(RichItem, LaysOutOnceWithTheGameFont) {
  const CEGUI::Font& font = GameFont();
  CGAListBoxRichItem item("{colour,FFFFFFFF}+$120");
  item.SetFont("simhei-10");
  const float height = font.getFontHeight() + RichLineOffset(font.getLineSpacing(1.3f), font.getFontHeight());
  EXPECT_EQ(item.Layout(128), CEGUI::Sizef(font.getTextExtent("+$120"), height));
  EXPECT_EQ(item.getPixelSize(), CEGUI::Sizef(128, height));
  ASSERT_EQ(item.GetElements().size(), 1u);
  // A second layout without clearing changes nothing.
  EXPECT_EQ(item.Layout(10), CEGUI::Sizef(0, 0));
  EXPECT_EQ(item.GetElements().size(), 1u);
  item.Clear();
  EXPECT_EQ(item.Layout(-1), CEGUI::Sizef(0, 0));  // refused
  // Too narrow for one character: refused rather than ending lines for ever.
  EXPECT_EQ(item.Layout(2), CEGUI::Sizef(0, 0));
  EXPECT_TRUE(item.GetElements().empty());

  // Drawn: the text, outlined where asked, into the caller's geometry.
  CEGUI::Renderer& renderer = *CEGUI::System::getSingleton().getRenderer();
  CGAListBoxRichItem outlined("a{online,FF000000}b");
  outlined.SetFont("simhei-10");
  outlined.Layout(128);
  CEGUI::GeometryBuffer& plain = renderer.createGeometryBuffer();
  CEGUI::GeometryBuffer& withOutline = renderer.createGeometryBuffer();
  item.Clear();
  item.setText("ab");
  item.Layout(128);
  item.draw(plain, CEGUI::Rectf(0, 0, 128, 20), 1.0f, nullptr);
  outlined.draw(withOutline, CEGUI::Rectf(0, 0, 128, 20), 1.0f, nullptr);
  EXPECT_GT(plain.getVertexCount(), 0u);
  EXPECT_EQ(withOutline.getVertexCount(), plain.getVertexCount() / 2 * 6);  // b four more times
  CEGUI::GeometryBuffer& faint = renderer.createGeometryBuffer();
  item.draw(faint, CEGUI::Rectf(0, 0, 128, 20), 0.05f, nullptr);
  EXPECT_EQ(faint.getVertexCount(), 0u);
  for (CEGUI::GeometryBuffer* buffer : {&plain, &withOutline, &faint}) renderer.destroyGeometryBuffer(*buffer);
}

// The elements' sizes come with their content: a text's extent and the
// font's height, a picture's size, an animation's frame size.
TEST(RichItem, ElementsAreSizedByTheirContent) {
  const CEGUI::Font& font = GameFont();
  if (!CEGUI::SchemeManager::getSingleton().isDefined("WindowsLook"))
    CEGUI::SchemeManager::getSingleton().createFromFile("WindowsLook.scheme");
  CGAListBoxRichItem item("");
  item.SetFont("simhei-10");
  const CEGUI::ColourRect white(CEGUI::Colour(1, 1, 1, 1));
  EXPECT_EQ(item.AddText("", CEGUI::Vector2f(0, 0), white, false, white, nullptr), nullptr);
  RichLink* link = item.AddLink("page", "go");
  RichElement* text = item.AddText("ab", CEGUI::Vector2f(3, 4), white, true, white, link);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->rect.getSize(), CEGUI::Sizef(font.getTextExtent("ab"), font.getFontHeight()));
  EXPECT_EQ(text->position, CEGUI::Vector2f(3, 4));
  EXPECT_EQ(text->link, link);
  const CEGUI::Image* arrow = CGAGUICommon::FindImage("set:WindowsLook image:MouseArrow");
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(item.AddImage(arrow, CEGUI::Vector2f(0, 0), nullptr)->rect.getSize(), arrow->getRenderedSize());
  GUIAnim anim;
  anim.frameSize = CEGUI::Sizef(20, 30);
  EXPECT_EQ(item.AddAnim(&anim, CEGUI::Vector2f(0, 0), nullptr)->rect.getSize(), CEGUI::Sizef(20, 30));
  EXPECT_EQ(item.AddAnim(nullptr, CEGUI::Vector2f(0, 0), nullptr), nullptr);
  EXPECT_EQ(item.GetElements().size(), 3u);
  item.Clear();
  EXPECT_TRUE(item.GetElements().empty());
  EXPECT_TRUE(item.GetLinks().empty());
}

// A text element cuts its glyphs once, at its first drawing, and draws them
// where the font's own text drawing puts them; a new text cuts anew.
TEST(RichItem, TextIsDrawnFromItsGlyphsAsTheFontDrawsIt) {
  const CEGUI::Font& font = GameFont();
  CGAListBoxRichItem item("{offline}+$120 ab");
  item.SetFont("simhei-10");
  item.Layout(256);
  ASSERT_EQ(item.GetElements().size(), 1u);
  RichElement& element = *item.GetElements()[0];
  EXPECT_TRUE(element.GetGlyphs().empty());

  const CEGUI::Rectf target(10, 20, 266, 60);
  SeenBuffer drawn, byFont;
  item.draw(drawn, target, 1.0f, nullptr);
  ASSERT_EQ(element.GetGlyphs().size(), 8u);  // the blank has a glyph too
  const float lineOffset = RichLineOffset(font.getLineSpacing(1.3f), font.getFontHeight());
  font.drawText(byFont, element.GetText(), CEGUI::Vector2f(10, 20 + lineOffset), nullptr,
                CEGUI::ColourRect(CEGUI::Colour(1, 1, 1, 1)));
  ASSERT_EQ(drawn.getVertexCount(), byFont.getVertexCount());
  for (size_t i = 0; i < drawn.getVertexCount(); ++i) {
    EXPECT_NEAR(drawn.At(i).position.d_x, byFont.At(i).position.d_x, 1e-3) << i;
    EXPECT_NEAR(drawn.At(i).position.d_y, byFont.At(i).position.d_y, 1e-3) << i;
    EXPECT_EQ(drawn.At(i).tex_coords, byFont.At(i).tex_coords) << i;
  }
  SeenBuffer again;
  item.draw(again, target, 1.0f, nullptr);
  EXPECT_EQ(again.getVertexCount(), drawn.getVertexCount());

  element.SetText("ab");
  EXPECT_TRUE(element.GetGlyphs().empty());
  SeenBuffer renamed;
  item.draw(renamed, target, 1.0f, nullptr);
  ASSERT_EQ(element.GetGlyphs().size(), 2u);
  EXPECT_EQ(element.GetGlyphs()[1].image, font.getGlyphData('b')->getImage());
}

// A rich item in a list box follows the mouse over its links.
class HoverItem : public ::testing::Test {
 protected:
  void SetUp() override {
    GameFont();
    if (!CEGUI::SchemeManager::getSingleton().isDefined("WindowsLook"))
      CEGUI::SchemeManager::getSingleton().createFromFile("WindowsLook.scheme");
    CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
    sheet = windows.createWindow("DefaultWindow");
    Context().setRootWindow(sheet);
    list = static_cast<CEGUI::Listbox*>(windows.createWindow("WindowsLook/Listbox"));
    sheet->addChild(list);
    list->setPosition(CEGUI::UVector2(CEGUI::UDim(0, 100), CEGUI::UDim(0, 200)));
    list->setSize(CEGUI::USize(CEGUI::UDim(0, 300), CEGUI::UDim(0, 100)));
    item = new CGAListBoxRichItem("ab{hlink,page,cd}ef{image,set:WindowsLook image:MouseArrow,shop,go}");
    item->SetFont("simhei-10");
    item->SetPixelSize(item->Layout(256));
    list->addItem(item);  // the list box deletes it
    CEGUI::System::getSingleton().renderAllGUIContexts();  // the elements' places
  }
  void TearDown() override {
    Context().setRootWindow(nullptr);
    CEGUI::WindowManager::getSingleton().destroyWindow(sheet);
  }
  static CEGUI::GUIContext& Context() { return CEGUI::System::getSingleton().getDefaultGUIContext(); }

  // The screen point in the middle of an element as the list box drew it.
  CEGUI::Vector2f Over(size_t element) const {
    const CEGUI::Rectf drawn = item->GetElements()[element]->rect;
    return list->getUnclippedOuterRect().get().getPosition() + drawn.getPosition() +
           CEGUI::Vector2f(drawn.getWidth() / 2, drawn.getHeight() / 2);
  }
  // What the item draws now, into its own geometry.
  void Draw(SeenBuffer& buffer) const { item->draw(buffer, CEGUI::Rectf(0, 0, 300, 40), 1.0f, nullptr); }

  CEGUI::Window* sheet = nullptr;
  CEGUI::Listbox* list = nullptr;
  CGAListBoxRichItem* item = nullptr;
};

TEST_F(HoverItem, TheLinkUnderTheMouseIsTheItemsDataAndDrawsRed) {
  const auto& elements = item->GetElements();
  const auto& links = item->GetLinks();
  ASSERT_EQ(elements.size(), 4u);  // ab, cd, ef, the picture
  // Kept as drawn: inside the list box, each at its place on the line.
  const CEGUI::Rectf ab = elements[0]->rect, cd = elements[1]->rect;
  EXPECT_GT(ab.left(), 0);
  EXPECT_EQ(cd.left() - ab.left(), elements[1]->position.d_x);
  EXPECT_EQ(cd.getSize(), CEGUI::Sizef(GameFont().getTextExtent("cd"), GameFont().getFontHeight()));

  SeenBuffer plain;
  Draw(plain);
  EXPECT_GT(plain.Count(CEGUI::Colour(0, 1, 0, 1)), 0u);  // links green
  EXPECT_EQ(plain.Count(CEGUI::Colour(1, 0, 0, 1)), 0u);
  EXPECT_EQ(item->getUserData(), nullptr);

  testing::internal::CaptureStdout();
  item->UpdateHover(Over(1));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "page cd \n");
  EXPECT_EQ(item->getUserData(), links[0].get());
  EXPECT_EQ(item->GetHoverPoint(), Over(1) - list->getUnclippedOuterRect().get().getPosition());
  SeenBuffer hovered;
  Draw(hovered);
  EXPECT_EQ(hovered.Count(CEGUI::Colour(0, 1, 0, 1)), 0u);
  EXPECT_EQ(hovered.Count(CEGUI::Colour(1, 0, 0, 1)), plain.Count(CEGUI::Colour(0, 1, 0, 1)));

  // The linked picture: drawn red while hovered, white otherwise.
  testing::internal::CaptureStdout();
  item->UpdateHover(Over(3));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "shop go \n");
  EXPECT_EQ(item->getUserData(), links[1].get());
  SeenBuffer picture;
  Draw(picture);
  EXPECT_EQ(picture.Count(CEGUI::Colour(1, 0, 0, 1)), 6u);  // one quad
  EXPECT_EQ(picture.Count(CEGUI::Colour(0, 1, 0, 1)), plain.Count(CEGUI::Colour(0, 1, 0, 1)));

  // Off every link: no link, nothing printed; the same point again changes
  // nothing.
  testing::internal::CaptureStdout();
  item->UpdateHover(Over(0));
  item->UpdateHover(Over(0));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(item->getUserData(), nullptr);

  // Clearing the item forgets the link it was showing.
  item->UpdateHover(Over(1));
  item->Clear();
  EXPECT_EQ(item->getUserData(), nullptr);
}

TEST_F(HoverItem, TheSelectionBrushMarksTheItemUnderTheMouseWithinItsWidth) {
  item->setSelectionBrushImage("WindowsLook/Background");
  item->SetPixelSize(CEGUI::Sizef(256, 20));
  const CEGUI::Vector2f origin = list->getUnclippedOuterRect().get().getPosition();
  SeenBuffer away;
  Draw(away);  // before any hover: no brush
  const struct {
    CEGUI::Vector2f point;  // in the list box
    bool brush;
  } kCases[] = {{{10, 10}, true}, {{255, 39}, true}, {{257, 10}, false}, {{10, 41}, false}};
  testing::internal::CaptureStdout();  // the links it passes over
  for (const auto& c : kCases) {
    item->UpdateHover(origin + c.point);
    SeenBuffer buffer;
    Draw(buffer);
    EXPECT_EQ(buffer.getVertexCount(), away.getVertexCount() + (c.brush ? 6u : 0u))
        << c.point.d_x << ", " << c.point.d_y;
  }
  testing::internal::GetCapturedStdout();
}

class Labels : public ::testing::Test {
 protected:
  void SetUp() override {
    GameFont();
    SetFrame(1.0f / 32);  // exact in binary: the life reaches exactly 0
  }
  // A projection that puts every point at (0.5, 0.25) of the screen, or
  // fails.
  static bool Centre(const Ogre::Vector3&, Ogre::Vector3* screen) {
    *screen = Ogre::Vector3(0.5f, 0.25f, 0.5f);
    return true;
  }
  static bool Fails(const Ogre::Vector3&, Ogre::Vector3*) { return false; }

  void Render() { CEGUI::System::getSingleton().renderAllGUIContexts(); }
};

TEST_F(Labels, RiseAHundredPixelsASecondAndDieWhenTheirLifeRunsOut) {
  CGAGUILabelEx labels(&Labels::Centre);
  EXPECT_EQ(CGAGUILabelEx::getSingletonPtr(), &labels);
  labels.AddLabel("{colour,FFFFFF00}+$5", Ogre::Vector3(1, 2, 3), 3.0f, "simhei-10");
  ASSERT_EQ(labels.GetLabels().size(), 1u);
  EXPECT_EQ(labels.GetLabels()[0].position, Ogre::Vector2(400, 150));

  int frames = 0;
  while (!labels.GetLabels().empty() && frames < 200) {
    Render();
    labels.Update();
    ++frames;
  }
  // Life 3 s at 32 frames a second: 0 after 96 updates, gone at the first
  // update below 0.
  EXPECT_EQ(frames, 97);
}

TEST_F(Labels, AreDrawnInTheFirstQueueOnlyAndStayWhereTheyAppeared) {
  CGAGUILabelEx labels(&Labels::Fails);
  labels.AddLabel("+$1", Ogre::Vector3(20, 30, 40), 1.0f, "");
  // Not projected: the world x and y are taken as pixels.
  EXPECT_EQ(labels.GetLabels()[0].position, Ogre::Vector2(20, 30));
  CEGUI::RenderQueueEventArgs other(CEGUI::RQ_BASE);
  EXPECT_FALSE(labels.OnRenderQueueStarted(other));
  EXPECT_EQ(labels.GetLabels()[0].position.y, 30);
  CEGUI::RenderQueueEventArgs first(CEGUI::RQ_USER_0);
  EXPECT_TRUE(labels.OnRenderQueueStarted(first));
  EXPECT_FLOAT_EQ(labels.GetLabels()[0].position.y, 30 - 100.0f / 32);
  EXPECT_EQ(labels.GetLabels()[0].position.x, 20);
}

// An unknown font throws out of AddLabel to its caller; the item made for
// the label goes with it (it leaked, which the sanitized run reports).
TEST_F(Labels, AnUnknownFontThrowsAndLeavesNothingBehind) {
  CGAGUILabelEx labels(&Labels::Centre);
  EXPECT_THROW(labels.AddLabel("+$1", Ogre::Vector3::ZERO, 1.0f, "no-such-font"), CEGUI::UnknownObjectException);
  EXPECT_TRUE(labels.GetLabels().empty());
}

TEST_F(Labels, ALabelOfNoLifeGoesAtTheNextUpdateAndRemovalIsAtOnce) {
  CGAGUILabelEx labels(&Labels::Centre);
  labels.AddLabel("a", Ogre::Vector3::ZERO, 0.0f, "simhei-10");
  CGAListBoxRichItem* second = labels.AddLabel("b", Ogre::Vector3::ZERO, 5.0f, "simhei-10");
  labels.AddLabel("{colour,FFFFFFFF}", Ogre::Vector3::ZERO, 5.0f, "simhei-10");  // draws nothing, lives on
  labels.Update();
  ASSERT_EQ(labels.GetLabels().size(), 2u);
  EXPECT_EQ(labels.GetLabels()[0].item, second);
  labels.RemoveLabel(second);
  EXPECT_EQ(labels.GetLabels().size(), 1u);
}

}  // namespace
