#include "effects/EffectObject.h"

#include "effects/EffectManager.h"

#include <OgreMovableObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

void PrepareEffectMovable(Ogre::MovableObject* object, int queueGroup) {
  object->setCastShadows(false);
  // The engine's groups are 0 .. 105 (overlays above); odd "RQ" values stay in range.
  object->setRenderQueueGroup(Ogre::uint8(std::max(0, std::min(queueGroup, 104))));
  object->setRenderingDistance(kEffectRenderingDistance);
}

Ogre::SceneNode* CreateNodeAtEffectRoot() {
  return CGAEffectManager::getSingleton().GetEffectRoot()->createChildSceneNode(Ogre::Vector3::ZERO,
                                                                                Ogre::Quaternion::IDENTITY);
}

void DestroyOwnNode(Ogre::SceneNode*& node) {
  if (!node) return;
  node->detachAllObjects();
  node->getCreator()->destroySceneNode(node);
  node = nullptr;
}
