#pragma once
// A screen of the game on the GUI library's null renderer: the GUI test
// system, the game's state as at process start, a working folder of its own
// (for the record files), a stand-in host and battlefield and level files in
// memory. A test names its screen's root; windows are found by full name.
#include "FakeBattlefield.h"
#include "FakeHost.h"
#include "MemoryLevelFiles.h"
#include "tests/screens/LevelGlobals.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace CEGUI {
class Window;
}
class CGAGUIManager;

class ScreenFixture : public ::testing::Test {
 protected:
  ScreenFixture();
  ~ScreenFixture() override;

  // Builds the screens as the start-up does; the start screen is shown.
  void BuildScreens();

  // The root window of the screen under test.
  virtual CEGUI::Window* ScreenRoot() const = 0;
  // A window by its full name: the root's name, or the root's name, "/" and
  // the path below it.
  CEGUI::Window* W(const std::string& fullName) const;
  std::string Text(const std::string& fullName) const;
  bool Shown(const std::string& fullName) const;
  // A text of the game (GBK) as the GUI holds it, in UTF-8.
  static std::string Utf8(const std::string& text);

  // One game frame: the GUI's time pulse, in which the shown sheet updates.
  void Frame(uint32_t ms = 100);

  ScopedLevelGlobals globals;
  TempDir dir;
  ScopedWorkingDir cwd{dir.path()};
  FakeHost host;
  FakeBattlefield battlefield;
  MemoryLevelFiles levels;
  std::unique_ptr<CGAGUIManager> manager;
};
