#include "TerrainTestSupport.h"
#include "game/LogManager.h"
#include "platform/Random.h"
#include "terrain/PathFinder.h"

#include <deque>

namespace {

constexpr uint8_t kWall = CGATerrainManager::kBlockedCell;

// A leg of a route is clear by the thick line of sight, or it joins two
// neighbouring turning points of the search's route: then it runs straight in
// one of the eight directions over free cells (narrow gaps have no thick
// line through them).
::testing::AssertionResult LegIsClear(const CGAPathFinder& finder, const CGATerrainManager& terrain, PathCell a,
                                      PathCell b) {
  if (finder.LineOfSight(a, b)) return ::testing::AssertionSuccess();
  const int dx = b.X - a.X, dz = b.Z - a.Z;
  if (dx != 0 && dz != 0 && std::abs(dx) != std::abs(dz))
    return ::testing::AssertionFailure() << "leg (" << a.X << "," << a.Z << ")-(" << b.X << "," << b.Z
                                         << ") is blocked and not straight";
  const int steps = std::max(std::abs(dx), std::abs(dz));
  for (int k = 0; k <= steps; ++k) {
    const int cx = a.X + k * ((dx > 0) - (dx < 0)), cz = a.Z + k * ((dz > 0) - (dz < 0));
    if (terrain.GetObstacle(unsigned(cx), unsigned(cz)) == kWall)
      return ::testing::AssertionFailure() << "straight leg crosses blocked cell (" << cx << "," << cz << ")";
  }
  return ::testing::AssertionSuccess();
}

class PathFinding : public ::testing::Test {
 protected:
  // A grid drawn as text: '#' blocked, anything else free; row 0 is z = 0.
  void Draw(const std::vector<std::string>& rows) {
    std::vector<uint8_t> cells;
    for (const std::string& row : rows)
      for (char c : row) cells.push_back(c == '#' ? kWall : 255);
    InstallGrid(terrain, int(rows[0].size()), int(rows.size()), cells);
  }
  void Open(int sizeX, int sizeZ) { InstallGrid(terrain, sizeX, sizeZ); }
  std::vector<PathCell> Find(PathCell from, PathCell to, int limit = 100000) {
    CGAPathFinder* finder = terrain.GetPathFinder();
    finder->SetSearch(from, to, limit);
    finder->Search();
    return finder->GetWaypoints();
  }
  CGATerrainManager terrain{nullptr, false};
};

TEST_F(PathFinding, StraightCorridorGivesStartAndGoal) {
  Open(40, 20);
  EXPECT_EQ(Find({10, 10}, {30, 10}), (std::vector<PathCell>{{10, 10}, {30, 10}}));
}

TEST_F(PathFinding, StartEqualToGoalGivesThatCell) {
  Open(40, 20);
  EXPECT_EQ(Find({7, 3}, {7, 3}), (std::vector<PathCell>{{7, 3}}));
  EXPECT_EQ(terrain.GetPathFinder()->GetExpandedCount(), 0u);
}

TEST_F(PathFinding, WorldPositionsTruncateToCellCornersAndEachSearchIsLogged) {
  Open(40, 40);
  struct Lines : CGALogListener {
    void MessageLogged(const std::string& text, int level) override { lines.push_back(std::to_string(level) + text); }
    std::vector<std::string> lines;
  } lines;
  CGALogManager log("", false);
  log.AddListener(&lines);
  const std::vector<Ogre::Vector2> path =
      terrain.GetPathFinder()->FindPath(Ogre::Vector2(10.9f, 20.2f), Ogre::Vector2(30.5f, 20.7f), 500);
  log.RemoveListener(&lines);
  EXPECT_EQ(path, (std::vector<Ogre::Vector2>{{10.0f, 20.0f}, {30.0f, 20.0f}}));
  EXPECT_EQ(lines.lines, (std::vector<std::string>{"0start = 10.9 , 20.2", "010 , 20", "030 , 20", "0end = 30.5 , 20.7"}));
}

TEST_F(PathFinding, BlockedGoalLeadsToTheNearestReachableCell) {
  Draw({
      "..........",
      "......###.",
      "......#.#.",
      "......###.",
      "..........",
  });
  // The goal (7, 2) is walled in; of the cells reached, (7, 0) and (7, 4)
  // and the cells beside the wall are nearest. The first reached wins.
  const std::vector<PathCell> path = Find({0, 2}, {7, 2});
  ASSERT_GE(path.size(), 2u);
  EXPECT_EQ(path.front(), (PathCell{0, 2}));
  EXPECT_EQ(path.back(), (PathCell{5, 2}));  // h 2000, the only cell at that distance

  // A blocked goal cell itself is never reached.
  Draw({
      "..........",
      ".......#..",
      "..........",
  });
  EXPECT_EQ(Find({0, 1}, {7, 1}).back(), (PathCell{6, 1}));
}

TEST_F(PathFinding, NodeLimitZeroExpandsTheStartAndOneMore) {
  Open(40, 40);
  Find({5, 5}, {35, 35}, 0);
  EXPECT_EQ(terrain.GetPathFinder()->GetExpandedCount(), 2u);
  // The start (its 8 neighbours) and the first node taken, diagonal toward
  // the goal: its 5 unmarked neighbours and the start cell, which is never
  // marked and so is reached again.
  EXPECT_EQ(terrain.GetPathFinder()->GetNodeCount(), 1u + 8u + 6u);
  const std::vector<PathCell> path = Find({5, 5}, {35, 35}, 0);
  EXPECT_EQ(path.front(), (PathCell{5, 5}));
  EXPECT_EQ(path.back(), (PathCell{7, 7}));  // best of the few cells seen

  Find({5, 5}, {35, 35}, 3);
  EXPECT_EQ(terrain.GetPathFinder()->GetExpandedCount(), 5u);
}

TEST_F(PathFinding, WallWithOneGap) {
  std::vector<std::string> rows(30, std::string(30, '.'));
  for (int x = 0; x < 30; ++x) rows[15][x] = '#';
  rows[15][22] = '.';
  Draw(rows);
  const std::vector<PathCell> path = Find({3, 3}, {3, 27});
  ASSERT_GE(path.size(), 3u);
  EXPECT_EQ(path.front(), (PathCell{3, 3}));
  EXPECT_EQ(path.back(), (PathCell{3, 27}));
  CGAPathFinder* finder = terrain.GetPathFinder();
  for (size_t i = 1; i < path.size(); ++i) EXPECT_TRUE(LegIsClear(*finder, terrain, path[i - 1], path[i]));
  // Clear legs cannot cross the wall's row but at its gap; the direct line
  // is blocked.
  EXPECT_FALSE(finder->LineOfSight({3, 3}, {3, 27}));
}

TEST_F(PathFinding, LineOfSightIsThickAndReadsNoFarEdge) {
  Draw({
      ".........#",
      "..........",
      "....#.....",
      "..........",
      "..........",
  });
  CGAPathFinder* finder = terrain.GetPathFinder();
  EXPECT_FALSE(finder->LineOfSight({0, 2}, {9, 2}));  // straight through
  // (4, 1) is free, but the cell beside it, (4, 2), is not.
  EXPECT_FALSE(finder->LineOfSight({0, 0}, {9, 2}));
  // Beside the rows of the two ends nothing is tested.
  EXPECT_TRUE(finder->LineOfSight({0, 1}, {9, 1}));
  EXPECT_TRUE(finder->LineOfSight({0, 4}, {9, 4}));
  // From a cell left of the map the walk reads column 0, not the far edge
  // (whose cell (9, 0) is blocked).
  EXPECT_TRUE(finder->LineOfSight({-1, 0}, {3, 0}));
  EXPECT_EQ(terrain.GetObstacle(unsigned(-1), 0), 255);
}

TEST_F(PathFinding, ObstaclesSetLaterAreSeen) {
  Open(20, 20);
  CGAPathFinder* finder = terrain.GetPathFinder();
  EXPECT_TRUE(finder->LineOfSight({0, 5}, {19, 5}));
  terrain.SetObstacle(10, 5, kWall);
  EXPECT_FALSE(finder->LineOfSight({0, 5}, {19, 5}));
  EXPECT_NE(Find({0, 5}, {19, 5}).size(), 2u);
  terrain.SetObstacle(10, 5, 0);
  EXPECT_TRUE(finder->LineOfSight({0, 5}, {19, 5}));
  EXPECT_EQ(Find({0, 5}, {19, 5}), (std::vector<PathCell>{{0, 5}, {19, 5}}));
}

TEST_F(PathFinding, RepeatedSearchesDoNotSeeOldMarks) {
  Open(64, 64);
  const std::vector<PathCell> first = Find({1, 1}, {60, 50});
  for (int i = 0; i < 100; ++i) Find({i % 60, 3}, {50, i % 60});
  EXPECT_EQ(Find({1, 1}, {60, 50}), first);
}

// Cells reachable from a start, by breadth-first search.
std::vector<bool> Reachable(const std::vector<uint8_t>& cells, int size, PathCell from) {
  std::vector<bool> seen(cells.size(), false);
  std::deque<PathCell> queue{from};
  seen[from.Z * size + from.X] = true;
  while (!queue.empty()) {
    const PathCell c = queue.front();
    queue.pop_front();
    for (int dz = -1; dz <= 1; ++dz)
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = c.X + dx, z = c.Z + dz;
        if (x < 0 || z < 0 || x >= size || z >= size) continue;
        if (seen[z * size + x] || cells[z * size + x] == kWall) continue;
        seen[z * size + x] = true;
        queue.push_back({x, z});
      }
  }
  return seen;
}

