// A message box as a window, on a real X server: it carries the class tools
// look for and its title in UTF-8, draws its text, and the call returns once
// the box is closed, in each way a player or the desktop closes it, and not
// before. Where windows are off (test programs) or there is no display, the
// call never waits. Each box is shown by a child process, as the game would
// show it, so a box that never closes fails its case instead of hanging the
// program.
#include "platform/MessageBox.h"

#include <gtest/gtest.h>
// After the test library: X's macros (None, Bool) clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// "错误" in UTF-8: the GBK title as a window manager must read it.
const char* const kTitleUtf8 = "\xe9\x94\x99\xe8\xaf\xaf";

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Shows a box (a GBK text and title) in a child process, with box windows on
// or off and the display kept or taken away.
pid_t ShowBoxInChild(bool windows, bool display) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!display) unsetenv("DISPLAY");
    platform::SetMessageBoxWindows(windows);
    platform::ShowMessageBox("配置中没有此怪物 请检查资源", "错误");
    _exit(0);
  }
  return pid;
}

// Whether the child ends, with exit code 0, within `seconds`; it is killed
// when it does not.
bool EndsWithin(pid_t pid, double seconds) {
  const Clock::time_point end =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Tries `found` until it holds, for up to ten seconds.
bool Within10s(const std::function<bool()>& found) {
  const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
  while (!found()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return true;
}

class MessageBoxWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no display";
    previousHandler = XSetErrorHandler(IgnoreXError);  // the box's window may be gone under a request
  }
  void TearDown() override {
    if (child > 0 && !EndsWithin(child, 0)) ADD_FAILURE() << "the box was still open";
    if (display) XCloseDisplay(display);
    XSetErrorHandler(previousHandler);
  }

  // The shown box window of the child (its class and its _NET_WM_PID), drawn
  // (some dark pixels of text on it); 0 when none came within ten seconds.
  Window FoundBox() {
    Window box = 0;
    Within10s([&] { return (box = BoxOf(child)) != 0 && Drawn(box); });
    return box;
  }

  Window BoxOf(pid_t pid) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window box = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !box; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(display, children[i], &hint)) continue;
      if (std::string(hint.res_class) == platform::kMessageBoxClass && Cardinal(children[i], "_NET_WM_PID") == pid)
        box = children[i];
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    if (children) XFree(children);
    return box;
  }

  long Cardinal(Window window, const char* name) {
    const std::string value = Property(window, name, XA_CARDINAL, [](unsigned char* data, unsigned long) {
      return std::to_string(*reinterpret_cast<long*>(data));
    });
    return value.empty() ? -1 : std::stol(value);
  }

  std::string Property(Window window, const char* name, Atom type,
                       const std::function<std::string(unsigned char*, unsigned long)>& read) {
    Atom actualType;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type, &actualType,
                           &format, &count, &after, &data) == Success &&
        data && count > 0)
      value = read(data, count);
    if (data) XFree(data);
    return value;
  }

  std::string Utf8Name(Window window) {
    return Property(window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False),
                    [](unsigned char* data, unsigned long count) {
                      return std::string(reinterpret_cast<char*>(data), count);
                    });
  }

  bool Drawn(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return false;
    int dark = 0;
    for (int y = 0; y < attributes.height; ++y)
      for (int x = 0; x < attributes.width; ++x) dark += (XGetPixel(image, x, y) & 0xff) < 0x40;
    XDestroyImage(image);
    return dark > 20;
  }

  void Click(Window box, int x, int y) {
    for (int type : {ButtonPress, ButtonRelease}) {
      XEvent event{};
      event.xbutton.type = type;
      event.xbutton.window = box;
      event.xbutton.button = Button1;
      event.xbutton.x = x;
      event.xbutton.y = y;
      XSendEvent(display, box, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    }
    XFlush(display);
  }

  // Clicks the middle of the OK button: centred at the bottom, 16 pixels
  // above the edge, 28 high.
  void ClickOk(Window box) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, box, &attributes);
    Click(box, attributes.width / 2, attributes.height - 16 - 14);
  }

  void Press(Window box, KeySym key) {
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.window = box;
    event.xkey.keycode = XKeysymToKeycode(display, key);
    XSendEvent(display, box, False, KeyPressMask, &event);
    XFlush(display);
  }

  void CloseFromTheWindowManager(Window box) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = box;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, box, False, NoEventMask, &event);
    XFlush(display);
  }

  Display* display = nullptr;
  XErrorHandler previousHandler = nullptr;
  pid_t child = 0;
};

TEST_F(MessageBoxWindow, ShowsItsTitleAndTextUntilClosedEachWay) {
  struct Case {
    const char* how;
    std::function<void(Window)> close;
  } cases[] = {
      {"the OK button", [this](Window box) { ClickOk(box); }},
      {"Enter", [this](Window box) { Press(box, XK_Return); }},
      {"Escape", [this](Window box) { Press(box, XK_Escape); }},
      {"the window manager's close", [this](Window box) { CloseFromTheWindowManager(box); }},
      {"another program destroying it",
       [this](Window box) {
         XDestroyWindow(display, box);
         XFlush(display);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    child = ShowBoxInChild(true, true);
    const Window box = FoundBox();
    ASSERT_NE(box, 0u) << "no drawn box window within 10 s";
    EXPECT_EQ(Utf8Name(box), kTitleUtf8);
    // Still open half a second on: the call waits for the player.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "the box ended by itself";
    c.close(box);
    EXPECT_TRUE(EndsWithin(child, 10)) << "the call did not return within 10 s of the close";
    child = 0;
  }
}

// A click beside the button, and one that leaves the button before it is
// let go, close nothing.
TEST_F(MessageBoxWindow, AClickBesideTheButtonLeavesItOpen) {
  child = ShowBoxInChild(true, true);
  const Window box = FoundBox();
  ASSERT_NE(box, 0u) << "no drawn box window within 10 s";
  Click(box, 2, 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "a click beside the button closed the box";
  Press(box, XK_Escape);
  EXPECT_TRUE(EndsWithin(child, 10));
  child = 0;
}

// Test programs (windows off) and a desktop without a display: the box is a
// line on the standard error and the call returns at once.
TEST_F(MessageBoxWindow, NeverWaitsWithWindowsOffOrWithoutADisplay) {
  for (const bool windows : {false, true}) {
    SCOPED_TRACE(windows ? "windows on, no display" : "windows off");
    const pid_t pid = ShowBoxInChild(windows, !windows);
    EXPECT_TRUE(EndsWithin(pid, 10)) << "the call waited";
  }
}

}  // namespace
