// Replays how the game's particle effect object drives the library: set-up
// while an effect definition is read, then every frame the time step, the
// recorded list, an immediate Source and an immediate Move, and the read-back
// through the particle pointer; last the release.
#include "particles/PSystem.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace PSim;

// What the renderer reads of one particle.
struct Drawn {
  PVec3 position, origin, positionB, size, velocity, color, rotVelocity;
  float alpha, age;
};

// The effect object's side of the library, as it reads a definition with
// a sphere source, a cylinder of velocities, an age limit, a colour,
// gravity, a size line, colour and size keys and a ground disc to bounce on.
class EffectReplay {
 public:
  static constexpr float kAge = 1.5f;
  static constexpr float kRate = 300;
  static constexpr int kAmount = 500;

  EffectReplay() {
    group = system.GenParticleGroups(1, kAmount);
    system.CurrentGroup(group);
    list = system.GenActionLists(1);
    system.NewActionList(list);
    system.SetStartingAge(0, 0);

    source.reset(new PDSphere(PVec3(0, 0, 2), 0.5f, 0.1f));                     // "SourceSphere"
    system.SetVelocity(PDCylinder(PVec3(0, 0, 1), PVec3(0, 0, 3), 1.0f, 0.0f));  // "VelocityCylinder"
    system.KillOld(kAge, false);                                                 // "SetAge"
    system.SetColor(1, 1, 1, 1);                                                 // "SetColour"
    system.Gravity(PVec3(0, 0, -9.8f));                                          // "Gravity"
    system.SetSize(PDLine(PVec3(1, 1, 1), PVec3(2, 2, 2)));                       // "SetSize"
    PDUnion colours;                                                             // "ColourAnim"
    colours.Insert(PDSphere(PVec3(1, 1, 0), 0.2f, 1.0f, true));
    colours.Insert(PDSphere(PVec3(1, 0.5f, 0), 0.8f, 0.6f, true));
    colours.Insert(PDSphere(PVec3(0.2f, 0.2f, 0.2f), 1.2f, 0.0f, true));
    system.ColourAnim(colours);
    PDUnion sizes;  // "SizeAnim"
    sizes.Insert(PDSphere(PVec3(1, 1, 1), 0.5f, 0.0f, true));
    sizes.Insert(PDSphere(PVec3(-0.5f, -0.5f, -0.5f), 1.5f, 0.0f, true));
    system.SizeAnim(sizes);
    system.Bounce(0.2f, 0.6f, 0.1f, PDDisc(PVec3(0, 0, 0), PVec3(0, 0, 1), 50, 0));  // "Bounce"
    system.EndActionList();
  }

  // One frame of the effect's update.
  void Frame(float frameDeltaSeconds, const PVec3& emitter) {
    system.SetTimeStep(frameDeltaSeconds);
    system.PListApi::CallActionList(list);
    system.Source(kRate, *source, emitter);
    system.Move(true, true);
  }

  std::vector<Drawn> Gather() {
    std::vector<Drawn> drawn;
    const unsigned count = system.GetGroupCount();
    if (count < 1) return drawn;
    float* base;
    size_t stride, position, positionB, size, velocity, velocityB, color, alpha, age, up, rotVelocity, upB, mass,
        data, origin;
    EXPECT_EQ(system.GetParticlePointer(base, stride, position, positionB, size, velocity, velocityB, color, alpha,
                                        age, up, rotVelocity, upB, mass, data, origin),
              count);
    auto vec = [](const float* f) { return PVec3(f[0], f[1], f[2]); };
    for (unsigned i = 0; i < count; ++i) {
      const float* p = base + i * stride;
      drawn.push_back({vec(p + position), vec(p + origin), vec(p + positionB), vec(p + size), vec(p + velocity),
                       vec(p + color), vec(p + rotVelocity), p[color + 3], p[age]});
      EXPECT_EQ(p[alpha], p[color + 3]);
    }
    return drawn;
  }

  // The release pairs: each adds one list or group and empties it again.
  void Release() {
    system.DeleteActionLists(system.GenActionLists(1), 1);
    system.DeleteParticleGroups(system.GenParticleGroups(1, 0), 1);
  }

  PSystem system;
  std::unique_ptr<pDomain> source;
  int group = -1, list = -1;
};

