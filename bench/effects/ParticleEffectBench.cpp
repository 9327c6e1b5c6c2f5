// Particle effects of the particle library drawn as batched meshes: 20
// effects of 200 and of 1,000 live particles each, one frame's simulation
// and geometry rebuild (target: 20 x 1,000 in under 4 ms a frame).
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/EffectParticleEX.h"
#include "game/FrameClock.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A quad of four vertices and two triangles: the shape of each particle.
const char* QuadMesh() {
  static const char* name = [] {
    Ogre::SceneManager* builder = HeadlessEngine().createSceneManager();
    Ogre::ManualObject* object = builder->createManualObject();
    object->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_TRIANGLE_LIST, Ogre::RGN_DEFAULT);
    const float corners[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
    for (const auto& c : corners) {
      object->position(c[0], c[1], 0);
      object->textureCoord(c[0] + 0.5f, c[1] + 0.5f);
    }
    object->quad(0, 1, 2, 3);
    object->end();
    object->convertToMesh("bench_quad.mesh", Ogre::RGN_DEFAULT);
    HeadlessEngine().destroySceneManager(builder);
    return "bench_quad.mesh";
  }();
  return name;
}

// A swirl like the demo's: born on a ring, rising, turning, dying at 2 s;
// the rate fills the group within a few frames and keeps it full.
std::string Definition(int amount) {
  return "<Effects><EffectSystem EffectName=\"swirl\"><SetLifeTime Time=\"-1\"/>"
         "<EffectParticleEX Type=\"Mesh2\" WorldAxis=\"false\" Amount=\"" +
         std::to_string(amount) + "\" Mesh=\"" + QuadMesh() +
         "\"><SetMaterialName MaterialName=\"BaseWhiteNoLighting\" MaterialCopy=\"1\"/>"
         "<SourceCylinder Rate=\"100000\" PositionA=\"0 0 0\" PositionB=\"0 0.5 0\" In=\"1.5\" Out=\"2\"/>"
         "<VelocityLine PositionA=\"0 1 0\" PositionB=\"0 2 0\"/><RotVelocity RotA=\"2 2 2\" RotB=\"6 6 6\"/>"
         "<SetSize SizeA=\"0.2 0.2 0.2\" SizeB=\"0.3 0.3 0.3\"/><SetColour Colour=\"1 0.8 0.3 1\"/>"
         "<Vortex Center=\"0 0 0\" Axis=\"0 1 0\" TightnessExponent=\"1\" Radius=\"10\" InSpeed=\"0.2\" "
         "UpSpeed=\"0.5\" AroundSpeed=\"2\"/><SetAge Age=\"2\"/></EffectParticleEX></EffectSystem></Effects>";
}

void BM_BatchedParticleEffects(benchmark::State& state) {
  const int amount = int(state.range(0));
  HeadlessEngine();
  Ogre::SceneManager* scene = HeadlessEngine().createSceneManager();
  {
    CGAEffectManager manager(scene, scene->getRootSceneNode()->createChildSceneNode("effect_root"),
                             CreateMainCamera(scene));
    manager.ReadEffectFile(Definition(amount), "bench.eff");
    std::vector<CGAEffectParticleEX*> effects;
    for (int i = 0; i < 20; ++i) {
      CGAEffectNode* node = manager.CreateEffect("swirl");
      node->SetPosition(Ogre::Vector3(float(i % 5) * 6, 0, float(i / 5) * 6));
      effects.push_back(static_cast<CGAEffectParticleEX*>(node->GetObjects().front()));
    }
    FrameDeltaSeconds = 0.033f;
    FrameDeltaMs = 33;
    auto frame = [&] {
      manager.Update();
      for (CGAEffectParticleEX* effect : effects) effect->_updateRenderQueue(nullptr);
    };
    for (int i = 0; i < 5; ++i) frame();  // the groups fill up
    size_t live = 0;
    for (auto _ : state) {
      frame();
      live = 0;
      for (CGAEffectParticleEX* effect : effects) live += effect->GetRecords().size();
    }
    state.counters["particles"] = double(live);
  }
  HeadlessEngine().destroySceneManager(scene);
}
BENCHMARK(BM_BatchedParticleEffects)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
