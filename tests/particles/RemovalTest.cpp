// Removal, reordering, callbacks and the second set of vectors.
#include "ParticleFixture.h"

#include "particles/ActionsEmission.h"
#include "particles/ActionsInteraction.h"
#include "particles/PDomain.h"

#include <algorithm>
#include <cmath>

namespace psimtest {
namespace {

std::vector<float> Ages(OpenSystem& s) {
  std::vector<float> ages;
  for (const PParticle& p : s.Group().particles) ages.push_back(p.age);
  return ages;
}

int g_deaths = 0;
void CountDeath(PParticle&, uint64_t) { ++g_deaths; }

struct KillOldCase {
  float limit;
  bool killLessThan;
  std::vector<float> ages, survivors;  // survivors in their new order
};

TEST(KillOld, RemovesByAgeAndMovesTheLastParticleIntoEachPlace) {
  const KillOldCase cases[] = {
      {1, false, {1.0f, 0.999f}, {0.999f}},                  // exactly the limit dies
      {1, false, {2, 0.5f, 3, 0.25f, 5}, {0.25f, 0.5f}},     // walk re-examines moved particles
      {1, true, {2, 0.5f, 3, 0.25f, 1}, {2, 1, 3}},          // the young die instead
      {10, false, {1, 2}, {1, 2}},
  };
  for (const KillOldCase& c : cases) {
    OpenSystem s;
    for (float age : c.ages) s.Add(PVec3(0, 0, 0), age);
    g_deaths = 0;
    s.groups.DeathCallback(CountDeath);
    s.actions.KillOld(c.limit, c.killLessThan);
    EXPECT_EQ(Ages(s), c.survivors);
    EXPECT_EQ(g_deaths, static_cast<int>(c.ages.size() - c.survivors.size()));
  }
}

TEST(Sink, RemovesParticlesInsideOrOutsideItsDomain) {
  OpenSystem s;
  s.AddMany(6);  // x = 0..5
  g_deaths = 0;
  s.groups.DeathCallback(CountDeath);
  s.actions.Sink(false, PDSphere(PVec3(0, 0, 0), 2.5f));  // outside dies
  EXPECT_EQ(s.groups.GetGroupCount(), 3u);
  s.actions.Sink(true, PDSphere(PVec3(0, 0, 0), 2.5f));
  EXPECT_EQ(s.groups.GetGroupCount(), 0u);
  EXPECT_EQ(g_deaths, 6);
}

TEST(Sink, VelocitySinkTestsTheVelocity) {
  OpenSystem s;
  s.Add(PVec3(0, 0, 0), 0, PVec3(10, 0, 0));
  s.Add(PVec3(10, 0, 0), 0, PVec3(0, 0, 0));
  s.actions.SinkVelocity(true, PDSphere(PVec3(0, 0, 0), 1));
  ASSERT_EQ(s.groups.GetGroupCount(), 1u);
  EXPECT_EQ(s.P(0).velocity.x, 10.0f);
}

TEST(Sort, OrdersByProjectionOnTheLookDirection) {
  OpenSystem s;
  for (float x : {3.0f, -2.0f, 5.0f, 1.0f}) s.Add(PVec3(x, 0, 0));
  s.actions.Sort(PVec3(0, 0, 0), PVec3(2, 0, 0), true, false);  // front to back: largest first
  std::vector<float> xs;
  for (const PParticle& p : s.Group().particles) xs.push_back(p.position.x);
  EXPECT_EQ(xs, (std::vector<float>{5, 3, 1, -2}));
  EXPECT_EQ(s.P(0).sortKey, -10.0f);  // look is not normalised

  s.actions.Sort(PVec3(0, 0, 0), PVec3(1, 0, 0), false, true);
  EXPECT_EQ(s.P(0).sortKey, 0.0f);  // behind the eye: clamped, first
  EXPECT_EQ(s.P(0).position.x, -2.0f);
  EXPECT_EQ(s.P(3).position.x, 5.0f);
}

TEST(Sort, KeysThatAreNotNumbersGoLastInsteadOfBreakingTheSort) {
  OpenSystem s;
  for (int i = 0; i < 200; ++i) s.Add(PVec3(static_cast<float>(i % 2 ? i : -i), 0, 0));
  for (int i = 0; i < 200; i += 3) s.P(i).position.x = NAN;
  s.actions.Sort(PVec3(0, 0, 0), PVec3(1, 0, 0), false, false);
  ASSERT_EQ(s.groups.GetGroupCount(), 200u);
  const auto& ps = s.Group().particles;
  const auto firstNan =
      std::find_if(ps.begin(), ps.end(), [](const PParticle& p) { return std::isnan(p.sortKey); });
  EXPECT_EQ(ps.end() - firstNan, 67);
  EXPECT_TRUE(std::all_of(firstNan, ps.end(), [](const PParticle& p) { return std::isnan(p.sortKey); }));
  EXPECT_TRUE(std::is_sorted(ps.begin(), firstNan,
                             [](const PParticle& a, const PParticle& b) { return a.sortKey < b.sortKey; }));
}

void Brighten(PParticle& p, uint64_t data) { p.alpha = static_cast<float>(data); }

TEST(CallbackAction, CallsTheFunctionForEveryParticleOfTheRange) {
  OpenSystem s;
  s.AddMany(3);
  s.actions.Callback(Brighten, 7);
  for (const PParticle& p : s.Group().particles) EXPECT_EQ(p.alpha, 7.0f);
}

TEST(VertexB, CopyVertexBCopiesWhatItsFlagsSay) {
  struct Case {
    bool position, velocity;
    PVec3 wantPositionB, wantUpB, wantVelocityB;
  };
  const PVec3 z(0, 0, 0);
  for (const Case& c : {Case{true, true, PVec3(1, 2, 3), PVec3(0, 1, 0), PVec3(4, 5, 6)},
                        Case{true, false, PVec3(1, 2, 3), PVec3(0, 1, 0), z},
                        Case{false, true, z, z, PVec3(4, 5, 6)}, Case{false, false, z, z, z}}) {
    OpenSystem s;
    PParticle& p = s.Add(PVec3(1, 2, 3), 0, PVec3(4, 5, 6));
    p.positionB = z;
    p.up = PVec3(0, 1, 0);
    s.actions.CopyVertexB(c.position, c.velocity);
    EXPECT_EQ(p.positionB, c.wantPositionB);
    EXPECT_EQ(p.upB, c.wantUpB);
    EXPECT_EQ(p.velocityB, c.wantVelocityB);
  }
}

TEST(VertexB, RestoreWithNoTimeLeftSnapsBackAndStops) {
  OpenSystem s;
  PParticle& p = s.Add(PVec3(5, 5, 5), 0, PVec3(1, 1, 1));
  p.positionB = PVec3(1, 0, 0);
  p.up = PVec3(0, 0, 1);
  p.upB = PVec3(0, 1, 0);
  p.rotVelocity = PVec3(3, 3, 3);
  s.actions.Restore(0, true, false);
  EXPECT_EQ(p.position, PVec3(1, 0, 0));
  EXPECT_EQ(p.velocity, PVec3(0, 0, 0));
  EXPECT_EQ(p.up, PVec3(0, 0, 1));
  s.actions.Restore(-1, false, true);
  EXPECT_EQ(p.up, PVec3(0, 1, 0));
  EXPECT_EQ(p.rotVelocity, PVec3(0, 0, 0));
}

TEST(VertexB, RestoreSteersTowardPositionB) {
  OpenSystem s;
  PParticle& p = s.Add(PVec3(0, 0, 0));
  p.positionB = PVec3(10, 0, 0);
  s.lists.SetTimeStep(0.5f);
  // t = 2: A = 0.5 x 6 / 4 = 0.75, B = 0.25 x 3 / 8 = 0.09375;
  // a = (0 + 10 - 0) x A = 7.5, b = (0 - 20 + 0) x B = -1.875.
  s.actions.Restore(2, true, false);
  ExpectVec(p.velocity, 5.625f, 0, 0);
}

TEST(WholeGroupRule, PartialRangesAreRefusedByActionsThatNeedTheWholeGroup) {
  OpenSystem s;
  s.AddMany(4);
  PParticleGroup& g = s.Group();
  std::vector<std::unique_ptr<PActionBase>> actions;
  actions.emplace_back(new PAKillOld(0, false));
  actions.emplace_back(new PASink(true, PDPoint(PVec3(0, 0, 0))));
  actions.emplace_back(new PASinkVelocity(true, PDPoint(PVec3(0, 0, 0))));
  actions.emplace_back(new PASort(PVec3(0, 0, 0), PVec3(1, 0, 0), true, false));
  actions.emplace_back(new PASource(PDPoint(PVec3(0, 0, 0)), PVec3(0, 0, 0), 100, s.state.sourceState));
  actions.emplace_back(new PACallActionList(0));
  actions.emplace_back(new PAFollow(1, 0, 1));
  actions.emplace_back(new PAGravitate(1, 0, 1));
  actions.emplace_back(new PAMatchVelocity(1, 0, 1));
  actions.emplace_back(new PAMatchRotVelocity(1, 0, 1));
  for (auto& action : actions) {
    action->state = &s.state;
    ExpectError<PErrInternalError>([&] { action->Execute(g, g.begin() + 1, g.end()); },
                                   "Can only be done on whole list");
    ExpectError<PErrInternalError>([&] { action->Execute(g, g.begin(), g.end() - 1); },
                                   "Can only be done on whole list");
  }
  EXPECT_EQ(Ages(s), (std::vector<float>{0, 1, 2, 3}));
}

TEST(ActionFlags, OnlyTheseClassesKillOrNeedTheWholeGroup) {
  OpenSystem s;
  const PActionList& list = s.Recorded([&] {
    s.actions.KillOld(1);
    s.actions.Sink(true, PDPoint(PVec3(0, 0, 0)));
    s.actions.SinkVelocity(true, PDPoint(PVec3(0, 0, 0)));
    s.actions.Follow(1, 0, 1);
    s.actions.Gravitate(1, 0, 1);
    s.actions.MatchVelocity(1, 0, 1);
    s.actions.MatchRotVelocity(1, 0, 1);
    s.actions.Sort(PVec3(0, 0, 0), PVec3(1, 0, 0));
    s.actions.Source(1, PDPoint(PVec3(0, 0, 0)));
    s.actions.Move();
    s.actions.Gravity(PVec3(0, 0, 0));
    s.actions.Bounce(0, 0, 0, PDDisc(PVec3(0, 0, 0), PVec3(0, 1, 0), 1));
    s.actions.TargetColor(PVec3(0, 0, 0), 0, 0);
    s.actions.ColourAnim(PDUnion());
  });
  const std::string flags = "KKKWWWWWWnnnnn";
  ASSERT_EQ(list.size(), flags.size());
  for (size_t i = 0; i < flags.size(); ++i) {
    EXPECT_EQ(list[i]->killsParticles, flags[i] == 'K') << i;
    EXPECT_EQ(list[i]->needsWholeList, flags[i] == 'W') << i;
    EXPECT_EQ(list[i]->state, &s.state);
  }
}

}  // namespace
}  // namespace psimtest
