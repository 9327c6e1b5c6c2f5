#pragma once
// Message boxes. There is no desktop to pop a dialog on: the box goes to the
// standard error and to the log sink (the game points it at its log), and
// never blocks.
#include <functional>
#include <string>

namespace platform {

// Shows a box with a GBK text and title.
void ShowMessageBox(const std::string& text, const std::string& title);

// Where boxes are logged besides the standard error (UTF-8 line); none by default.
void SetMessageBoxSink(std::function<void(const std::string& line)> sink);

}  // namespace platform
