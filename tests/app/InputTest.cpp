#include "game/app/Input.h"
#include "game/app/MainWindow.h"

#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Records what reaches the GUI.
struct FakeGui : CEGUI::InjectedInputReceiver {
  std::vector<std::string> events;
  bool add(const std::string& e) {
    events.push_back(e);
    return true;
  }
  bool injectMouseMove(float, float) override { return add("move"); }
  bool injectMouseLeaves() override { return add("leave"); }
  bool injectMouseButtonDown(CEGUI::MouseButton b) override { return add("down" + std::to_string(b)); }
  bool injectMouseButtonUp(CEGUI::MouseButton b) override { return add("up" + std::to_string(b)); }
  bool injectKeyDown(CEGUI::Key::Scan k) override { return add("keydown" + std::to_string(k)); }
  bool injectKeyUp(CEGUI::Key::Scan k) override { return add("keyup" + std::to_string(k)); }
  bool injectChar(CEGUI::String::value_type c) override { return add("char" + std::to_string(c)); }
  bool injectMouseWheelChange(float) override { return add("wheel"); }
  bool injectMousePosition(float x, float y) override {
    return add("pos" + std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)));
  }
  bool injectTimePulse(float) override { return add("pulse"); }
  bool injectMouseButtonClick(const CEGUI::MouseButton) override { return add("click"); }
  bool injectMouseButtonDoubleClick(const CEGUI::MouseButton) override { return add("dblclick"); }
  bool injectMouseButtonTripleClick(const CEGUI::MouseButton) override { return add("tripleclick"); }
  bool injectCopyRequest() override { return add("copy"); }
  bool injectCutRequest() override { return add("cut"); }
  bool injectPasteRequest() override { return add("paste"); }
};

using Events = std::vector<std::string>;

TEST(Input, PositionScaledToTheGuiOncePerFrame) {
  FakeGui gui;
  CGAInput input(&gui);
  input.SetWindowSize(1600, 1200);
  input.OnMouseMove(100, 100);
  input.OnMouseMove(400, 300);
  EXPECT_TRUE(gui.events.empty());
  input.Update();
  input.Update();  // no move: nothing injected
  EXPECT_EQ(gui.events, Events{"pos200,150"});
  EXPECT_EQ(input.GetMouseMoveX(), 0);
}

// Moves and a click in one batch of window messages, as a fast mouse or a
// script makes them: the GUI sees the last position before the button.
TEST(Input, AButtonFollowsThePositionThatCameBeforeIt) {
  FakeGui gui;
  CGAInput input(&gui);
  input.OnMouseMove(10, 10);
  input.OnMouseMove(30, 40);
  input.OnMouseDown(0);
  input.OnMouseMove(50, 60);
  input.OnMouseUp(0);
  input.OnMouseDown(1);  // no move since: the position is not sent again
  input.Update();
  EXPECT_EQ(gui.events, (Events{"pos30,40", "down0", "pos50,60", "up0", "down1"}));
}

TEST(Input, MinimisedWindowDoesNotDivideByZero) {
  FakeGui gui;
  CGAInput input(&gui);
  input.SetWindowSize(0, 0);
  input.OnMouseMove(10, 20);
  input.Update();
  EXPECT_EQ(gui.events, Events{"pos10,20"});
}

TEST(Input, ButtonsGoToTheGuiAtOnce) {
  FakeGui gui;
  CGAInput input(&gui);
  input.OnMouseDown(0);
  EXPECT_TRUE(input.IsLeftDown());
  input.OnMouseUp(0);
  input.OnMouseDown(1);
  input.OnMouseUp(1);
  EXPECT_FALSE(input.IsLeftDown());
  EXPECT_EQ(gui.events, (Events{"down0", "up0", "down1", "up1"}));
}

TEST(Input, KeyPressesWaitWhileComposingButReleasesDoNot) {
  FakeGui gui;
  CGAInput input(&gui);
  OIS::KeyEvent a(nullptr, OIS::KC_A, 'a');
  input.SetComposing(true);
  input.keyPressed(a);
  input.keyReleased(a);
  input.SetComposing(false);
  input.keyPressed(a);
  EXPECT_EQ(gui.events, (Events{"keyup30", "keydown30"}));
}

TEST(Input, CharacterPairing) {
  struct Case {
    std::vector<unsigned char> bytes;
    Events injected;
  };
  const std::vector<Case> cases = {
      {{'a', 'B'}, {"char97", "char66"}},
      {{0xD6, 0xD0}, {"char" + std::to_string(0x4E2D)}},            // one character from two messages
      {{0xD6, 'a'}, {"char" + std::to_string(0x8B05)}},             // 'a' is a valid second byte (D6 61)
      {{0xD6, 0x20}, {"char32"}},                                   // not a second byte: the lead is lost
      {{0x81, 0x40}, {"char" + std::to_string(0x4E02)}},            // beyond the common range
      {{0xD6, 0xD0, 'x'}, {"char" + std::to_string(0x4E2D), "char120"}},
      {{'a', 0x08, 0x0D, 0x1B, 0x7F}, {"char97"}},                   // control keys are no text
  };
  for (const Case& c : cases) {
    FakeGui gui;
    CGAInput input(&gui);
    for (unsigned char b : c.bytes) input.OnChar(b);
    EXPECT_EQ(gui.events, c.injected);
  }
}

TEST(WindowProcedure, DoubleClickIsASecondPressAndAltAloneStops) {
  FakeGui gui;
  CGAInput input(&gui);
  MainWndProc(0, platform::WM_LBUTTONDOWN, 0, platform::MakeLParam(5, 6));
  MainWndProc(0, platform::WM_LBUTTONDBLCLK, 0, platform::MakeLParam(5, 6));
  MainWndProc(0, platform::WM_RBUTTONUP, 0, 0);
  MainWndProc(0, platform::WM_MOUSEMOVE, 0, platform::MakeLParam(640, 480));
  EXPECT_EQ(input.GetMouseX(), 640);
  EXPECT_EQ(input.GetMouseY(), 480);
  EXPECT_EQ(gui.events, (Events{"down0", "down0", "up1"}));
  EXPECT_EQ(MainWndProc(0, platform::WM_SYSKEYDOWN, platform::VK_MENU, 0), 0);
}

TEST(WindowPlacement, CentredOrMaximised) {
  auto rect = [](int w, int h) {
    platform::Rect r;
    r.right = w;
    r.bottom = h;
    return r;
  };
  WindowPlacement p = PlaceCentred(rect(800, 600), rect(1024, 768));
  EXPECT_FALSE(p.maximise);
  EXPECT_EQ(p.x, 112);
  EXPECT_EQ(p.y, 84);
  p = PlaceCentred(rect(800, 600), rect(1023, 767));
  EXPECT_EQ(p.x, 111);  // truncated
  EXPECT_EQ(p.y, 83);
  EXPECT_TRUE(PlaceCentred(rect(800, 600), rect(800, 768)).maximise);
  EXPECT_TRUE(PlaceCentred(rect(800, 600), rect(1024, 600)).maximise);
  // The work area's own corner is not added.
  platform::Rect shifted = rect(1024, 768);
  shifted.left = 100;
  shifted.right += 100;
  EXPECT_EQ(PlaceCentred(rect(800, 600), shifted).x, 112);
}

}  // namespace
