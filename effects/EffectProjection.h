#pragma once
// A decal laid on the ground around an effect node: a square grid of quads
// two world units apart whose corners follow the terrain (or lie flat on a
// static object under the node), lifted a little above it. The grid is in
// world space on a node of its own under the effect root, rebuilt when the
// effect node moved and the engine queued the decal the frame before.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"

#include <OgreAxisAlignedBox.h>
#include <OgreMovableObject.h>

namespace Ogre {
class ManualObject;
}

class CGAEffectProjection : public Ogre::MovableObject, public CGAEffectObject, public CGAEffectMaterial {
 public:
  CGAEffectProjection() = default;
  ~CGAEffectProjection() override;

  // density d covers (trunc(2d) + 2) vertices a side; at least 1.
  void Create(const std::string& material, int density, int queueOffset);
  bool SetMaterialName(const std::string& name, bool copy);
  // Kept for the files; the decal does not play it.
  bool SetProjectionAnim(const PointKeys& keys, float length, bool loop, bool linear);
  // The lift above the ground, kept within the bounds of effect positions.
  void SetDriveUp(float height);
  // True when the decal was rebuilt around centre.
  bool RebuildDecal(const Ogre::Vector3& centre, float size);

  void SetVisible(bool visible) override;
  bool Update() override;

  int GetDensity() const { return mDensity; }
  Ogre::ManualObject* GetDecal() const { return mDecal; }

  const Ogre::String& getMovableType() const override;
  const Ogre::AxisAlignedBox& getBoundingBox() const override { return mBounds; }
  Ogre::Real getBoundingRadius() const override { return mRadius; }
  void _updateRenderQueue(Ogre::RenderQueue*) override { mRebuild = true; }
  void visitRenderables(Ogre::Renderable::Visitor* visitor, bool debugRenderables) override;

 private:
  Ogre::AxisAlignedBox mBounds;
  float mRadius = 0.0f;
  bool mRebuild = true;
  Ogre::SceneNode* mNode = nullptr;
  Ogre::ManualObject* mDecal = nullptr;
  float mDriveUp = 0.0f;
  int mDensity = 1;
  NodeAnimSlot mAnimation;
  Ogre::Vector3 mLastCentre = Ogre::Vector3::ZERO;
};
