#pragma once
// The batched mesh of a particle effect: one dynamic manual object holding a
// copy of a shape per live particle. It is made once with room for every
// particle; each frame the live particles' vertices are written straight into
// the vertex buffer made then, and the indices, the same for every copy
// count, stay as they were made.
#include <OgreManualObject.h>

#include <vector>

struct ParticleMeshShape;
struct ParticleRenderRecord;

class ParticleBatch : public Ogre::ManualObject {
 public:
  explicit ParticleBatch(const Ogre::String& name) : Ogre::ManualObject(name) {}

  // Section 0 with room for `copies` copies of the shape, every vertex at
  // the origin, drawn with the material.
  void Create(const ParticleMeshShape& shape, size_t copies, const Ogre::String& material);

  // Section 0 rewritten with one copy of the shape per record: record i's
  // copy turned by turns[i] (degrees about x, y and z, as
  // Matrix3::FromEulerAnglesXYZ takes them), scaled by its size, moved to its
  // position, in its colour. Vertices, counts and bounds are those that
  // beginUpdate, position, colour, textureCoord, index and end would give.
  // Records beyond the room made are left out.
  void Rewrite(const ParticleMeshShape& shape, const std::vector<ParticleRenderRecord>& records,
               const std::vector<Ogre::Vector3>& turns);

 private:
  size_t mCopies = 0;
};

// Matrix3::FromEulerAnglesXYZ of the angles in degrees, element for element,
// worked out without its two general matrix products.
Ogre::Matrix3 EulerRotationXYZ(const Ogre::Vector3& degrees);
