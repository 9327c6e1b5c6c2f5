// The sound manager's frame work on the real sound layer (OpenAL Soft's null
// output): the frame update with 50 playing channels and 100 sounds, and a
// frame of 1,000 plays. Neither may allocate once warm; this program counts
// every allocation to show it.
#include "game/AudioManager.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

uint32_t gNow = 100000;
uint32_t Now() { return gNow; }

// Every name is a one-second tone.
class ToneFiles : public CTPAudioManager::FileSource {
 public:
  std::unique_ptr<platform::SoundInput> Open(const std::string&) override {
    return std::make_unique<MemoryInput>(mTone);
  }

 private:
  std::string mTone = MakeTone(22050, 1.0);
};

// A sound manager on the null output, with owners spread around the
// listener (some beyond hearing range).
class Stage {
 public:
  Stage() {
    setenv("ALSOFT_DRIVERS", "null", 0);
    scene = HeadlessEngine().createSceneManager();
    for (int i = 0; i < 50; ++i) {
      Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode();
      node->setPosition(static_cast<float>(i), 0, static_cast<float>(i % 7));
      owners.push_back(node);
    }
    for (int i = 0; i < 100; ++i) names.push_back("sound_number_" + std::to_string(i) + ".wav");
    manager = std::make_unique<CTPAudioManager>(std::make_unique<ToneFiles>(), Now);
    ready = manager->Init();
  }
  ~Stage() {
    manager.reset();
    HeadlessEngine().destroySceneManager(scene);
  }

  Ogre::SceneManager* scene;
  std::vector<Ogre::SceneNode*> owners;
  std::vector<std::string> names;
  std::unique_ptr<CTPAudioManager> manager;
  bool ready = false;
};

// Reports allocations per unit of work, and fails the run if there were any.
void CountAllocations(benchmark::State& state, long allocations, double units, const char* what) {
  state.counters[what] = allocations / units;
  if (allocations) state.SkipWithError("allocates once warm");
}

void BM_UpdateWithFiftyChannelsPlaying(benchmark::State& state) {
  Stage stage;
  if (!stage.ready) return state.SkipWithError("no sound output");
  CTPAudioManager& manager = *stage.manager;
  for (int i = 0; i < 100; ++i) manager.CreateSound(stage.names[i], stage.names[i], 1.0f, 0, 50, CTPAudioManager::kMode3DLoop);
  for (int i = 0; i < 50; ++i) manager.PlaySound(stage.names[i], stage.owners[i], CTPAudioManager::kMode3DLoop, true);
  Ogre::Vector3 listener(10, 0, 0);
  manager.Update(listener, 0.015f);

  const long before = gAllocations;
  for (auto _ : state) {
    listener.x += 0.01f;
    manager.Update(listener, 0.015f);
  }
  CountAllocations(state, gAllocations - before, static_cast<double>(state.iterations()), "allocs/update");
}
BENCHMARK(BM_UpdateWithFiftyChannelsPlaying)->Unit(benchmark::kMicrosecond);

void BM_ThousandPlaysInOneFrame(benchmark::State& state) {
  Stage stage;
  if (!stage.ready) return state.SkipWithError("no sound output");
  CTPAudioManager& manager = *stage.manager;
  auto frame = [&] {
    for (int i = 0; i < 1000; ++i)
      manager.PlaySound(stage.names[static_cast<size_t>(i % 10)], stage.owners[static_cast<size_t>(i % 50)],
                        CTPAudioManager::kMode3D, true);
    manager.Update(Ogre::Vector3(10, 0, 0), 0.015f);
    gNow += 15;
  };
  for (int warm = 0; warm < 20; ++warm) frame();  // past the 200 ms reuse window

  const long before = gAllocations;
  for (auto _ : state) frame();
  CountAllocations(state, gAllocations - before, state.iterations() * 1000.0, "allocs/play");
  state.counters["records"] = manager.GetRecordCount();
}
BENCHMARK(BM_ThousandPlaysInOneFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