TEST_F(PathFinding, RandomGridsGiveRoutesWhoseLegsAreAllClear) {
  platform::SeedRand(11);
  const int size = 48;
  int reachedGoals = 0, legs = 0, thickLegs = 0;
  for (int round = 0; round < 60; ++round) {
    std::vector<uint8_t> cells(size * size);
    const int percent = 10 + round % 4 * 8;
    for (uint8_t& c : cells) c = platform::Rand() % 100 < percent ? kWall : 0;
    PathCell from{platform::Rand() % size, platform::Rand() % size};
    PathCell to{platform::Rand() % size, platform::Rand() % size};
    cells[from.Z * size + from.X] = 0;
    InstallGrid(terrain, size, size, cells);
    const std::vector<PathCell> path = Find(from, to);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), from);
    const bool reachable = cells[to.Z * size + to.X] != kWall && Reachable(cells, size, from)[to.Z * size + to.X];
    if (reachable) {
      EXPECT_EQ(path.back(), to) << round;
      ++reachedGoals;
    }
    CGAPathFinder* finder = terrain.GetPathFinder();
    for (size_t i = 0; i < path.size(); ++i) {
      EXPECT_NE(cells[path[i].Z * size + path[i].X], kWall) << round;
      if (i > 0) {
        EXPECT_TRUE(LegIsClear(*finder, terrain, path[i - 1], path[i])) << round;
        thickLegs += finder->LineOfSight(path[i - 1], path[i]);
        ++legs;
      }
    }
  }
  EXPECT_GT(reachedGoals, 30);
  EXPECT_GT(thickLegs * 2, legs);  // the straightening mostly finds thick lines
}

}  // namespace
