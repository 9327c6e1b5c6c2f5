#include "platform/MessageBox.h"

#include "platform/CodePage.h"

#include <cstdio>

namespace platform {
namespace {
std::function<void(const std::string&)>& Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
}  // namespace

void ShowMessageBox(const std::string& text, const std::string& title) {
  const std::string line = "[" + GbkToUtf8(title) + "] " + GbkToUtf8(text);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (Sink()) Sink()(line);
}

void SetMessageBoxSink(std::function<void(const std::string& line)> sink) {
  Sink() = std::move(sink);
}

}  // namespace platform
