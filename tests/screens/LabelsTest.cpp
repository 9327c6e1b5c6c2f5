// Rich-text items with the game's font and the floating labels, on the GUI
// library's null renderer.
#include "GuiTestSystem.h"
#include "game/FrameClock.h"
#include "screens/GUILabelEx.h"
#include "screens/ListBoxRichItem.h"

#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>

namespace {

const CEGUI::Font& GameFont() {
  GuiTestSystem();
  CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
  return fonts.isDefined("simhei-10") ? fonts.get("simhei-10") : fonts.createFromFile("simhei-10.font");
}

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
  ASSERT_EQ(item.GetLayout().elements.size(), 1u);
  // A second layout without clearing changes nothing.
  EXPECT_EQ(item.Layout(10), CEGUI::Sizef(0, 0));
  EXPECT_EQ(item.GetLayout().elements.size(), 1u);
  item.Clear();
  EXPECT_EQ(item.Layout(-1), CEGUI::Sizef(0, 0));  // refused
  // Too narrow for one character: refused rather than ending lines for ever.
  EXPECT_EQ(item.Layout(2), CEGUI::Sizef(0, 0));
  EXPECT_TRUE(item.GetLayout().elements.empty());

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
