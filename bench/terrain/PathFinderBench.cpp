// Path searches on open and cluttered grids and on a spiral maze, with the
// game's node limits, beside a plain textbook A* (binary heap, closed array
// cleared per search) that uses the same step costs and heuristic. Prints
// microseconds per search and nodes expanded, then a side-by-side table.
#include "platform/Random.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainManager.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <queue>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kWall = CGATerrainManager::kBlockedCell;
constexpr int kMaze = -1;  // "obstacle percent" of the spiral maze
constexpr int kPairs = 64;

struct Grid {
  int Size;
  std::vector<uint8_t> Cells;
  std::vector<PathCell> From, To;
};

// Concentric walls four cells apart, each with one two-cell gap on
// alternating sides: the way in winds round the rings.
void DrawSpiral(Grid& grid) {
  const int n = grid.Size;
  for (int ring = 2, k = 0; ring < n / 2 - 2; ring += 4, ++k) {
    const int lo = ring, hi = n - 1 - ring;
    for (int i = lo; i <= hi; ++i) {
      grid.Cells[lo * n + i] = grid.Cells[hi * n + i] = kWall;
      grid.Cells[i * n + lo] = grid.Cells[i * n + hi] = kWall;
    }
    const int gap = k % 2 ? lo + 1 : hi - 2;
    for (int g = gap; g < gap + 2; ++g) grid.Cells[(k % 4 < 2 ? lo : hi) * n + g] = 255;
  }
}

const Grid& GetGrid(int size, int percent) {
  static std::map<std::pair<int, int>, Grid> grids;
  auto found = grids.find({size, percent});
  if (found != grids.end()) return found->second;
  Grid& grid = grids[{size, percent}];
  grid.Size = size;
  grid.Cells.assign(size_t(size) * size, 255);
  platform::SeedRand(unsigned(size * 100 + percent + 7));
  if (percent == kMaze) DrawSpiral(grid);
  else
    for (uint8_t& c : grid.Cells)
      if (platform::Rand() % 100 < percent) c = kWall;
  auto freeCell = [&] {
    for (;;) {
      PathCell c{platform::Rand() % size, platform::Rand() % size};
      if (grid.Cells[c.Z * size + c.X] != kWall) return c;
    }
  };
  for (int i = 0; i < kPairs; ++i) {
    grid.From.push_back(freeCell());
    grid.To.push_back(freeCell());
  }
  return grid;
}

// The textbook search: g, parent and closed arrays of the whole grid, reset
// for every search; the open list a binary heap with stale entries skipped.
class TextbookAStar {
 public:
  explicit TextbookAStar(const Grid& grid) : mGrid(grid), mG(grid.Cells.size()), mClosed(grid.Cells.size()) {}

  unsigned Search(PathCell from, PathCell to, int limit) {
    static const int steps[8][3] = {{0, 1, 1000},   {0, -1, 1000}, {-1, 0, 1000}, {1, 0, 1000},
                                    {-1, 1, 1401}, {1, 1, 1401},  {-1, -1, 1401}, {1, -1, 1401}};
    const int n = mGrid.Size;
    std::fill(mG.begin(), mG.end(), INT_MAX);
    std::fill(mClosed.begin(), mClosed.end(), 0);
    auto h = [&](int x, int z) {
      const int a = std::abs(to.X - x), b = std::abs(to.Z - z);
      return std::min(a, b) * 1400 + std::abs(a - b) * 1000;
    };
    std::priority_queue<std::pair<int, int>, std::vector<std::pair<int, int>>, std::greater<>> open;
    const int start = from.Z * n + from.X, goal = to.Z * n + to.X;
    mG[start] = 0;
    open.push({h(from.X, from.Z), start});
    unsigned expanded = 0;
    int best = start, bestH = h(from.X, from.Z);
    while (!open.empty() && int(expanded) <= limit) {
      const int cell = open.top().second;
      open.pop();
      if (mClosed[cell]) continue;
      if (cell == goal) break;
      mClosed[cell] = 1;
      ++expanded;
      const int x = cell % n, z = cell / n;
      for (const auto& s : steps) {
        const int nx = x + s[0], nz = z + s[1];
        if (nx < 0 || nz < 0 || nx >= n || nz >= n) continue;
        const int next = nz * n + nx;
        if (mClosed[next] || mGrid.Cells[next] == kWall) continue;
        const int g = mG[cell] + s[2];
        if (g >= mG[next]) continue;
        mG[next] = g;
        const int hn = h(nx, nz);
        if (hn < bestH) {
          bestH = hn;
          best = next;
        }
        open.push({g + hn, next});
      }
    }
    benchmark::DoNotOptimize(best);
    return expanded;
  }

