#pragma once
// All user input goes to the GUI: the keyboard through OIS (keyboard only),
// the mouse and characters through the window's messages. Button presses and
// characters reach the GUI at once. The mouse position, scaled from the
// window's inner area to the GUI's display size, reaches it once per frame
// and before any button that follows a move, so a click lands where the
// pointer was when it came.
#include <OISKeyboard.h>

#include <string>

namespace CEGUI {
class InjectedInputReceiver;
}
namespace OIS {
class InputManager;
}

// Joins the two bytes of a double-byte (GBK) character arriving in separate
// character messages.
class CGACharPairing {
 public:
  // Feeds one byte; true with the character to inject when one is complete.
  bool Feed(unsigned char byte, char32_t& character);

 private:
  unsigned char mLead = 0;
  bool mPending = false;
};

// Window pixels to GUI units.
void ScaleToGui(int x, int y, int windowWidth, int windowHeight, float guiWidth, float guiHeight, float& guiX,
                float& guiY);

class CGAInput : public OIS::KeyListener {
 public:
  // The game's input: OIS keyboard on the game's native window (its id as
  // decimal text), injection into the GUI's default context.
  explicit CGAInput(const std::string& nativeWindow);
  // Input injected into `gui` with no keyboard device (tests).
  explicit CGAInput(CEGUI::InjectedInputReceiver* gui);
  ~CGAInput() override;

  static CGAInput* GetSingletonPtr();

  void OnChar(unsigned char code);
  void SetComposing(bool composing);
  void OnMouseMove(int x, int y);
  void OnMouseDown(int button);
  void OnMouseUp(int button);
  void SetWindowSize(int width, int height);
  // The GUI's display size that positions are scaled to (800 x 600 at first).
  void SetGuiSize(float width, float height);
  void Update();

  bool keyPressed(const OIS::KeyEvent& event) override;
  bool keyReleased(const OIS::KeyEvent& event) override;

  // State queries.
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  int GetMouseMoveX() const { return mMoveX; }
  int GetMouseMoveY() const { return mMoveY; }
  bool IsLeftDown() const { return mLeftDown; }
  bool IsRightDown() const { return mRightDown; }
  bool IsMiddleDown() const { return mMiddleDown; }
  int GetWheel() const { return mWheel; }
  void SetWheel(int delta) { mWheel = delta >= 1 ? 1 : -1; }

 private:
  CEGUI::InjectedInputReceiver& Gui();
  // Hands the GUI the latest pointer position when it has not seen it.
  void InjectPosition();

  CEGUI::InjectedInputReceiver* mGui = nullptr;  // null: the GUI's default context
  OIS::InputManager* mInputManager = nullptr;
  OIS::Keyboard* mKeyboard = nullptr;
  bool mComposing = false;
  bool mLeftDown = false, mRightDown = false, mMiddleDown = false;
  int mWheel = 0;
  int mWindowWidth = 800, mWindowHeight = 600;
  float mGuiWidth = 800, mGuiHeight = 600;
  int mInjectedX = 0, mInjectedY = 0;
  int mMouseX = 0, mMouseY = 0;
  int mMoveX = 0, mMoveY = 0;
  CGACharPairing mPairing;
};
