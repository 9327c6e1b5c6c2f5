#include "terrain/PathFinder.h"

#include "game/LogManager.h"
#include "terrain/TerrainManager.h"

#include <OgreStringConverter.h>

#include <algorithm>
#include <cstdlib>

// The eight moves; a node's direction is its index here.
const CGAPathFinder::PathStep CGAPathFinder::kSteps[8] = {
    {0, 1, kStraightCost},   {0, -1, kStraightCost}, {-1, 0, kStraightCost}, {1, 0, kStraightCost},
    {-1, 1, kDiagonalCost}, {1, 1, kDiagonalCost},  {-1, -1, kDiagonalCost}, {1, -1, kDiagonalCost},
};

namespace {

// World positions far off any map are pulled in so cell arithmetic and
// costs stay within int.
int ToCell(float v) {
  constexpr float kFar = 100000.0f;
  if (!(v > -kFar)) return -int(kFar);
  if (v > kFar) return int(kFar);
  return int(v);
}

std::string LogNumber(float v) { return Ogre::StringConverter::toString(v, 6); }

}  // namespace

CGAPathFinder::CGAPathFinder(CGATerrainManager* terrain, Ogre::SceneManager* sceneManager)
    : mSceneManager(sceneManager),
      mSizeX(unsigned(terrain->GetWorldSizeX())),
      mSizeZ(unsigned(terrain->GetWorldSizeZ())),
      mStride(size_t(mSizeX) + 2),
      mCells(mStride * (size_t(mSizeZ) + 2), kBlockedBit) {
  const uint8_t* obstacles = terrain->GetObstacleGrid();
  for (unsigned z = 0; z < mSizeZ; ++z)
    for (unsigned x = 0; x < mSizeX; ++x) {
      const bool blocked = obstacles && obstacles[size_t(z) * mSizeX + x] == CGATerrainManager::kBlockedCell;
      mCells[CellAt(int(x), int(z))] = blocked ? kBlockedBit : 0;
    }
  for (int i = 0; i < 8; ++i) mStepOffset[i] = ptrdiff_t(kSteps[i].Dz) * ptrdiff_t(mStride) + kSteps[i].Dx;
  std::fill(std::begin(mBucketHead), std::end(mBucketHead), -1);
  mNodes.resize(4096);
}

void CGAPathFinder::SetBlocked(unsigned x, unsigned z, bool blocked) {
  if (x >= mSizeX || z >= mSizeZ) return;
  uint32_t& cell = mCells[CellAt(int(x), int(z))];
  cell = blocked ? (cell | kBlockedBit) : (cell & ~kBlockedBit);
}

std::vector<Ogre::Vector2> CGAPathFinder::FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal,
                                                   int nodeLimit) {
  SetSearch({ToCell(start.x), ToCell(start.y)}, {ToCell(goal.x), ToCell(goal.y)}, nodeLimit);
  CGALogManager* log = CGALogManager::getSingletonPtr();
  if (log) log->LogMessage("start = " + LogNumber(start.x) + " , " + LogNumber(start.y), 0);
  Search();
  std::vector<Ogre::Vector2> result;
  result.reserve(mWaypoints.size());
  for (const PathCell& c : mWaypoints) result.emplace_back(float(c.X), float(c.Z));
  if (log) {
    for (const Ogre::Vector2& p : result) log->LogMessage(LogNumber(p.x) + " , " + LogNumber(p.y), 0);
    log->LogMessage("end = " + LogNumber(goal.x) + " , " + LogNumber(goal.y), 0);
  }
  return result;
}

void CGAPathFinder::SetSearch(PathCell start, PathCell goal, int nodeLimit) {
  mStart = start;
  mGoal = goal;
  mNodeLimit = nodeLimit;
}

int CGAPathFinder::Heuristic(int x, int z) const {
  const int a = std::abs(mGoal.X - x), b = std::abs(mGoal.Z - z);
  return std::min(a, b) * 1400 + std::abs(a - b) * 1000;
}

bool CGAPathFinder::Blocked(int x, int z) const {
  if (mSizeX == 0 || mSizeZ == 0) return false;
  x = std::clamp(x, 0, int(mSizeX) - 1);
  z = std::clamp(z, 0, int(mSizeZ) - 1);
  return (mCells[CellAt(x, z)] & kBlockedBit) != 0;
}

void CGAPathFinder::PushOpen(int index, int64_t f) {
  const int bucket = int(f & (kBuckets - 1));
  mNodes[index].NextOpen = mBucketHead[bucket];
  mBucketHead[bucket] = index;
  mBucketBits[bucket / 64] |= uint64_t(1) << (bucket % 64);
  ++mOpenCount;
}

int CGAPathFinder::PopOpen() {
  // The first filled bucket at or after the lowest f, round the ring.
  const int base = int(mOpenLowF & (kBuckets - 1));
  int word = base / 64;
  uint64_t bits = mBucketBits[word] & (~uint64_t(0) << (base % 64));
  for (int turns = 0; !bits && turns <= kBuckets / 64; ++turns) {
    word = (word + 1) % (kBuckets / 64);
    bits = mBucketBits[word];
  }
  const int bucket = word * 64 + __builtin_ctzll(bits);
  const int index = mBucketHead[bucket];
  mBucketHead[bucket] = mNodes[index].NextOpen;
  if (mBucketHead[bucket] < 0) mBucketBits[bucket / 64] &= ~(uint64_t(1) << (bucket % 64));
  --mOpenCount;
  mOpenLowF = mNodes[index].F;
  return index;
}

void CGAPathFinder::ClearOpen() {
  for (int word = 0; word < kBuckets / 64; ++word) {
    for (uint64_t bits = mBucketBits[word]; bits; bits &= bits - 1) mBucketHead[word * 64 + __builtin_ctzll(bits)] = -1;
    mBucketBits[word] = 0;
  }
  mOpenCount = 0;
}

