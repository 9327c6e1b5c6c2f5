// The creature preload of a map: the per-map lists "mob_" and "npc_" read
// from resource group "General" with their display tables, and the meshes
// and skeletons of the unit types they name loaded (or unloaded), on the
// fixture in creatures/.
#include "ModelTestSupport.h"

#include "units/UnitManager.h"

#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSkeletonManager.h>
#include <OgreTextureManager.h>

#include <string>
#include <vector>

namespace {

const char* const kGroup = "General";
const char* const kMeshes[] = {"creature_body.mesh", "creature_shield.mesh", "creature_helmet.mesh"};
const char* const kSkeletons[] = {"creature.skeleton", "creature_walk.skeleton"};

bool Loaded(Ogre::ResourceManager& resources, const std::string& name) {
  Ogre::ResourcePtr resource = resources.getResourceByName(name, kGroup);
  return resource && resource->isLoaded();
}

// The fixture's meshes and skeletons that are loaded now, in a fixed order.
// (Textures load only through a render system, which the headless engine
// lacks: the parts' textures are left for the game to load.)
std::vector<std::string> LoadedNow() {
  std::vector<std::string> loaded;
  for (const char* mesh : kMeshes)
    if (Loaded(Ogre::MeshManager::getSingleton(), mesh)) loaded.push_back(mesh);
  for (const char* skeleton : kSkeletons)
    if (Loaded(Ogre::SkeletonManager::getSingleton(), skeleton)) loaded.push_back(skeleton);
  return loaded;
}

void Remove(Ogre::ResourceManager& resources, const std::string& name) {
  if (resources.resourceExists(name, kGroup)) resources.remove(name, kGroup);
}

class CreaturePreload : public ::testing::Test {
 protected:
  CreaturePreload() {
    UnitContent();
    for (const char* folder : {YVEK_CREATURES_DIR, YVEK_CREATURES_BUILD_DIR})
      Ogre::ResourceGroupManager::getSingleton().addResourceLocation(folder, "FileSystem", kGroup);
    manager.LoadUnitTemplateFile("creatures.unt", kGroup);
  }
  // Nothing of the fixture stays for other tests: neither its files nor the
  // resources made from them.
  ~CreaturePreload() override {
    for (const char* mesh : kMeshes) Remove(Ogre::MeshManager::getSingleton(), mesh);
    for (const char* skeleton : kSkeletons) Remove(Ogre::SkeletonManager::getSingleton(), skeleton);
    for (const char* folder : {YVEK_CREATURES_DIR, YVEK_CREATURES_BUILD_DIR})
      Ogre::ResourceGroupManager::getSingleton().removeResourceLocation(folder, kGroup);
  }

  LogLines log;
  CGAUnitManager manager{nullptr};
};

TEST_F(CreaturePreload, AMapsListsLoadTheResourcesOfTheTypesTheyName) {
  ASSERT_EQ(manager.GetUnitTemplates().size(), 3u);
  ASSERT_EQ(LoadedNow(), std::vector<std::string>{});

  // The mob list: each id once; an id without a display name and a display
  // name without a template are passed over, and a mesh that cannot be
  // loaded does not keep the next part of its type from loading.
  manager.PreloadCreatureFile("mob_fixture_field.unit", true);
  EXPECT_EQ(LoadedNow(), (std::vector<std::string>{"creature_body.mesh", "creature_shield.mesh", "creature.skeleton",
                                                   "creature_walk.skeleton"}));
  EXPECT_FALSE(Ogre::TextureManager::getSingleton().resourceExists("creature.png", kGroup));
  EXPECT_EQ(manager.GetCritterNames().size(), 3u);
  EXPECT_TRUE(log.Has("mob_fixture_field.unit: creature id 99 has no display name"));
  EXPECT_TRUE(log.Has("unit creature_ghost: no_such_creature.mesh not preloaded"));

  manager.PreloadCreatureFile("npc_fixture_field.unit", true);
  EXPECT_EQ(manager.GetNpcNames().size(), 1u);
  EXPECT_TRUE(Loaded(Ogre::MeshManager::getSingleton(), "creature_helmet.mesh"));

  // Unloading is the mirror image, list by list.
  manager.PreloadCreatureFile("mob_fixture_field.unit", false);
  EXPECT_EQ(LoadedNow(), std::vector<std::string>{"creature_helmet.mesh"});
  manager.PreloadCreatureFile("npc_fixture_field.unit", false);
  EXPECT_EQ(LoadedNow(), std::vector<std::string>{});
}

TEST_F(CreaturePreload, ListsOfOtherNamesOrNotInGeneralLoadNothing) {
  // The same content under a name that is neither a mob nor an npc list.
  manager.PreloadCreatureFile("boss_fixture_field.unit", true);
  manager.PreloadCreatureFile("mob_no_such_map.unit", true);
  manager.PreloadCreatureFile("", true);
  EXPECT_EQ(LoadedNow(), std::vector<std::string>{});
  EXPECT_TRUE(manager.GetCritterNames().empty());
  // A template by name, with or without resources of its own.
  manager.PreloadTemplateResources("creature_farmer");
  manager.PreloadTemplateResources("no_such_template");
  manager.PreloadTemplateResources("");
  EXPECT_EQ(LoadedNow(), std::vector<std::string>{"creature_helmet.mesh"});
  manager.UnloadTemplateResources("creature_farmer");
  EXPECT_EQ(LoadedNow(), std::vector<std::string>{});
}

}  // namespace
