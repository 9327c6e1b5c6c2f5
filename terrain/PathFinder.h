#pragma once
// Walkable routes over the obstacle cells of the current map: an A* search
// in eight directions that charges a little for every turn, keeps the cell
// nearest the goal as the answer when the goal cannot be reached within the
// node budget, records only the cells where the route turns, and then
// straightens the route where a unit fits through.
#include <OgreVector.h>

#include <cstdint>
#include <vector>

namespace Ogre {
class SceneManager;
}
class CGATerrainManager;

struct PathCell {
  int X = 0;
  int Z = 0;
  bool operator==(const PathCell& o) const { return X == o.X && Z == o.Z; }
  bool operator!=(const PathCell& o) const { return !(*this == o); }
};

class CGAPathFinder {
 public:
  // Sizes itself to the terrain's current cell grid: each map gets its own.
  CGAPathFinder(CGATerrainManager* terrain, Ogre::SceneManager* sceneManager);

  // Waypoints (cell coordinates as floats) from the start's cell to the
  // goal's, or to the reachable cell nearest the goal; the start cell first.
  // A node limit caps the cells taken from the open list.
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal, int nodeLimit);

  // Runs a search from the stored start to the stored goal.
  void Search();
  void SetSearch(PathCell start, PathCell goal, int nodeLimit);
  const std::vector<PathCell>& GetWaypoints() const { return mWaypoints; }

  // True when no blocked cell lies on the line from a to b or on the cells
  // beside it (a walk one cell wide on each side but at the ends).
  bool LineOfSight(PathCell a, PathCell b) const;

  // Of the last search: nodes whose neighbours were opened, and nodes made.
  unsigned GetExpandedCount() const { return mExpanded; }
  size_t GetNodeCount() const { return mNodes.size(); }

  // Step costs; the heuristic's diagonal (1400) stays below the diagonal
  // step so it never overestimates.
  static constexpr int kStraightCost = 1000;
  static constexpr int kDiagonalCost = 1401;
  static constexpr int kTurnCost = 1;

 private:
  struct PathStep {
    int Dx, Dz, Cost;
  };
  static const PathStep kSteps[8];
  struct PathNode {
    int Direction;  // step that reached the node, -1 for the start
    int F, H, G;
    int X, Z;
    int Parent;  // pool index
    int Index;
  };
  // Open-list entry: lower f first, then lower h (nearer the goal).
  struct OpenEntry {
    uint64_t Key;
    int Index;
  };

  int Heuristic(int x, int z) const;
  bool Blocked(const uint8_t* obstacles, int x, int z) const;
  void PushOpen(const PathNode& node);
  int PopOpen();
  void Straighten(const uint8_t* obstacles);
  bool LineOfSight(const uint8_t* obstacles, PathCell a, PathCell b) const;
  const uint8_t* CurrentObstacles() const;

  CGATerrainManager* mTerrain;
  Ogre::SceneManager* mSceneManager;
  unsigned mSizeX;
  unsigned mSizeZ;
  std::vector<uint32_t> mVisitMarks;
  PathCell mStart, mGoal;
  std::vector<OpenEntry> mOpen;
  std::vector<PathNode> mNodes;
  std::vector<PathCell> mTurns;
  std::vector<PathCell> mWaypoints;
  uint32_t mSearchNumber = 0;
  int mNodeLimit = 3000;
  unsigned mExpanded = 0;
};
