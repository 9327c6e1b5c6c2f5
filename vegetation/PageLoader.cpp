#include "vegetation/PageLoader.h"

#include "vegetation/GeometryPage.h"

namespace Verdure {

void PageLoader::addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                           const Ogre::Vector3& scale, const Ogre::ColourValue& colour) {
  mGeomPage->addEntity(ent, position, rotation, scale, colour);
  mGeomPage->addEntityToBoundingBox(ent, position, rotation, scale);
}

}  // namespace Verdure
