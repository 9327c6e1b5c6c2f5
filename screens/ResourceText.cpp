#include "screens/ResourceText.h"

#include "game/GameLog.h"

#include <OgreException.h>
#include <OgreResourceGroupManager.h>

bool ReadResourceText(const std::string& name, std::string& text) {
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  try {
    std::string group = Ogre::RGN_DEFAULT;
    if (!groups.resourceExists(group, name)) {
      if (!groups.resourceExistsInAnyGroup(name)) return false;
      group = groups.findGroupContainingResource(name);
    }
    text = groups.openResource(name, group)->getAsString();
    return true;
  } catch (const Ogre::Exception& e) {
    GameLog(name + ": cannot be read: " + e.getDescription());
    return false;
  }
}
