#include "platform/Window.h"

#include "platform/CodePage.h"
#include "platform/IconFile.h"
#include "platform/Paths.h"
#include "platform/Tick.h"

#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <deque>
#include <poll.h>
#include <unistd.h>
#include <vector>

// Where the linker put the start of the program: its load address.
extern "C" char __executable_start;

namespace platform {
namespace {

struct State {
  Display* display = nullptr;
  Window window = 0;
  Window made = 0;  // the window as made, also once it is gone
  bool destroyedByOthers = false;
  WindowProc proc = nullptr;
  Atom deleteWindow = 0;
  XIM im = nullptr;
  XIC ic = nullptr;
  std::deque<Message> posted;
  unsigned timerPeriod = 0;
  uint32_t timerDeadline = 0;
  bool quit = false;
  int exitCode = 0;
  int width = 0, height = 0;
  Time lastClickTime = 0;
  int lastClickX = -100, lastClickY = -100;
  bool lastClickWasDouble = false;
  Cursor cursor = 0;
};

State& S() {
  static State state;
  return state;
}

// X errors are logged instead of ending the process, but for two that are
// nobody's fault. Our own window named as a bad drawable: another program
// destroyed it while a frame was on its way to it, and the frame is dropped.
// Window 0 asked to change its size: the engine's render window on a window
// of ours keeps no window id of its own and sends that request on every
// resize, while its drawing follows our window's size.
int OnXError(Display* display, XErrorEvent* error) {
  const bool ourWindowGone = (error->error_code == BadDrawable || error->error_code == BadWindow) &&
                             error->resourceid != 0 && error->resourceid == S().made;
  const bool engineResizesNoWindow =
      error->error_code == BadWindow && error->resourceid == 0 && error->request_code == X_ConfigureWindow;
  if (ourWindowGone || engineResizesNoWindow) return 0;
  char text[256];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
  return 0;
}

// The display connection, opened on first use (the cursor is loaded before
// the window exists).
Display* OpenedDisplay() {
  State& s = S();
  if (!s.display) {
    XSetErrorHandler(OnXError);
    s.display = XOpenDisplay(nullptr);
  }
  return s.display;
}

void Post(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0) {
  S().posted.push_back(Message{S().window, message, wParam, lParam});
}

// Input method composition start and end, from the on-the-spot callbacks.
int PreeditStart(XIC, XPointer, XPointer) {
  Post(WM_IME_STARTCOMPOSITION);
  return -1;  // no length limit
}
void PreeditDone(XIC, XPointer, XPointer) { Post(WM_IME_ENDCOMPOSITION); }
void PreeditDraw(XIC, XPointer, XPointer) {}
void PreeditCaret(XIC, XPointer, XPointer) {}

void OpenInputMethod() {
  State& s = S();
  const char* locale = std::setlocale(LC_CTYPE, "");
  if (!locale || !XSupportsLocale()) std::setlocale(LC_CTYPE, "C.UTF-8");
  if (!XSupportsLocale()) return;
  XSetLocaleModifiers("");
  s.im = XOpenIM(s.display, nullptr, nullptr, nullptr);
  if (!s.im) return;

  XIMStyles* styles = nullptr;
  XGetIMValues(s.im, XNQueryInputStyle, &styles, nullptr);
  bool callbacks = false;
  for (int i = 0; styles && i < styles->count_styles; ++i)
    if (styles->supported_styles[i] == (XIMPreeditCallbacks | XIMStatusNothing)) callbacks = true;
  if (styles) XFree(styles);

  if (callbacks) {
    static XIMCallback start{nullptr, reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditStart))};
    static XIMCallback done{nullptr, reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditDone))};
    static XIMCallback draw{nullptr, reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditDraw))};
    static XIMCallback caret{nullptr, reinterpret_cast<XIMProc>(reinterpret_cast<void (*)()>(PreeditCaret))};
    XVaNestedList preedit = XVaCreateNestedList(0, XNPreeditStartCallback, &start, XNPreeditDoneCallback,
                                                &done, XNPreeditDrawCallback, &draw,
                                                XNPreeditCaretCallback, &caret, nullptr);
    s.ic = XCreateIC(s.im, XNInputStyle, XIMPreeditCallbacks | XIMStatusNothing, XNClientWindow, s.window,
                     XNFocusWindow, s.window, XNPreeditAttributes, preedit, nullptr);
    XFree(preedit);
  }
  if (!s.ic)
    s.ic = XCreateIC(s.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, s.window,
                     XNFocusWindow, s.window, nullptr);
  if (!s.ic) return;
  long filterMask = 0;
  XGetICValues(s.ic, XNFilterEvents, &filterMask, nullptr);
  XWindowAttributes attributes;
  XGetWindowAttributes(s.display, s.window, &attributes);
  XSelectInput(s.display, s.window, attributes.your_event_mask | filterMask);
  XSetICFocus(s.ic);
}

