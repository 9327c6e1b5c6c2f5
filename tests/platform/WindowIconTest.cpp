// The window's icon as a window manager reads it, on a real X server: the
// _NET_WM_ICON property of the game's window holds the big (32 x 32) and the
// small (16 x 16) image of the game's icon, pixel for pixel.
#include "platform/IconFile.h"
#include "platform/Paths.h"
#include "platform/Window.h"

#include <gtest/gtest.h>
// After the test library: X's macros (None, Bool) clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace {

intptr_t NoMessages(platform::WindowHandle, unsigned, uintptr_t, intptr_t) { return 0; }

// The window's _NET_WM_ICON items, read through a connection of its own.
std::vector<uint32_t> IconProperty(platform::WindowHandle window) {
  std::vector<uint32_t> items;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return items;
  Atom type;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
  if (XGetWindowProperty(display, static_cast<Window>(window), icon, 0, 1 << 20, False, XA_CARDINAL, &type,
                         &format, &count, &after, &data) == Success &&
      format == 32)
    for (unsigned long i = 0; i < count; ++i) items.push_back(static_cast<uint32_t>(reinterpret_cast<long*>(data)[i]));
  if (data) XFree(data);
  XCloseDisplay(display);
  return items;
}

class WindowIcon : public ::testing::Test {
 protected:
  void SetUp() override {
    window = platform::CreateAppWindow("icon", 80, 60, NoMessages);
    ASSERT_NE(window, 0u) << "no window on the display";
  }
  void TearDown() override {
    platform::DestroyWindow(window);
    platform::CloseAppWindow();
  }
  platform::WindowHandle window = 0;
};

TEST_F(WindowIcon, TheGameIconIsTheBigAndTheSmallIcon) {
  ASSERT_TRUE(platform::SetWindowIcon(window, "yvek.ico"));  // the build's, in the build folder
  std::string bytes, error;
  ASSERT_TRUE(platform::ReadFileHead("yvek.ico", platform::kMaxIconFileBytes, bytes));
  std::vector<platform::IconImage> images;
  ASSERT_TRUE(platform::DecodeIcon(bytes, images, error)) << error;

  const std::vector<uint32_t> items = IconProperty(window);
  size_t at = 0;
  for (int size : {32, 16}) {
    ASSERT_LE(at + 2, items.size());
    EXPECT_EQ(items[at], uint32_t(size));
    EXPECT_EQ(items[at + 1], uint32_t(size));
    at += 2;
    const platform::IconImage& image = images[size == 32 ? 0 : 1];
    ASSERT_LE(at + image.argb.size(), items.size());
    EXPECT_EQ(std::vector<uint32_t>(items.begin() + at, items.begin() + at + image.argb.size()), image.argb);
    at += image.argb.size();
  }
  EXPECT_EQ(at, items.size());
}

TEST_F(WindowIcon, AFileThatIsNoIconSetsNone) {
  EXPECT_FALSE(platform::SetWindowIcon(window, "no_such_icon.ico"));
  EXPECT_FALSE(platform::SetWindowIcon(window, "plugins.cfg"));
  EXPECT_TRUE(IconProperty(window).empty());
}

}  // namespace
