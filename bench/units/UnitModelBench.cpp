// Unit models in a headless scene with the demo swordsman's parts (body,
// helmet sharing its skeleton, sword on a hand bone), resources loaded:
// - creating and destroying 500 models (target: under 1 ms a unit);
// - one frame's update of 1,000 models cross-fading their animations
//   (target: under 3 ms), and the same with the skeletons posed as the
//   engine poses them before drawing.
#include "game/FrameClock.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitModel.h"

#include <Ogre.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct Stage {
  Stage() {
    static const bool data = [] {
      HeadlessEngine();
      Ogre::LogManager::getSingleton().getDefaultLog()->setLogDetail(Ogre::LL_LOW);
      auto& groups = Ogre::ResourceGroupManager::getSingleton();
      for (const char* folder : {YVEK_DATA_DIR "/general", YVEK_BUILD_DIR "/general"})
        groups.addResourceLocation(folder, "FileSystem", "General");
      groups.initialiseResourceGroup("General");
      for (const char* mesh : {"swordsman.mesh", "helmet.mesh", "sword.mesh"})
        Ogre::MeshManager::getSingleton().load(mesh, "General");
      return true;
    }();
    (void)data;
    scene = HeadlessEngine().createSceneManager();
    owner = std::make_unique<CGAUnit>(world);
  }
  ~Stage() {
    owner.reset();
    HeadlessEngine().destroySceneManager(scene);
  }

  // A model of the owner unit with the swordsman's parts.
  std::unique_ptr<CGAUnitModel> Swordsman() {
    auto model = std::make_unique<CGAUnitModel>(scene, scene->getRootSceneNode(), *owner);
    model->SetVisible(true);
    model->AttachPart("body", "swordsman.mesh");
    model->AttachPart("head", "helmet.mesh");
    model->AttachPartToBone("weapon", "sword.mesh", Ogre::Vector3(0, -0.06f, 0), Ogre::Quaternion::IDENTITY,
                            "Bip01 R Hand");
    return model;
  }

  NullUnitWorld world;
  Ogre::SceneManager* scene;
  std::unique_ptr<CGAUnit> owner;
};

void BM_CreateAndDestroy500Models(benchmark::State& state) {
  Stage stage;
  for (auto _ : state) {
    std::vector<std::unique_ptr<CGAUnitModel>> models;
    for (int i = 0; i < 500; ++i) models.push_back(stage.Swordsman());
    models.clear();
  }
  // Seconds per unit.
  state.counters["per_unit"] =
      benchmark::Counter(500, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CreateAndDestroy500Models)->Unit(benchmark::kMillisecond);

// 1,000 models, half of them fading from "run" into "attack" and back.
void Animate1000Models(benchmark::State& state, bool pose) {
  Stage stage;
  std::vector<std::unique_ptr<CGAUnitModel>> models;
  for (int i = 0; i < 1000; ++i) {
    models.push_back(stage.Swordsman());
    models.back()->PlayAnimationByName("run", 1.0f, true);
  }
  FrameDeltaMs = 15;
  FrameDeltaSeconds = 0.015f;
  int frame = 0;
  for (auto _ : state) {
    ++frame;
    for (size_t i = 0; i < models.size(); ++i) {
      CGAUnitModel& model = *models[i];
      if (i % 2 == 0 && frame % 40 == 0) model.PlayAnimationByName(frame % 80 ? "attack" : "run", 1.0f, true);
      model.Update();
      if (pose) {
        Ogre::Entity* body = model.GetEntity();
        body->getSkeleton()->setAnimationState(*body->getAllAnimationStates());
        body->getSkeleton()->_updateTransforms();
      }
    }
  }
}

void BM_Update1000Models(benchmark::State& state) { Animate1000Models(state, false); }
BENCHMARK(BM_Update1000Models)->Unit(benchmark::kMillisecond);

void BM_Update1000ModelsAndPoseSkeletons(benchmark::State& state) { Animate1000Models(state, true); }
BENCHMARK(BM_Update1000ModelsAndPoseSkeletons)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
