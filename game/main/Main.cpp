// Entry point: the lock that keeps to one copy of the game a folder, the
// window, then the whole start-up inside the application object, then the
// message loop; at its end everything shuts down in the reverse order, the
// window last.
#include "game/app/MainWindow.h"
#include "game/app/YourView.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

#include <OgreException.h>
#include <OgreLogManager.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

namespace {

// Held while the game runs: the first copy in a working folder holds it.
const char* const kLockFile = "yvek.lock";

}  // namespace

int main() {
  // The game's boxes are windows a player sees and closes (where there is a
  // display), as well as lines on the standard error and in the log.
  platform::SetMessageBoxWindows(true);
  // One copy of the game per working folder: a second one would write the
  // player list, the records and the engine log over the first one's. This
  // comes before anything is read or written (the engine log too, so the box
  // goes to its window and the standard error alone), and the lock is held
  // until the end.
  platform::InstanceLock lock;
  switch (lock.Take(kLockFile)) {
    case platform::InstanceLock::State::Held:
      break;
    case platform::InstanceLock::State::HeldElsewhere:
      platform::ShowMessageBox("游戏已经在这个文件夹中运行，不能再启动一份", kGameTitle);
      return 1;
    case platform::InstanceLock::State::Unavailable:
      std::fprintf(stderr, "Cannot lock %s (%s): a second copy of the game in this folder will not be stopped\n",
                   kLockFile, platform::LastErrorText().c_str());
      break;
  }
  SetAppInstance(platform::GetProgramInstance());
  // Mesa's software renderer starts a drawing thread per core, and on a
  // many-core machine their hand-offs cost more than they save for our
  // small window; two are plenty. (Graphics hardware ignores this.)
  setenv("LP_NUM_THREADS", "2", 0);
  if (!CreateMainWindow()) {
    platform::ShowMessageBox("不能启动应用程序", "Error");
    return 1;  // the game cannot run without its window
  }
  // A failed start-up is reported (its box, on the standard error and in the
  // engine log too) and ends the program with a failure code.
  platform::SetMessageBoxSink([](const std::string& line) {
    if (Ogre::LogManager* logs = Ogre::LogManager::getSingletonPtr()) logs->logMessage(line, Ogre::LML_CRITICAL);
  });
  std::unique_ptr<CYourView> view;
  try {
    view.reset(new CYourView());
  } catch (const Ogre::Exception& e) {
    platform::ShowMessageBox(e.getFullDescription(), "Error");
    return 1;
  } catch (const std::exception& e) {
    platform::ShowMessageBox(e.what(), "Error");
    return 1;
  }
  const int exitCode = RunMessageLoop();
  view.reset();
  platform::CloseAppWindow();
  return exitCode;
}
