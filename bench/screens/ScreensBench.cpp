// The GUI animation's frame query runs on every draw of every animated
// picture; the level files are read once at start-up.
#include "screens/GUIAnim.h"
#include "screens/LevelFile.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

void BM_GUIAnimCurrentFrame(benchmark::State& state) {
  static char storage[8];
  GUIAnim anim;
  for (char& c : storage) anim.frames.push_back(reinterpret_cast<const CEGUI::Image*>(&c));
  anim.lastTime = 100;
  for (auto _ : state) benchmark::DoNotOptimize(anim.CurrentFrame());
}
BENCHMARK(BM_GUIAnimCurrentFrame);

// The biggest demo level file, read 100 times: a long campaign's worth.
void BM_ReadLevelFiles(benchmark::State& state) {
  std::ifstream in(YVEK_DATA_DIR "/main/level_3.xml", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  for (auto _ : state) {
    std::vector<LevelRecord> levels;
    for (int i = 0; i < 100; ++i) ParseLevelFile(text.str(), "level_3.xml", levels);
    benchmark::DoNotOptimize(levels.data());
  }
}
BENCHMARK(BM_ReadLevelFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
