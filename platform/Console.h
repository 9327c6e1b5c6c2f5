#pragma once
// The game's progress lines on the standard output. The game writes them in
// its own multibyte text (GBK); the terminal gets UTF-8.

namespace platform {

// printf-style; the formatted GBK text is converted before it is written.
void ConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The desktop version opens a console window here; ours keeps stdout.
void AttachConsole();

}  // namespace platform
