// The tree loader: six-byte records per tree (position within its page,
// 8-bit yaw and scale), the grid over the bounds, iteration, deletion and
// the pages it fills.
#include "VegetationTestSupport.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/TreeLoader2D.h"

#include <OgreException.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Verdure::TBounds;
using Verdure::TreeLoader2D;
using Verdure::TreeRecord;

// Entities are keys of the store only; these are never dereferenced.
Ogre::Entity* const kTuft = reinterpret_cast<Ogre::Entity*>(0x1000);
Ogre::Entity* const kReed = reinterpret_cast<Ogre::Entity*>(0x2000);

std::vector<TreeRecord> All(const TreeLoader2D& trees) {
  std::vector<TreeRecord> out;
  for (Verdure::TreeIterator it = trees.getTrees(); it.hasMoreElements();) out.push_back(it.getNext());
  return out;
}

class Trees : public ::testing::Test {
 protected:
  explicit Trees(const TBounds& bounds = TBounds(0, 0, 1000, 800)) : loader(&vegetation, bounds) {
    level = vegetation.addDetailLevel<RecordingPage>(40, 5);
    vegetation.setPageLoader(&loader);
    loader.setMinimumScale(0);
    loader.setScaleRange(10);
  }
  // Pages the level around a point, loading what is near at once.
  void LookAt(float x, float z) {
    bool allowed = true;
    level->update(0, Ogre::Vector3(x, 0, z), Ogre::Vector3::ZERO, allowed, nullptr);
  }
  RecordingPage* LoadedPage(int pageX, int pageZ) const {
    for (Verdure::GeometryPage* page : level->getLoadedPages())
      if (page->getPageX() == pageX && page->getPageZ() == pageZ) return static_cast<RecordingPage*>(page);
    return nullptr;
  }

  Verdure::PagedVegetation vegetation{nullptr, 16, 60};
  Verdure::GeometryPageManager* level = nullptr;
  TreeLoader2D loader;
};

TEST_F(Trees, TheGridCoversTheBoundsWidenedToWholePagesAndOneCellMore) {
  EXPECT_EQ(loader.getGridBounds().left, 0.0f);
  EXPECT_EQ(loader.getGridBounds().right, 1008.0f);
  EXPECT_EQ(loader.getGridBounds().bottom, 800.0f);
  EXPECT_EQ(loader.getGridSizeX(), 64);
  EXPECT_EQ(loader.getGridSizeZ(), 51);
  EXPECT_EQ(loader.getBounds().right, 1000.0f);
}

// A reversed rectangle would give the grid no cells to write trees into, and
// one past any finite size or page count could not be cut into pages: the
// loader refuses them, naming itself.
TEST(TreeLoaderBounds, ReversedOrEndlessBoundsAreRefused) {
  Verdure::PagedVegetation vegetation{nullptr, 16, 60};
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  for (const TBounds& bounds : {TBounds(100, 0, 0, 100), TBounds(0, 100, 100, 0), TBounds(0, 0, inf, 10),
                                TBounds(nan, 0, 10, 10), TBounds(0, 0, 1e30f, 10)}) {
    try {
      TreeLoader2D loader(&vegetation, bounds);
      ADD_FAILURE() << "accepted " << bounds.left << " " << bounds.top << " " << bounds.right << " " << bounds.bottom;
    } catch (const Ogre::InvalidParametersException& e) {
      EXPECT_EQ(e.getSource(), "TreeLoader2D::TreeLoader2D()");
    }
  }
  TreeLoader2D line(&vegetation, TBounds(5, 5, 5, 40));  // no width is still a place
  line.addTree(kTuft, Ogre::Vector3(5, 0, 20), Ogre::Degree(0), 1);
  EXPECT_EQ(All(line).size(), 1u);
}

