#include "game/ResourcePreloader.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <Ogre.h>
#include <OgreSkeletonSerializer.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Writes a one-bone skeleton file into the folder.
void WriteSkeleton(const std::string& path) {
  // Made by hand and marked loaded, so that unloading frees its bone.
  Ogre::SkeletonPtr skeleton = Ogre::SkeletonManager::getSingleton().create(
      "written.skeleton", Ogre::ResourceGroupManager::INTERNAL_RESOURCE_GROUP_NAME, true);
  skeleton->load();
  skeleton->createBone("root");
  Ogre::SkeletonSerializer().exportSkeleton(skeleton.get(), path);
  Ogre::SkeletonManager::getSingleton().remove(skeleton);
}

// A folder of skeletons in group "General" while the test runs.
class ResourcePreloader : public ::testing::Test {
 protected:
  ResourcePreloader() {
    for (const char* name : {"hero.skeleton", "walk.skeleton", "walk.old.skeleton"}) WriteSkeleton(dir.file(name));
    if (!groups.resourceGroupExists("General")) groups.createResourceGroup("General");
    groups.addResourceLocation(dir.path(), "FileSystem", "General");
  }
  ~ResourcePreloader() override { groups.removeResourceLocation(dir.path(), "General"); }

  Ogre::Root& root = HeadlessEngine();
  TempDir dir;
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  CGAResourcePreloader preloader;
};

TEST_F(ResourcePreloader, OneRequestPerNameAndTheTicketCompletes) {
  StartBackgroundLoading();

  const Ogre::BackgroundProcessTicket ticket = preloader.LoadInBackground("Skeleton", "hero.skeleton");
  EXPECT_EQ(preloader.LoadInBackground("Mesh", "hero.skeleton"), ticket);  // whatever the type now
  // The queue numbers its requests in turn: the repeat queued none.
  const Ogre::BackgroundProcessTicket missing = preloader.LoadInBackground("Skeleton", "missing.skeleton");
  EXPECT_EQ(missing, ticket + 1);

  // The worker reads; this thread loads once the queue has answered (the
  // answers come at the end of each frame in the game).
  WaitFor([&] { return preloader.IsLoaded(ticket) && preloader.IsLoaded(missing); },
          [&] { root.getWorkQueue()->processResponses(); });
  ASSERT_TRUE(preloader.IsLoaded(ticket));
  EXPECT_TRUE(Ogre::SkeletonManager::getSingleton().getByName("hero.skeleton", "General")->isLoaded());
  EXPECT_TRUE(preloader.IsLoaded(preloader.LoadInBackground("Skeleton", "hero.skeleton")));
  // A name no file has: its ticket completes too (waiting callers go on),
  // with nothing loaded.
  ASSERT_TRUE(preloader.IsLoaded(missing));
  Ogre::SkeletonPtr none = Ogre::SkeletonManager::getSingleton().getByName("missing.skeleton", "General");
  EXPECT_FALSE(none && none->isLoaded());
}

// A file's kind is the part of its name from the first dot: "a.b.skeleton"
// is of kind ".b.skeleton", which is not loaded.
TEST_F(ResourcePreloader, LoadsAFileByTheNameFromItsFirstDot) {
  preloader.LoadResourceFile("walk.skeleton");
  preloader.LoadResourceFile("walk.old.skeleton");
  preloader.LoadResourceFile("noextension");
  Ogre::SkeletonManager& skeletons = Ogre::SkeletonManager::getSingleton();
  EXPECT_TRUE(skeletons.getByName("walk.skeleton", "General")->isLoaded());
  EXPECT_FALSE(skeletons.getByName("walk.old.skeleton", "General"));
}

}  // namespace
