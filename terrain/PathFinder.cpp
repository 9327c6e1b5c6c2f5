#include "terrain/PathFinder.h"

#include "game/LogManager.h"
#include "terrain/TerrainManager.h"

#include <OgreStringConverter.h>

#include <algorithm>
#include <cstdlib>

// The eight moves; a node's direction is its index here.
const CGAPathFinder::PathStep CGAPathFinder::kSteps[8] = {
    {0, 1, CGAPathFinder::kStraightCost},   {0, -1, CGAPathFinder::kStraightCost},
    {-1, 0, CGAPathFinder::kStraightCost},  {1, 0, CGAPathFinder::kStraightCost},
    {-1, 1, CGAPathFinder::kDiagonalCost},  {1, 1, CGAPathFinder::kDiagonalCost},
    {-1, -1, CGAPathFinder::kDiagonalCost}, {1, -1, CGAPathFinder::kDiagonalCost},
};

namespace {

// World positions far off any map are pulled in so cell arithmetic and
// costs stay within int.
int ToCell(float v) {
  constexpr float kFar = 500000.0f;
  if (!(v > -kFar)) return -int(kFar);
  if (v > kFar) return int(kFar);
  return int(v);
}

std::string Number(float v) { return Ogre::StringConverter::toString(v, 6); }

}  // namespace

CGAPathFinder::CGAPathFinder(CGATerrainManager* terrain, Ogre::SceneManager* sceneManager)
    : mTerrain(terrain),
      mSceneManager(sceneManager),
      mSizeX(unsigned(terrain->GetWorldSizeX())),
      mSizeZ(unsigned(terrain->GetWorldSizeZ())),
      mVisitMarks(size_t(mSizeX) * mSizeZ, 0) {
  mNodes.reserve(4096);
  mOpen.reserve(4096);
}

