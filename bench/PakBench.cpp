// Opening and reading every entry of a 2,000-entry, 50 MB pak through the
// engine's resource system, against the same files in a plain folder.
#include "game/GAPAK/PakArchive.h"
#include "game/GAPAK/PakWriter.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

namespace {

const int kEntries = 2000;
const size_t kEntrySize = 50u * 1000 * 1000 / kEntries;

struct Data {
  TempDir dir;
  std::vector<std::string> names;
  Data() {
    Ogre::Root& root = HeadlessEngine();
    (void)root;
    static Ogre::PakArchiveFactory factory;
    Ogre::ArchiveManager::getSingleton().addArchiveFactory(&factory);
    std::vector<PakSource> entries;
    std::string payload(kEntrySize, 'x');
    for (int i = 0; i < kEntries; ++i) {
      std::string name = "Entry_" + std::to_string(i) + ".dat";
      payload[i % kEntrySize] = static_cast<char>(i);
      dir.write("folder/" + name, payload);
      entries.push_back({name, payload});
      names.push_back(name);
    }
    std::string error;
    WritePak(dir.file("all.pak"), entries, error);
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    groups.createResourceGroup("BenchFolder");
    groups.addResourceLocation(dir.file("folder"), "FileSystem", "BenchFolder");
    groups.createResourceGroup("BenchPak");
    groups.addResourceLocation(dir.file("all.pak"), "Pak", "BenchPak");
  }
};

Data& Shared() {
  static Data data;
  return data;
}

void ReadAll(benchmark::State& state, const char* group) {
  Data& data = Shared();
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  std::vector<char> buffer(kEntrySize);
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& name : data.names) {
      Ogre::DataStreamPtr s = groups.openResource(name, group);
      bytes += s->read(buffer.data(), buffer.size());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["entries"] = kEntries;
}

void BM_ReadAllFromFolder(benchmark::State& state) { ReadAll(state, "BenchFolder"); }
void BM_ReadAllFromPak(benchmark::State& state) { ReadAll(state, "BenchPak"); }

BENCHMARK(BM_ReadAllFromFolder)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadAllFromPak)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
