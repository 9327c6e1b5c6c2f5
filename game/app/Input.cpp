#include "game/app/Input.h"

#include "platform/CodePage.h"
#include "platform/Window.h"

#include <CEGUI/CEGUI.h>
#include <OIS.h>

namespace {
CGAInput* g_input = nullptr;
}

// Pairs over the whole GBK ranges: a character with a byte below 0xA1 would otherwise arrive as two stray bytes.
bool CGACharPairing::Feed(unsigned char byte, char32_t& character) {
  if (mPending) {
    mPending = false;
    if (byte >= 0x40 && byte <= 0xFE && byte != 0x7F) {
      character = platform::GbkPairToUtf16(mLead, byte);
      return character != 0;
    }
    // Not a second byte: the lead byte is dropped and this byte stands alone.
  }
  if (byte >= 0x81 && byte <= 0xFE) {
    mLead = byte;
    mPending = true;
    return false;
  }
  character = byte;
  return true;
}

void ScaleToGui(int x, int y, int windowWidth, int windowHeight, float guiWidth, float guiHeight, float& guiX,
                float& guiY) {
  // A minimised window has no area: keep positions as they are.
  guiX = windowWidth > 0 ? static_cast<float>(static_cast<long double>(x) * guiWidth / windowWidth)
                         : static_cast<float>(x);
  guiY = windowHeight > 0 ? static_cast<float>(static_cast<long double>(y) * guiHeight / windowHeight)
                          : static_cast<float>(y);
}

CGAInput::CGAInput(const std::string& nativeWindow) {
  g_input = this;
  OIS::ParamList params;
  params.insert(std::make_pair(std::string("WINDOW"), nativeWindow));
  params.insert(std::make_pair(std::string("x11_keyboard_grab"), std::string("false")));
  params.insert(std::make_pair(std::string("x11_mouse_grab"), std::string("false")));
  params.insert(std::make_pair(std::string("x11_mouse_hide"), std::string("false")));
  mInputManager = OIS::InputManager::createInputSystem(params);
  mKeyboard = static_cast<OIS::Keyboard*>(mInputManager->createInputObject(OIS::OISKeyboard, true));
  mKeyboard->setEventCallback(this);
}

CGAInput::CGAInput(CEGUI::InjectedInputReceiver* gui) : mGui(gui) { g_input = this; }

CGAInput::~CGAInput() {
  if (mInputManager) {
    if (mKeyboard) mInputManager->destroyInputObject(mKeyboard);
    OIS::InputManager::destroyInputSystem(mInputManager);
  }
  if (g_input == this) g_input = nullptr;
}

CGAInput* CGAInput::GetSingletonPtr() { return g_input; }

CEGUI::InjectedInputReceiver& CGAInput::Gui() {
  if (mGui) return *mGui;
  return CEGUI::System::getSingleton().getDefaultGUIContext();
}

void CGAInput::OnChar(unsigned char code) {
  char32_t character = code;
  if (platform::IsInputMethodLayout() && !mPairing.Feed(code, character)) return;
  // Backspace, Enter, Escape and the like reach the GUI as keys; as text they
  // would land in edit boxes (the CJK font has glyphs for them).
  if (character < 0x20 || character == 0x7F) return;
  Gui().injectChar(static_cast<CEGUI::String::value_type>(character));
}

void CGAInput::SetComposing(bool composing) { mComposing = composing; }

void CGAInput::OnMouseMove(int x, int y) {
  mMoveX = mMouseX - x;
  mMoveY = mMouseY - y;
  mMouseX = x;
  mMouseY = y;
}

void CGAInput::OnMouseDown(int button) {
  if (button == 0) mLeftDown = true;
  else if (button == 1) mRightDown = true;
  else if (button == 2) mMiddleDown = true;
  InjectPosition();
  Gui().injectMouseButtonDown(static_cast<CEGUI::MouseButton>(button));
}

void CGAInput::OnMouseUp(int button) {
  if (button == 0) mLeftDown = false;
  else if (button == 1) mRightDown = false;
  else if (button == 2) mMiddleDown = false;
  InjectPosition();
  Gui().injectMouseButtonUp(static_cast<CEGUI::MouseButton>(button));
}

void CGAInput::SetWindowSize(int width, int height) {
  mWindowWidth = width;
  mWindowHeight = height;
}

void CGAInput::SetGuiSize(float width, float height) {
  mGuiWidth = width;
  mGuiHeight = height;
}

void CGAInput::InjectPosition() {
  if (mMouseX == mInjectedX && mMouseY == mInjectedY) return;
  float x, y;
  ScaleToGui(mMouseX, mMouseY, mWindowWidth, mWindowHeight, mGuiWidth, mGuiHeight, x, y);
  Gui().injectMousePosition(x, y);
  mInjectedX = mMouseX;
  mInjectedY = mMouseY;
}

void CGAInput::Update() {
  InjectPosition();
  mMoveX = mMoveY = 0;
  mWheel = 0;
  if (mKeyboard) mKeyboard->capture();
}

bool CGAInput::keyPressed(const OIS::KeyEvent& event) {
  if (!mComposing) Gui().injectKeyDown(static_cast<CEGUI::Key::Scan>(event.key));
  return true;
}

bool CGAInput::keyReleased(const OIS::KeyEvent& event) {
  Gui().injectKeyUp(static_cast<CEGUI::Key::Scan>(event.key));
  return true;
}
