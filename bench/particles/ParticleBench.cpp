// Particles per second through recorded action lists and per domain, and
// the game's particle workload side by side with the engine's own particle
// system (summary printed after the table).
#include "SideBySide.h"

#include "particles/PSystem.h"
#include "platform/Random.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace PSim;

// Actions that neither add nor remove particles, so a list of them goes
// through the group working set by working set.
void RecordAction(PSystem& s, int i) {
  const PVec3 o(0, 0, 0);
  switch (i % 16) {
    case 0: s.Move(true, true); break;
    case 1: s.Gravity(PVec3(0, -10, 0)); break;
    case 2: s.TargetColor(PVec3(1, 0, 0), 0.5f, 0.1f); break;
    case 3: s.Damping(PVec3(0.9f, 0.9f, 0.9f), 0, 1e9f); break;
    case 4: s.SpeedLimit(0.1f, 50); break;
    case 5: {
      PDUnion keys;
      keys.Insert(PDSphere(PVec3(1, 1, 1), 0, 1, true));
      keys.Insert(PDSphere(PVec3(1, 0.5f, 0), 1, 1, true));
      keys.Insert(PDSphere(PVec3(0, 0, 0), 2, 0, true));
      s.ColourAnim(keys);
      break;
    }
    case 6: s.TargetSize(PVec3(2, 2, 2), PVec3(0.1f, 0.1f, 0.1f)); break;
    case 7: s.OrbitPoint(PVec3(0, 10, 0), 0.5f, 0.001f, 1e16f); break;
    case 8: {
      PDUnion keys;
      keys.Insert(PDSphere(PVec3(1, 1, 1), 1, 0, true));
      keys.Insert(PDSphere(PVec3(-1, -1, -1), 2, 0, true));
      s.SizeAnim(keys);
      break;
    }
    case 9: s.TargetRotVelocity(o, 0.2f); break;
    case 10: s.Bounce(0.1f, 0.5f, 0.1f, PDDisc(PVec3(0, -100, 0), PVec3(0, 1, 0), 1000, 0)); break;
    case 11: s.Vortex(o, PVec3(0, 20, 0), 1, 5, 1, 1, 1); break;
    case 12: s.TargetVelocity(PVec3(0, 1, 0), 0.01f); break;
    case 13: s.Jet(PDSphere(PVec3(0, 5, 0), 2), PDPoint(PVec3(0, 1, 0))); break;
    case 14: s.Explosion(o, 5, 1, 1, 0.001f); break;
    case 15: s.RotDamping(PVec3(0.9f, 0.9f, 0.9f), 0, 1e9f); break;
  }
}

void BM_ActionList(benchmark::State& state) {
  const int actions = static_cast<int>(state.range(0));
  const unsigned particles = static_cast<unsigned>(state.range(1));
  platform::SeedRand(1);
  PSystem s;
  s.CurrentGroup(s.GenParticleGroups(1, particles));
  s.SetVelocity(PDSphere(PVec3(0, 0, 0), 5, 1));
  s.SetStartingAge(0, 1);
  s.SetTimeStep(1.0f);
  s.Source(static_cast<float>(particles), PDCylinder(PVec3(0, 0, 0), PVec3(0, 10, 0), 3, 0));
  const int list = s.GenActionLists(1);
  s.NewActionList(list);
  for (int i = 0; i < actions; ++i) RecordAction(s, i);
  s.EndActionList();
  s.SetTimeStep(1.0f / 60);
  for (auto _ : state) s.PListApi::CallActionList(list);
  state.SetItemsProcessed(state.iterations() * particles);
  state.counters["ns/particle/action"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * particles * actions,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ActionList)
    ->ArgsProduct({{1, 4, 8, 16}, {1000, 10000, 100000, 1000000}})
    ->ArgNames({"actions", "particles"})
    ->Unit(benchmark::kMicrosecond);

void Generate(benchmark::State& state, const pDomain& domain) {
  platform::SeedRand(1);
  PVec3 sum(0, 0, 0);
  for (auto _ : state) {
    sum += domain.Generate();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations());
}

const PVec3 kO(0, 0, 0), kUp(0, 1, 0);
void BM_GeneratePoint(benchmark::State& s) { Generate(s, PDPoint(kO)); }
void BM_GenerateSphere(benchmark::State& s) { Generate(s, PDSphere(kO, 2, 1)); }
void BM_GenerateCylinder(benchmark::State& s) { Generate(s, PDCylinder(kO, kUp, 2, 1)); }
void BM_GenerateLine(benchmark::State& s) { Generate(s, PDLine(kO, kUp)); }
void BM_GenerateDisc(benchmark::State& s) { Generate(s, PDDisc(kO, kUp, 2, 1)); }
void BM_GenerateUnion(benchmark::State& s) {
  PDUnion u;
  u.Insert(PDSphere(kO, 1));
  u.Insert(PDCylinder(kO, kUp, 1));
  u.Insert(PDDisc(kO, kUp, 1));
  Generate(s, u);
}
BENCHMARK(BM_GeneratePoint);
BENCHMARK(BM_GenerateSphere);
BENCHMARK(BM_GenerateCylinder);
BENCHMARK(BM_GenerateLine);
BENCHMARK(BM_GenerateDisc);
BENCHMARK(BM_GenerateUnion);

std::vector<SideBySideResult> g_sideBySide;

// The update alone, at steady state, alternating the two systems; medians
// of 9 rounds.
void BM_SideBySide(benchmark::State& state) {
  for (auto _ : state) {
    const SideBySideResult r = CompareSideBySide(FxWorkload{static_cast<unsigned>(state.range(0))}, 9);
    state.counters["ours_ns/particle"] = r.oursNsPerParticle;
    state.counters["engine_ns/particle"] = r.engineNsPerParticle;
    state.counters["engine/ours"] = r.ratio;
    g_sideBySide.push_back(r);
  }
}
BENCHMARK(BM_SideBySide)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->ArgName("particles")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void PrintSideBySide() {
  if (g_sideBySide.empty()) return;
  std::printf("\nParticle update per particle at steady state (point emitter, linear force, colour\n"
              "interpolation, scaling; processor time; medians of 9 alternating pairs of runs):\n");
  std::printf("%10s %14s %16s %14s\n", "particles", "ours ns", "engine ns", "engine/ours");
  for (const SideBySideResult& r : g_sideBySide)
    std::printf("%10u %14.2f %16.2f %14.2f\n", r.count, r.oursNsPerParticle, r.engineNsPerParticle, r.ratio);
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
