#include "effects/EffectProjection.h"

#include "effects/EffectLimits.h"
#include "effects/EffectManager.h"
#include "effects/EffectWorld.h"

#include <OgreManualObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>

namespace {
// The decal floats this far above the ground it lies on.
constexpr float kLift = 0.1f;
// Larger decals than any effect needs (a mistyped "Density" would make a
// grid of that size squared).
constexpr int kMaxDensity = 64;
}

CGAEffectProjection::~CGAEffectProjection() {
  ReleaseMaterial();
  ReleaseNodeAnim(mAnimation);
  Ogre::SceneManager* scene = CGAEffectManager::getSingleton().GetSceneManager();
  DestroyOwnNode(mNode);
  if (mDecal) scene->destroyManualObject(mDecal);
}

const Ogre::String& CGAEffectProjection::getMovableType() const {
  static const Ogre::String type = "EffectProjection";
  return type;
}

void CGAEffectProjection::visitRenderables(Ogre::Renderable::Visitor* visitor, bool debugRenderables) {
  if (mDecal) mDecal->visitRenderables(visitor, debugRenderables);
}

void CGAEffectProjection::Create(const std::string& material, int density, int queueOffset) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  // A density of 0 would leave the grid without size (and divide by it).
  mDensity = std::max(1, std::min(density, kMaxDensity));
  mRebuild = true;
  mDecal = manager.GetSceneManager()->createManualObject(manager.MakeEffectName());
  Ogre::MovableObject::mName = mDecal->getName() + "_decal";  // the engine refuses two objects of one name on a node
  PrepareEffectMovable(mDecal, kProjectionQueueBase, queueOffset);
  mDecal->setDynamic(true);
  SetMaterial(material, false);
}

bool CGAEffectProjection::SetMaterialName(const std::string& name, bool copy) {
  SetMaterial(name, copy);
  return true;
}

void CGAEffectProjection::SetDriveUp(float height) { mDriveUp = Bounded(height, kMaxEffectDistance); }

bool CGAEffectProjection::SetProjectionAnim(const PointKeys& keys, float length, bool loop, bool linear) {
  CreateNodeAnim(loop, linear, mAnimation);
  AddPointKeys(mAnimation, keys, length);
  return true;
}

void CGAEffectProjection::SetVisible(bool visible) {
  if (mDecal) mDecal->setVisible(visible);
}

bool CGAEffectProjection::Update() {
  UpdateMaterialAnim();
  if (!mNode) {
    mNode = CreateNodeAtEffectRoot();
    mNode->attachObject(mDecal);
    mNode->attachObject(this);
  }
  if (GetParentNode()) RebuildDecal(GetParentNode()->_getDerivedPosition(), float(mDensity));
  return true;
}

bool CGAEffectProjection::RebuildDecal(const Ogre::Vector3& c, float d) {
  if (c == mLastCentre || !mRebuild) return false;
  // A node the transforms above it put out of reach has no ground to cover.
  if (!IsFinite(c)) return false;
  // Without a material there is nothing to draw the decal with.
  if (!GetMaterial()) return false;
  mLastCentre = c;
  mRebuild = false;
  mBounds.setNull();
  mRadius = 0.0f;
  const float s = 2.0f * d;
  const int m = int(s);
  const int n = int(s + 1.0f);
  const float minX = 2.0f * std::trunc((c.x + s) / 2.0f) - s;
  const float minZ = 2.0f * std::trunc((c.z + s) / 2.0f) - s;
  EffectWorld& world = CGAEffectManager::getSingleton().GetWorld();
  Ogre::Vector3 probe = c;
  const bool onStatic = world.GetGroundHeight(probe);
  if (!mDecal->getSections().empty()) {
    mDecal->beginUpdate(0);
  } else {
    mDecal->clear();
    mDecal->begin(GetMaterial()->getName(), Ogre::RenderOperation::OT_TRIANGLE_LIST, GetMaterial()->getGroup());
  }
  for (int i = 0; i <= 2 * m + 2; i += 2) {
    for (int j = 0; j <= 2 * m + 2; j += 2) {
      const float x = 2.0f * std::trunc((float(i) + c.x - float(m)) / 2.0f);
      const float z = 2.0f * std::trunc((float(j) + c.z - float(m)) / 2.0f);
      const float y = (onStatic ? probe.y : world.GetTerrainHeight(x, z)) + mDriveUp + kLift;
      mBounds.merge(Ogre::Vector3(x, y, z));
      mRadius = std::max({mRadius, float(i), float(j)});
      mDecal->position(x, y, z);
      mDecal->textureCoord(float(i) / (2.0f * s) - (c.x - minX) / (2.0f * float(m)),
                           float(j) / (2.0f * s) - (c.z - minZ) / (2.0f * float(m)));
    }
  }
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b)
      mDecal->quad((n + 1) * b + a, (n + 1) * b + a + 1, (n + 1) * (b + 1) + a + 1, (n + 1) * (b + 1) + a);
  mDecal->end();
  if (mNode) mNode->_updateBounds();
  return true;
}
