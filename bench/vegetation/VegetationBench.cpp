// The vegetation library in the headless engine: storing trees, loading a
// grass page, the worst frame of a fly-through over a grass field, and
// merging instances beside the engine's StaticGeometry on the same
// instances (printed side by side at the end).
#include "tests/support/HeadlessEngine.h"
#include "vegetation/BatchedGeometry.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/TreeLoader2D.h"
#include "vegetation/WindBatchPage.h"
#include "tests/vegetation/VegetationTestSupport.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// This thread's processor time in milliseconds: the machine's other work
// does not count.
double ThreadMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// A grass tuft as the game's: two crossed quads, position, normal and one
// texture coordinate.
Ogre::SceneManager* Scene() {
  static Ogre::SceneManager* scene = [] {
    HeadlessEngine();
    Ogre::LogManager::getSingleton().getDefaultLog()->setLogDetail(Ogre::LL_LOW);
    MeshSpec tuft;
    tuft.quads = 2;
    tuft.material = "bench_grass";
    MakeMesh("bench_tuft.mesh", tuft);
    return HeadlessEngine().createSceneManager();
  }();
  return scene;
}

// A placement on a jittered grid, the same every run.
Ogre::Vector3 Spot(size_t i, size_t perRow, float spacing) {
  const float jitter = float((i * 2654435761u) % 1000) / 1000.0f - 0.5f;
  return Ogre::Vector3((float(i % perRow) + 0.5f + jitter * 0.8f) * spacing, 0,
                       (float(i / perRow) + 0.5f - jitter * 0.6f) * spacing);
}

void BM_AddTrees(benchmark::State& state) {
  const size_t count = size_t(state.range(0));
  Ogre::Entity* tuft = Scene()->createEntity("bench_tuft.mesh");
  for (auto _ : state) {
    Verdure::PagedVegetation vegetation(nullptr, 16, 60);
    vegetation.addDetailLevel<Verdure::WindBatchPage>(40, 5);
    Verdure::TreeLoader2D trees(&vegetation, Verdure::TBounds(0, 0, 1024, 1024));
    vegetation.setPageLoader(&trees);
    trees.setScaleRange(10);
    const size_t perRow = size_t(std::sqrt(double(count))) + 1;
    const float spacing = 1024.0f / float(perRow);
    for (size_t i = 0; i < count; ++i) trees.addTree(tuft, Spot(i, perRow, spacing), Ogre::Degree(float(i % 360)), 1.2f);
    benchmark::DoNotOptimize(trees.getTrees().hasMoreElements());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(count));
  Scene()->destroyEntity(tuft);
}
BENCHMARK(BM_AddTrees)->Arg(100000)->Arg(1000000)->ArgName("trees")->Unit(benchmark::kMillisecond)->Iterations(1);

// One wind page filled with its tufts and built (merging and, with the
// fake OpenGL answers, the generated program and material), then emptied.
void BM_LoadPage(benchmark::State& state) {
  const size_t tufts = size_t(state.range(0));
  FakeRenderSystem openGL;
  InstallParsedPrograms();
  Ogre::SceneManager* scene = Scene();
  Ogre::Entity* tuft = scene->createEntity("bench_tuft.mesh");
  Verdure::PagedVegetation vegetation(scene->createCamera("bench_page_eye"), 16, 60);
  Verdure::WindBatchPage page;
  page.init(&vegetation, Ogre::Any());
  const size_t perRow = size_t(std::sqrt(double(tufts))) + 1;
  for (auto _ : state) {
    for (size_t i = 0; i < tufts; ++i)
      page.addEntity(tuft, Spot(i, perRow, 16.0f / float(perRow)), Ogre::Quaternion(Ogre::Degree(float(i)), Ogre::Vector3::UNIT_Y),
                     Ogre::Vector3(1.1f), Ogre::ColourValue::White);
    page.build();
    state.PauseTiming();
    page.removeEntities();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(tufts));
  scene->destroyEntity(tuft);
  scene->destroyCamera("bench_page_eye");
}
BENCHMARK(BM_LoadPage)->Arg(100)->Arg(500)->Arg(2000)->ArgName("tufts")->Unit(benchmark::kMillisecond);

