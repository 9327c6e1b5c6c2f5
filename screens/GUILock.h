#pragma once
// The unlock screen: the player spends lasting gold on the unit types of the
// unlock list ("lock.xml"), one icon each in the layout's window the list
// names, with the gold left, a message line and OK, which goes back to the
// screen it was opened from. While it is open the icons show each locked
// type's unlock gold under a mask. An unlock is saved in the player record at
// once, and the next level reset puts the type into the recruit panel.
#include "screens/GUIIconEx.h"

#include <memory>
#include <string>
#include <vector>

class CGABattlefield;
class CGAGameHost;

class CGAGUILock : public CGAGUIIconEx::Listener, public CGAGUICommon {
 public:
  // Loads "unlock.layout" and places the icons; shows nothing yet.
  CGAGUILock(CGAGameHost& host, CGABattlefield& battlefield);
  ~CGAGUILock() override;

  // The sheet OK goes back to.
  void SetReturnSheet(CEGUI::Window* sheet) { mReturnSheet = sheet; }
  // Opens the screen, or closes it back to the return sheet with the game
  // state it was opened in.
  void Show(bool open);
  bool IsOpen() const { return mOpen; }

  bool OnOk(const CEGUI::EventArgs& args);
  // The unlock rules.
  bool OnIconClick(const CEGUI::EventArgs& args, CGAGUIIconEx* icon) override;

  const std::vector<std::unique_ptr<CGAGUIIconEx>>& GetIcons() const { return mIcons; }

 private:
  // Opening and closing go through Show(bool), which keeps the game state.
  using CGAGUICommon::Show;
  void ShowGold();
  // The message line, a text of the game.
  void Say(const std::string& text);

  CGAGameHost& mHost;
  CGABattlefield& mBattlefield;
  CEGUI::Window* mGold = nullptr;
  CEGUI::Window* mMessage = nullptr;
  CEGUI::Window* mReturnSheet = nullptr;
  std::vector<std::unique_ptr<CGAGUIIconEx>> mIcons;
  bool mOpen = false;
  int mStateBeforeOpen = 0;  // GameState when the screen was opened
};
