#pragma once
// The program's one window: its creation, the message loop and the window
// procedure that turns messages into calls on the input and the application.
#include "platform/Window.h"

#include <string>

extern const char* const kGameTitle;
// The program's icon, beside its data.
extern const char* const kGameIcon;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

// Where a window of the given outer size goes: centred in the work area (its
// own left and top not added), or maximised when it does not fit.
struct WindowPlacement {
  bool maximise = false;
  int x = 0, y = 0;
};
WindowPlacement PlaceCentred(const platform::Rect& outer, const platform::Rect& workArea);

// The program's instance, stored by the entry point (the game reads it
// nowhere else).
void SetAppInstance(platform::InstanceHandle instance);
platform::InstanceHandle GetAppInstance();

platform::WindowHandle CreateMainWindow();
platform::WindowHandle GetMainWindow();
void LoadGameCursor(const std::string& fileName);
intptr_t MainWndProc(platform::WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Runs until the window is destroyed; saves the current player's record
// afterwards. Returns the quit message's exit code.
int RunMessageLoop();
