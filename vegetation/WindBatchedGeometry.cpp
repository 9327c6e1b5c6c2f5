#include "vegetation/WindBatchedGeometry.h"

#include "vegetation/PagedVegetation.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreMesh.h>

namespace Verdure {

WindBatchedGeometry::WindBatchedGeometry(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode)
    : BatchedGeometry(mgr, rootSceneNode) {}

void WindBatchedGeometry::addEntity(Ogre::Entity* ent, const Ogre::Vector3& position,
                                    const Ogre::Quaternion& orientation, const Ogre::Vector3& scale,
                                    const Ogre::ColourValue& colour) {
  if (ent->getMesh()->sharedVertexData)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "Shared vertex data not allowed", "BatchedGeometry::addEntity()");
  queueSubEntities(ent, position, orientation, scale, colour, ent);
  growBounds(ent, position, orientation, scale);
}

WindBatchedGeometry::WindSubBatch::WindSubBatch(WindBatchedGeometry* parent, Ogre::SubEntity* ent)
    : SubBatch(parent, ent), mWindParent(parent) {}

void WindBatchedGeometry::WindSubBatch::build() {
  // Looked up once per copy, not per vertex.
  std::vector<MeshWind> wind;
  wind.reserve(queue().size());
  for (const QueuedMesh& q : queue()) {
    const Ogre::Entity* ent = static_cast<const Ogre::Entity*>(q.userData);
    const PagedVegetation* vegetation = mWindParent->mGeom;
    wind.push_back({ent->getBoundingBox().getMaximum().y,
                    vegetation ? vegetation->getCustomParam(ent->getName(), "windFactorX", 0.0f) : 0.0f,
                    vegetation ? vegetation->getCustomParam(ent->getName(), "windFactorY", 0.0f) : 0.0f});
  }
  buildMerged(&wind);
}

}  // namespace Verdure
