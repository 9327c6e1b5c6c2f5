#pragma once
// Many camera-facing billboards that never move, drawn as one static mesh
// whose corners a vertex program turns toward the camera (the accelerated
// method), or, where the render system runs no vertex programs, as an
// engine billboard set (the compatible method). All sets of one material share the
// camera orientation that one class-wide update writes into the material's
// program constants each frame. A set can fade with the camera distance
// through a copy of its material.
#include <OgreBillboard.h>
#include <OgreBillboardSet.h>
#include <OgreColourValue.h>
#include <OgreMaterial.h>
#include <OgreMesh.h>
#include <OgreVector.h>

#include <map>
#include <vector>

namespace Verdure {

enum SpriteMethod { SPRITE_COMPATIBLE = 0, SPRITE_ACCELERATED = 1 };

class StaticBillboardSet {
 public:
  // The set's node is a new child of rootSceneNode.
  StaticBillboardSet(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode,
                     SpriteMethod method = SPRITE_ACCELERATED);
  ~StaticBillboardSet();
  StaticBillboardSet(const StaticBillboardSet&) = delete;
  StaticBillboardSet& operator=(const StaticBillboardSet&) = delete;

  // A billboard of full width and height at a position, showing one cell
  // of the texture grid; accelerated sets show it from the next build.
  void createBillboard(const Ogre::Vector3& position, float width = 1, float height = 1,
                       const Ogre::ColourValue& colour = Ogre::ColourValue::White, Ogre::uint16 texcoordIndexU = 0,
                       Ogre::uint16 texcoordIndexV = 0);
  // Turns the waiting billboards into the set's mesh.
  void build();
  // Removes every billboard.
  void clear();
  void setMaterial(const Ogre::String& materialName);
  // Fading needs a material; the compatible method ignores it.
  void setFade(bool enabled, Ogre::Real visibleDist, Ogre::Real invisibleDist);
  // BBO_CENTER or BBO_BOTTOM_CENTER.
  void setBillboardOrigin(Ogre::BillboardOrigin origin);
  void setTextureStacksAndSlices(Ogre::uint16 stacks, Ogre::uint16 slices);
  void setVisible(bool visible);

  SpriteMethod getRenderMethod() const { return mRenderMethod; }
  Ogre::Entity* getEntity() const { return mEntity; }
  const Ogre::MeshPtr& getMesh() const { return mMesh; }
  const Ogre::String& getEntityName() const { return mEntityName; }
  const Ogre::MaterialPtr& getMaterial() const { return mMaterial; }
  const Ogre::MaterialPtr& getFadeMaterial() const { return mFadeMaterial; }
  size_t getPendingCount() const { return mBillboardBuffer.size(); }

  // Each frame: turns every material of the accelerated sets toward the
  // camera.
  static void updateCameraQuads(const Ogre::Vector3& cameraDirection);
  // The source of "Sprite_vp", or of "SpriteFade_vp" when fading, in the
  // language: GLSL for "glsl", else the one HLSL and Cg text, whose entry
  // point is the program's name.
  static const char* spriteProgramSource(bool fade, const Ogre::String& language);
  // prefix + the next number of one counter shared by every generated name.
  static Ogre::String makeUniqueName(const Ogre::String& prefix);
  // The references the sets hold on a material (0 without any).
  static unsigned getMaterialRefCount(const Ogre::MaterialPtr& material);

 private:
  struct PendingBillboard {
    float position[3];
    Ogre::uint32 colour;
    float width, height;
    Ogre::uint16 texcoordIndexU, texcoordIndexV;
  };
  struct MaterialRefRecord {
    unsigned refCount;
    Ogre::MaterialPtr material;
    Ogre::BillboardOrigin origin;
  };

  static void addMaterialRef(const Ogre::MaterialPtr& material, Ogre::BillboardOrigin origin);
  static void dropMaterialRef(const Ogre::MaterialPtr& material);
  Ogre::MaterialPtr findOrMakeFadeMaterial(Ogre::Real visibleDist, Ogre::Real invisibleDist);
  void removeMesh();
  // The material the set draws with now: the fading copy or its own.
  const Ogre::MaterialPtr& materialInUse() const { return mFadeEnabled ? mFadeMaterial : mMaterial; }

  Ogre::SceneManager* mSceneMgr;
  bool mVisible = true;
  Ogre::SceneNode* mNode;
  Ogre::Entity* mEntity = nullptr;
  Ogre::MeshPtr mMesh;
  Ogre::SubMesh* mSubMesh = nullptr;
  Ogre::String mEntityName;
  Ogre::MaterialPtr mMaterial;
  Ogre::MaterialPtr mFadeMaterial;
  float mUFactor = 1, mVFactor = 1;
  Ogre::uint16 mSlices = 1;
  std::vector<PendingBillboard> mBillboardBuffer;
  SpriteMethod mRenderMethod;
  Ogre::BillboardSet* mFallbackSet = nullptr;
  Ogre::BillboardOrigin mBBOrigin = Ogre::BBO_CENTER;
  bool mFadeEnabled = false;
  Ogre::Real mFadeVisibleDist = 0;
  Ogre::Real mFadeInvisibleDist = 0;

  static unsigned sUniqueCounter;
  static unsigned sSelfInstances;
  static std::map<Ogre::Material*, MaterialRefRecord> sMaterialRefs;
  static std::map<Ogre::String, Ogre::MaterialPtr> sFadedMaterials;
};

}  // namespace Verdure
