// Effects over a long battle: 130 effects started and ended a second for 10
// simulated minutes (no scene node, animation or material may be left once
// they have ended),
// and one frame of the effect manager with 1,000 and 5,000 live effects
// (target: 1,000 in under 1 ms).
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "game/FrameClock.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Effects in the shape of the game's: a hit on a unit, an arrow, a spell
// with an animated child and a spawner, each with timed messages.
const char* const kEffects = R"(<Effects>
  <EffectSystem EffectName="hit"><SetLifeTime Time="0.3"/>
    <Message><A Time="0.1"><M Type="sound3d" Name="hit.wav"/></A></Message></EffectSystem>
  <EffectSystem EffectName="arrow"><Cast Type="1"/><SetLifeTime Time="0.1"/>
    <Message><A Time="0.05"><M Type="skill_0" Name="-1,0,0,0,0,0"/></A></Message></EffectSystem>
  <EffectSystem EffectName="spell"><SetLifeTime Time="2"/><LookAt Target="0"/>
    <SetNodeAnim Type="SCALE_XYZ" Length="1" Loop="true" Linear="true"><K Value="1 1 1 0"/><K Value="2 2 2 1"/></SetNodeAnim>
    <EffectNode><SetNodeAnim Type="POS_Y" Length="2" Loop="false" Linear="true"><K Value="0 0"/><K Value="3 1"/></SetNodeAnim>
    </EffectNode><AutoDischargeEffect Time="0.5" Name="hit"/></EffectSystem>
  <EffectSystem EffectName="aura"><SetLifeTime Time="-1"/><SetLink Bone="tagpos"/>
    <SetNodeAnim Type="ROTATE_Y" Length="2" Loop="true" Linear="true"><K Value="0 0"/><K Value="360 1"/></SetNodeAnim>
    </EffectSystem>
  <EffectSystem EffectName="beam"><SetLifeTime Time="-1"/><LookAt Target="9"/>
    <SetNodeAnim Type="SCALE_X" Length="1" Loop="true" Linear="true"><K Value="1 0"/><K Value="2 1"/></SetNodeAnim>
    <Message><A Time="0"><M Type="sound3d" Name="hum.wav"/></A></Message></EffectSystem>
</Effects>)";

struct Scene {
  Scene() {
    HeadlessEngine();
    scene = HeadlessEngine().createSceneManager();
    Ogre::SceneNode* root = scene->getRootSceneNode()->createChildSceneNode("effect_root");
    manager = std::make_unique<CGAEffectManager>(scene, root, CreateMainCamera(scene));
    manager->ReadEffectFile(kEffects, "bench.eff");
    for (int i = 0; i < 40; ++i) {
      units.push_back(std::make_unique<CGAUnit>(world));
      units.back()->SetPosition(Ogre::Vector3(float(i % 8) * 4, 0, float(i / 8) * 4));
      units.back()->SetInt(1, 1000000);
    }
  }
  ~Scene() {
    manager.reset();
    units.clear();
    HeadlessEngine().destroySceneManager(scene);
  }
  void Frame(float seconds) {
    FrameDeltaSeconds = seconds;
    scene->_applySceneAnimations();
    manager->Update();
  }
  CGAEffectNode* Start(const char* name, int n) {
    CGAEffectNode* effect = manager->CreateEffect(name);
    CGAUnit* owner = units[size_t(n) % units.size()].get();
    CGAUnit* target = units[size_t(n * 7 + 3) % units.size()].get();
    effect->SetPosition(owner->GetPosition());
    effect->AttachToOwner(owner, true);
    effect->AddTarget(target);
    effect->SetTargetPosition(target->GetPosition());
    return effect;
  }

  Ogre::SceneManager* scene = nullptr;
  NullUnitWorld world;
  std::unique_ptr<CGAEffectManager> manager;
  std::vector<std::unique_ptr<CGAUnit>> units;
};

struct Counts {
  size_t animations, states, materials, nodes;
  bool operator!=(const Counts& o) const {
    return animations != o.animations || states != o.states || materials != o.materials || nodes != o.nodes;
  }
};

size_t CountNodes(Ogre::Node* node) {
  size_t n = 1;
  for (Ogre::Node* child : node->getChildren()) n += CountNodes(child);
  return n;
}

size_t CountMaterials() {
  size_t n = 0;
  for (auto it = Ogre::MaterialManager::getSingleton().getResourceIterator(); it.hasMoreElements(); it.moveNext()) ++n;
  return n;
}

Counts Count(Ogre::SceneManager* scene) {
  return {scene->getAnimations().size(), scene->getAnimationStates().size(), CountMaterials(),
          CountNodes(scene->getRootSceneNode())};
}

void BM_Churn130PerSecondFor10Minutes(benchmark::State& state) {
  const char* const kinds[] = {"hit", "arrow", "spell"};
  for (auto _ : state) {
    Scene s;
    const Counts before = Count(s.scene);
    const float frame = 0.015f;
    double owed = 0.0;
    int started = 0;
    size_t mostLive = 0;
    for (int f = 0; f < int(600.0f / frame); ++f) {
      for (owed += 130.0 * frame; owed >= 1.0; owed -= 1.0, ++started) s.Start(kinds[started % 3], started);
      s.Frame(frame);
      mostLive = std::max(mostLive, s.manager->GetManagedCount());
    }
    // Once the last effects have run out, nothing of them may be left.
    for (int f = 0; f < 1000 && s.manager->GetManagedCount() > 0; ++f) s.Frame(frame);
    state.counters["started"] = started;
    state.counters["most_live"] = double(mostLive);
    if (s.manager->GetManagedCount() != 0 || Count(s.scene) != before)
      state.SkipWithError("engine objects of ended effects were left behind");
  }
}
BENCHMARK(BM_Churn130PerSecondFor10Minutes)->Unit(benchmark::kSecond)->Iterations(1);

// Live effects of a big battle: auras following units and beams stretched to
// their targets, all endless.
void BM_UpdateLiveEffects(benchmark::State& state) {
  Scene s;
  const int count = int(state.range(0));
  for (int i = 0; i < count; ++i) s.Start(i % 2 == 0 ? "beam" : "aura", i);
  s.Frame(0.015f);
  for (auto _ : state) {
    FrameDeltaSeconds = 0.015f;
    s.manager->Update();
  }
  state.counters["live"] = double(s.manager->GetManagedCount());
}
BENCHMARK(BM_UpdateLiveEffects)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
