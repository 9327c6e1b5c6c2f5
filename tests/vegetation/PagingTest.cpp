// The page grid of a detail level: its size, the load window and the
// pending queue, the load interval, idle unloading, scrolling with the
// camera and the fade and visibility bands.
#include "VegetationTestSupport.h"
#include "vegetation/PageLoader.h"
#include "vegetation/PagedVegetation.h"

#include <gtest/gtest.h>

namespace {

using Verdure::GeometryPageManager;
using Verdure::TBounds;

// Counts what the paging asks of its loader.
class CountingLoader : public Verdure::PageLoader {
 public:
  void loadPage(Verdure::PageRequest& page) override { loads.push_back(page.centerPoint); }
  void unloadPage(Verdure::PageRequest&) override { ++unloads; }
  void frameUpdate() override { ++frames; }
  std::vector<Ogre::Vector3> loads;
  int unloads = 0, frames = 0;
};

// One detail level of recording pages, page size 16, far range 40, fading
// over 5 (vertex programs present), infinite unless bounds are given.
class Paging : public ::testing::Test {
 protected:
  void Make(const TBounds& bounds = TBounds(0, 0, 0, 0), float transition = 5) {
    if (bounds.width() > 0) vegetation.setBounds(bounds);
    level = vegetation.addDetailLevel<RecordingPage>(40, transition);
    vegetation.setPageLoader(&loader);
  }
  void Update(const Ogre::Vector3& camera, Ogre::uint32 dt = 0, const Ogre::Vector3& speed = Ogre::Vector3::ZERO) {
    bool allowed = true;
    level->update(dt, camera, speed, allowed, nullptr);
  }
  RecordingPage* Page(int x, int z) const { return static_cast<RecordingPage*>(level->getGridPage(x, z)); }

