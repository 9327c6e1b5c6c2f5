#include "TerrainTestSupport.h"
#include "terrain/CollisionCells.h"

#include <OgreMath.h>

#include <cmath>
#include <functional>

namespace {

// A 32 x 32 map (Scale 2, Step 1: vertices two world units apart) whose raw
// heights come from a function of the vertex.
class Heights : public ::testing::Test {
 protected:
  void Install(std::function<uint32_t(int, int)> height, int step = 1, int scale = 2) {
    CGAMapData map = MapLayout(32, 32, 16, step, scale);
    map.Heights.resize(32 * 32);
    for (int z = 0; z < 32; ++z)
      for (int x = 0; x < 32; ++x) map.Heights[z * 32 + x] = height(x, z);
    map.Material = std::make_unique<CGATerrainMaterial>(31, 31);
    ASSERT_TRUE(terrain.InstallMap(std::move(map)));
  }
  CGATerrainManager terrain{nullptr, false};
};

TEST_F(Heights, NothingBeforeAMap) {
  EXPECT_EQ(CGATerrainManager::getSingletonPtr(), &terrain);
  EXPECT_EQ(terrain.GetVertexHeight(3, 3), 0.0f);
  EXPECT_EQ(terrain.GetHeight(3, 3), 0.0f);
  EXPECT_EQ(terrain.GetLogic(3, 3), 0);
  EXPECT_EQ(terrain.GetObstacle(3, 3), 0);
  EXPECT_EQ(terrain.GetPathFinder(), nullptr);
  EXPECT_EQ(terrain.GetMaterial(), nullptr);
  terrain.SetRawHeight(1, 1, 5.0f);
  terrain.SetLogic(1, 1, 3);
  EXPECT_EQ(terrain.GetRawHeight(1, 1), 0.0);
  EXPECT_EQ(terrain.GetLogic(1, 1), 0);
}

TEST_F(Heights, RawHeightsTruncateAndClampTheirVertex) {
  Install([](int, int) { return 0u; });
  terrain.SetRawHeight(4, 6, 1234.9f);
  EXPECT_EQ(terrain.GetRawHeight(4, 6), 1234.0);
  EXPECT_FLOAT_EQ(terrain.GetVertexHeight(4, 6), 4.936f);
  EXPECT_FLOAT_EQ(terrain.GetHeight(8, 12), 9.872f);  // world height: x Scale x Step
  terrain.SetRawHeight(0, 3, 77);
  terrain.SetRawHeight(31, 3, 88);
  EXPECT_EQ(terrain.GetRawHeight(-5, 3), 77.0);
  EXPECT_EQ(terrain.GetRawHeight(32 + 10, 3), 88.0);
  terrain.SetRawHeight(5, 5, -3.0f);  // kept at 0 and above, not wrapped
  EXPECT_EQ(terrain.GetRawHeight(5, 5), 0.0);
  terrain.SetRawHeight(5, 5, 1e12f);
  EXPECT_EQ(terrain.GetRawHeight(5, 5), 4294967295.0);
}

TEST_F(Heights, BilinearInsideACellAndFlatBeyondTheEdges) {
  // h = 250 x (x + 2z) raw: vertex height x + 2z, a plane.
  Install([](int x, int z) { return uint32_t(250 * (x + 2 * z)); });
  // On a vertex: its height x Scale x Step.
  EXPECT_FLOAT_EQ(terrain.GetHeight(6, 10), (3 + 2 * 5) * 2.0f);
  // Inside a cell the blend of its corners; on a plane the plane itself.
  EXPECT_FLOAT_EQ(terrain.GetHeight(7, 11), (3.5f + 2 * 5.5f) * 2.0f);
  // Corners 0, 10, 20, 40 (not a plane): weights 0.25 / 0.75.
  terrain.SetRawHeight(0, 0, 0);
  terrain.SetRawHeight(1, 0, 2500);
  terrain.SetRawHeight(0, 1, 5000);
  terrain.SetRawHeight(1, 1, 10000);
  const float dx = 0.25f, dz = 0.75f;
  const float blend = (1 - dx) * (1 - dz) * 0 + dx * (1 - dz) * 10 + (1 - dx) * dz * 20 + dx * dz * 40;
  EXPECT_FLOAT_EQ(terrain.GetHeight(0.5f, 1.5f), blend * 2);
  // The last vertex column uses the cell before it with dx = 1: the height
  // of the last column, also between it and the map's far side.
  const float lastColumn = (31 + 2 * 5) * 2.0f;
  EXPECT_FLOAT_EQ(terrain.GetHeight(62, 10), lastColumn);
  EXPECT_FLOAT_EQ(terrain.GetHeight(63.5f, 10), lastColumn);
  EXPECT_FLOAT_EQ(terrain.GetHeight(500, 10), lastColumn);
  // Left of and above the map it continues flat from the first column/row.
  EXPECT_FLOAT_EQ(terrain.GetHeight(-1, 10), terrain.GetHeight(0, 10));
  EXPECT_FLOAT_EQ(terrain.GetHeight(-1e30f, 10), terrain.GetHeight(0, 10));
  EXPECT_FLOAT_EQ(terrain.GetHeight(6, -7), terrain.GetHeight(6, 0));
  EXPECT_FLOAT_EQ(terrain.GetHeight(std::nanf(""), 10), terrain.GetHeight(0, 10));
  EXPECT_EQ(CGATerrainManager::TerrainHeightFunction(6, 10, nullptr), terrain.GetHeight(6, 10));
  Ogre::Vector3 pos(7, 100, 11);
  EXPECT_FALSE(terrain.GetGroundHeight(pos, true));
  EXPECT_FLOAT_EQ(pos.y, terrain.GetHeight(7, 11));
}

TEST_F(Heights, NormalsPointUpEverywhereIncludingTheBorders) {
  Install([](int, int) { return 500u; });
  for (auto [x, z] : {std::pair{0, 0}, {0, 31}, {31, 31}, {31, 0}, {10, 10}, {0, 15}, {15, 31}})
    EXPECT_TRUE(terrain.GetVertexNormal(float(x), float(z)).positionEquals(Ogre::Vector3::UNIT_Y)) << x << "," << z;

  // A slope rising along +x by one vertex-height unit per vertex step: the
  // normal leans toward -x at 45 degrees, at inner and border vertices alike.
  Install([](int x, int) { return uint32_t(250 * x); });
  const Ogre::Vector3 expected = Ogre::Vector3(-1, 1, 0).normalisedCopy();
  for (auto [x, z] : {std::pair{10, 10}, {0, 10}, {10, 31}, {0, 31}})
    EXPECT_TRUE(terrain.GetVertexNormal(float(x), float(z)).positionEquals(expected, 1e-5f)) << x << "," << z;
  EXPECT_TRUE(terrain.GetNormalAt(20, 20).positionEquals(expected, 1e-5f));

  // Rising along +z.
  Install([](int, int z) { return uint32_t(250 * z); });
  const Ogre::Vector3 towardMinusZ = Ogre::Vector3(0, 1, -1).normalisedCopy();
  for (auto [x, z] : {std::pair{10, 10}, {0, 0}, {10, 31}, {0, 31}})
    EXPECT_TRUE(terrain.GetVertexNormal(float(x), float(z)).positionEquals(towardMinusZ, 1e-5f)) << x << "," << z;
}

TEST_F(Heights, CellsClampBothWays) {
  Install([](int, int) { return 0u; });
  const unsigned last = 63;
  terrain.SetLogic(0, 5, 1);
  terrain.SetLogic(last, 5, 3);
  // A negative coordinate reads the first column, not the last.
  EXPECT_EQ(terrain.GetLogic(unsigned(-1), 5), 1);
  EXPECT_EQ(terrain.GetLogic(unsigned(-1000), 5), 1);
  EXPECT_EQ(terrain.GetLogic(last + 7, 5), 3);
  terrain.SetObstacle(unsigned(-2), unsigned(-2), 50);
  EXPECT_EQ(terrain.GetObstacle(0, 0), 50);
  EXPECT_EQ(terrain.GetObstacle(last, last), 255);
  terrain.SetObstacle(1000, 1000, 50);
  EXPECT_EQ(terrain.GetObstacle(last, last), 50);
}

TEST_F(Heights, TileLookupTestsEachAxis) {
  // 64 x 32 grid steps: 4 x 2 tiles of 16.
  CGAMapData map = MapLayout(64, 32, 16, 1, 2);
  ASSERT_TRUE(terrain.InstallMap(std::move(map)));
  unsigned index = 99;
  ASSERT_TRUE(terrain.FindTileIndex(63, 31, index));
  EXPECT_EQ(index, 7u);
  ASSERT_TRUE(terrain.FindTileIndex(17, 5, index));
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(terrain.GetTileIndex(17, 5), 1u);
  // A column past the last tile of a row is off the map, not in the next row.
  EXPECT_FALSE(terrain.FindTileIndex(64, 0, index));
  EXPECT_EQ(terrain.GetTileIndex(64, 0), 4u);  // the unchecked index
  EXPECT_FALSE(terrain.FindTileIndex(0, 32, index));
  EXPECT_FALSE(terrain.FindTileIndex(unsigned(-1), 0, index));
}

TEST(CollisionCells, EachAxisIsTested) {
  EXPECT_EQ(CollisionCells::IndexAt(0, 0), 0);
  EXPECT_EQ(CollisionCells::IndexAt(7.9f, 4.0f), 1 + 128);
  EXPECT_EQ(CollisionCells::IndexAt(511.9f, 511.9f), 128 * 128 - 1);
  // Right of the grid is off it, not in the next row.
  EXPECT_EQ(CollisionCells::IndexAt(515, 0), -1);
  EXPECT_EQ(CollisionCells::IndexAt(512, 10), -1);
  EXPECT_EQ(CollisionCells::IndexAt(-0.5f, 10), -1);
  EXPECT_EQ(CollisionCells::IndexAt(10, 512), -1);
  EXPECT_EQ(CollisionCells::IndexAt(std::nanf(""), 10), -1);
}

TEST_F(Heights, PickingFallsBackToTheSlab) {
  // No map: where the ray enters the slab (top 0), else the origin.
  const Ogre::Ray slanted({100, 10, 100}, Ogre::Vector3(1, -1, 0).normalisedCopy());
  EXPECT_TRUE(terrain.PickGround(slanted).positionEquals(Ogre::Vector3(110, 0, 100), 1e-4f));
  EXPECT_EQ(terrain.PickGround(Ogre::Ray({100, 10, 100}, Ogre::Vector3::UNIT_Y)), Ogre::Vector3::ZERO);
}

}  // namespace
