// The terrain in a headless scene (no render system, so no texture uploads
// and no render targets): a full load of the full demo map and of a 512 x
// 512 map, and the frame step while the camera moves across the map, as the
// median of single frames.
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "tests/support/HeadlessEngine.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

namespace {

// A scene with the managers the terrain works with.
class Stage {
 public:
  Stage() {
    static const bool data = [] {
      HeadlessEngine();
      Ogre::LogManager::getSingleton().getDefaultLog()->setLogDetail(Ogre::LL_LOW);
      auto& groups = Ogre::ResourceGroupManager::getSingleton();
      for (const char* folder : {YVEK_DATA_DIR "/general", YVEK_BUILD_DIR "/general", YVEK_BUILD_DIR "/maps", BENCH_MAPS})
        groups.addResourceLocation(folder, "FileSystem", "General");
      groups.initialiseResourceGroup("General");
      return true;
    }();
    (void)data;
    scene = HeadlessEngine().createSceneManager();
    controller = std::make_unique<CGACamera>(CreateMainCamera(scene), scene);
    controller->SetPitchLimits(Ogre::Vector2(30, 50));
    controller->SetDistanceLimits(Ogre::Vector2(10, 25));
    controller->Zoom(4);
    controller->Rotate(0, -20);
    collision = std::make_unique<CGACollisionManager>(scene);
    terrain = std::make_unique<CGATerrainManager>(scene, false);
  }
  ~Stage() {
    terrain.reset();
    collision.reset();
    controller.reset();
    HeadlessEngine().destroySceneManager(scene);
  }
  bool Load(const std::string& map) {
    if (!terrain->LoadMap(map, 16)) return false;
    terrain->LoadPendingStatics();
    return true;
  }

  Ogre::SceneManager* scene;
  std::unique_ptr<CGACamera> controller;
  std::unique_ptr<CGACollisionManager> collision;
  std::unique_ptr<CGATerrainManager> terrain;
};

void BM_LoadMap(benchmark::State& state, const std::string& map) {
  Stage stage;
  for (auto _ : state) {
    if (!stage.Load(map)) {
      state.SkipWithError(("cannot load " + map).c_str());
      break;
    }
    state.PauseTiming();
    stage.terrain->ClearMap();
    state.ResumeTiming();
  }
  state.counters["tiles"] = double(stage.terrain->GetTileCountX() * stage.terrain->GetTileCountZ());
}
BENCHMARK_CAPTURE(BM_LoadMap, demo_full, std::string("demo_full.map"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadMap, map_512, std::string("bench_512.map"))->Unit(benchmark::kMillisecond)->Iterations(3);

// One frame a second of the look-at moving round the map; every frame is
// timed alone and the median reported.
void BM_UpdateWhileMoving(benchmark::State& state, const std::string& map) {
  Stage stage;
  if (!stage.Load(map)) {
    state.SkipWithError(("cannot load " + map).c_str());
    return;
  }
  const float sizeX = stage.terrain->GetWorldSizeX(), sizeZ = stage.terrain->GetWorldSizeZ();
  FrameDeltaMs = 15;
  FrameDeltaSeconds = 0.015f;
  std::vector<double> frames;
  int frame = 0;
  for (auto _ : state) {
    const float t = float(frame++) * 0.01f;
    const float x = sizeX * (0.5f + 0.4f * std::cos(t)), z = sizeZ * (0.5f + 0.4f * std::sin(t * 1.3f));
    stage.controller->SetLookAt(Ogre::Vector3(x, stage.terrain->GetHeight(x, z), z));
    FrameTimeMs += 15;
    const auto start = std::chrono::steady_clock::now();
    stage.terrain->Update();
    frames.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(frames.begin(), frames.begin() + long(frames.size() / 2), frames.end());
  state.counters["median_us"] = frames[frames.size() / 2];
  state.counters["max_us"] = *std::max_element(frames.begin(), frames.end());
}
BENCHMARK_CAPTURE(BM_UpdateWhileMoving, demo_full, std::string("demo_full.map"))->Iterations(2000);
BENCHMARK_CAPTURE(BM_UpdateWhileMoving, map_512, std::string("bench_512.map"))->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