TEST_F(Trees, PositionsYawsAndScalesComeBackInTheirSteps) {
  // Records hold position / 65535 of a page, yaw / 255 of a turn and scale
  // / 255 of the range above the minimum; yaw and scale wrap past their
  // ranges as their 8 bits do.
  const struct {
    float x, yaw, scale;
    float backX, backYaw, backScale;
  } cases[] = {
      {37.5f, 180, 5, 37.49984f, 179.29412f, 4.98039f},
      {0, 360, 10, 0, 360.0f, 10.0f},
      {16, -10, 12, 16, 351.52942f, 1.96078f},
  };
  for (const auto& c : cases) {
    TreeLoader2D trees(&vegetation, TBounds(0, 0, 1000, 800));
    trees.setScaleRange(10);
    trees.addTree(kTuft, Ogre::Vector3(c.x, 99, 3), Ogre::Degree(c.yaw), c.scale);
    const std::vector<TreeRecord> back = All(trees);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_NEAR(back[0].getPosition().x, c.backX, 1e-4f) << c.x;
    EXPECT_EQ(back[0].getPosition().y, 0.0f);  // no height function
    EXPECT_NEAR(back[0].getYaw().valueDegrees(), c.backYaw, 1e-3f) << c.yaw;
    EXPECT_NEAR(back[0].getScale(), c.backScale, 1e-4f) << c.scale;
    EXPECT_EQ(back[0].getEntity(), kTuft);
  }
}

TEST_F(Trees, ValuesNoNumberHoldsAreStoredWithoutFault) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  loader.addTree(kTuft, Ogre::Vector3(nan, 0, inf), Ogre::Degree(1e30f), inf);
  const std::vector<TreeRecord> back = All(loader);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].getPosition().x, 0.0f);     // the near edge
  EXPECT_EQ(back[0].getPosition().z, 800.0f);   // clamped
  EXPECT_EQ(back[0].getYaw().valueDegrees(), 0.0f);
}

class TreesOnPageBounds : public Trees {
 protected:
  TreesOnPageBounds() : Trees(TBounds(0, 0, 1008, 800)) {}
};

TEST_F(TreesOnPageBounds, ATreePastTheRightEdgeLiesInTheExtraColumn) {
  loader.addTree(kTuft, Ogre::Vector3(1013, 0, 400));
  ASSERT_EQ(All(loader)[0].getPosition().x, 1008.0f);
  LookAt(1008, 400);
  RecordingPage* page = LoadedPage(63, 25);
  ASSERT_TRUE(page);
  ASSERT_EQ(page->placed.size(), 1u);
  EXPECT_EQ(page->placed[0].position.x, 1008.0f);
  EXPECT_EQ(page->placed[0].entity, kTuft);
}

// Page sizes that do not divide the left bound exactly in float put the
// grid's edge a rounding error past the bound: a tree on the bound must
// still land in the first column, at the bound (it fell into cell -1,
// written before the grid, or into the row above's last cell).
TEST(TreeLoaderRounding, ATreeOnALeftBoundTheGridMissesByARoundingErrorStaysOnIt) {
  const struct {
    float pageSize, left;
  } cases[] = {{0.3f, 55.5f}, {0.1f, 1000.1f}};
  for (const auto& c : cases) {
    Verdure::PagedVegetation vegetation{nullptr, c.pageSize, 60};
    TreeLoader2D trees(&vegetation, TBounds(c.left, 0, c.left + 4.5f, 4));
    ASSERT_GT(trees.getGridBounds().left, c.left) << "no rounding to test at page size " << c.pageSize;
    trees.addTree(kTuft, Ogre::Vector3(c.left, 0, 0));
    trees.addTree(kTuft, Ogre::Vector3(c.left, 0, 1));
    const std::vector<TreeRecord> back = All(trees);
    ASSERT_EQ(back.size(), 2u) << c.pageSize;
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_NEAR(back[i].getPosition().x, c.left, 1e-4f) << c.pageSize << " tree " << i;
      EXPECT_NEAR(back[i].getPosition().z, float(i), 1e-4f) << c.pageSize << " tree " << i;
    }
  }
}

float Ground(float x, float z, void* userData) { return x + z + (userData ? 1000 : 0); }