// The text of a key press as UTF-8 (empty for keys that type nothing).
std::string KeyText(XKeyEvent& event, KeySym& keysym) {
  char buffer[64];
  int length = 0;
  if (S().ic) {
    Status status;
    length = Xutf8LookupString(S().ic, &event, buffer, sizeof buffer - 1, &keysym, &status);
    if (status != XLookupChars && status != XLookupBoth) length = 0;
    return std::string(buffer, length > 0 ? length : 0);
  }
  // No input method: Latin-1 text, or the keysym's own code point.
  length = XLookupString(&event, buffer, sizeof buffer - 1, &keysym, nullptr);
  uint32_t codepoint = 0;
  if (length == 1) codepoint = static_cast<unsigned char>(buffer[0]);
  else if ((keysym & 0xff000000) == 0x01000000) codepoint = keysym & 0x00ffffff;
  if (!codepoint) return std::string();
  std::string utf8;
  if (codepoint < 0x80) utf8 += static_cast<char>(codepoint);
  else if (codepoint < 0x800) {
    utf8 += static_cast<char>(0xC0 | codepoint >> 6);
    utf8 += static_cast<char>(0x80 | (codepoint & 0x3F));
  } else {
    utf8 += static_cast<char>(0xE0 | codepoint >> 12);
    utf8 += static_cast<char>(0x80 | ((codepoint >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (codepoint & 0x3F));
  }
  return utf8;
}

void TranslateKeyPress(XKeyEvent& event) {
  KeySym keysym = 0;
  const std::string text = KeyText(event, keysym);
  if (keysym == XK_Alt_L || keysym == XK_Alt_R) {
    Post(WM_SYSKEYDOWN, VK_MENU);
    return;
  }
  if (event.state & Mod1Mask) {
    Post(WM_SYSKEYDOWN, keysym == XK_F4 ? VK_F4 : VK_OTHER);
    return;
  }
  // Characters arrive as the game's own multibyte text, one byte a message.
  for (unsigned char byte : Utf8ToGbk(text))
    if (byte != 0x7f) Post(WM_CHAR, byte);
}

void TranslateButton(const XButtonEvent& event, bool down) {
  State& s = S();
  const intptr_t where = MakeLParam(event.x, event.y);
  if (event.button == Button1) {
    if (!down) {
      Post(WM_LBUTTONUP, 0, where);
      return;
    }
    // A second press soon after and near the first is a double click.
    const bool isDouble = !s.lastClickWasDouble && event.time - s.lastClickTime <= 500 &&
                          std::abs(event.x - s.lastClickX) <= 4 && std::abs(event.y - s.lastClickY) <= 4;
    s.lastClickTime = event.time;
    s.lastClickX = event.x;
    s.lastClickY = event.y;
    s.lastClickWasDouble = isDouble;
    Post(isDouble ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 0, where);
  } else if (event.button == Button3) {
    Post(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, 0, where);
  }
}

void Translate(XEvent& event) {
  State& s = S();
  if (XFilterEvent(&event, None)) return;  // taken by the input method
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) Post(WM_PAINT);
      break;
    case ConfigureNotify:
      if (event.xconfigure.width != s.width || event.xconfigure.height != s.height) {
        s.width = event.xconfigure.width;
        s.height = event.xconfigure.height;
        Post(WM_SIZE, 0, MakeLParam(s.width, s.height));
      }
      break;
    case EnterNotify:
      Post(WM_SETCURSOR);
      break;
    case MotionNotify:
      Post(WM_MOUSEMOVE, 0, MakeLParam(event.xmotion.x, event.xmotion.y));
      break;
    case ButtonPress:
    case ButtonRelease:
      TranslateButton(event.xbutton, event.type == ButtonPress);
      break;
    case KeyPress:
      TranslateKeyPress(event.xkey);
      break;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == s.deleteWindow) Post(WM_CLOSE);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == s.window) {
        Post(WM_DESTROY);
        s.window = 0;
        s.destroyedByOthers = true;
      }
      break;
    default:
      break;
  }
}

