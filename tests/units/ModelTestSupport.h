#pragma once
// Helpers of the unit model tests: the headless engine with the units'
// content (materials, meshes, skeletons) in resource group "General", and a
// unit world whose units get real models in a scene of their own.
#include "FakeUnitWorld.h"
#include "tests/support/GameGlobals.h"
#include "units/UnitModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class CGAUnit;

// Adds data/general and the built content to "General" and initialises it,
// once.
void UnitContent();

// The game's unit and effect files in resource group "Main", with the
// engine's background loading started as the game starts it, once.
void DemoUnitsAndEffects();

// Units made in this world get a CGAUnitModel under the scene's root.
struct ModelWorld : FakeUnitWorld {
  explicit ModelWorld(Ogre::SceneManager* scene) : scene(scene) {}
  UnitModelBase* CreateModel(CGAUnit& unit) override;
  Ogre::SceneManager* scene;
};

class ModelFixture : public ::testing::Test {
 protected:
  ModelFixture();
  ~ModelFixture() override;

  // A new unit and its model.
  CGAUnitModel& NewModel();

  ScopedGameGlobals globals;
  LogLines log;
  Ogre::SceneManager* scene = nullptr;
  std::unique_ptr<ModelWorld> world;
  std::vector<std::unique_ptr<CGAUnit>> units;
};
