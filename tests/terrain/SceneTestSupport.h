#pragma once
// Helpers of the terrain scene tests: the headless engine with the game's
// terrain data (materials, shaders, textures, meshes and demo maps) in
// resource group "General", a scene with its camera controller, collision
// manager and terrain manager, and meshes built in code.
#include "TerrainTestSupport.h"
#include "game/Camera.h"
#include "tests/support/GameGlobals.h"
#include "terrain/CollisionManager.h"

#include <OgreSceneManager.h>

#include <memory>
#include <string>

// Adds the game's terrain data to "General" and initialises it, once.
void SceneData();

// A box mesh standing on y = 0, centred in x and z: its body under the
// material "<name>_stone" and, when collideTop >= 0, a quad at that height
// under "<name>_collide" (both materials made when missing).
void MakeBoxMesh(const std::string& name, const Ogre::Vector3& size, float collideTop);

// A ray straight down onto (x, z), as the ground picks cast.
Ogre::Ray Down(float x, float z, float from = 100.0f);

class SceneFixture : public ::testing::Test {
 protected:
  SceneFixture();
  ~SceneFixture() override;

  // A placed entity of a mesh, on its own node.
  Ogre::Entity* Place(const std::string& mesh, const Ogre::Vector3& position,
                      const Ogre::Vector3& scale = Ogre::Vector3::UNIT_SCALE,
                      const Ogre::Quaternion& orientation = Ogre::Quaternion::IDENTITY);
  // Makes a folder of map files findable as resources while the test runs.
  void AddFolder(const std::string& folder);

  ScopedGameGlobals globals;
  EngineUp engine;
  LogLines log;
  Ogre::SceneManager* scene = nullptr;
  Ogre::Camera* camera = nullptr;
  std::unique_ptr<CGACamera> controller;
  std::unique_ptr<CGACollisionManager> collision;
  std::unique_ptr<CGATerrainManager> terrain;
  std::vector<std::string> folders;
};
