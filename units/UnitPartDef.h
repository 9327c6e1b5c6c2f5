#pragma once
// One part of a unit's look (body, head, weapon, decoration): its mesh,
// texture, optional effect textures blended over it by the shader, an
// attached effect, and where it hangs. Shared by every unit that shows it.
#include <OgrePrerequisites.h>
#include <OgreQuaternion.h>
#include <OgreResourceBackgroundQueue.h>
#include <OgreSharedPtr.h>
#include <OgreVector.h>

#include <string>

class BackgroundLoader;

struct UnitEffectTexture {
  std::string texture;  // empty: the slot plays no part
  std::string mask;
  Ogre::Vector4 parameter = Ogre::Vector4::ZERO;  // uv first, uv second, flash, 1
};

class UnitPartDef {
 public:
  // Resource loading state: not started, waiting for mesh and texture,
  // waiting for the skeleton, ready.
  enum LoadState { kNotStarted = 0, kLoadingMesh = 1, kLoadingSkeleton = 2, kReady = 3 };

  const std::string& GetPartType() const { return mPartType; }
  const std::string& GetResName() const { return mResName; }
  const std::string& GetTexture() const { return mTexture; }
  const std::string& GetEffect() const { return mEffect; }
  const std::string& GetBone() const { return mBone; }
  const Ogre::Vector3& GetPosition() const { return mPosition; }
  const Ogre::Quaternion& GetOrientation() const { return mOrientation; }
  const std::string& GetAttackType() const { return mAttackType; }
  const UnitEffectTexture& GetEffectTexture(int which) const { return mEffectTextures[which ? 1 : 0]; }
  int GetLoadState() const { return mLoadState; }
  const Ogre::MaterialPtr& GetMaterial() const { return mMaterial; }

  // One step of loading, once a frame: true once the part can be shown. The
  // texture and mesh load in the background, then the mesh's skeleton; the
  // part's material is a clone of a base material by how many effect
  // textures it has, shared by every part of the same textures.
  bool LoadResources();
  bool LoadResources(BackgroundLoader& loader);

  void SetPartType(const std::string& v) { mPartType = v; }
  void SetResName(const std::string& v) { mResName = v; }
  void SetTexture(const std::string& v) { mTexture = v; }
  void SetEffect(const std::string& v) { mEffect = v; }
  void SetBone(const std::string& v) { mBone = v; }
  void SetPosition(const Ogre::Vector3& v) { mPosition = v; }
  void SetOrientation(const Ogre::Quaternion& v) { mOrientation = v; }
  void SetAttackType(const std::string& v) { mAttackType = v; }
  void SetEffectTexture(int which, const UnitEffectTexture& v) { mEffectTextures[which ? 1 : 0] = v; }

 private:
  void BuildMaterial();

  int mLoadState = kNotStarted;
  Ogre::MeshPtr mMesh;
  Ogre::MaterialPtr mMaterial;
  std::string mPartType;
  std::string mResName;
  std::string mTexture;
  std::string mEffect;
  std::string mBone;
  Ogre::Vector3 mPosition = Ogre::Vector3::ZERO;
  Ogre::Quaternion mOrientation = Ogre::Quaternion::IDENTITY;
  UnitEffectTexture mEffectTextures[2];
  std::string mAttackType;
  Ogre::BackgroundProcessTicket mMeshTicket = 0;
  Ogre::BackgroundProcessTicket mTextureTicket = 0;
  Ogre::BackgroundProcessTicket mSkeletonTicket = 0;
};

// The material of parts with these textures: the three names kept apart, so
// no two combinations share a name by accident.
std::string UnitPartMaterialName(const std::string& texture, const std::string& effect0, const std::string& effect1);