// A camera flying at 0.03 units per ms (30 per second) over a 512 x 512
// field of tufts 2 apart (64 a page), 15 ms a frame, as the game's one
// grass level pages it: the worst frame, and the worst page load, of the
// flight in processor time. The first frame, which loads every page in
// reach at once and makes the program and material, is counted apart.
void BM_FlyThrough(benchmark::State& state) {
  FakeRenderSystem openGL;
  InstallParsedPrograms();
  Ogre::SceneManager* scene = Scene();
  Ogre::Entity* tuft = scene->createEntity("bench_tuft.mesh");
  Ogre::Camera* camera = scene->createCamera("bench_flight");
  Ogre::SceneNode* eye = scene->getRootSceneNode()->createChildSceneNode();
  eye->attachObject(camera);
  double firstFrame = 0, worstFrame = 0, worstLoad = 0;
  size_t frames = 0, loads = 0;
  for (auto _ : state) {
    Verdure::PagedVegetation vegetation(camera, 16, 60);
    Verdure::GeometryPageManager* level = vegetation.addDetailLevel<Verdure::WindBatchPage>(40, 5);
    Verdure::TreeLoader2D trees(&vegetation, Verdure::TBounds(0, 0, 512, 512));
    vegetation.setPageLoader(&trees);
    trees.setScaleRange(10);
    for (size_t i = 0; i < 256 * 256; ++i) trees.addTree(tuft, Spot(i, 256, 2), Ogre::Degree(float(i % 360)), 1.1f);
    // Along a diagonal, each frame timed apart.
    for (int frame = 0; frame < 1500; ++frame) {
      const float t = std::fmod(float(frame) * 15 * 0.03f, 470.0f);
      eye->setPosition(20 + t, 10, 20 + 0.5f * t);
      const size_t before = level->getLoadedPages().size();
      bool pendingLoadAllowed = true;
      const double start = ThreadMs();
      level->update(15, camera->getDerivedPosition(), Ogre::Vector3(0.03f, 0, 0.015f), pendingLoadAllowed, nullptr);
      const double ms = ThreadMs() - start;
      const size_t after = level->getLoadedPages().size();
      const size_t loaded = after > before ? after - before : 0;
      loads += loaded;
      ++frames;
      if (frame == 0) {
        firstFrame = ms;
        continue;
      }
      worstFrame = std::max(worstFrame, ms);
      if (loaded > 0) worstLoad = std::max(worstLoad, ms / double(loaded));
    }
  }
  state.counters["first_frame_ms"] = firstFrame;
  state.counters["worst_frame_ms"] = worstFrame;
  state.counters["worst_page_load_ms"] = worstLoad;
  state.counters["frames"] = double(frames);
  state.counters["page_loads"] = double(loads);
  scene->destroyCamera(camera);
  scene->destroyEntity(tuft);
}
BENCHMARK(BM_FlyThrough)->Iterations(1)->Unit(benchmark::kMillisecond);

// What a merge left for drawing: bytes of index and vertex data and the
// number of hardware buffers holding them.
struct Merged {
  size_t indexBytes = 0, vertexBytes = 0, buffers = 0;
  void Add(const Ogre::VertexData* vertices, const Ogre::IndexData* indices) {
    const Ogre::VertexBufferBinding::VertexBufferBindingMap& bound = vertices->vertexBufferBinding->getBindings();
    for (const auto& binding : bound) vertexBytes += binding.second->getSizeInBytes();
    buffers += bound.size();
    if (indices && indices->indexBuffer) {
      indexBytes += indices->indexBuffer->getSizeInBytes();
      ++buffers;
    }
  }
};

Merged Measure(Verdure::BatchedGeometry& batch) {
  Merged m;
  for (auto it = batch.getSubBatchIterator(); it.hasMoreElements();) {
    const Verdure::BatchedGeometry::SubBatch* sub = it.getNext();
    m.Add(sub->vertexData, sub->indexData);
  }
  return m;
}

