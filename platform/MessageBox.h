#pragma once
// Message boxes. Each box goes to the standard error and to the log sink
// (the game points it at its log). Where box windows are on and a display can
// be opened, it is also shown as a small window of its own with the text and
// an OK button, and the call returns once that window is closed; otherwise it
// never blocks.
#include <functional>
#include <string>

namespace platform {

// The WM_CLASS class of every box window, for tools that look for one.
inline constexpr const char* kMessageBoxClass = "YvekMessageBox";

// Shows a box with a GBK text and title.
void ShowMessageBox(const std::string& text, const std::string& title);

// Where boxes are logged besides the standard error (UTF-8 line); none by default.
void SetMessageBoxSink(std::function<void(const std::string& line)> sink);

// Whether boxes are shown as windows. Off by default, so that test programs
// never wait for a click; the game turns it on.
void SetMessageBoxWindows(bool shown);

}  // namespace platform