  FakeRenderSystem renderSystem;
  CountingLoader loader;
  Verdure::PagedVegetation vegetation{nullptr, 16, 60};
  GeometryPageManager* level = nullptr;
};

TEST_F(Paging, AnInfiniteLevelMakesItsWholeGridAtOnce) {
  Make();
  ASSERT_EQ(level->getGridSize(), 9);
  EXPECT_EQ(level->getGridBounds().right, 144.0f);
  EXPECT_EQ(level->getNearRange(), 0.0f);
  EXPECT_EQ(level->getTransition(), 5.0f);
  for (int x = 0; x < 9; ++x)
    for (int z = 0; z < 9; ++z) {
      EXPECT_EQ(Page(x, z)->inits, 1);
      EXPECT_EQ(Page(x, z)->getCenter(), Ogre::Vector3(8 + 16 * x, 0, 8 + 16 * z));
      EXPECT_FALSE(Page(x, z)->isLoaded());
    }
  EXPECT_TRUE(loader.loads.empty());  // nothing loads before the first update
}

TEST_F(Paging, TheLoadRangeIsThePageSizeBeyondTheFadedFarRange) {
  // Load range 16 + 40 + 5 = 61; the band that loads at once ends at 45.
  const struct {
    float distance;
    bool loaded, pending;
  } cases[] = {{44.9f, true, false}, {50, false, true}, {62, false, false}};
  for (const auto& c : cases) {
    Verdure::PagedVegetation fresh(nullptr, 16, 60);
    GeometryPageManager* grid = fresh.addDetailLevel<RecordingPage>(40, 5);
    Verdure::GeometryPage* page = grid->getGridPage(4, 4);  // centre (72, 72)
    bool allowed = true;
    grid->update(0, Ogre::Vector3(72 + c.distance, 0, 72), Ogre::Vector3::ZERO, allowed, nullptr);
    EXPECT_EQ(page->isLoaded(), c.loaded) << c.distance;
    EXPECT_EQ(page->isPending(), c.pending) << c.distance;
  }
}

TEST_F(Paging, QueuedPagesWaitLongerTheSlowerTheCameraAndTheFewerTheyAre) {
  // Interval = 16 x 0.8 / (pending pages x speed), at most 200 ms.
  const struct {
    Ogre::Vector3 camera;
    size_t pending;
    float speed;
    Ogre::uint32 interval;
  } cases[] = {
      {{-32, 0, 48}, 8, 0.1f, 16},   {{-32, 0, -20}, 2, 0.1f, 64}, {{-32, 0, 48}, 8, 0.001f, 200},
      {{-32, 0, 48}, 8, 0.0f, 200},  // a still camera waits the longest
      {{-32, 0, 48}, 8, 1e-12f, 200},  // far past any integer: capped before it is one
      {{-500, 0, -500}, 0, 0.1f, 0},  // nothing waits
  };
  for (const auto& c : cases) {
    Verdure::PagedVegetation fresh(nullptr, 16, 60);
    fresh.setBounds(TBounds(0, 0, 128, 128));
    GeometryPageManager* grid = fresh.addDetailLevel<RecordingPage>(40, 5);
    bool allowed = true;
    grid->update(0, c.camera, Ogre::Vector3(c.speed, 0, 0), allowed, nullptr);
    EXPECT_EQ(grid->getPendingPages().size(), c.pending) << c.camera;
    EXPECT_EQ(grid->getLoadInterval(), c.interval) << c.camera << " at " << c.speed;
  }
}

TEST_F(Paging, OneQueuedPageLoadsPerFrameOverAllLevels) {
  Make(TBounds(0, 0, 128, 128));
  GeometryPageManager* farther = vegetation.addDetailLevel<RecordingPage>(80, 5);
  const Ogre::Vector3 camera(-32, 0, 48);
  bool allowed = true;
  level->update(0, camera, Ogre::Vector3::ZERO, allowed, nullptr);
  farther->update(0, camera, Ogre::Vector3::ZERO, allowed, level);
  const size_t nearQueue = level->getPendingPages().size(), farQueue = farther->getPendingPages().size();
  ASSERT_GT(nearQueue, 0u);
  ASSERT_GT(farQueue, 0u);

  // A still camera waits 200 ms; then the first level takes its turn and
  // the second waits.
  allowed = true;
  level->update(199, camera, Ogre::Vector3::ZERO, allowed, nullptr);
  EXPECT_EQ(level->getPendingPages().size(), nearQueue);
  level->update(1, camera, Ogre::Vector3::ZERO, allowed, nullptr);
  EXPECT_FALSE(allowed);
  farther->update(200, camera, Ogre::Vector3::ZERO, allowed, level);
  EXPECT_EQ(level->getPendingPages().size(), nearQueue - 1);
  EXPECT_EQ(farther->getPendingPages().size(), farQueue);
}

TEST_F(Paging, AQueuedPageTheCameraLeftIsDroppedUnloaded) {
  Make(TBounds(0, 0, 128, 128));
  Update(Ogre::Vector3(-32, 0, 48));
  ASSERT_EQ(level->getPendingPages().size(), 8u);
  const size_t loads = loader.loads.size();
  Update(Ogre::Vector3(-400, 0, -400), 200);  // every queued page is far off now
  EXPECT_TRUE(level->getPendingPages().empty());
  EXPECT_EQ(loader.loads.size(), loads);
}

TEST_F(Paging, PagesUnseenFor2000MsUnloadUnlessKept) {
  Make(TBounds(0, 0, 128, 128));
  Update(Ogre::Vector3(8, 0, 8));
  RecordingPage* corner = Page(0, 0);
  ASSERT_TRUE(corner->isLoaded());
  // The camera leaves the grid; the window no longer finds the page.
  Update(Ogre::Vector3(400, 0, 400), 1000);
  Update(Ogre::Vector3(400, 0, 400), 1000);
  EXPECT_TRUE(corner->isLoaded());
  Update(Ogre::Vector3(400, 0, 400), 1);
  EXPECT_FALSE(corner->isLoaded());
  EXPECT_EQ(corner->removals, 1);
  EXPECT_TRUE(level->getLoadedPages().empty());
  EXPECT_EQ(loader.unloads, int(loader.loads.size()));

  // A kept page stays, its idle time starting again.
  Update(Ogre::Vector3(8, 0, 8));
  level->keepAllPagesLoaded();
  for (int i = 0; i < 3; ++i) Update(Ogre::Vector3(400, 0, 400), 1000);
  EXPECT_TRUE(corner->isLoaded());
  EXPECT_LT(corner->getIdleTime(), 2000u);
}

TEST_F(Paging, AnInfiniteGridFollowsTheCameraAndHidesWhatItRecycles) {
  Make();
  Update(Ogre::Vector3(72, 0, 72));
  RecordingPage* trailing = Page(0, 4);  // centre (8, 72), 64 from the camera: not loaded
  RecordingPage* nearLeft = Page(2, 4);  // centre (40, 72), loaded and shown
  ASSERT_TRUE(nearLeft->isLoaded());
  ASSERT_TRUE(nearLeft->isVisible());
  ASSERT_EQ(nearLeft->placed.size(), 0u);

  // Three pages east: the window passes the last column, the first three
  // columns go round to the east side.
  Update(Ogre::Vector3(72 + 48, 0, 72));
  EXPECT_EQ(trailing->getCenter().x, 8 + 144.0f);
  EXPECT_EQ(trailing->getPageX(), 9);
  EXPECT_EQ(nearLeft->getCenter().x, 40 + 144.0f);
  EXPECT_EQ(level->getGridBounds().left, 48.0f);
  EXPECT_EQ(level->getGridPage(8, 4), nearLeft);
  // It left the loaded pages stale; its old content is hidden until it
  // loads again at its new place, which removes that content first.
  EXPECT_TRUE(nearLeft->isStale());
  EXPECT_FALSE(nearLeft->isVisible());
  EXPECT_EQ(nearLeft->shows.back(), false);
  EXPECT_EQ(nearLeft->removals, 0);
  Update(Ogre::Vector3(40 + 144.0f, 0, 72));
  EXPECT_TRUE(nearLeft->isLoaded());
  EXPECT_EQ(nearLeft->removals, 1);
  EXPECT_FALSE(nearLeft->isStale());

  // A jump past the whole grid unloads everything and moves every page.
  Update(Ogre::Vector3(5000, 0, 72));
  EXPECT_TRUE(level->getLoadedPages().empty() || level->getLoadedPages().front()->getCenter().x > 4900);
  EXPECT_GT(level->getGridBounds().left, 4900 - 144.0f);
}

TEST_F(Paging, ContentReachingPastThePageWidensItsFadeBand) {
  // A page 30 from the camera: its square alone stays out of the fade band
  // (30^2 + (16 x sqrt 2)^2 < 40^2); content reaching 12 past its west edge
  // (box minimum x -20, half page 8) brings it in.
  Make();
  RecordingPage* reaching = Page(4, 4);  // centre (72, 72)
  RecordingPage* plain = Page(6, 2);     // centre (104, 40), 32 off
  const Ogre::AxisAlignedBox wide(Ogre::Vector3(-20, 0, -8), Ogre::Vector3(8, 1, 8));
  reaching->box = &wide;
  Update(Ogre::Vector3(72 + 30, 0, 72));
  ASSERT_TRUE(reaching->isLoaded());
  ASSERT_EQ(reaching->fades.size(), 1u);
  EXPECT_TRUE(reaching->fades[0].enabled);
  EXPECT_EQ(reaching->fades[0].visible, 40.0f);
  EXPECT_EQ(reaching->fades[0].invisible, 45.0f);
  EXPECT_TRUE(reaching->isVisible());
  EXPECT_TRUE(plain->isLoaded());
  EXPECT_TRUE(plain->fades.empty());
  Update(Ogre::Vector3(72 + 30, 0, 72));
  EXPECT_EQ(reaching->fades.size(), 1u);  // told once, not every frame
}

TEST_F(Paging, WithoutTransitionNothingFadesAndTheBandEndsAtTheFarRange) {
  Make(TBounds(0, 0, 0, 0), 0);
  EXPECT_EQ(level->getTransition(), 0.0f);
  Update(Ogre::Vector3(72, 0, 72));
  for (Verdure::GeometryPage* page : level->getLoadedPages())
    EXPECT_TRUE(static_cast<RecordingPage*>(page)->fades.empty());
  // Centre 39 off shows; one 41 off loads (within 40 plus a page) unshown.
  Verdure::PagedVegetation fresh(nullptr, 16, 60);
  GeometryPageManager* grid = fresh.addDetailLevel<RecordingPage>(40, -1);
  Verdure::GeometryPage* page = grid->getGridPage(4, 4);  // centre (72, 72)
  bool allowed = true;
  grid->update(0, Ogre::Vector3(72 + 39, 0, 72), Ogre::Vector3::ZERO, allowed, nullptr);
  EXPECT_TRUE(page->isVisible());
  grid->update(0, Ogre::Vector3(72 + 41, 0, 72), Ogre::Vector3::ZERO, allowed, nullptr);
  EXPECT_TRUE(page->isLoaded());
  EXPECT_FALSE(page->isVisible());
}

TEST_F(Paging, ReloadsUnloadOnlyWhatTheyCover) {
  Make(TBounds(0, 0, 128, 128));
  Update(Ogre::Vector3(64, 0, 64));
  const size_t loaded = level->getLoadedPages().size();
  vegetation.reloadPageAt(Ogre::Vector3(-1, 0, 5));  // outside the grid
  vegetation.reloadPageAt(Ogre::Vector3(1e30f, 0, 5));
  EXPECT_EQ(level->getLoadedPages().size(), loaded);
  vegetation.reloadPageAt(Ogre::Vector3(70, 0, 70));
  EXPECT_FALSE(Page(4, 4)->isLoaded());
  vegetation.reloadPagesInRadius(Ogre::Vector3(56, 0, 56), 16);  // centres (56, 56), (40, 56), (56, 40)...
  EXPECT_FALSE(Page(3, 3)->isLoaded());
  EXPECT_TRUE(Page(2, 2)->isLoaded());  // 22.6 off
  vegetation.reloadPagesInRect(TBounds(100, 100, 60, 60));  // given the wrong way round
  EXPECT_FALSE(Page(5, 5)->isLoaded());
  vegetation.reloadAllPages();
  EXPECT_TRUE(level->getLoadedPages().empty());
  EXPECT_EQ(loader.unloads, int(loaded));

  // Preloading loads and keeps the area widened by the far range.
  vegetation.preloadRect(TBounds(0, 0, 1, 1));
  EXPECT_TRUE(Page(2, 2)->isLoaded() && Page(2, 2)->isPinned());
  EXPECT_FALSE(Page(3, 3)->isLoaded());
}

}  // namespace
