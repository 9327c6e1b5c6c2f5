#pragma once
// A trail behind a moving effect node: at a fixed interval it samples two
// edge points that move with the node, and draws a strip of quads through
// the latest samples, by style narrowing or fading toward the oldest. The
// strip is in world space on a node of its own under the effect root; it is
// rebuilt only after a frame in which the engine queued it.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"

#include <OgreAxisAlignedBox.h>
#include <OgreColourValue.h>
#include <OgreMovableObject.h>

#include <cstdint>
#include <deque>

namespace Ogre {
class ManualObject;
}

// One sample, in world space.
struct RibbonSegment {
  Ogre::Vector3 centre = Ogre::Vector3::ZERO;
  Ogre::Vector3 edge1 = Ogre::Vector3::ZERO;
  Ogre::Vector3 edge2 = Ogre::Vector3::ZERO;
  Ogre::ColourValue colour = Ogre::ColourValue::White;
};

class CGAEffectRibbon : public CGAEffectObject, public Ogre::MovableObject, public CGAEffectMaterial {
 public:
  // Neighbouring samples further apart than this start a new trail.
  static constexpr float kJumpDistance = 5.0f;

  CGAEffectRibbon() = default;
  ~CGAEffectRibbon() override;

  // segmentCount samples (at least 2), one every segmentTimeMs; style 0 as
  // is, 1 fades, 2 narrows, 3 both (others as 0); edges in the node's space.
  void Create(int segmentCount, int segmentTimeMs, int style, const Ogre::Vector3& edge1,
              const Ogre::Vector3& edge2, const Ogre::ColourValue& colour, const std::string& material,
              int queueOffset);
  bool SetMaterialName(const std::string& name, bool copy);
  // True when the strip was rebuilt.
  bool RebuildStrip();

  void SetVisible(bool visible) override;
  bool Update() override;

  const std::deque<RibbonSegment>& GetSegments() const { return mSegments; }
  Ogre::ManualObject* GetStrip() const { return mStrip; }

  // The engine's side: queueing only marks the strip for rebuilding (it
  // draws itself).
  const Ogre::String& getMovableType() const override;
  const Ogre::AxisAlignedBox& getBoundingBox() const override { return mBounds; }
  Ogre::Real getBoundingRadius() const override { return 1.0f; }
  void _updateRenderQueue(Ogre::RenderQueue*) override { mRebuild = true; }
  void visitRenderables(Ogre::Renderable::Visitor* visitor, bool debugRenderables) override;

 private:
  Ogre::SceneNode* mNode = nullptr;
  Ogre::ManualObject* mStrip = nullptr;
  Ogre::AxisAlignedBox mBounds;
  bool mRebuild = true;
  RibbonSegment mTemplate;  // edges in the node's space
  std::deque<RibbonSegment> mSegments;  // newest first
  int mSegmentCount = 0;
  int mStyle = 0;
  int mSegmentTime = 0;  // ms
  // Frame clock reading of the last sample, compared in the clock's wrapping
  // arithmetic: a float of ms would sample coarsely after 4.7 hours and never
  // again once the clock wraps.
  uint32_t mLastSample = 0;
  Ogre::ColourValue mColour = Ogre::ColourValue::White;
};
