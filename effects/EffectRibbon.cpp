#include "effects/EffectRibbon.h"

#include "effects/EffectLimits.h"
#include "effects/EffectManager.h"
#include "game/FrameClock.h"

#include <OgreManualObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {
// Samples beyond any trail's need (a mistyped "Sub" would allocate them all).
constexpr int kMaxSegments = 1000;
}

CGAEffectRibbon::~CGAEffectRibbon() {
  ReleaseMaterial();
  Ogre::SceneManager* scene = CGAEffectManager::getSingleton().GetSceneManager();
  DestroyOwnNode(mNode);
  if (mStrip) scene->destroyManualObject(mStrip);
}

const Ogre::String& CGAEffectRibbon::getMovableType() const {
  static const Ogre::String type = "EffectRibbon";
  return type;
}

void CGAEffectRibbon::visitRenderables(Ogre::Renderable::Visitor* visitor, bool debugRenderables) {
  if (mStrip) mStrip->visitRenderables(visitor, debugRenderables);
}

void CGAEffectRibbon::Create(int segmentCount, int segmentTimeMs, int style, const Ogre::Vector3& edge1,
                             const Ogre::Vector3& edge2, const Ogre::ColourValue& colour,
                             const std::string& material, int queueOffset) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  mRebuild = true;
  mSegmentCount = std::max(2, std::min(segmentCount, kMaxSegments));
  mSegmentTime = segmentTimeMs;
  mStyle = style;
  mTemplate.edge1 = edge1;
  mTemplate.edge2 = edge2;
  mColour = colour;
  mStrip = manager.GetSceneManager()->createManualObject(manager.MakeEffectName());
  Ogre::MovableObject::mName = mStrip->getName() + "_ribbon";  // the engine refuses two objects of one name on a node
  mStrip->setDynamic(true);
  if (!material.empty()) SetMaterial(material, false);
  PrepareEffectMovable(mStrip, kEffectQueueBase, queueOffset);
}

bool CGAEffectRibbon::SetMaterialName(const std::string& name, bool copy) {
  SetMaterial(name, copy);
  return true;
}

void CGAEffectRibbon::SetVisible(bool visible) {
  if (mStrip) mStrip->setVisible(visible);
}

bool CGAEffectRibbon::Update() {
  UpdateMaterialAnim();
  Ogre::SceneNode* parent = GetParentNode();
  if (!parent || !mStrip) return true;
  // A node the transforms above it put out of reach leaves no trail.
  const uint32_t sinceSample = FrameTimeMs - mLastSample;
  if (int64_t(sinceSample) > mSegmentTime && IsFinite(parent->_getDerivedPosition())) {
    mLastSample = FrameTimeMs;
    RibbonSegment segment;
    segment.centre = parent->_getDerivedPosition();
    const Ogre::Quaternion& turn = parent->_getDerivedOrientation();
    segment.edge1 = turn * mTemplate.edge1 + segment.centre;
    segment.edge2 = turn * mTemplate.edge2 + segment.centre;
    segment.colour = mColour;
    mSegments.push_front(segment);
  }
  if (mSegments.size() > 2) {
    if (!mNode) {
      mNode = CreateNodeAtEffectRoot();
      mNode->attachObject(mStrip);
      mNode->attachObject(this);
    }
    RebuildStrip();
  }
  if (int(mSegments.size()) > mSegmentCount) mSegments.pop_back();
  return true;
}

bool CGAEffectRibbon::RebuildStrip() {
  if (mSegments.empty() || !mRebuild) return false;
  for (size_t i = 1; i < mSegments.size(); ++i) {
    if (mSegments[i].centre.distance(mSegments[i - 1].centre) > kJumpDistance) {
      mSegments.clear();
      return false;
    }
  }
  // Without a material there is nothing to draw the strip with.
  if (!GetMaterial()) return false;
  if (!mStrip->getSections().empty()) {
    mStrip->beginUpdate(0);
  } else {
    mStrip->clear();
    mStrip->begin(GetMaterial()->getName(), Ogre::RenderOperation::OT_TRIANGLE_LIST, GetMaterial()->getGroup());
  }
  const int n = int(mSegments.size()) - 1;
  Ogre::Vector3 a, b;
  Ogre::ColourValue c;
  for (int i = 0; i < mSegmentCount; ++i) {
    if (i <= n) {
      const RibbonSegment& s = mSegments[size_t(i)];
      const float f = 1.0f - float(i) / float(n);
      const bool narrows = mStyle == 2 || mStyle == 3;
      const bool fades = mStyle == 1 || mStyle == 3;
      a = narrows ? s.centre + (s.edge1 - s.centre) * f : s.edge1;
      b = narrows ? s.centre + (s.edge2 - s.centre) * f : s.edge2;
      c = fades ? mColour * f : mColour;
    }
    mBounds.merge(a);
    mBounds.merge(b);
    const float u = float(i) / float(mSegmentCount);
    mStrip->position(a);
    mStrip->textureCoord(u, 0.0f);
    mStrip->colour(c);
    mStrip->position(b);
    mStrip->textureCoord(u, 1.0f);
    mStrip->colour(c);
  }
  for (int j = 0; j + 1 < mSegmentCount; ++j) mStrip->quad(2 * j, 2 * j + 1, 2 * j + 3, 2 * j + 2);
  mStrip->end();
  if (mNode) mNode->_updateBounds();
  mRebuild = false;
  return true;
}
