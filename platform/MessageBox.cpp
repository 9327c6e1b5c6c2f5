#include "platform/MessageBox.h"

#include "platform/CodePage.h"
#include "platform/MessageBoxWindow.h"

#include <cstdio>

namespace platform {
namespace {
std::function<void(const std::string&)>& Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
bool& WindowsShown() {
  static bool shown = false;
  return shown;
}
}  // namespace

void ShowMessageBox(const std::string& text, const std::string& title) {
  const std::string line = "[" + GbkToUtf8(title) + "] " + GbkToUtf8(text);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (Sink()) Sink()(line);
  if (WindowsShown()) ShowMessageBoxWindow(GbkToUtf8(text), GbkToUtf8(title), GbkToUtf8("确定"));
}

void SetMessageBoxSink(std::function<void(const std::string& line)> sink) {
  Sink() = std::move(sink);
}

void SetMessageBoxWindows(bool shown) { WindowsShown() = shown; }

}  // namespace platform
