// The water's depth alpha: two pixels a world unit, dry ground 25, from 0 at
// the shore to 150 three units deep, softened over 3 x 3 neighbours.
#include "TerrainTestSupport.h"
#include "terrain/TerrainWater.h"

namespace {

class WaterAlpha : public ::testing::Test {
 protected:
  // A 16 x 16 map (Scale 1: one world unit a vertex step) of given heights.
  void Install(std::function<float(int, int)> height) {
    CGAMapData map = MapLayout(16, 16, 16, 1, 1);
    map.Heights.resize(16 * 16);
    for (int z = 0; z < 16; ++z)
      for (int x = 0; x < 16; ++x) map.Heights[z * 16 + x] = uint32_t(height(x, z) * 250);
    ASSERT_TRUE(terrain.InstallMap(std::move(map)));
  }
  int Alpha(float level, int i = 7, int j = 9) {
    CGACoverageMap alpha("Water_Alpha_H", "General", 32, 32, 4);
    CGATerrainWater::ComputeAlphaMap(alpha, terrain, level);
    return alpha.GetValue(unsigned(i), unsigned(j), 3);
  }
  CGATerrainManager terrain{nullptr, false};
};

TEST_F(WaterAlpha, DepthGivesTheAlphaOfLevelGround) {
  Install([](int, int) { return 2.0f; });
  struct Case {
    float level;
    int alpha;
  } cases[] = {
      {1.0f, 25},   // dry
      {2.0f, 25},   // ground at the level counts as dry
      {2.75f, 37},  // a quarter unit deep: (1 - 2.25 / 3) x 150
      {3.5f, 75},   // half way
      {5.0f, 150},  // three units deep
      {9.0f, 150},  // deeper stays
  };
  for (const Case& c : cases) EXPECT_EQ(Alpha(c.level), c.alpha) << "level " << c.level;
}

TEST_F(WaterAlpha, TheFirstPixelAveragesItsFourNeighbours) {
  // A slope from 5 at x = 0 down to 0 at x = 1: pixel column 0 samples
  // x = 0.25 (3.75 high), column 1 x = 0.75 (1.25 high).
  Install([](int x, int) { return x == 0 ? 5.0f : 0.0f; });
  // Level 4: 12 over column 0 and 137 over column 1 before softening; the
  // corner pixel is the mean of its four.
  EXPECT_EQ(Alpha(4.0f, 0, 0), (12 + 12 + 137 + 137) / 4);
  // Colour channels stay 0.
  CGACoverageMap alpha("a", "General", 32, 32, 4);
  CGATerrainWater::ComputeAlphaMap(alpha, terrain, 4.0f);
  EXPECT_EQ(alpha.GetValue(0, 0, 0), 0);
}

}  // namespace
