// Entry point: the window, then the whole start-up inside the application
// object, then the message loop; at its end everything shuts down in the
// reverse order, the window last.
#include "game/app/MainWindow.h"
#include "game/app/YourView.h"
#include "platform/MessageBox.h"

#include <OgreException.h>
#include <OgreLogManager.h>

#include <cstdlib>
#include <exception>
#include <memory>

int main() {
  SetAppInstance(platform::GetProgramInstance());
  // Mesa's software renderer starts a drawing thread per core, and on a
  // many-core machine their hand-offs cost more than they save for our
  // small window; two are plenty. (Graphics hardware ignores this.)
  setenv("LP_NUM_THREADS", "2", 0);
  if (!CreateMainWindow()) {
    platform::ShowMessageBox("不能启动应用程序", "Error");
    return 1;
  }
  // A failed start-up is reported (standard error and the engine log) and
  // ends the program with a failure code.
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
