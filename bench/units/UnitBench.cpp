// Reading 500 unit templates; one template defined 1,000 to 8,000 times
// (target: the time grows with the count, each redefinition costing no more
// than reading it); one frame of the action timelines of 5,000
// units (target: under 0.5 ms); one frame of the unit manager with 200, 1,000
// and 5,000 fighting units in 2 to 5 lanes across a 512 x 512 world (target:
// 1,000 units under 2 ms); a ray pick among 1,000 units.
#include "game/FrameClock.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <OgreLogManager.h>
#include <OgreRay.h>
#include <benchmark/benchmark.h>

#include <algorithm>
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

// Each definition adds a part and a skeleton file to what the template holds.
// Past about 5,000 the C library gives its heap back between iterations and
// takes it again: with GLIBC_TUNABLES=glibc.malloc.trim_threshold=2000000000
// the time stays proportional to the count (8,000: 24 ms).
void BM_RedefineOneTemplate(benchmark::State& state) {
  QuietLog();
  std::string text = "<Units>";
  for (int64_t i = 0; i < state.range(0); ++i)
    text += "<Unit Name=\"u\"><ChoiceParts><Part PartName=\"body\" ResName=\"u.mesh\"/></ChoiceParts>"
            "<SkeletonFiles><File>skeleton_of_the_unit_u.skeleton</File></SkeletonFiles></Unit>";
  text += "</Units>";
  for (auto _ : state) {
    CGAUnitManager manager(nullptr);
    manager.ReadUnitTemplates(text, "bench.unt");
    benchmark::DoNotOptimize(manager.GetUnitTemplate("u")->skeletonFiles.size());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RedefineOneTemplate)->RangeMultiplier(2)->Range(1000, 8000)->Unit(benchmark::kMillisecond);

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

// Units of the two sides alternate along each lane, so every unit has
// enemies in reach: all of them fight, nobody dies (hit points are huge and
// the effects do nothing).
struct Battlefield {
  NullUnitWorld world;
  CGAUnitManager manager{nullptr};

  Battlefield(int units, int lanes) {
    manager.SetUnitWorld(&world);
    world.manager = &manager;
    std::string text = "<Units>";
    for (int i = 0; i < 2; ++i) text += UnitText(i);
    manager.ReadUnitTemplates(text + "</Units>", "bench.unt");
    manager.ReadUnitXml(R"(<u><unit id="unit0" type="0" hp="1000000000" release_dis="4" attack_time="1000"
        attack_value="-1" radius="0.5" speed="2"/><unit id="unit1" type="0" hp="1000000000" release_dis="4"
        attack_time="1000" attack_value="-1" radius="0.5" speed="2"/></u>)",
                        "unit.xml");
    const int perLane = units / lanes;
    // A unit apart, or closer where a lane holds more than the world is wide.
    const float spacing = std::min(1.0f, 510.0f / static_cast<float>(perLane));
    for (int i = 0; i < units; ++i) {
      const int lane = i / perLane % lanes, place = i % perLane;
      CGAUnit* unit = manager.CreateUnit(place % 2 ? "unit1" : "unit0");
      unit->SetInt(kSlotSide, place % 2);
      unit->SetInt(kSlotCountdown, place * 37 % 1000);  // attacks spread over the period
      unit->SetPosition(
          Ogre::Vector3(1.0f + spacing * static_cast<float>(place), 0, 50.0f + 100.0f * static_cast<float>(lane)));
      unit->SetGoal(1, 0);
    }
  }
};

void BM_ManagerUpdate(benchmark::State& state) {
  QuietLog();
  FrameDeltaSeconds = 0.015f;
  FrameDeltaMs = 15;
  Battlefield field(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (int i = 0; i < 100; ++i) field.manager.Update();  // into the fight
  for (auto _ : state) field.manager.Update();
  int withTarget = 0;
  for (CGAUnit* unit : field.manager.GetUnits()) withTarget += unit->GetTarget() != nullptr;
  state.counters["fighting"] = withTarget;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ManagerUpdate)
    ->Args({200, 2})
    ->Args({1000, 2})
    ->Args({1000, 5})
    ->Args({5000, 5})
    ->ArgNames({"units", "lanes"})
    ->Unit(benchmark::kMicrosecond);

// Rays that miss every unit: one straight down between the lanes, which the
// bound of the picking shape turns away from every unit, and one grazing a
// lane just above the units' heads, which passes near the 200 units of that
// lane and so tests every triangle of theirs.
void BM_PickUnitByRay1000(benchmark::State& state) {
  QuietLog();
  Battlefield field(1000, 5);
  std::vector<Ogre::Vector3> box;
  for (int i = 0; i < 12 * 3; ++i)
    box.emplace_back(float(i % 2) - 0.5f, float(i % 3) * 0.5f, float(i / 3 % 2) - 0.5f);
  field.manager.SetPickingShape(box);
  const Ogre::Ray down(Ogre::Vector3(256, 100, 10), Ogre::Vector3(0, -1, 0));
  const Ogre::Ray grazing(Ogre::Vector3(-10, 1.2f, 50), Ogre::Vector3(1, 0, 0));
  const Ogre::Ray& ray = state.range(0) ? grazing : down;
  for (auto _ : state) benchmark::DoNotOptimize(field.manager.PickUnitByRay(ray));
}
BENCHMARK(BM_PickUnitByRay1000)->Arg(0)->Arg(1)->ArgName("grazing")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
