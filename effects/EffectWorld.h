#pragma once
// What effects ask of the game around them: units by place and their
// liveness, new units, the ground, the camera, sound, floating labels and
// the running level's silver and drop rates. The game implements it over its
// managers; tests put a recording stand-in in its place.
#include <OgreVector.h>

#include <string>
#include <vector>

namespace Ogre {
class SceneNode;
}
class CGAUnit;

class EffectWorld {
 public:
  virtual ~EffectWorld() = default;

  // True while the unit has not been deleted.
  virtual bool IsUnitLive(const CGAUnit* unit) = 0;
  // The units filed in the unit grid cells (2 x 2 world units) within radius
  // cells of cell (cellX, cellZ).
  virtual std::vector<CGAUnit*> GetUnitsAround(int cellX, int cellZ, int radius) = 0;
  // A new unit of that template; null when none can be made.
  virtual CGAUnit* CreateUnit(const std::string& templateName) = 0;

  // Moves point.y onto the ground (statics included); true when a static
  // object was hit.
  virtual bool GetGroundHeight(Ogre::Vector3& point) = 0;
  // The terrain's own height at a world point.
  virtual float GetTerrainHeight(float x, float z) = 0;
  // The logic cell at world (x, z): 1 placeable.
  virtual int GetLogic(int x, int z) = 0;

  // Where the camera looks, from its eye (not normalised).
  virtual Ogre::Vector3 GetViewDirection() = 0;
  virtual void ShakeCamera(float amplitude) = 0;

  // A 3-D effect sound played once at the node.
  virtual void PlaySound3D(const std::string& name, Ogre::SceneNode* at) = 0;
  // A floating label (colour markup and GBK text) at a world point, in a
  // GUI font by name.
  virtual void ShowLabel(const std::string& markup, const Ogre::Vector3& at, float seconds,
                         const std::string& font) = 0;

  // The running level: silver, and the percent chances of coin drops.
  virtual void AddLevelSilver(int amount) = 0;
  virtual int GetGoldDropRate() = 0;
  virtual int GetSilverDropRate() = 0;
};

// A world with nothing in it: no units around, no ground, no sound. Units
// handed to effects are taken as live. The effect manager uses it until the
// game gives it its own.
class NullEffectWorld : public EffectWorld {
 public:
  bool IsUnitLive(const CGAUnit* unit) override { return unit != nullptr; }
  std::vector<CGAUnit*> GetUnitsAround(int, int, int) override { return {}; }
  CGAUnit* CreateUnit(const std::string&) override { return nullptr; }
  bool GetGroundHeight(Ogre::Vector3&) override { return false; }
  float GetTerrainHeight(float, float) override { return 0.0f; }
  int GetLogic(int, int) override { return 0; }
  Ogre::Vector3 GetViewDirection() override { return Ogre::Vector3::NEGATIVE_UNIT_Z; }
  void ShakeCamera(float) override {}
  void PlaySound3D(const std::string&, Ogre::SceneNode*) override {}
  void ShowLabel(const std::string&, const Ogre::Vector3&, float, const std::string&) override {}
  void AddLevelSilver(int) override {}
  int GetGoldDropRate() override { return 0; }
  int GetSilverDropRate() override { return 0; }
};
