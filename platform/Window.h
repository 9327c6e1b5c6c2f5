#pragma once
// The game's one top-level window and its message queue, on X11. Events are
// delivered to a window procedure as the messages the game handles; a 15 ms
// timer is coalesced (at most one tick pending) and the loop blocks until the
// next event or timer deadline. No X11 header is included here: files that
// include the engine or the GUI can include this one.
#include <cstdint>
#include <string>

namespace platform {

using WindowHandle = uintptr_t;  // 0 = none
using CursorHandle = uintptr_t;  // 0 = none (the default pointer)
using InstanceHandle = uintptr_t;

// The messages of the window procedure.
enum : unsigned {
  WM_DESTROY = 0x0002,
  WM_SIZE = 0x0005,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_SETCURSOR = 0x0020,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,
  WM_TIMER = 0x0113,
  WM_IME_STARTCOMPOSITION = 0x010D,
  WM_IME_ENDCOMPOSITION = 0x010E,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
};

// Virtual keys reported with WM_SYSKEYDOWN (a key pressed with Alt held).
enum : unsigned { VK_MENU = 0x12, VK_F4 = 0x73, VK_OTHER = 0xFF };

// lParam of mouse and size messages: x (width) in the low 16 bits, y
// (height) in the high 16 bits.
inline intptr_t MakeLParam(int lo, int hi) {
  return static_cast<intptr_t>((static_cast<uint32_t>(hi) & 0xffff) << 16 | (static_cast<uint32_t>(lo) & 0xffff));
}
inline int LoWord(intptr_t l) { return static_cast<int>(static_cast<uint32_t>(l) & 0xffff); }
inline int HiWord(intptr_t l) { return static_cast<int>((static_cast<uint32_t>(l) >> 16) & 0xffff); }

using WindowProc = intptr_t (*)(WindowHandle, unsigned message, uintptr_t wParam, intptr_t lParam);

struct Message {
  WindowHandle window = 0;
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Opens the display and creates a visible window with an inner area of
// width x height, titled `title`, whose messages go to `proc`. Returns 0 when
// there is no display or the window cannot be made.
WindowHandle CreateAppWindow(const std::string& title, int width, int height, WindowProc proc);

// Starts (or restarts) the window's periodic timer; its WM_TIMER messages are
// coalesced: a slow frame delays the next tick instead of queuing several.
void SetWindowTimer(WindowHandle window, unsigned periodMs);

// Blocks until the next message and returns it; false once WM_QUIT is taken
// (its exit code in message.wParam).
bool GetMessage(Message& message);
void DispatchMessage(const Message& message);
void PostQuitMessage(int exitCode);

// What the window procedure returns for messages it does not handle:
// WM_CLOSE destroys the window, Alt+F4 closes it.
intptr_t DefWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Takes the window off the screen and sends WM_DESTROY. The X window lives
// on, unseen, until CloseAppWindow, so whatever still draws into it can be
// shut down first.
void DestroyWindow(WindowHandle window);
// The end of the window and of the display connection, after everything
// that drew into the window has been shut down.
void CloseAppWindow();

// The native window id, as decimal text, for the engine and the keyboard reader.
std::string NativeWindowId(WindowHandle window);

Rect GetClientRect(WindowHandle window);
Rect GetWindowRect(WindowHandle window);
// The desktop area windows may cover, and the whole screen size.
Rect GetWorkArea();
Rect GetScreenRect();
// The outer rectangle that gives an inner area of `client`; our windows have
// no frame of their own (a window manager adds its frame outside).
Rect AdjustWindowRect(const Rect& client);

void MoveWindow(WindowHandle window, int x, int y, int width, int height);
void RestoreWindow(WindowHandle window);
void MaximizeWindow(WindowHandle window);
// Caption and frame shown or hidden (asks the window manager, if any).
void SetWindowDecorated(WindowHandle window, bool decorated);

// Cursors: loaded from a ".cur" file (0 when it cannot be read) and set on
// the window; 0 sets the default pointer.
CursorHandle LoadCursorFromFile(const std::string& path);
void SetCursor(WindowHandle window, CursorHandle cursor);

// The window's icon from an ".ico" file: every image of it (a big and a
// small one), for the window manager to take the size it shows (the
// _NET_WM_ICON property). False when the file cannot be read.
bool SetWindowIcon(WindowHandle window, const std::string& path);

// The program's instance, as the desktop's instance handle: the address the
// program's own module (its executable) is loaded at.
InstanceHandle GetProgramInstance();

// Whether characters may arrive as double-byte pairs. Always true here: typed
// and input-method text alike arrive as the game's multibyte text (GBK), one
// byte per WM_CHAR message.
bool IsInputMethodLayout();

// Sends a message straight to the window procedure (like the desktop's
// SendMessage): used by tests and by the default procedure.
intptr_t SendMessage(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);

}  // namespace platform
