#include "platform/MessageBoxWindow.h"

#include "platform/MessageBox.h"

#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

// The font of the game's GUI, a little larger: a box is read, not glanced at.
const char* const kFont = "WenQuanYi Zen Hei:pixelsize=14";
constexpr int kPadding = 16;
constexpr int kMaxTextWidth = 440;
constexpr int kMinWidth = 240;
constexpr int kLineGap = 4;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;

Display*& BoxDisplay() {
  static Display* display = nullptr;
  return display;
}
XErrorHandler& PreviousErrorHandler() {
  static XErrorHandler handler = nullptr;
  return handler;
}

// Errors on the box's own connection can only come from its window having
// been destroyed by another program while the box still drew into it: the box
// then closes as it would on OK. Errors of other connections go where they
// went before.
int OnBoxXError(Display* display, XErrorEvent* error) {
  if (display == BoxDisplay()) return 0;
  return PreviousErrorHandler() ? PreviousErrorHandler()(display, error) : 0;
}

int TextWidth(Display* display, XftFont* font, const std::string& text) {
  XGlyphInfo extents;
  XftTextExtentsUtf8(display, font, reinterpret_cast<const FcChar8*>(text.data()), static_cast<int>(text.size()),
                     &extents);
  return extents.xOff;
}

// The byte after the UTF-8 character that starts at `at`.
size_t NextCharacter(const std::string& text, size_t at) {
  ++at;
  while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  return at;
}

// The text in lines no wider than `maxWidth`: its own line breaks kept, a
// longer line broken at its last space that fits, or between two characters
// where it has none (Chinese text has no spaces). Trailing blank lines go.
std::vector<std::string> WrapLines(Display* display, XftFont* font, const std::string& text, int maxWidth) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string rest = text.substr(start, end - start);
    rest.erase(std::remove(rest.begin(), rest.end(), '\r'), rest.end());
    while (TextWidth(display, font, rest) > maxWidth) {
      size_t fits = NextCharacter(rest, 0);  // at least one character a line
      for (size_t at = NextCharacter(rest, fits); at <= rest.size(); at = NextCharacter(rest, at)) {
        if (TextWidth(display, font, rest.substr(0, at)) > maxWidth) break;
        fits = at;
      }
      const size_t space = rest.rfind(' ', fits);
      if (space != std::string::npos && space > 0) {
        lines.push_back(rest.substr(0, space));
        rest.erase(0, space + 1);
      } else {
        lines.push_back(rest.substr(0, fits));
        rest.erase(0, fits);
      }
    }
    lines.push_back(rest);
    start = end + 1;
  }
  while (lines.size() > 1 && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
  return lines;
}

XftColor Colour(Display* display, int screen, unsigned rgb) {
  XRenderColor value;
  value.red = static_cast<unsigned short>(((rgb >> 16) & 0xff) * 0x101);
  value.green = static_cast<unsigned short>(((rgb >> 8) & 0xff) * 0x101);
  value.blue = static_cast<unsigned short>((rgb & 0xff) * 0x101);
  value.alpha = 0xffff;
  XftColor colour{};
  XftColorAllocValue(display, DefaultVisual(display, screen), DefaultColormap(display, screen), &value, &colour);
  return colour;
}

void SetUtf8Property(Display* display, Window window, const char* name, const std::string& value) {
  XChangeProperty(display, window, XInternAtom(display, name, False), XInternAtom(display, "UTF8_STRING", False), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(value.data()),
                  static_cast<int>(value.size()));
}

// The names, class, kind and fixed size a window manager and tools read.
void DescribeWindow(Display* display, Window window, const std::string& title, int width, int height) {
  SetUtf8Property(display, window, "WM_NAME", title);
  SetUtf8Property(display, window, "_NET_WM_NAME", title);
  char instanceName[] = "yvek-message-box";
  std::string className = kMessageBoxClass;
  XClassHint classHint{instanceName, &className[0]};
  XSetClassHint(display, window, &classHint);
  const long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
  XSizeHints size{};
  size.flags = PPosition | PMinSize | PMaxSize;
  size.min_width = size.max_width = width;
  size.min_height = size.max_height = height;
  XSetWMNormalHints(display, window, &size);
  XWMHints hints{};
  hints.flags = InputHint;
  hints.input = True;
  XSetWMHints(display, window, &hints);
}

}  // namespace

