// Reading 500 unit templates, and one frame of the action timelines of 5,000
// units (target: under 0.5 ms).
#include "game/FrameClock.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <OgreLogManager.h>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

void QuietLog() {
  static Ogre::LogManager* logs = [] {
    auto* l = new Ogre::LogManager();
    l->createLog("bench.log", true, false, true);
    return l;
  }();
  (void)logs;
}

// A unit in the shape of the game's: five actions, two attack variants, a
// body part and a weapon.
std::string UnitText(int n) {
  const std::string anim = R"(<ActionChild Time="0" Type="Anim" Name="NAME" Speed="1" Loop="1" Pose="0"/>)";
  auto action = [&](const std::string& name, const std::string& extra) {
    std::string a = anim;
    a.replace(a.find("NAME"), 4, name);
    return "<Action Name=\"" + name + "\" Level=\"0\" Probability=\"50\">" + a + extra + "</Action>";
  };
  const std::string hit = R"(<ActionChild Time="0.35" Type="Effect" Name="hit_melee" Bone=""/>)"
                          R"(<ActionChild Time="0.4" Type="Action" Name="ready" Target="0"/>)";
  return "<Unit Name=\"unit" + std::to_string(n) + "\" NamePosition=\"0 2 0\" Scale=\"1\"><SetTerrain Terrain=\"1\"/>"
         "<Part Name=\"body\"/><Actions>" +
         action("ready", "") + action("run", "") + action("attack", hit) + action("attack", hit) +
         action("injured", R"(<ActionChild Time="0.4" Type="Action" Name="ready" Target="0"/>)") +
         action("die", "") +
         "</Actions><ChoiceParts><Part PartName=\"body\" PartType=\"body\" ResName=\"u.mesh\" Texture=\"u.png\"/>"
         "<Part PartName=\"body\" PartType=\"Bone16\" ResName=\"w.mesh\" Bone=\"release\" Angle=\"0 90 0\"/>"
         "</ChoiceParts></Unit>";
}

void BM_Read500Templates(benchmark::State& state) {
  QuietLog();
  std::string text = "<Units>";
  for (int i = 0; i < 500; ++i) text += UnitText(i);
  text += "</Units>";
  for (auto _ : state) {
    CGAUnitManager manager(nullptr);
    manager.ReadUnitTemplates(text, "bench.unt");
    benchmark::DoNotOptimize(manager.GetUnitTemplates().size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Read500Templates)->Unit(benchmark::kMillisecond);

// 5,000 units attacking on and on (their attack chains into "ready", which
// the benchmark turns back into an attack), each at another point of its
// timeline.
void BM_Timelines5000Units(benchmark::State& state) {
  QuietLog();
  NullUnitWorld world;
  CGAUnitManager manager(nullptr);
  manager.SetUnitWorld(&world);
  std::string text = "<Units>";
  for (int i = 0; i < 20; ++i) text += UnitText(i);
  manager.ReadUnitTemplates(text + "</Units>", "bench.unt");
  FrameDeltaSeconds = 0.015f;
  FrameDeltaMs = 15;
  std::vector<CGAUnit*> units;
  for (int i = 0; i < 5000; ++i) {
    CGAUnit* unit = manager.CreateUnit("unit" + std::to_string(i % 20));
    unit->SetAction("attack");
    for (int frame = 0; frame < i % 30; ++frame) unit->RunAction();
    units.push_back(unit);
  }
  for (auto _ : state) {
    for (CGAUnit* unit : units) {
      unit->RunAction();
      if (unit->IsInAction("ready")) unit->SetAction("attack");
    }
  }
  state.counters["effects"] = world.effectsCreated;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 5000);
}
BENCHMARK(BM_Timelines5000Units)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
