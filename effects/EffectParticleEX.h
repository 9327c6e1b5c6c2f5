#pragma once
// Particle effects simulated by the particle library: one particle group
// and one recorded action list, set up from an effect file element, run
// once a frame and drawn as billboards, as copies of a mesh batched into one
// dynamic object, or as one mesh entity per particle. The library works in
// its own axes: positions, directions and centres go to it as (x, z, y) and
// come back the same way; colours, sizes and scales are not swapped.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"
#include "particles/PSystem.h"
#include "units/UnitWorld.h"

#include <OgreAxisAlignedBox.h>
#include <OgreColourValue.h>
#include <OgreMovableObject.h>

#include <functional>
#include <memory>
#include <vector>

namespace Ogre {
class BillboardSet;
class Entity;
class ManualObject;
}  // namespace Ogre
class CGAEffectNode;
class ParticleBatch;
class TiXmlElement;

class CGAEffectParticleEX;
using ParticleChildStep = std::function<void(CGAEffectParticleEX&)>;

// One live particle as drawn, in scene axes.
struct ParticleRenderRecord {
  Ogre::Vector3 position = Ogre::Vector3::ZERO;
  Ogre::Vector3 size = Ogre::Vector3::ZERO;
  Ogre::Vector3 velocity = Ogre::Vector3::ZERO;
  Ogre::Vector3 rotation = Ogre::Vector3::ZERO;  // degrees per frame
  Ogre::ColourValue colour = Ogre::ColourValue::White;
  float alpha = 0.0f;
  float age = 0.0f;
};

// The first sub-mesh of a mesh: what each batched particle is a copy of.
struct ParticleMeshShape {
  std::vector<Ogre::Vector3> positions;
  std::vector<Ogre::Vector2> uvs;
  std::vector<uint32_t> indices;  // whole triangles, each within the vertices
};

// One mesh particle: a free node, a child turning with the particle, the
// entity on it and its own material clone.
struct MeshParticleRecord {
  Ogre::SceneNode* node = nullptr;
  Ogre::SceneNode* child = nullptr;
  Ogre::Entity* entity = nullptr;
  Ogre::MaterialPtr material;
};

class CGAEffectParticleEX : public Ogre::MovableObject, public CGAEffectObject, public CGAEffectMaterial {
 public:
  CGAEffectParticleEX() = default;
  ~CGAEffectParticleEX() override;

  // The ways of drawing, each after the common set-up of group and list.
  void CreateBillboards(int amount, bool worldAxis, int queueOffset);
  // False (nothing to draw) when the mesh cannot be loaded or Amount leaves no particle.
  bool CreateMeshBatch(int amount, const std::string& mesh, bool worldAxis, int queueOffset);
  bool CreateMeshParticles(int amount, const std::string& mesh, bool worldAxis, int queueOffset);
  void CreateEffectParticles(int amount, const std::string& effect, bool worldAxis, int queueOffset);

  // One child element of the file's "EffectParticleEX", read into the step
  // that sets it up on an object (EffectParticleEXSetup.cpp; null for an
  // element it does not know), and such a step run on this object. With the
  // file's name, values beyond their bounds are logged.
  static ParticleChildStep ReadChild(const TiXmlElement* child, const std::string* file = nullptr);
  void RunChild(const ParticleChildStep& step);
  // After the children: the action list ends and mesh particles without a
  // material of their own get clones of their mesh's.
  void EndSetUp();

  bool SetEmissionRateAnim(const ScalarKeys& keys, float length, bool loop, bool linear);
  bool SetMaterialName(const std::string& name, bool copy);
  void SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) override;

  void SetVisible(bool visible) override;
  bool Update() override;
  bool Release();

  // Copies the live particles into the render records; their count.
  size_t GatherParticles();
  const std::vector<ParticleRenderRecord>& GetRecords() const { return mRecords; }
  const std::vector<MeshParticleRecord>& GetMeshParticles() const { return mMeshParticles; }
  const ParticleMeshShape& GetMeshShape() const { return mShape; }
  Ogre::BillboardSet* GetBillboardSet() const { return mBillboards; }
  Ogre::ManualObject* GetManualObject() const;
  PSim::PSystem& GetParticleSystem() { return mSystem; }
  float GetEmissionRate() const { return mEmissionRate; }
  bool HasSource() const { return mSource != nullptr; }

  // The engine's side (EffectParticleEXDraw.cpp).
  const Ogre::String& getMovableType() const override;
  void _notifyCurrentCamera(Ogre::Camera* camera) override;
  const Ogre::AxisAlignedBox& getBoundingBox() const override { return mBounds; }
  Ogre::Real getBoundingRadius() const override { return mRadius; }
  void _updateRenderQueue(Ogre::RenderQueue* queue) override;
  void visitRenderables(Ogre::Renderable::Visitor* visitor, bool debugRenderables) override;

 private:
  static ParticleChildStep ReadChildStep(const TiXmlElement* child, const std::string* file);
  void CommonSetUp(int amount, bool worldAxis);
  bool ReadMeshShape(const Ogre::MeshPtr& mesh);
  // Clones the named material (or the entity's own) for mesh particle i.
  void CloneParticleMaterial(size_t index, const Ogre::MaterialPtr& source);
  void CloneMeshMaterials();
  void SetSource(PSim::pDomain* domain, float rate);

  // Drawing, by way.
  Ogre::Vector3 AccumulateRotation(size_t index);
  void DrawBillboards(Ogre::RenderQueue* queue);
  void DrawMeshBatch();
  void DrawMeshParticles();
  void DrawEffectParticles();
  void CleanEffectParticles();

  Ogre::SceneNode* mParticleNode = nullptr;
  Ogre::AxisAlignedBox mBounds;
  float mRadius = 0.0f;
  bool mWorldAxis = false;
  std::vector<ParticleRenderRecord> mRecords;
  std::vector<Ogre::Vector3> mRotations;  // degrees, by particle index
  Ogre::BillboardSet* mBillboards = nullptr;
  ParticleBatch* mBatch = nullptr;
  ParticleMeshShape mShape;
  int mAmount = 0;
  PSim::PSystem mSystem;
  int mActionList = -1;
  std::unique_ptr<PSim::pDomain> mSource;
  std::vector<MeshParticleRecord> mMeshParticles;
  std::vector<KeptEffect> mChildEffects;  // managed; a slot may hold one that ended
  std::string mChildEffectName;
  bool mMeshDirection = false;
  float mEmissionRate = 0.0f;
  NodeAnimSlot mRateCurve;
  bool mReleased = false;
};