bool ShowMessageBoxWindow(const std::string& text, const std::string& title, const std::string& button) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const int screen = DefaultScreen(display);
  XftFont* font = XftFontOpenName(display, screen, kFont);
  if (!font) {
    XCloseDisplay(display);
    return false;
  }
  BoxDisplay() = display;
  PreviousErrorHandler() = XSetErrorHandler(OnBoxXError);

  const std::vector<std::string> lines = WrapLines(display, font, text, kMaxTextWidth);
  const int lineHeight = font->ascent + font->descent + kLineGap;
  int textWidth = 0;
  for (const std::string& line : lines) textWidth = std::max(textWidth, TextWidth(display, font, line));
  const int width = std::max(kMinWidth, textWidth + 2 * kPadding);
  const int height = kPadding + static_cast<int>(lines.size()) * lineHeight + kPadding + kButtonHeight + kPadding;
  const int buttonX = (width - kButtonWidth) / 2;
  const int buttonY = height - kPadding - kButtonHeight;

  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen),
                                            (DisplayWidth(display, screen) - width) / 2,
                                            (DisplayHeight(display, screen) - height) / 2, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, 0);
  DescribeWindow(display, window, title, width, height);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);
  XSelectInput(display, window, ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);

  XftDraw* draw = XftDrawCreate(display, window, DefaultVisual(display, screen), DefaultColormap(display, screen));
  XftColor colours[] = {Colour(display, screen, 0xf0f0f0), Colour(display, screen, 0x000000),
                        Colour(display, screen, 0x7a7a7a), Colour(display, screen, 0xe1e1e1)};
  const XftColor& background = colours[0];
  const XftColor& ink = colours[1];
  const XftColor& buttonEdge = colours[2];
  const XftColor& buttonFace = colours[3];
  auto drawUtf8 = [&](int x, int y, const std::string& utf8) {
    XftDrawStringUtf8(draw, &ink, font, x, y, reinterpret_cast<const FcChar8*>(utf8.data()),
                      static_cast<int>(utf8.size()));
  };
  auto paint = [&] {
    XftDrawRect(draw, &background, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    for (size_t i = 0; i < lines.size(); ++i)
      drawUtf8(kPadding, kPadding + static_cast<int>(i) * lineHeight + font->ascent, lines[i]);
    XftDrawRect(draw, &buttonEdge, buttonX, buttonY, kButtonWidth, kButtonHeight);
    XftDrawRect(draw, &buttonFace, buttonX + 1, buttonY + 1, kButtonWidth - 2, kButtonHeight - 2);
    drawUtf8(buttonX + (kButtonWidth - TextWidth(display, font, button)) / 2,
             buttonY + (kButtonHeight - font->ascent - font->descent) / 2 + font->ascent, button);
  };
  auto onButton = [&](const XButtonEvent& event) {
    return event.button == Button1 && event.x >= buttonX && event.x < buttonX + kButtonWidth && event.y >= buttonY &&
           event.y < buttonY + kButtonHeight;
  };

  XMapRaised(display, window);
  bool destroyed = false;
  bool pressedOnButton = false;
  for (bool open = true; open;) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) paint();
        break;
      case MapNotify:
        XSetInputFocus(display, window, RevertToParent, CurrentTime);  // Enter and Escape reach the box
        break;
      case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_Return || key == XK_KP_Enter || key == XK_Escape) open = false;
        break;
      }
      case ButtonPress:
        pressedOnButton = onButton(event.xbutton);
        break;
      case ButtonRelease:
        // A click counts where it both starts and ends on the button.
        if (pressedOnButton && onButton(event.xbutton)) open = false;
        pressedOnButton = false;
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) open = false;
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == window) {
          destroyed = true;
          open = false;
        }
        break;
      default:
        break;
    }
  }

  XftDrawDestroy(draw);
  for (XftColor& colour : colours)
    XftColorFree(display, DefaultVisual(display, screen), DefaultColormap(display, screen), &colour);
  XftFontClose(display, font);
  if (!destroyed) XDestroyWindow(display, window);
  XCloseDisplay(display);
  XSetErrorHandler(PreviousErrorHandler());
  BoxDisplay() = nullptr;
  return true;
}

}  // namespace platform
