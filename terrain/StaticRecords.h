#pragma once
// Records of the statics the scene places: created statics, placements
// waiting for their mesh, and statics faded because they hide the view.
#include <OgreQuaternion.h>
#include <OgreResourceBackgroundQueue.h>
#include <OgreVector.h>

#include <string>
#include <vector>

namespace Ogre {
class Entity;
class SceneNode;
}  // namespace Ogre

// One created static, filed under its scene node's name.
struct StaticRecord {
  std::string TypeName;
  Ogre::SceneNode* Node = nullptr;
  Ogre::Entity* Entity = nullptr;
  bool HasCollide = false;  // registered as ground
};

// A mesh to load in the background before a placement is made.
struct MeshLoadRequest {
  bool Requested = false;
  std::string MeshName;
  Ogre::BackgroundProcessTicket Ticket = 0;
};

// A placement waiting in the bucket of its terrain tile.
struct PendingStatic {
  std::string TypeName;
  Ogre::Vector3 Position = Ogre::Vector3::ZERO;
  Ogre::Vector3 Scale = Ogre::Vector3::UNIT_SCALE;
  Ogre::Quaternion Orientation = Ogre::Quaternion::IDENTITY;
  std::vector<MeshLoadRequest> Requests;
};

// A static made see-through while it stands between the camera and the
// point it looks at.
struct StaticFade {
  float Alpha = 1.0f;
  Ogre::Entity* Entity = nullptr;
  bool Hit = false;         // in the way at the last check
  unsigned char Queue = 0;  // the render queue it returns to
};
