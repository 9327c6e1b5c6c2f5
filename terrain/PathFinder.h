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
  // Takes the terrain's current cell grid and its blocked cells: each map
  // gets its own finder, and the terrain reports later obstacle changes
  // through SetBlocked.
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
  // beside it, but for the rows (or columns) of the two ends. Cells off the
  // grid read as the nearest edge cell.
  bool LineOfSight(PathCell a, PathCell b) const;

  void SetBlocked(unsigned x, unsigned z, bool blocked);

  // Of the last search: nodes whose neighbours were opened, and nodes made.
  unsigned GetExpandedCount() const { return mExpanded; }
  size_t GetNodeCount() const { return mNodeCount; }

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

  // Costs are 64-bit: an unlimited search over the largest grid can walk
  // more steps than 32 bits of cost hold.
  struct PathNode {
    int64_t F, G;
    int Direction;  // step that reached the node, -1 for the start
    int Cell;  // index in the cell words
    int X, Z;
    int Parent;    // pool index (a node's own index is its place in the pool)
    int NextOpen;  // the next node of its open-list bucket, -1 at the end
  };

  // One word per cell: the number of the last search that reached it, and
  // the top bit for a blocked cell, so one read answers both questions. A
  // new search number makes every older mark stale: no search clears the
  // grid (only a wrap of the number does). A border of blocked words round
  // the grid spares the neighbour tests a bounds test.
  static constexpr uint32_t kBlockedBit = 0x80000000u;
  static constexpr uint32_t kLastSearchNumber = 0x7fffffffu;

  // The open list is a ring of buckets by f. The heuristic is consistent
  // with the step costs, so no open node's f lies more than a step and its
  // heuristic (1402 + 1400) above the lowest: the ring spans more than that.
  // Each bucket is a stack linked through the nodes: within a bucket the
  // newest node comes first (usually the deeper one).
  static constexpr int kBuckets = 4096;

  int Heuristic(int x, int z) const;
  bool Inside(int x, int z) const { return unsigned(x) < mSizeX && unsigned(z) < mSizeZ; }
  size_t CellAt(int x, int z) const { return size_t(z + 1) * mStride + size_t(x + 1); }
  bool Blocked(int x, int z) const;
  // Opens the neighbours of the node taken, keeping track of the node
  // nearest the goal.
  void OpenNeighbours(int current, const PathNode& node, int& best, int& bestH);
  void PushOpen(int index, int64_t f);
  int PopOpen();
  void ClearOpen();
  void Straighten();

  Ogre::SceneManager* mSceneManager;
  unsigned mSizeX;
  unsigned mSizeZ;
  size_t mStride;  // words a row, border included
  std::vector<uint32_t> mCells;
  ptrdiff_t mStepOffset[8];  // cell-word offset of each step
  uint32_t mSearchNumber = 0;
  PathCell mStart, mGoal;
  int mNodeLimit = 3000;
  std::vector<PathNode> mNodes;  // grown ahead; the first mNodeCount are in use
  size_t mNodeCount = 0;
  int mBucketHead[kBuckets];
  uint64_t mBucketBits[kBuckets / 64] = {};
  size_t mOpenCount = 0;
  int64_t mOpenLowF = 0;  // f of the last node taken: no open node is lower
  std::vector<PathCell> mTurns;
  std::vector<PathCell> mWaypoints;
  unsigned mExpanded = 0;
};
