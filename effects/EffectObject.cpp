#include "effects/EffectObject.h"

#include "effects/EffectManager.h"

#include <OgreMovableObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

void PrepareEffectMovable(Ogre::MovableObject* object, int queueBase, int queueOffset) {
  object->setCastShadows(false);
  // The engine's groups are 0 .. 105 (overlays above); odd "RQ" values stay
  // in range, and the sum is taken where any int offset fits.
  const long long group = static_cast<long long>(queueBase) + queueOffset;
  object->setRenderQueueGroup(Ogre::uint8(std::max(0LL, std::min(group, 104LL))));
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