std::vector<Ogre::Vector2> CGAPathFinder::FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal,
                                                   int nodeLimit) {
  SetSearch({ToCell(start.x), ToCell(start.y)}, {ToCell(goal.x), ToCell(goal.y)}, nodeLimit);
  CGALogManager* log = CGALogManager::getSingletonPtr();
  if (log) log->LogMessage("start = " + Number(start.x) + " , " + Number(start.y), 0);
  Search();
  std::vector<Ogre::Vector2> result;
  result.reserve(mWaypoints.size());
  for (const PathCell& c : mWaypoints) result.emplace_back(float(c.X), float(c.Z));
  if (log) {
    for (const Ogre::Vector2& p : result) log->LogMessage(Number(p.x) + " , " + Number(p.y), 0);
    log->LogMessage("end = " + Number(goal.x) + " , " + Number(goal.y), 0);
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

const uint8_t* CGAPathFinder::CurrentObstacles() const {
  // A grid of another size belongs to another map: this finder's marks
  // would not fit it, so it sees no obstacles rather than reading astray.
  if (unsigned(mTerrain->GetWorldSizeX()) != mSizeX || unsigned(mTerrain->GetWorldSizeZ()) != mSizeZ) return nullptr;
  return mTerrain->GetObstacleGrid();
}

bool CGAPathFinder::Blocked(const uint8_t* obstacles, int x, int z) const {
  if (!obstacles || mSizeX == 0 || mSizeZ == 0) return false;
  // Cells off the grid read as the nearest edge cell.
  x = std::clamp(x, 0, int(mSizeX) - 1);
  z = std::clamp(z, 0, int(mSizeZ) - 1);
  return obstacles[size_t(z) * mSizeX + size_t(x)] == CGATerrainManager::kBlockedCell;
}

void CGAPathFinder::PushOpen(const PathNode& node) {
  mOpen.push_back({uint64_t(uint32_t(node.F)) << 32 | uint32_t(node.H), node.Index});
  std::push_heap(mOpen.begin(), mOpen.end(), [](const OpenEntry& a, const OpenEntry& b) { return a.Key > b.Key; });
}

int CGAPathFinder::PopOpen() {
  std::pop_heap(mOpen.begin(), mOpen.end(), [](const OpenEntry& a, const OpenEntry& b) { return a.Key > b.Key; });
  const int index = mOpen.back().Index;
  mOpen.pop_back();
  return index;
}

void CGAPathFinder::Search() {
  // A new search number makes every older visit mark stale, so no search
  // clears the grid; only when the number wraps are the marks reset.
  if (++mSearchNumber == 0) {
    std::fill(mVisitMarks.begin(), mVisitMarks.end(), 0u);
    mSearchNumber = 1;
  }
  mOpen.clear();
  mNodes.clear();
  mWaypoints.clear();
  mExpanded = 0;
  const uint8_t* obstacles = CurrentObstacles();
  const int sizeX = int(mSizeX), sizeZ = int(mSizeZ);

  const int startH = Heuristic(mStart.X, mStart.Z);
  mNodes.push_back({-1, startH, startH, 0, mStart.X, mStart.Z, 0, 0});
  int current = 0, best = 0;
  int taken = 0;
  // The start cell itself is not marked: it may be reached again, as the
  // search has always done.
  for (;;) {
    const PathNode node = mNodes[current];
    if (node.X == mGoal.X && node.Z == mGoal.Z) break;
    ++mExpanded;
    for (int i = 0; i < 8; ++i) {
      const int nx = node.X + kSteps[i].Dx, nz = node.Z + kSteps[i].Dz;
      if (nx < 0 || nz < 0 || nx >= sizeX || nz >= sizeZ) continue;
      const size_t cell = size_t(nz) * mSizeX + size_t(nx);
      if (mVisitMarks[cell] == mSearchNumber) continue;
      if (obstacles && obstacles[cell] == CGATerrainManager::kBlockedCell) continue;
      mVisitMarks[cell] = mSearchNumber;
      const int g = node.G + kSteps[i].Cost + (i != node.Direction ? kTurnCost : 0);
      const int h = Heuristic(nx, nz);
      const int index = int(mNodes.size());
      mNodes.push_back({i, g + h, h, g, nx, nz, current, index});
      if (h < mNodes[best].H) best = index;
      PushOpen(mNodes.back());
    }
    if (mOpen.empty() || taken > mNodeLimit) {
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
  Straighten(obstacles);
}

void CGAPathFinder::Straighten(const uint8_t* obstacles) {
  // From the start, each waypoint reaches for the farthest of the next five
  // turning points it can see, else the next one.
  int i = int(mTurns.size()) - 1;
  mWaypoints.push_back(mTurns[i]);
  while (i > 0) {
    int next = i - 1;
    for (int j = std::max(i - 5, 0); j <= i - 2; ++j) {
      if (LineOfSight(obstacles, mTurns[i], mTurns[j])) {
        next = j;
        break;
      }
    }
    mWaypoints.push_back(mTurns[next]);
    i = next;
  }
}

bool CGAPathFinder::LineOfSight(PathCell a, PathCell b) const { return LineOfSight(CurrentObstacles(), a, b); }

bool CGAPathFinder::LineOfSight(const uint8_t* obstacles, PathCell a, PathCell b) const {
  // A Bresenham walk that also tests the cells on both sides of the line,
  // but not beside its two ends, so the line is three cells thick.
  int x = a.X, z = a.Z;
  const int sx = a.X > b.X ? -1 : 1, sz = a.Z > b.Z ? -1 : 1;
  const int adx = std::abs(a.X - b.X), adz = std::abs(a.Z - b.Z);
  if (adz <= adx) {
    int err = -adx;
    for (int n = 0; n <= adx; ++n) {
      if (Blocked(obstacles, x, z)) return false;
      if (z != a.Z && Blocked(obstacles, x, z - sz)) return false;
      if (z != b.Z && Blocked(obstacles, x, z + sz)) return false;
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
      if (Blocked(obstacles, x, z)) return false;
      if (x != a.X && Blocked(obstacles, x - sx, z)) return false;
      if (x != b.X && Blocked(obstacles, x + sx, z)) return false;
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
