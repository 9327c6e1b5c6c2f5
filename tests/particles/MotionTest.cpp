// Forces and motion: what each action does to one particle, then the
// actions in which particles act on each other.
#include "ParticleFixture.h"

#include "particles/ActionsInteraction.h"
#include "particles/ActionsMotion.h"
#include "particles/PDomain.h"

#include <cmath>
#include <functional>

namespace psimtest {
namespace {

struct OneParticleCase {
  const char* what;
  std::function<void(PActionApi&)> send;
  float dt;
  PVec3 position, velocity;
  PVec3 wantPosition, wantVelocity;
  float wantAge;  // the particle starts at age 1
};

class OneParticle : public testing::TestWithParam<OneParticleCase> {};

TEST_P(OneParticle, ChangesTheParticleAsExpected) {
  const OneParticleCase& c = GetParam();
  OpenSystem s;
  PParticle& p = s.Add(c.position, 1.0f, c.velocity);
  p.rotVelocity = PVec3(0, 0, 2);
  p.up = PVec3(0, 1, 0);
  s.lists.SetTimeStep(c.dt);
  c.send(s.actions);
  EXPECT_FLOAT_EQ(p.position.x, c.wantPosition.x);
  EXPECT_FLOAT_EQ(p.position.y, c.wantPosition.y);
  EXPECT_FLOAT_EQ(p.position.z, c.wantPosition.z);
  EXPECT_FLOAT_EQ(p.velocity.x, c.wantVelocity.x);
  EXPECT_FLOAT_EQ(p.velocity.y, c.wantVelocity.y);
  EXPECT_FLOAT_EQ(p.velocity.z, c.wantVelocity.z);
  EXPECT_FLOAT_EQ(p.age, c.wantAge);
}

const PVec3 O(0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Motion, OneParticle,
    testing::Values(
        OneParticleCase{"move goes one unit further and ages", [](PActionApi& a) { a.Move(true, true); }, 0.5f,
                        O, PVec3(2, 0, 0), PVec3(1, 0, 0), PVec3(2, 0, 0), 1.5f},
        OneParticleCase{"move of rotations only still ages", [](PActionApi& a) { a.Move(false, true); }, 0.5f, O,
                        PVec3(2, 0, 0), O, PVec3(2, 0, 0), 1.5f},
        OneParticleCase{"move with no flag still moves the position", [](PActionApi& a) { a.Move(false, false); },
                        0.5f, O, PVec3(2, 0, 0), PVec3(1, 0, 0), PVec3(2, 0, 0), 1.5f}),
    [](const testing::TestParamInfo<OneParticleCase>& info) { return TestName(info.param.what); });

INSTANTIATE_TEST_SUITE_P(
    Forces, OneParticle,
    testing::Values(
        OneParticleCase{"gravity lowers velocity by one a run", [](PActionApi& a) { a.Gravity(PVec3(0, -10, 0)); },
                        0.1f, O, PVec3(0, 3, 0), O, PVec3(0, 2, 0), 1},
        OneParticleCase{"speed limit raises to the minimum", [](PActionApi& a) { a.SpeedLimit(1, 2); }, 1, O,
                        PVec3(0, 0.5f, 0), O, PVec3(0, 1, 0), 1},
        OneParticleCase{"speed limit lowers to the maximum", [](PActionApi& a) { a.SpeedLimit(1, 2); }, 1, O,
                        PVec3(0, 0, -3), O, PVec3(0, 0, -2), 1},
        OneParticleCase{"speed limit leaves a particle at rest", [](PActionApi& a) { a.SpeedLimit(1, 2); }, 1, O, O,
                        O, O, 1},
        OneParticleCase{"speed limit passes a speed in range", [](PActionApi& a) { a.SpeedLimit(1, 2); }, 1, O,
                        PVec3(1.5f, 0, 0), O, PVec3(1.5f, 0, 0), 1},
        OneParticleCase{"damping halves a speed in its window",
                        [](PActionApi& a) { a.Damping(PVec3(0.5f, 0.5f, 0.5f), 1, 5); }, 1, O, PVec3(0, 4, 3), O,
                        PVec3(0, 2, 1.5f), 1},
        OneParticleCase{"damping leaves a faster particle",
                        [](PActionApi& a) { a.Damping(PVec3(0.5f, 0.5f, 0.5f), 1, 5); }, 1, O, PVec3(6, 0, 0), O,
                        PVec3(6, 0, 0), 1},
        OneParticleCase{"damping leaves a slower particle",
                        [](PActionApi& a) { a.Damping(PVec3(0.5f, 0.5f, 0.5f), 1, 5); }, 1, O, PVec3(0.5f, 0, 0),
                        O, PVec3(0.5f, 0, 0), 1},
        OneParticleCase{"orbit point pulls by one over d squared",
                        [](PActionApi& a) { a.OrbitPoint(O, 1, 0, 1e16f); }, 1, PVec3(2, 0, 0), O, PVec3(2, 0, 0),
                        PVec3(-0.25f, 0, 0), 1},
        OneParticleCase{"orbit point with radius 1e9 has no limit",
                        [](PActionApi& a) { a.OrbitPoint(O, 1, 0, 1e9f); }, 1, PVec3(0, 0, 20), O, PVec3(0, 0, 20),
                        PVec3(0, 0, -1.0f / 400), 1},
        OneParticleCase{"orbit point ignores a particle exactly at its radius",
                        [](PActionApi& a) { a.OrbitPoint(O, 1, 0, 10); }, 1, PVec3(10, 0, 0), O, PVec3(10, 0, 0), O,
                        1},
        OneParticleCase{"orbit line pulls toward the nearest point of the line",
                        [](PActionApi& a) { a.OrbitLine(O, PVec3(0, 0, 10), 1, 0, 1e16f); }, 1, PVec3(2, 0, 5), O,
                        PVec3(2, 0, 5), PVec3(-0.25f, 0, 0), 1},
        OneParticleCase{"explosion pushes a particle on its front",
                        [](PActionApi& a) { a.Explosion(O, 2, 1, 0.1f, 0); }, 1, PVec3(2, 0, 0), O, PVec3(2, 0, 0),
                        PVec3(static_cast<float>(2 * (1 / (0.1 * std::sqrt(2 * 3.14159265358979)) / 8)), 0, 0), 1},
        OneParticleCase{"explosion leaves a particle off its front",
                        [](PActionApi& a) { a.Explosion(O, 2, 1, 0.1f, 0); }, 1, PVec3(5, 0, 0), O, PVec3(5, 0, 0),
                        O, 1},
        OneParticleCase{"vortex replaces velocity inside its funnel",
                        [](PActionApi& a) { a.Vortex(O, PVec3(0, 10, 0), 1, 5, 1, 2, 3); }, 1, PVec3(1, 5, 0),
                        PVec3(7, 7, 7), PVec3(1, 5, 0), PVec3(0, 2, 0.09f), 1},
        OneParticleCase{"vortex draws in a particle outside its funnel",
                        [](PActionApi& a) { a.Vortex(O, PVec3(0, 10, 0), 1, 5, 1, 2, 3); }, 1, PVec3(4, 5, 0),
                        PVec3(0, 1, 0), PVec3(4, 5, 0), PVec3(-1, 1, 0), 1},
        OneParticleCase{"vortex leaves a particle behind its centre",
                        [](PActionApi& a) { a.Vortex(O, PVec3(0, 10, 0), 1, 5, 1, 2, 3); }, 1, PVec3(1, -1, 0),
                        PVec3(0, 1, 0), PVec3(1, -1, 0), PVec3(0, 1, 0), 1},
        OneParticleCase{"vortex leaves a particle beyond its far end",
                        [](PActionApi& a) { a.Vortex(O, PVec3(0, 10, 0), 1, 5, 1, 2, 3); }, 1, PVec3(1, 11, 0),
                        PVec3(0, 1, 0), PVec3(1, 11, 0), PVec3(0, 1, 0), 1},
        OneParticleCase{"shrink heads for the centre", [](PActionApi& a) { a.Shrink(O, 2); }, 0.5f,
                        PVec3(4, 0, 0), PVec3(0, 9, 0), PVec3(4, 0, 0), PVec3(-4, 0, 0), 1},
        OneParticleCase{"jet accelerates inside its domain",
                        [](PActionApi& a) { a.Jet(PDSphere(O, 5), PDPoint(PVec3(0, 4, 0))); }, 0.5f, PVec3(1, 0, 0),
                        O, PVec3(1, 0, 0), PVec3(0, 2, 0), 1},
        OneParticleCase{"jet leaves a particle outside its domain",
                        [](PActionApi& a) { a.Jet(PDSphere(O, 5), PDPoint(PVec3(0, 4, 0))); }, 0.5f, PVec3(6, 0, 0),
                        O, PVec3(6, 0, 0), O, 1},
        OneParticleCase{"random accel adds a drawn vector times dt",
                        [](PActionApi& a) { a.RandomAccel(PDPoint(PVec3(1, 0, 0))); }, 0.5f, O, PVec3(1, 1, 1), O,
                        PVec3(1.5f, 1, 1), 1},
        OneParticleCase{"random displace moves by a drawn vector times dt",
                        [](PActionApi& a) { a.RandomDisplace(PDPoint(PVec3(0, 0, 4))); }, 0.5f, PVec3(1, 1, 1), O,
                        PVec3(1, 1, 3), O, 1},
        OneParticleCase{"random velocity sets a drawn vector",
                        [](PActionApi& a) { a.RandomVelocity(PDPoint(PVec3(3, 2, 1))); }, 0.5f, O, PVec3(9, 9, 9), O,
                        PVec3(3, 2, 1), 1}),
    [](const testing::TestParamInfo<OneParticleCase>& info) { return TestName(info.param.what); });

TEST(Motion, MoveTurnsUpByTheRotationalVelocity) {
  OpenSystem s;
  PParticle& p = s.Add(O);
  p.up = PVec3(0, 1, 0);
  p.rotVelocity = PVec3(2, 0, 0);
  s.lists.SetTimeStep(0.5f);
  s.actions.Move(true, true);
  EXPECT_EQ(p.up, PVec3(1, 1, 0));
  s.actions.Move(true, false);
  EXPECT_EQ(p.up, PVec3(1, 1, 0));
}

TEST(Motion, RotationalActionsWorkOnRotVelocityOnly) {
  OpenSystem s;
  PParticle& p = s.Add(O, 0, PVec3(1, 0, 0));
  p.rotVelocity = PVec3(4, 0, 0);
  s.lists.SetTimeStep(1.0f);
  s.actions.RotDamping(PVec3(0.5f, 0.5f, 0.5f), 0, 10);
  EXPECT_EQ(p.rotVelocity, PVec3(2, 0, 0));
  s.actions.RandomRotVelocity(PDPoint(PVec3(0, 0, 7)));
  EXPECT_EQ(p.rotVelocity, PVec3(0, 0, 7));
  EXPECT_EQ(p.velocity, PVec3(1, 0, 0));
}

TEST(Motion, VortexDividesByTheParticlesMass) {
  OpenSystem s;
  PParticle& p = s.Add(PVec3(4, 5, 0));
  p.mass = 4.0f;
  s.lists.SetTimeStep(1.0f);
  s.actions.Vortex(O, PVec3(0, 10, 0), 1, 5, 1, 2, 3);
  ExpectVec(p.velocity, -0.25f, 0, 0);
}

TEST(Motion, CreatorsStoreTheirDerivedValues) {
  OpenSystem s;
  const PActionList& list = s.Recorded([&] {
    s.actions.Damping(PVec3(1, 1, 1), 3, 5);
    s.actions.OrbitLine(O, PVec3(0, 0, 10), 1, 0, 1);
    s.actions.Explosion(O, 1, 1, 1, -1);
    s.actions.Explosion(O, 1, 1, 1, 0);
  });
  auto* damping = dynamic_cast<PADamping*>(list[0].get());
  ASSERT_NE(damping, nullptr);
  EXPECT_EQ(damping->lowSpeed, 9.0f);
  EXPECT_EQ(damping->highSpeed, 25.0f);
  EXPECT_EQ(dynamic_cast<PAOrbitLine&>(*list[1]).axis, PVec3(0, 0, 1));
  EXPECT_EQ(dynamic_cast<PAExplosion&>(*list[2]).epsilon, 0.001f);
  EXPECT_EQ(dynamic_cast<PAExplosion&>(*list[3]).epsilon, 0.0f);
}

TEST(Interaction, FollowPullsEachParticleButTheLastTowardTheNext) {
  OpenSystem s;
  s.Add(O);
  s.lists.SetTimeStep(1.0f);
  s.actions.Follow(1, 0, 1e16f);
  EXPECT_EQ(s.P(0).velocity, O);
  s.Add(PVec3(2, 0, 0));
  s.actions.Follow(1, 0, 1e16f);
  ExpectVec(s.P(0).velocity, 0.25f, 0, 0);
  EXPECT_EQ(s.P(1).velocity, O);
}

TEST(Interaction, GravitateKeepsTheSumOfEachPairsVelocities) {
  OpenSystem s;
  s.Add(O, 0, PVec3(1, 0, 0));
  s.Add(PVec3(2, 0, 0), 0, PVec3(0, 1, 0));
  s.Add(PVec3(0, 3, 0), 0, PVec3(0, 0, 1));
  s.lists.SetTimeStep(1.0f);
  s.actions.Gravitate(1, 0, 1e16f);
  PVec3 sum(0, 0, 0);
  for (const PParticle& p : s.Group().particles) sum += p.velocity;
  EXPECT_NEAR(sum.x, 1, 1e-6f);
  EXPECT_NEAR(sum.y, 1, 1e-6f);
  EXPECT_NEAR(sum.z, 1, 1e-6f);
  EXPECT_GT(s.P(0).velocity.x, 1.0f);  // pulled toward the second
}

TEST(Interaction, MatchVelocityMovesTheLaterParticlesVelocity) {
  OpenSystem s;
  s.Add(O, 0, PVec3(0, 0, 0));
  s.Add(PVec3(1, 0, 0), 0, PVec3(4, 0, 0));
  s.Add(PVec3(100, 0, 0), 0, PVec3(0, 8, 0));  // beyond the radius
  s.P(1).rotVelocity = PVec3(0, 0, 4);
  s.lists.SetTimeStep(0.5f);
  s.actions.MatchVelocity(1, 1, 10);
  ExpectVec(s.P(0).velocity, 1, 0, 0);  // 4 x 0.5 / (1 + 1)
  ExpectVec(s.P(1).velocity, 3, 0, 0);
  ExpectVec(s.P(2).velocity, 0, 8, 0);
  s.actions.MatchRotVelocity(1, 1, 10);
  ExpectVec(s.P(0).rotVelocity, 0, 0, 1);
  ExpectVec(s.P(1).rotVelocity, 0, 0, 3);
}

}  // namespace
}  // namespace psimtest
