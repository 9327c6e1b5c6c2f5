#include "game/ResourcePreloader.h"
#include "support/HeadlessEngine.h"
#include "support/TempDir.h"

#include <Ogre.h>
#include <OgreSkeletonSerializer.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Writes a one-bone skeleton file into the folder.
void WriteSkeleton(const std::string& path) {
  Ogre::SkeletonPtr skeleton = Ogre::SkeletonManager::getSingleton().create("written.skeleton", Ogre::ResourceGroupManager::INTERNAL_RESOURCE_GROUP_NAME);
  skeleton->createBone("root");
  Ogre::SkeletonSerializer().exportSkeleton(skeleton.get(), path);
  Ogre::SkeletonManager::getSingleton().remove(skeleton);
}

TEST(ResourcePreloader, OneRequestPerNameAndTheTicketCompletes) {
  Ogre::Root& root = HeadlessEngine();
  // What Root::initialise does in the game.
  root.getWorkQueue()->startup(false);
  Ogre::ResourceBackgroundQueue::getSingleton().initialise();

  TempDir dir;
  WriteSkeleton(dir.file("hero.skeleton"));
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  if (!groups.resourceGroupExists("General")) groups.createResourceGroup("General");
  groups.addResourceLocation(dir.path(), "FileSystem", "General");

  CGAResourcePreloader preloader;
  const Ogre::BackgroundProcessTicket ticket = preloader.LoadInBackground("Skeleton", "hero.skeleton");
  EXPECT_EQ(preloader.LoadInBackground("Mesh", "hero.skeleton"), ticket);  // whatever the type now
  const Ogre::BackgroundProcessTicket missing = preloader.LoadInBackground("Skeleton", "other.skeleton");
  EXPECT_NE(missing, ticket);

  // The worker reads; this thread loads once the queue has answered (the
  // answers come at the end of each frame in the game). A file that cannot
  // be read is done too, and reported.
  for (int i = 0; i < 1000 && !(preloader.IsLoaded(ticket) && preloader.IsLoaded(missing)); ++i) {
    root.getWorkQueue()->processResponses();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(preloader.IsLoaded(ticket));
  EXPECT_TRUE(Ogre::SkeletonManager::getSingleton().getByName("hero.skeleton", "General")->isLoaded());
  EXPECT_TRUE(preloader.IsLoaded(preloader.LoadInBackground("Skeleton", "hero.skeleton")));
  EXPECT_TRUE(preloader.IsLoaded(missing));
  groups.removeResourceLocation(dir.path(), "General");
}

}  // namespace
