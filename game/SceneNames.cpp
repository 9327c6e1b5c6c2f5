#include "game/SceneNames.h"

#include <OgreMaterialManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>

bool IsSceneNameTaken(const Ogre::SceneManager* scene, const std::string& name) {
  if (Ogre::MaterialManager* materials = Ogre::MaterialManager::getSingletonPtr())
    if (materials->resourceExists(name, Ogre::ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME)) return true;
  if (!scene) return false;
  if (scene->hasSceneNode(name) || scene->hasAnimation(name)) return true;
  for (const auto& factory : Ogre::Root::getSingleton().getMovableObjectFactories())
    if (scene->hasMovableObject(name, factory.first)) return true;
  return false;
}