 private:
  const Grid& mGrid;
  std::vector<int> mG;
  std::vector<uint8_t> mClosed;
};

struct Result {
  double MedianUs = 0, MeanUs = 0, Nodes = 0;
};
std::map<std::string, Result> gResults;
std::vector<std::string> gRows;  // grid keys in the order they were registered

std::string Key(int size, int percent, int limit) {
  const std::string grid = percent == kMaze ? "maze" : std::to_string(percent) + "%";
  const std::string cap = limit == INT_MAX ? "none" : std::to_string(limit);
  return std::to_string(size) + " " + grid + " " + cap;
}

// Times one search per iteration, cycling through the grid's pairs.
template <typename SearchFn>
void Run(benchmark::State& state, const std::string& key, SearchFn search) {
  std::vector<double> times;
  double nodes = 0;
  size_t i = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    nodes += search(i++ % kPairs);
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
  }
  std::vector<double> sorted = times;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  Result r;
  r.MedianUs = sorted[sorted.size() / 2];
  for (double t : times) r.MeanUs += t / double(times.size());
  r.Nodes = nodes / double(times.size());
  gResults[key] = r;
  state.counters["median_us"] = r.MedianUs;
  state.counters["nodes"] = r.Nodes;
  state.counters["ns_per_node"] = r.Nodes > 0 ? r.MeanUs * 1000 / r.Nodes : 0;
}

void Ours(benchmark::State& state, int size, int percent, int limit) {
  const Grid& grid = GetGrid(size, percent);
  CGATerrainManager terrain(nullptr, false);
  CGAMapData map;
  std::string error;
  if (!CGAMapReader::SetLayout(map, size, size, 1, 1, 1, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  map.Obstacles = grid.Cells;
  terrain.InstallMap(std::move(map));
  CGAPathFinder& finder = *terrain.GetPathFinder();
  Run(state, "ours " + Key(size, percent, limit), [&](size_t k) {
    const std::vector<Ogre::Vector2> path = finder.FindPath(
        Ogre::Vector2(float(grid.From[k].X), float(grid.From[k].Z)), Ogre::Vector2(float(grid.To[k].X), float(grid.To[k].Z)), limit);
    benchmark::DoNotOptimize(path.data());
    return finder.GetExpandedCount();
  });
}

void Textbook(benchmark::State& state, int size, int percent, int limit) {
  const Grid& grid = GetGrid(size, percent);
  TextbookAStar search(grid);
  Run(state, "textbook " + Key(size, percent, limit),
      [&](size_t k) { return search.Search(grid.From[k], grid.To[k], limit); });
}

void PrintTable() {
  std::printf("\nPath searches: median microseconds per search, mean nodes expanded, mean ns per node\n");
  std::printf("%-22s | %10s %9s %8s | %10s %9s %8s\n", "grid obstacles limit", "ours us", "nodes", "ns/node",
              "textbook", "nodes", "ns/node");
  for (const std::string& grid : gRows) {
    const Result& ours = gResults["ours " + grid];
    const Result& book = gResults["textbook " + grid];
    auto perNode = [](const Result& r) { return r.Nodes > 0 ? r.MeanUs * 1000 / r.Nodes : 0.0; };
    std::printf("%-22s | %10.1f %9.0f %8.1f | %10.1f %9.0f %8.1f\n", grid.c_str(), ours.MedianUs, ours.Nodes,
                perNode(ours), book.MedianUs, book.Nodes, perNode(book));
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int size : {128, 256, 512})
    for (int percent : {0, 10, 20, 30, kMaze})
      for (int limit : {500, 3000, INT_MAX}) {
        const std::string key = Key(size, percent, limit);
        gRows.push_back(key);
        benchmark::RegisterBenchmark(("ours/" + key).c_str(), Ours, size, percent, limit)->MinTime(0.2);
        benchmark::RegisterBenchmark(("textbook/" + key).c_str(), Textbook, size, percent, limit)->MinTime(0.2);
      }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintTable();
  return 0;
}