// The frame clock's steps: the 15 ms timer, truncated milliseconds, and
// now and then a slow frame.
float FrameStep(int frame) {
  static const int ms[] = {15, 16, 15, 15, 31, 15, 16, 0, 15, 47};
  return ms[frame % 10] / 1000.0f;
}

PVec3 EmitterAt(int frame) { return PVec3(0.01f * frame, 0, 0); }

TEST(GameFrame, TheEffectReachesASteadyStateWithinItsLimits) {
  platform::SeedRand(2024);
  EffectReplay effect;
  std::vector<PVec3> emitters;
  for (int frame = 0; frame < 300; ++frame) {
    emitters.push_back(EmitterAt(frame));
    effect.Frame(FrameStep(frame), emitters.back());
    const std::vector<Drawn> drawn = effect.Gather();
    ASSERT_LE(drawn.size(), static_cast<size_t>(EffectReplay::kAmount));
    for (const Drawn& d : drawn) {
      // Killed at the age limit before this frame's move.
      ASSERT_LT(d.age, EffectReplay::kAge + 0.047f + 1e-5f);
      for (float c : {d.color.x, d.color.y, d.color.z, d.alpha}) {
        ASSERT_TRUE(std::isfinite(c)) << "frame " << frame;
        ASSERT_GE(c, 0.0f) << "frame " << frame;
        ASSERT_LE(c, 1.0f) << "frame " << frame;
      }
      // Born in the source shell; the birth position stays in positionB.
      const float r = (d.positionB - PVec3(0, 0, 2)).Length();
      ASSERT_GE(r, 0.1f - 1e-5f);
      ASSERT_LE(r, 0.5f + 1e-5f);
      // The bounce disc keeps everything above the ground.
      ASSERT_GE(d.position.z, -1e-4f) << "frame " << frame;
      ASSERT_GE(d.size.x, 0.0f);
      bool known = false;
      for (const PVec3& e : emitters) known = known || d.origin == e;
      ASSERT_TRUE(known);
    }
  }
  // About rate x life = 450 particles live at steady state.
  const size_t live = effect.system.GetGroupCount();
  EXPECT_GT(live, 400u);
  EXPECT_LT(live, 500u);
}

TEST(GameFrame, ASeededRunReplaysExactly) {
  std::vector<std::vector<float>> runs;
  for (int run = 0; run < 2; ++run) {
    platform::SeedRand(77);
    EffectReplay effect;
    for (int frame = 0; frame < 120; ++frame) effect.Frame(FrameStep(frame), EmitterAt(frame));
    std::vector<float> all;
    for (const Drawn& d : effect.Gather()) {
      const float* f = reinterpret_cast<const float*>(&d);
      all.insert(all.end(), f, f + sizeof(Drawn) / sizeof(float));
    }
    runs.push_back(all);
  }
  ASSERT_FALSE(runs[0].empty());
  EXPECT_EQ(std::memcmp(runs[0].data(), runs[1].data(), runs[0].size() * sizeof(float)), 0);
  EXPECT_EQ(runs[0].size(), runs[1].size());
}

TEST(GameFrame, ReleasePairsLeaveTheEffectsOwnListAndGroup) {
  platform::SeedRand(5);
  EffectReplay effect;
  for (int frame = 0; frame < 50; ++frame) effect.Frame(FrameStep(frame), EmitterAt(frame));
  const unsigned before = effect.system.GetGroupCount();
  effect.Release();
  EXPECT_EQ(effect.system.GetGroupCount(), before);
  effect.Frame(0.015f, EmitterAt(50));
  EXPECT_GT(effect.system.GetGroupCount(), 0u);
  effect.Release();  // each release adds one more empty pair and keeps working
}

TEST(GameFrame, ASourceOfRateZeroEmitsNothing) {
  PSystem system;
  system.CurrentGroup(system.GenParticleGroups(1, 100));
  const int list = system.GenActionLists(1);
  system.NewActionList(list);
  system.SetStartingAge(0, 0);
  system.KillOld(1, false);
  system.EndActionList();
  const PDPoint point(PVec3(1, 2, 3));
  for (int frame = 0; frame < 20; ++frame) {
    system.SetTimeStep(FrameStep(frame));
    system.PListApi::CallActionList(list);
    system.Source(0, point, PVec3(0, 0, 0));
    system.Move(true, true);
  }
  EXPECT_EQ(system.GetGroupCount(), 0u);
}

}  // namespace