TEST_F(Trees, APageGetsItsTreesPlacedOnTheGround) {
  loader.setHeightFunction(&Ground);
  loader.addTree(kTuft, Ogre::Vector3(20, 0, 20), Ogre::Degree(90), 2);
  loader.addTree(kReed, Ogre::Vector3(24, 0, 30), Ogre::Degree(0), 1);
  loader.addTree(kReed, Ogre::Vector3(40, 0, 20), Ogre::Degree(0), 1);  // the next page
  LookAt(24, 24);
  RecordingPage* page = LoadedPage(1, 1);
  ASSERT_TRUE(page);
  ASSERT_EQ(page->placed.size(), 2u);
  const RecordingPage::Placed& tuft = page->placed[0];  // kinds in the order of their keys
  EXPECT_EQ(tuft.entity, kTuft);
  EXPECT_NEAR(tuft.position.y, tuft.position.x + tuft.position.z, 1e-4f);
  EXPECT_TRUE(tuft.rotation.equals(Ogre::Quaternion(Ogre::Degree(88.94118f), Ogre::Vector3::UNIT_Y), Ogre::Degree(0.1f)));
  EXPECT_NEAR(tuft.scale.x, 2.0f, 1e-5f);
  EXPECT_EQ(tuft.scale.x, tuft.scale.z);
  EXPECT_EQ(tuft.colour, Ogre::ColourValue::White);

  // A new tree reloads its loaded page, which picks it up.
  const int removals = page->removals;
  loader.addTree(kTuft, Ogre::Vector3(30, 0, 30));
  EXPECT_FALSE(page->isLoaded());
  LookAt(24, 24);
  EXPECT_EQ(page->removals, removals + 1);
  EXPECT_EQ(page->placed.size(), 3u);
}

TEST_F(Trees, IterationYieldsEveryTreeOnceKindByKindCellByCell) {
  EXPECT_FALSE(loader.getTrees().hasMoreElements());
  loader.addTree(kReed, Ogre::Vector3(3, 0, 40));
  loader.addTree(kTuft, Ogre::Vector3(40, 0, 3));
  loader.addTree(kTuft, Ogre::Vector3(3, 0, 40));
  loader.addTree(kTuft, Ogre::Vector3(5, 0, 3));
  const std::vector<TreeRecord> all = All(loader);
  ASSERT_EQ(all.size(), 4u);
  const float expected[4][2] = {{5, 3}, {40, 3}, {3, 40}, {3, 40}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(all[i].getPosition().x, expected[i][0], 1e-3f) << i;
    EXPECT_NEAR(all[i].getPosition().z, expected[i][1], 1e-3f) << i;
    EXPECT_EQ(all[i].getEntity(), i < 3 ? kTuft : kReed) << i;
  }

  TreeLoader2D one(&vegetation, TBounds(0, 0, 100, 100));
  one.addTree(kTuft, Ogre::Vector3(50, 0, 50));
  Verdure::TreeIterator it = one.getTrees();
  ASSERT_TRUE(it.hasMoreElements());
  it.getNext();
  EXPECT_FALSE(it.hasMoreElements());
  EXPECT_THROW(it.getNext(), Ogre::InvalidStateException);
}

TEST_F(Trees, DeletionRemovesWhatLiesWithinAndReloadsThosePages) {
  loader.addTree(kTuft, Ogre::Vector3(16, 0, 16));  // on a cell corner: stored exactly
  loader.addTree(kTuft, Ogre::Vector3(16.5f, 0, 16));
  loader.addTree(kReed, Ogre::Vector3(16, 0, 16));
  loader.deleteTrees(Ogre::Vector3(16, 0, 16), 0, kTuft);
  std::vector<TreeRecord> left = All(loader);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_NEAR(left[0].getPosition().x, 16.5f, 1e-3f);
  EXPECT_EQ(left[1].getEntity(), kReed);

  LookAt(24, 24);
  RecordingPage* page = LoadedPage(1, 1);
  ASSERT_TRUE(page);
  loader.deleteTrees(Ogre::Vector3(16, 0, 16), 1);  // every kind
  EXPECT_TRUE(All(loader).empty());
  EXPECT_FALSE(page->isLoaded());

  // Rectangles: edges included; one given the wrong way round holds nothing.
  loader.addTree(kTuft, Ogre::Vector3(100, 0, 100));
  loader.addTree(kTuft, Ogre::Vector3(200, 0, 100));
  loader.deleteTrees(TBounds(150, 90, 50, 110));
  EXPECT_EQ(All(loader).size(), 2u);
  loader.deleteTrees(TBounds(50, 90, 150, 110));
  ASSERT_EQ(All(loader).size(), 1u);
  EXPECT_NEAR(All(loader)[0].getPosition().x, 200, 1e-3f);
}

}  // namespace
