#pragma once
// The window of a message box (X11, the text drawn with Xft in the game's CJK
// font). Used by MessageBox.cpp alone.
#include <string>

namespace platform {

// Shows a box window with the UTF-8 text, title and button label, on a
// display connection of its own, and returns once it is closed: the button,
// Enter, Escape, the window manager's close, or the window destroyed by
// another program. False at once when there is no display or no font.
bool ShowMessageBoxWindow(const std::string& text, const std::string& title, const std::string& button);

}  // namespace platform
