#pragma once
// Helpers of the effect tests: the headless engine with a scene, the effect
// manager over a recording effect world, and real units whose models are
// scene nodes (with a small set of bones) so effects can attach to them.
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/EffectWorld.h"
#include "tests/support/GameGlobals.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class Bone;
class Entity;
class SceneManager;
class SceneNode;
}  // namespace Ogre

// A unit model that is a scene node; once given an entity it has the bones
// "release" (1, 2, 0) and "target" (0, 1, 0).
struct SceneModel : NullUnitModel {
  Ogre::SceneNode* node = nullptr;
  Ogre::Entity* entity = nullptr;
  std::vector<std::string> requests;  // of PlayAnimation: "name mode speed flag"

  Ogre::SceneNode* GetSceneNode() override { return node; }
  Ogre::Entity* GetEntity() override { return entity; }
  Ogre::Bone* GetBone(const std::string& name) override;
  void SetNodePosition(const Ogre::Vector3& p) override;
  void PlayAnimation(const std::string& name, int mode, float speed, bool flag) override;
};

// Units of the tests: scene models on flat ground at height 0.
struct SceneUnitWorld : NullUnitWorld {
  Ogre::SceneManager* scene = nullptr;
  UnitModelBase* CreateModel(CGAUnit& unit) override;
};

// Records what effects ask of the game. Units are those of the fixture;
// every cell is placeable unless logic says otherwise.
struct FakeEffectWorld : EffectWorld {
  std::vector<CGAUnit*> units;  // live units, also those created here
  std::function<int(int, int)> logic = [](int, int) { return 1; };
  std::function<CGAUnit*(const std::string&)> createUnit;
  std::vector<std::string> created;  // template names of CreateUnit
  std::vector<std::string> sounds;
  std::vector<std::string> labels;   // "markup at x y z for s in font"
  std::vector<float> shakes;
  int silver = 0;
  int goldRate = 0;
  int silverRate = 0;
  float groundHeight = 0.0f;
  bool onStatic = false;  // whether the ground at groundHeight is a static object
  std::function<float(float, float)> terrainHeight = [](float, float) { return 0.0f; };

  bool IsUnitLive(const CGAUnit* unit) override;
  std::vector<CGAUnit*> GetUnitsAround(int cellX, int cellZ, int radius) override;
  CGAUnit* CreateUnit(const std::string& templateName) override;
  bool GetGroundHeight(Ogre::Vector3& point) override;
  float GetTerrainHeight(float x, float z) override { return terrainHeight(x, z); }
  int GetLogic(int x, int z) override { return logic(x, z); }
  Ogre::Vector3 GetViewDirection() override { return Ogre::Vector3(0, -1, -1); }
  void ShakeCamera(float amplitude) override { shakes.push_back(amplitude); }
  void PlaySound3D(const std::string& name, Ogre::SceneNode*) override { sounds.push_back(name); }
  void ShowLabel(const std::string& markup, const Ogre::Vector3& at, float seconds, const std::string& font) override;
  void AddLevelSilver(int amount) override { silver += amount; }
  int GetGoldDropRate() override { return goldRate; }
  int GetSilverDropRate() override { return silverRate; }
};

class EffectFixture : public ::testing::Test {
 protected:
  EffectFixture();
  ~EffectFixture() override;

  // A live unit at a place, with hit points and a side; its model gets an
  // entity (and so bones) when skeleton is set.
  CGAUnit* MakeUnit(const Ogre::Vector3& position, int side = 0, int hp = 100, bool skeleton = true);
  // Deletes a unit as the unit manager would.
  void DeleteUnit(CGAUnit* unit);
  // Reads effect definitions from text ("<Effects>" root added).
  void Define(const std::string& effects);
  // One frame of the given length: scene animations as rendered last, then
  // the effect manager's update.
  void Frame(float seconds = 0.05f);
  void Frames(int count, float seconds = 0.05f);
  // A managed effect of a definition, placed and tied as unit actions do.
  CGAEffectNode* Start(const std::string& name, CGAUnit* owner = nullptr, CGAUnit* target = nullptr);

  ScopedGameGlobals globals;
  Ogre::SceneManager* scene = nullptr;
  SceneUnitWorld unitWorld;
  FakeEffectWorld world;
  std::unique_ptr<CGAEffectManager> manager;
  std::vector<std::unique_ptr<CGAUnit>> units;
};

// Ogre scene node and animation counts, to find leaks.
struct SceneCounts {
  size_t nodes = 0;
  size_t animations = 0;
  size_t states = 0;
  bool operator==(const SceneCounts& o) const {
    return nodes == o.nodes && animations == o.animations && states == o.states;
  }
};
SceneCounts CountScene(Ogre::SceneManager* scene);

// An entity of a small mesh, in that scene.
Ogre::Entity* MakeEntity(Ogre::SceneManager* scene);
