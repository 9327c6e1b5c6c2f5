#pragma once
// Batched geometry for vegetation that sways: every merged vertex also
// carries two four-float texture coordinates, its offset from the point its
// entity was placed at (x, y divided by the entity's height, and the
// entity's wind factors "windFactorX" and "windFactorY" from the paged
// vegetation's custom parameters), and that placement point.
#include "vegetation/BatchedGeometry.h"

namespace Verdure {

class PagedVegetation;

class WindBatchedGeometry : public BatchedGeometry {
 public:
  class WindSubBatch : public BatchedGeometry::SubBatch {
   public:
    WindSubBatch(WindBatchedGeometry* parent, Ogre::SubEntity* ent);
    void build() override;

   private:
    WindBatchedGeometry* mWindParent;
  };

  WindBatchedGeometry(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode);

  // Before the first build.
  void setPagedVegetation(PagedVegetation* vegetation) { mGeom = vegetation; }

  // Meshes with shared vertex data are refused: their vertices would need
  // converting first.
  void addEntity(Ogre::Entity* ent, const Ogre::Vector3& position,
                 const Ogre::Quaternion& orientation = Ogre::Quaternion::IDENTITY,
                 const Ogre::Vector3& scale = Ogre::Vector3::UNIT_SCALE,
                 const Ogre::ColourValue& colour = Ogre::ColourValue::White) override;

 protected:
  SubBatch* newSubBatch(Ogre::SubEntity* ent) override { return new WindSubBatch(this, ent); }

 private:
  PagedVegetation* mGeom = nullptr;
};

}  // namespace Verdure
