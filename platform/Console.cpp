#include "platform/Console.h"

#include "platform/CodePage.h"

#include <cstdarg>
#include <cstdio>

namespace platform {

void ConsolePrint(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::fputs(GbkToUtf8(buffer).c_str(), stdout);
  std::fflush(stdout);
}

void AttachConsole() {}

}  // namespace platform
