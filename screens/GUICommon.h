#pragma once
// The base of every screen: its root window, which Show makes the GUI's
// active sheet, and the one conversion of the game's texts to GUI strings.
#include <CEGUI/String.h>

#include <string>

namespace CEGUI {
class Window;
}

class CGAGUICommon {
 public:
  virtual ~CGAGUICommon() {}
  // Makes the root window the active sheet.
  virtual void Show();

  CEGUI::Window* GetRoot() const { return root; }

  // The game's texts (GBK) as GUI strings. Every text shown by the GUI goes
  // through here: the GUI's string from bytes would take each byte as a
  // character. Bytes that do not decode show as U+FFFD.
  static CEGUI::String ToCEGUIString(const std::string& text);

 protected:
  // A window of this screen by its full name ("start_root/player/new"); the
  // GUI library throws for a name the layout lacks.
  CEGUI::Window* GetWindow(const CEGUI::String& fullName) const;

  CEGUI::Window* root = nullptr;
};
