#pragma once
// The water of a map: one flat surface over the whole map at a level, a
// depth alpha map that makes shallow water clear ("Water_Alpha_H"), and in
// high quality two render textures the water material samples: "Refraction"
// (the scene under the surface, the water hidden) and "Reflection" (the
// scene above it, mirrored). The terrain update renders them when a visible
// tile reaches below the water. The quality is the "Water" setting.
#include "terrain/CoverageMap.h"

#include <OgrePlane.h>
#include <OgreRenderTargetListener.h>
#include <OgreSingleton.h>

#include <memory>

namespace Ogre {
class Camera;
class Entity;
class MovablePlane;
class RenderTarget;
class SceneManager;
class SceneNode;
}  // namespace Ogre
class CGATerrainManager;

class CGATerrainWater : public Ogre::Singleton<CGATerrainWater>, public Ogre::RenderTargetListener {
 public:
  static constexpr float kDefaultLevel = 18.0f;
  static constexpr Ogre::uint8 kWaterQueue = 71;

  // A surface of worldSizeX x worldSizeZ world units.
  CGATerrainWater(Ogre::SceneManager* sceneManager, int worldSizeX, int worldSizeZ);
  ~CGATerrainWater() override;
  CGATerrainWater(const CGATerrainWater&) = delete;
  CGATerrainWater& operator=(const CGATerrainWater&) = delete;

  // Moves the surface and rebuilds the alpha map.
  void SetWaterHeight(float level);
  float GetWaterHeight() const { return mLevel; }
  void UpdateAlphaMap();
  // The depth alpha of the terrain's ground against a level, two pixels a
  // world unit: dry ground 25, then from 0 at the shore line to 150 three
  // units deep, blurred over each pixel's 3 x 3 neighbours in place.
  static void ComputeAlphaMap(CGACoverageMap& alpha, const CGATerrainManager& terrain, float level);

  // "HighQuality_Water" or "LowQuality_Water".
  void SetQuality(bool high);
  // High quality with render textures to render into.
  bool IsHighQuality() const { return mHighQuality && mRefractionTarget; }
  // Renders the refraction and the reflection once.
  void UpdateRefraction();
  void SetVisible(bool visible);

  Ogre::MovablePlane* GetPlane() const { return mClipPlane; }
  Ogre::SceneNode* GetNode() const { return mNode; }
  Ogre::Entity* GetEntity() const { return mEntity; }

  // The reflection pass: the camera mirrored in the surface, clipped to
  // what lies above it.
  void preRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override;
  void postRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override;

 private:
  // The refraction pass: the water hidden, the scene clipped just above the
  // surface.
  class RefractionListener : public Ogre::RenderTargetListener {
   public:
    void preRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override;
    void postRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override;
  };

  Ogre::RenderTarget* CreateTarget(const char* name, size_t textureUnit, Ogre::RenderTargetListener* listener);

  Ogre::RenderTarget* mRefractionTarget = nullptr;
  Ogre::RenderTarget* mReflectionTarget = nullptr;
  RefractionListener mRefractionListener;
  Ogre::SceneManager* mSceneManager;
  Ogre::Entity* mEntity = nullptr;
  Ogre::SceneNode* mNode = nullptr;
  Ogre::Camera* mCamera = nullptr;
  Ogre::MovablePlane* mClipPlane = nullptr;
  Ogre::Plane mReflectionPlane;
  CGACoverageMap mAlpha;
  int mSizeX;
  int mSizeZ;
  bool mHighQuality = false;
  float mLevel = kDefaultLevel;
};