Merged Measure(Ogre::StaticGeometry& geometry) {
  Merged m;
  for (const auto& region : geometry.getRegions())
    for (const Ogre::StaticGeometry::LODBucket* lod : region.second->getLODBuckets())
      for (const auto& material : lod->getMaterialBuckets())
        for (const Ogre::StaticGeometry::GeometryBucket* bucket : material.second->getGeometryList())
          m.Add(bucket->getVertexData(), bucket->getIndexData());
  return m;
}

struct SideBySide {
  size_t instances;
  double ours, engine;
  Merged oursMerged, engineMerged;
};
std::vector<SideBySide> g_sideBySide;

// The same instances merged by a BatchedGeometry and by the engine's
// StaticGeometry (one region over them all); milliseconds of this thread's
// processor time per build (the machine's other work does not count),
// medians of alternating runs.
void BM_BatchBuild(benchmark::State& state) {
  const size_t count = size_t(state.range(0));
  Ogre::SceneManager* scene = Scene();
  Ogre::Entity* tuft = scene->createEntity("bench_tuft.mesh");
  const size_t perRow = size_t(std::sqrt(double(count))) + 1;
  const float spacing = 1.0f;
  std::vector<double> ours, engine;
  Merged oursMerged, engineMerged;
  for (auto _ : state) {
    for (int round = 0; round < 5; ++round) {
      {
        Verdure::BatchedGeometry batch(scene, scene->getRootSceneNode());
        const double start = ThreadMs();
        for (size_t i = 0; i < count; ++i)
          batch.addEntity(tuft, Spot(i, perRow, spacing), Ogre::Quaternion(Ogre::Degree(float(i)), Ogre::Vector3::UNIT_Y));
        batch.build();
        ours.push_back(ThreadMs() - start);
        oursMerged = Measure(batch);
      }
      {
        Ogre::StaticGeometry* geometry = scene->createStaticGeometry("bench_static");
        geometry->setRegionDimensions(Ogre::Vector3(1e6f));
        const double start = ThreadMs();
        for (size_t i = 0; i < count; ++i)
          geometry->addEntity(tuft, Spot(i, perRow, spacing), Ogre::Quaternion(Ogre::Degree(float(i)), Ogre::Vector3::UNIT_Y));
        geometry->build();
        engine.push_back(ThreadMs() - start);
        engineMerged = Measure(*geometry);
        scene->destroyStaticGeometry(geometry);
      }
    }
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const SideBySide row{count, median(ours), median(engine), oursMerged, engineMerged};
  state.counters["ours_ms"] = row.ours;
  state.counters["StaticGeometry_ms"] = row.engine;
  state.counters["ours_index_bytes"] = double(oursMerged.indexBytes);
  state.counters["StaticGeometry_index_bytes"] = double(engineMerged.indexBytes);
  g_sideBySide.push_back(row);
  scene->destroyEntity(tuft);
}
BENCHMARK(BM_BatchBuild)->Arg(1000)->Arg(10000)->Arg(50000)->ArgName("instances")->Iterations(1)->Unit(benchmark::kMillisecond);

void PrintSideBySide() {
  if (g_sideBySide.empty()) return;
  std::printf("\nMerging grass tufts (two crossed quads, position, normal, one texture coordinate;\n"
              "software buffers; processor time of add and build; medians of 5 alternating runs;\n"
              "index and vertex bytes and hardware buffers of the merged result):\n");
  std::printf("%10s | %9s %12s %12s %7s | %9s %12s %12s %7s | %8s\n", "", "Batched", "index", "vertex", "",
              "Static", "index", "vertex", "", "Static/");
  std::printf("%10s | %9s %12s %12s %7s | %9s %12s %12s %7s | %8s\n", "instances", "ms", "bytes", "bytes",
              "buffers", "ms", "bytes", "bytes", "buffers", "Batched");
  for (const SideBySide& r : g_sideBySide)
    std::printf("%10zu | %9.2f %12zu %12zu %7zu | %9.2f %12zu %12zu %7zu | %8.2f\n", r.instances, r.ours,
                r.oursMerged.indexBytes, r.oursMerged.vertexBytes, r.oursMerged.buffers, r.engine,
                r.engineMerged.indexBytes, r.engineMerged.vertexBytes, r.engineMerged.buffers, r.engine / r.ours);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  PrintSideBySide();
  benchmark::Shutdown();
  return 0;
}