// Up to `count` 32-bit values of a property of the root window (the
// desktop's facts a window manager publishes there); empty when absent.
std::vector<long> RootProperty(const char* name, Atom type, long count) {
  State& s = S();
  std::vector<long> values;
  Atom property = XInternAtom(s.display, name, True);
  if (property == None) return values;
  Atom actualType;
  int format;
  unsigned long got, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(s.display, DefaultRootWindow(s.display), property, 0, count, False, type, &actualType,
                         &format, &got, &after, &data) == Success &&
      format == 32)
    values.assign(reinterpret_cast<const long*>(data), reinterpret_cast<const long*>(data) + got);
  if (data) XFree(data);
  return values;
}

// A cursor or icon file, refused when longer than any such file.
bool ReadIconFile(const std::string& path, std::string& bytes) {
  if (!ReadFileHead(NativePath(path), kMaxIconFileBytes + 1, bytes)) return false;
  if (bytes.size() <= kMaxIconFileBytes) return true;
  std::fprintf(stderr, "%s not used: larger than %zu bytes\n", path.c_str(), kMaxIconFileBytes);
  return false;
}

bool HasWindowManager() { return RootProperty("_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1).size() == 1; }

void SetMaximizedState(bool on) {
  State& s = S();
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = s.window;
  event.xclient.message_type = XInternAtom(s.display, "_NET_WM_STATE", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = on ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(XInternAtom(s.display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  event.xclient.data.l[2] = static_cast<long>(XInternAtom(s.display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  XSendEvent(s.display, DefaultRootWindow(s.display), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &event);
  XFlush(s.display);
}

}  // namespace

WindowHandle CreateAppWindow(const std::string& title, int width, int height, WindowProc proc) {
  State& s = S();
  if (!OpenedDisplay()) return 0;
  const int screen = DefaultScreen(s.display);
  s.window = XCreateSimpleWindow(s.display, RootWindow(s.display, screen), 0, 0, width, height, 0,
                                 BlackPixel(s.display, screen), WhitePixel(s.display, screen));
  if (!s.window) return 0;
  s.made = s.window;
  s.proc = proc;
  s.width = width;
  s.height = height;
  XStoreName(s.display, s.window, title.c_str());
  XSizeHints hints = {};
  hints.flags = PSize;
  hints.width = width;
  hints.height = height;
  XSetWMNormalHints(s.display, s.window, &hints);
  const long pid = static_cast<long>(getpid());  // lets tools find the game's window
  XChangeProperty(s.display, s.window, XInternAtom(s.display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  s.deleteWindow = XInternAtom(s.display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(s.display, s.window, &s.deleteWindow, 1);
  XSelectInput(s.display, s.window,
               ExposureMask | StructureNotifyMask | PointerMotionMask | ButtonPressMask | ButtonReleaseMask |
                   KeyPressMask | KeyReleaseMask | EnterWindowMask | FocusChangeMask);
  OpenInputMethod();
  XMapRaised(s.display, s.window);
  // Wait until the window is on screen so the engine can draw into it at once.
  for (XEvent event;;) {
    XNextEvent(s.display, &event);
    if (event.type == MapNotify && event.xmap.window == s.window) break;
    Translate(event);
  }
  return static_cast<WindowHandle>(s.window);
}

void SetWindowTimer(WindowHandle, unsigned periodMs) {
  S().timerPeriod = periodMs;
  S().timerDeadline = GetTickCount() + periodMs;
}

bool GetMessage(Message& message) {
  State& s = S();
  for (;;) {
    if (!s.posted.empty()) {
      message = s.posted.front();
      s.posted.pop_front();
      if (message.message == WM_QUIT) return false;
      return true;
    }
    if (s.quit) {
      message = Message{0, WM_QUIT, static_cast<uintptr_t>(s.exitCode), 0};
      return false;
    }
    if (s.display && XPending(s.display) > 0) {
      XEvent event;
      XNextEvent(s.display, &event);
      Translate(event);
      continue;
    }
    int timeout = -1;
    if (s.timerPeriod) {
      const uint32_t now = GetTickCount();
      const int32_t left = static_cast<int32_t>(s.timerDeadline - now);
      if (left <= 0) {
        // One tick however late we are; the next one a full period later.
        s.timerDeadline = now + s.timerPeriod;
        message = Message{static_cast<WindowHandle>(s.window), WM_TIMER, 0, 0};
        return true;
      }
      timeout = left;
    }
    if (!s.display) return false;
    pollfd fd{ConnectionNumber(s.display), POLLIN, 0};
    poll(&fd, 1, timeout);
  }
}

void DispatchMessage(const Message& message) {
  if (S().proc) S().proc(message.window, message.message, message.wParam, message.lParam);
}

void PostQuitMessage(int exitCode) {
  S().quit = true;
  S().exitCode = exitCode;
}

intptr_t SendMessage(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
  return S().proc ? S().proc(window, message, wParam, lParam) : 0;
}

intptr_t DefWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t) {
  if (message == WM_CLOSE) DestroyWindow(window);
  if (message == WM_SYSKEYDOWN && wParam == VK_F4) SendMessage(window, WM_CLOSE, 0, 0);
  return 0;
}

void DestroyWindow(WindowHandle window) {
  State& s = S();
  if (!s.display || !window || window != s.window) return;
  // Gone from the screen at once; the X window itself stays until
  // CloseAppWindow, after the engine has stopped drawing into it.
  XUnmapWindow(s.display, s.window);
  XFlush(s.display);
  s.window = 0;
  SendMessage(window, WM_DESTROY, 0, 0);
}

void CloseAppWindow() {
  State& s = S();
  if (!s.display) return;
  if (s.ic) XDestroyIC(s.ic);
  if (s.im) XCloseIM(s.im);
  if (s.made && !s.destroyedByOthers) XDestroyWindow(s.display, s.made);
  if (s.cursor) XFreeCursor(s.display, s.cursor);
  XCloseDisplay(s.display);
  s = State();
}

std::string NativeWindowId(WindowHandle window) { return std::to_string(window); }

Rect GetClientRect(WindowHandle) {
  Rect r;
  r.right = S().width;
  r.bottom = S().height;
  return r;
}

Rect GetWindowRect(WindowHandle window) {
  State& s = S();
  Rect r;
  if (!s.display || !window) return r;
  Window child;
  int x = 0, y = 0;
  XTranslateCoordinates(s.display, s.window, DefaultRootWindow(s.display), 0, 0, &x, &y, &child);
  r.left = x;
  r.top = y;
  r.right = x + s.width;
  r.bottom = y + s.height;
  return r;
}

Rect GetScreenRect() {
  Rect r;
  if (!S().display) return r;
  r.right = DisplayWidth(S().display, DefaultScreen(S().display));
  r.bottom = DisplayHeight(S().display, DefaultScreen(S().display));
  return r;
}

Rect GetWorkArea() {
  Rect r = GetScreenRect();
  if (!S().display) return r;
  const std::vector<long> area = RootProperty("_NET_WORKAREA", XA_CARDINAL, 4);
  if (area.size() == 4) {
    r.left = static_cast<int>(area[0]);
    r.top = static_cast<int>(area[1]);
    r.right = r.left + static_cast<int>(area[2]);
    r.bottom = r.top + static_cast<int>(area[3]);
  }
  return r;
}

Rect AdjustWindowRect(const Rect& client) { return client; }

void MoveWindow(WindowHandle window, int x, int y, int width, int height) {
  State& s = S();
  if (!s.display || !window) return;
  XMoveResizeWindow(s.display, s.window, x, y, static_cast<unsigned>(width > 0 ? width : 1),
                    static_cast<unsigned>(height > 0 ? height : 1));
  XFlush(s.display);
}

void RestoreWindow(WindowHandle window) {
  if (!S().display || !window) return;
  if (HasWindowManager()) SetMaximizedState(false);
}

void MaximizeWindow(WindowHandle window) {
  if (!S().display || !window) return;
  if (HasWindowManager()) {
    SetMaximizedState(true);
  } else {
    const Rect area = GetWorkArea();
    MoveWindow(window, area.left, area.top, area.width(), area.height());
  }
}

void SetWindowDecorated(WindowHandle window, bool decorated) {
  State& s = S();
  if (!s.display || !window) return;
  struct {
    unsigned long flags, functions, decorations;
    long inputMode;
    unsigned long status;
  } hints = {2, 0, decorated ? 1ul : 0ul, 0, 0};  // flags: decorations field is valid
  Atom motif = XInternAtom(s.display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(s.display, s.window, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&hints), 5);
  XFlush(s.display);
}

CursorHandle LoadCursorFromFile(const std::string& path) {
  State& s = S();
  std::string bytes, error;
  IconImage image;
  if (!OpenedDisplay() || !ReadIconFile(path, bytes)) return 0;
  if (!DecodeCursor(bytes, image, error)) {
    std::fprintf(stderr, "Cursor %s not used: %s\n", path.c_str(), error.c_str());
    return 0;
  }
  XcursorImage* x = XcursorImageCreate(image.width, image.height);
  if (!x) return 0;
  x->xhot = static_cast<XcursorDim>(image.hotspotX);
  x->yhot = static_cast<XcursorDim>(image.hotspotY);
  std::memcpy(x->pixels, image.argb.data(), image.argb.size() * 4);
  Cursor cursor = XcursorImageLoadCursor(s.display, x);
  XcursorImageDestroy(x);
  return static_cast<CursorHandle>(cursor);
}

void SetCursor(WindowHandle window, CursorHandle cursor) {
  State& s = S();
  if (!s.display || !window || s.cursor == cursor) return;
  s.cursor = static_cast<Cursor>(cursor);
  if (cursor) XDefineCursor(s.display, s.window, s.cursor);
  else XUndefineCursor(s.display, s.window);
  XFlush(s.display);
}

bool SetWindowIcon(WindowHandle window, const std::string& path) {
  State& s = S();
  std::string bytes, error;
  std::vector<IconImage> images;
  if (!s.display || !window || !ReadIconFile(path, bytes)) return false;
  if (!DecodeIcon(bytes, images, error)) {
    std::fprintf(stderr, "Icon %s not used: %s\n", path.c_str(), error.c_str());
    return false;
  }
  // Each image as its width, its height and its pixels, one 32-bit value a
  // property item (a long to Xlib).
  std::vector<long> items;
  for (const IconImage& image : images) {
    items.push_back(image.width);
    items.push_back(image.height);
    items.insert(items.end(), image.argb.begin(), image.argb.end());
  }
  XChangeProperty(s.display, s.window, XInternAtom(s.display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(items.data()),
                  static_cast<int>(items.size()));
  XFlush(s.display);
  return true;
}

InstanceHandle GetProgramInstance() { return reinterpret_cast<InstanceHandle>(&__executable_start); }

bool IsInputMethodLayout() { return true; }

}  // namespace platform
