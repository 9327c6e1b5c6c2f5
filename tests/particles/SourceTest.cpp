// The source state and the actions that add particles: what a new particle
// takes, how many a Source emits, and the order of the random draws that
// replays depend on.
#include "ParticleFixture.h"

#include "particles/ActionsEmission.h"
#include "particles/PDomain.h"
#include "particles/PRandom.h"

#include <cmath>

namespace psimtest {
namespace {

const PDPoint kAtOrigin(PVec3(0, 0, 0));

// Emits exactly one particle (rate 1 x dt 1, no fraction) at `where`.
PParticle& EmitOne(OpenSystem& s, const PVec3& where = PVec3(3, 4, 5), const PVec3& emitter = PVec3(0, 0, 0)) {
  s.lists.SetTimeStep(1.0f);
  s.actions.Source(1.0f, PDPoint(where), emitter);
  return s.Group().particles.back();
}

TEST(SourceState, ADefaultStateGivesTheDefaultParticle) {
  OpenSystem s;
  const PParticle& p = EmitOne(s);
  ExpectVec(p.position, 3, 4, 5);
  EXPECT_EQ(p.positionB, p.position);
  EXPECT_EQ(p.up, PVec3(0, 1, 0));
  EXPECT_EQ(p.velocity, PVec3(0, 0, 0));
  EXPECT_EQ(p.rotVelocity, PVec3(0, 0, 0));
  EXPECT_EQ(p.size, PVec3(1, 1, 1));
  EXPECT_EQ(p.color, PVec3(1, 1, 1));
  EXPECT_EQ(p.alpha, 1.0f);
  EXPECT_EQ(p.age, 0.0f);
  EXPECT_EQ(p.mass, 1.0f);
  EXPECT_EQ(p.data, 0u);
}

TEST(SourceState, SettersChangeWhatNewParticlesTake) {
  OpenSystem s;
  s.source.SetColor(0.2f, 0.4f, 0.6f, 0.5f);
  s.source.SetVertexBTracks(false);
  s.source.SetVertexB(PVec3(5, 0, 0));
  s.source.SetUpVector(PVec3(0, 0, 1));
  s.source.SetVelocity(PVec3(1, 2, 3));
  s.source.SetRotVelocity(PVec3(4, 5, 6));
  s.source.SetSize(PVec3(2, 2, 2));
  s.source.SetMass(3.0f);
  s.source.SetData(77);
  s.source.SetStartingAge(2.0f, 0.0f);
  PParticle p = EmitOne(s);
  EXPECT_EQ(p.color, PVec3(0.2f, 0.4f, 0.6f));
  EXPECT_EQ(p.alpha, 0.5f);
  EXPECT_EQ(p.positionB, PVec3(5, 0, 0));
  EXPECT_EQ(p.up, PVec3(0, 0, 1));
  EXPECT_EQ(p.velocity, PVec3(1, 2, 3));
  EXPECT_EQ(p.rotVelocity, PVec3(4, 5, 6));
  EXPECT_EQ(p.size, PVec3(2, 2, 2));
  EXPECT_EQ(p.mass, 3.0f);
  EXPECT_EQ(p.data, 77u);
  EXPECT_EQ(p.age, 2.0f);

  // A colour domain alone puts alpha back to 1; a reset gives the default.
  s.source.SetColor(PDPoint(PVec3(0, 1, 0)));
  p = EmitOne(s);
  EXPECT_EQ(p.color, PVec3(0, 1, 0));
  EXPECT_EQ(p.alpha, 1.0f);
  s.source.SetColor(PDPoint(PVec3(0, 0, 1)), PDPoint(PVec3(0.25f, 9, 9)));
  EXPECT_EQ(EmitOne(s).alpha, 0.25f);  // the x of the alpha domain

  s.source.ResetSourceState();
  p = EmitOne(s);
  EXPECT_EQ(p.color, PVec3(1, 1, 1));
  EXPECT_EQ(p.positionB, p.position);
  EXPECT_EQ(p.age, 0.0f);
  EXPECT_EQ(p.data, 0u);
}

TEST(SourceState, EmitterPositionBecomesOriginAndUpB) {
  OpenSystem s;
  const PParticle& p = EmitOne(s, PVec3(1, 1, 1), PVec3(10, 20, 30));
  EXPECT_EQ(p.origin, PVec3(10, 20, 30));
  EXPECT_EQ(p.upB, PVec3(10, 20, 30));
}

TEST(SourceState, DomainsAreDrawnInAFixedOrder) {
  // Each attribute from its own line, so every draw shows in the result.
  auto line = [](float k) { return PDLine(PVec3(k, 0, 0), PVec3(k + 1, 0, 0)); };
  OpenSystem s;
  s.source.SetVertexBTracks(false);
  s.source.SetVertexB(line(10));
  s.source.SetUpVector(line(20));
  s.source.SetVelocity(line(30));
  s.source.SetRotVelocity(line(40));
  s.source.SetSize(line(50));
  s.source.SetColor(line(60), line(70));
  s.source.SetStartingAge(5.0f, 1.0f);
  platform::SeedRand(42);
  const PParticle p = EmitOne(s, PVec3(0, 0, 0));

  platform::SeedRand(42);
  URand();  // the Source's fraction draw
  EXPECT_EQ(p.positionB.x, 10 + URand());
  EXPECT_EQ(p.up.x, 20 + URand());
  EXPECT_EQ(p.velocity.x, 30 + URand());
  EXPECT_EQ(p.rotVelocity.x, 40 + URand());
  EXPECT_EQ(p.size.x, 50 + URand());
  EXPECT_EQ(p.color.x, 60 + URand());
  EXPECT_EQ(p.alpha, 70 + URand());
  EXPECT_EQ(p.age, 5.0f + NormalRandom(1.0f));
  const int nextAfterReplay = platform::Rand();
  platform::SeedRand(42);
  EmitOne(s, PVec3(0, 0, 0));
  EXPECT_EQ(platform::Rand(), nextAfterReplay);  // no draw more, none fewer
}

TEST(SourceState, AnImmediateVertexDrawsSizeBeforeUpAndCarriesItsOwnData) {
  auto line = [](float k) { return PDLine(PVec3(k, 0, 0), PVec3(k + 1, 0, 0)); };
  OpenSystem s;
  s.source.SetUpVector(line(20));
  s.source.SetSize(line(50));
  s.source.SetData(5);
  platform::SeedRand(7);
  s.actions.Vertex(PVec3(1, 2, 3), 99);
  const PParticle& p = s.P(0);
  platform::SeedRand(7);
  EXPECT_EQ(p.size.x, 50 + URand());
  EXPECT_EQ(p.up.x, 20 + URand());
  EXPECT_EQ(p.position, PVec3(1, 2, 3));
  EXPECT_EQ(p.positionB, PVec3(1, 2, 3));
  EXPECT_EQ(p.data, 99u);
  EXPECT_EQ(p.origin, PVec3(0, 0, 0));  // left at zero
}

TEST(SourceState, StartingAgeSpreadsWithSigmaAndAlwaysCostsTwoDraws) {
  OpenSystem s;
  s.source.SetStartingAge(2.0f, 1.0f);
  s.lists.SetTimeStep(1.0f);
  double sum = 0, sumSq = 0;
  const int n = 4000;
  for (int i = 0; i < n; ++i) {
    const float age = EmitOne(s).age;
    sum += age;
    sumSq += age * age;
  }
  const double mean = sum / n;
  EXPECT_NEAR(mean, 2.0, 0.06);
  EXPECT_NEAR(std::sqrt(sumSq / n - mean * mean), 1.0, 0.05);

  // Sigma 0 gives 0 after the same draws as any other sigma.
  for (unsigned seed : {3u, 4u, 5u}) {
    platform::SeedRand(seed);
    NormalRandom(1.0f);
    const int afterSigmaOne = platform::Rand();
    platform::SeedRand(seed);
    EXPECT_EQ(NormalRandom(0.0f), 0.0f);
    EXPECT_EQ(platform::Rand(), afterSigmaOne);
  }
}

struct CountCase {
  const char* what;
  float rate, dt;
  unsigned max, held;
  unsigned low, high;  // the number emitted lies in [low, high]
};

class SourceCounts : public testing::TestWithParam<CountCase> {};

TEST_P(SourceCounts, EmitsFloorOfRateTimesStepPlusTheFractionByChance) {
  const CountCase& c = GetParam();
  for (unsigned seed = 1; seed <= 40; ++seed) {
    OpenSystem s(c.max);
    s.AddMany(c.held);
    platform::SeedRand(seed);
    s.lists.SetTimeStep(c.dt);
    s.actions.Source(c.rate, kAtOrigin);
    const unsigned made = s.groups.GetGroupCount() - c.held;
    EXPECT_GE(made, c.low) << "seed " << seed;
    EXPECT_LE(made, c.high) << "seed " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SourceCounts,
    testing::Values(CountCase{"two and a half", 10, 0.25f, 100, 0, 2, 3},
                    CountCase{"a whole number exactly", 4, 0.25f, 100, 0, 1, 1},
                    CountCase{"no more than the room", 20, 0.25f, 100, 99, 1, 1},
                    CountCase{"none into a full group", 20, 0.25f, 100, 100, 0, 0},
                    CountCase{"a negative rate makes none", -10, 0.25f, 100, 0, 0, 0},
                    CountCase{"a negative fraction makes none", -0.5f, 1.0f, 100, 0, 0, 0},
                    CountCase{"a rate past the integer range fills the room", 1e30f, 1.0f, 50, 10, 40, 40},
                    CountCase{"a step past the integer range fills the room", 100, 1e9f, 50, 0, 50, 50},
                    CountCase{"a non-number rate makes none", NAN, 1.0f, 50, 0, 0, 0}),
    [](const testing::TestParamInfo<CountCase>& info) { return TestName(info.param.what); });

TEST(SourceCount, TheFractionBecomesOneMoreWhenItExceedsTheDraw) {
  // Replays the draw: 2.5 particles make 3 exactly when 0.5 > URand.
  int three = 0;
  for (unsigned i = 1; i <= 200; ++i) {
    const unsigned seed = i * 2654435761u;  // spread: nearby seeds start alike
    platform::SeedRand(seed);
    const bool extra = 0.5f > URand();
    platform::SeedRand(seed);
    const unsigned n = PASource::EmitCount(2.5f, 100);
    EXPECT_EQ(n, extra ? 3u : 2u);
    three += extra;
  }
  EXPECT_NEAR(three, 100, 25);
  EXPECT_EQ(PASource::EmitCount(3e9f, 7), 7u);
  EXPECT_EQ(PASource::EmitCount(INFINITY, 7), 7u);
}

TEST(SourceAction, ARecordedSourceKeepsTheStateOfItsRecording) {
  OpenSystem s;
  s.source.SetVelocity(PVec3(1, 0, 0));
  s.lists.GenActionLists(1);
  s.lists.NewActionList(0);
  s.actions.Source(1.0f, kAtOrigin);
  s.source.SetVelocity(PVec3(2, 0, 0));  // acts at once, records nothing
  s.source.SetColor(0, 0, 0, 0);
  s.lists.EndActionList();
  EXPECT_EQ(s.state.lists[0].size(), 1u);
  EXPECT_EQ(s.groups.GetGroupCount(), 0u);

  s.lists.SetTimeStep(1.0f);
  s.lists.CallActionList(0);
  s.actions.Source(1.0f, kAtOrigin);
  ASSERT_EQ(s.groups.GetGroupCount(), 2u);
  EXPECT_EQ(s.P(0).velocity, PVec3(1, 0, 0));
  EXPECT_EQ(s.P(0).color, PVec3(1, 1, 1));
  EXPECT_EQ(s.P(1).velocity, PVec3(2, 0, 0));
  EXPECT_EQ(s.P(1).color, PVec3(0, 0, 0));
}

TEST(SourceAction, KeepsItsOwnCloneOfTheDomain) {
  OpenSystem s;
  s.lists.GenActionLists(1);
  s.lists.NewActionList(0);
  {
    PDSphere shell(PVec3(100, 0, 0), 1.0f, 1.0f);
    s.actions.Source(1.0f, shell, PVec3(9, 9, 9));
  }
  s.lists.EndActionList();
  auto* source = dynamic_cast<PASource*>(s.state.lists[0][0].get());
  ASSERT_NE(source, nullptr);
  EXPECT_TRUE(source->needsWholeList);
  EXPECT_FALSE(source->killsParticles);
  EXPECT_EQ(source->rate, 1.0f);
  EXPECT_EQ(source->positionDomain->origin, PVec3(9, 9, 9));
  s.lists.SetTimeStep(1.0f);
  s.lists.CallActionList(0);
  EXPECT_NEAR((s.P(0).position - PVec3(100, 0, 0)).Length(), 1.0f, 1e-5f);
}

TEST(SourceAction, VertexAddsAtOnceOrRecordsARateOneSource) {
  OpenSystem s(1);
  s.actions.Vertex(PVec3(1, 1, 1), 3);
  s.actions.Vertex(PVec3(2, 2, 2), 4);  // full: dropped
  ASSERT_EQ(s.groups.GetGroupCount(), 1u);
  EXPECT_EQ(s.P(0).data, 3u);

  s.source.SetData(8);
  s.lists.GenActionLists(1);
  s.lists.NewActionList(0);
  s.actions.Vertex(PVec3(5, 5, 5), 4);
  s.lists.EndActionList();
  auto* source = dynamic_cast<PASource*>(s.state.lists[0][0].get());
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->rate, 1.0f);
  EXPECT_EQ(source->sourceState.data, 8u);  // the state's data, not Vertex's
  EXPECT_EQ(source->positionDomain->Generate(), PVec3(5, 5, 5));
  EXPECT_EQ(source->positionDomain->origin, PVec3(0, 0, 0));
}

}  // namespace
}  // namespace psimtest
