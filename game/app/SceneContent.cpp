#include "game/app/SceneContent.h"

#include <OgreMovableObject.h>
#include <OgreSceneNode.h>

#include <vector>

bool SceneShowsSomething(Ogre::SceneNode* root) {
  std::vector<Ogre::Node*> nodes{root};
  while (!nodes.empty()) {
    auto* node = static_cast<Ogre::SceneNode*>(nodes.back());
    nodes.pop_back();
    for (Ogre::MovableObject* object : node->getAttachedObjects()) {
      if (!object->getVisible()) continue;
      const Ogre::String& type = object->getMovableType();
      if (type != "Camera" && type != "Light") return true;
    }
    for (Ogre::Node* child : node->getChildren()) nodes.push_back(child);
  }
  return false;
}