void CGAPathFinder::OpenNeighbours(int current, const PathNode& node, int& best, int& bestH) {
  // Room for eight more nodes, so the loop below need not check.
  if (mNodeCount + 8 > mNodes.size()) mNodes.resize(mNodes.size() * 2);
  uint32_t* const cells = mCells.data();
  const uint32_t search = mSearchNumber;
  // First gather the open neighbours (not blocked, border included, and not
  // reached in this search) without a branch on each: the answers are
  // unpredictable. A blocked word never equals a search number.
  int open[8];
  int count = 0;
  if (Inside(node.X, node.Z)) {
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      const uint32_t word = cells[node.Cell + mStepOffset[i]];
      open[count] = i;
      count += int(word != search) & int(word < kBlockedBit);
    }
  } else {
    // Only a start off the grid gets here: its neighbours are tested one by one.
    for (int i = 0; i < 8; ++i) {
      const int nx = node.X + kSteps[i].Dx, nz = node.Z + kSteps[i].Dz;
      if (!Inside(nx, nz)) continue;
      const uint32_t word = cells[CellAt(nx, nz)];
      if (word != search && word < kBlockedBit) open[count++] = i;
    }
  }
  for (int k = 0; k < count; ++k) {
    const int i = open[k];
    const int nx = node.X + kSteps[i].Dx, nz = node.Z + kSteps[i].Dz;
    const int cell = int(CellAt(nx, nz));
    cells[cell] = search;
    const int64_t g = node.G + kSteps[i].Cost + (i != node.Direction ? kTurnCost : 0);
    const int h = Heuristic(nx, nz);
    const int index = int(mNodeCount++);
    PathNode& next = mNodes[index];
    next.Direction = i;
    next.F = g + h;
    next.G = g;
    next.Cell = cell;
    next.X = nx;
    next.Z = nz;
    next.Parent = current;
    if (h < bestH) {
      best = index;
      bestH = h;
    }
    PushOpen(index, g + h);
  }
}

void CGAPathFinder::Search() {
  if (++mSearchNumber > kLastSearchNumber) {
    for (uint32_t& cell : mCells) cell &= kBlockedBit;
    mSearchNumber = 1;
  }
  ClearOpen();
  mWaypoints.clear();
  mExpanded = 0;

  const int startH = Heuristic(mStart.X, mStart.Z);
  const int startCell = Inside(mStart.X, mStart.Z) ? int(CellAt(mStart.X, mStart.Z)) : 0;
  mNodes[0] = {startH, 0, -1, startCell, mStart.X, mStart.Z, 0, -1};
  mNodeCount = 1;
  mOpenLowF = startH;
  int current = 0, best = 0, bestH = startH;
  int taken = 0;
  // The start cell itself is not marked: it may be reached again, as the
  // search has always done.
  for (;;) {
    const PathNode node = mNodes[current];  // a copy: the pool may grow
    if (node.X == mGoal.X && node.Z == mGoal.Z) break;
    ++mExpanded;
    OpenNeighbours(current, node, best, bestH);
    if (mOpenCount == 0 || taken > mNodeLimit) {
      current = best;
      break;
    }
    ++taken;
    current = PopOpen();
  }

  // Back from the end to the start, keeping the cells where the direction
  // changes (the start, direction -1, always).
  mTurns.clear();
  mTurns.push_back({mNodes[current].X, mNodes[current].Z});
  while (mNodes[current].X != mStart.X || mNodes[current].Z != mStart.Z) {
    const int direction = mNodes[current].Direction;
    current = mNodes[current].Parent;
    if (direction != mNodes[current].Direction) mTurns.push_back({mNodes[current].X, mNodes[current].Z});
  }
  Straighten();
}

void CGAPathFinder::Straighten() {
  // From the start, each waypoint reaches for the farthest of the next five
  // turning points it can see, else the next one.
  int i = int(mTurns.size()) - 1;
  mWaypoints.push_back(mTurns[i]);
  while (i > 0) {
    int next = i - 1;
    for (int j = std::max(i - 5, 0); j <= i - 2; ++j) {
      if (LineOfSight(mTurns[i], mTurns[j])) {
        next = j;
        break;
      }
    }
    mWaypoints.push_back(mTurns[next]);
    i = next;
  }
}

bool CGAPathFinder::LineOfSight(PathCell a, PathCell b) const {
  // A Bresenham walk that also tests the cells on both sides of the line
  // where it leaves the rows (columns) of its ends: three cells thick there.
  int x = a.X, z = a.Z;
  const int sx = a.X > b.X ? -1 : 1, sz = a.Z > b.Z ? -1 : 1;
  const int adx = std::abs(a.X - b.X), adz = std::abs(a.Z - b.Z);
  if (adz <= adx) {
    int err = -adx;
    for (int n = 0; n <= adx; ++n) {
      if (Blocked(x, z)) return false;
      if (z != a.Z && Blocked(x, z - sz)) return false;
      if (z != b.Z && Blocked(x, z + sz)) return false;
      x += sx;
      err += 2 * adz;
      if (err >= 0) {
        z += sz;
        err -= 2 * adx;
      }
    }
  } else {
    int err = -adz;
    for (int n = 0; n <= adz; ++n) {
      if (Blocked(x, z)) return false;
      if (x != a.X && Blocked(x - sx, z)) return false;
      if (x != b.X && Blocked(x + sx, z)) return false;
      z += sz;
      err += 2 * adx;
      if (err >= 0) {
        x += sx;
        err -= 2 * adz;
      }
    }
  }
  return true;
}
