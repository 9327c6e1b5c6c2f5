#include "support/HeadlessEngine.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>

Ogre::Root& HeadlessEngine() {
  static Ogre::Root* root = [] {
    auto* logs = new Ogre::LogManager();
    logs->createLog("headless.log", true, false, false);
    auto* r = new Ogre::Root("", "", "");
    new Ogre::DefaultHardwareBufferManager();
    // Cameras and entities need the default materials.
    Ogre::MaterialManager::getSingleton().initialise();
    return r;
  }();
  return *root;
}
