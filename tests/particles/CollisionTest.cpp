// Bounce and avoidance off discs and spheres.
#include "ParticleFixture.h"

#include "particles/ActionsCollision.h"
#include "particles/PDomain.h"

#include <cmath>

namespace psimtest {
namespace {

const PDDisc kGround(PVec3(0, 0, 0), PVec3(0, 1, 0), 10, 0);

struct DiscBounceCase {
  const char* what;
  float friction, resilience, cutoff, dt;
  PVec3 position, velocity, want;
};

TEST(DiscBounce, ReflectsParticlesThatCrossTheRingThisStep) {
  const DiscBounceCase cases[] = {
      {"falls through the disc", 0, 0.5f, 0, 0.1f, PVec3(0, 1, 0), PVec3(0, -20, 0), PVec3(0, 10, 0)},
      {"does not reach the plane this step", 0, 0.5f, 0, 0.01f, PVec3(0, 1, 0), PVec3(0, -20, 0),
       PVec3(0, -20, 0)},
      {"crosses outside the ring", 0, 0.5f, 0, 1, PVec3(11, 1, 0), PVec3(0, -2, 0), PVec3(0, -2, 0)},
      {"lies on the plane", 0, 0.5f, 0, 1, PVec3(0, 0, 0), PVec3(0, -2, 0), PVec3(0, -2, 0)},
      {"friction above the cutoff halves the slide", 0.5f, 1, 1, 1, PVec3(0, 1, 0), PVec3(2, -2, 0),
       PVec3(1, 2, 0)},
      {"no friction below the cutoff", 0.5f, 1, 1, 1, PVec3(0, 1, 0), PVec3(0.5f, -2, 0), PVec3(0.5f, 2, 0)},
      {"rises through from below", 0, 1, 0, 1, PVec3(0, -1, 0), PVec3(0, 2, 0), PVec3(0, -2, 0)},
  };
  for (const DiscBounceCase& c : cases) {
    OpenSystem s;
    PParticle& p = s.Add(c.position, 0, c.velocity);
    s.lists.SetTimeStep(c.dt);
    s.actions.Bounce(c.friction, c.resilience, c.cutoff, kGround);
    EXPECT_FLOAT_EQ(p.velocity.x, c.want.x) << c.what;
    EXPECT_FLOAT_EQ(p.velocity.y, c.want.y) << c.what;
    EXPECT_FLOAT_EQ(p.velocity.z, c.want.z) << c.what;
  }
}

TEST(DiscBounce, TheCreatorStoresDerivedValues) {
  OpenSystem s;
  const PActionList& list = s.Recorded([&] { s.actions.Bounce(0.25f, 0.5f, 2, kGround); });
  const auto& bounce = dynamic_cast<const PABounce&>(*list[0]);
  EXPECT_EQ(bounce.oneMinusFriction, 0.75f);
  EXPECT_EQ(bounce.resilience, 0.5f);
  EXPECT_EQ(bounce.cutoff, 4.0f);
  EXPECT_NE(dynamic_cast<const PDDisc*>(bounce.domain.get()), &kGround);  // its own clone
}

TEST(SphereBounce, TurnsBackAParticleAboutToLeave) {
  const PDSphere ball(PVec3(0, 0, 0), 5);
  OpenSystem s;
  PParticle& leaving = s.Add(PVec3(4, 0, 0), 0, PVec3(2, 0, 0));
  PParticle& staying = s.Add(PVec3(1, 0, 0), 0, PVec3(1, 0, 0));
  PParticle& fast = s.Add(PVec3(4, 0, 0), 0, PVec3(20, 0, 0));
  s.lists.SetTimeStep(1.0f);
  s.actions.Bounce(0, 0.5f, 0, ball);
  ExpectVec(leaving.velocity, -1, 0, 0);
  ExpectVec(staying.velocity, 1, 0, 0);
  // Even bounced it would leave: aimed at 0.999 of the radius, from the
  // other side, in one step.
  ExpectVec(fast.velocity, -5 * 0.999f - 4, 0, 0);
}

TEST(SphereBounce, BouncesAParticleAboutToEnterOnce) {
  OpenSystem s;
  PParticle& p = s.Add(PVec3(6, 0, 0), 0, PVec3(-2, 0, 0));
  s.lists.SetTimeStep(1.0f);
  s.actions.Bounce(0, 1, 0, PDSphere(PVec3(0, 0, 0), 5));
  ExpectVec(p.velocity, 2, 0, 0);
}

TEST(SphereBounce, AThickShellIsRefusedAtEveryRun) {
  OpenSystem s;
  s.Add(PVec3(0, 0, 0));
  s.Recorded([&] { s.actions.Bounce(0, 1, 0, PDSphere(PVec3(0, 0, 0), 5, 2)); });
  for (int run = 0; run < 2; ++run)
    ExpectError<PErrInternalError>([&] { s.lists.CallActionList(0); },
                                   "Bouncing doesn't work on thick shells. radIn must be 0.");
}

TEST(Collision, OtherDomainsAreNotImplemented) {
  const PVec3 o(0, 0, 0), x(1, 0, 0);
  PDUnion u;
  const std::vector<std::pair<const pDomain*, std::string>> domains = {
      {new PDPoint(o), "PDPoint"},
      {new PDLine(o, x), "PDLine"},
      {new PDCylinder(o, x, 1), "PDCylinder"},
      {&u, "PDUnion"}};
  for (const auto& d : domains) {
    OpenSystem s;
    s.Add(o);
    try {
      s.actions.Bounce(0, 1, 0, *d.first);
      ADD_FAILURE() << d.second;
    } catch (const PErrNotImplemented& e) {
      EXPECT_EQ(e.message.rfind("Bounce not implemented for domain ", 0), 0u) << e.message;
      EXPECT_NE(e.message.find(d.second), std::string::npos) << e.message;
    }
    try {
      s.actions.Avoid(1, 0, 1, *d.first);
      ADD_FAILURE() << d.second;
    } catch (const PErrNotImplemented& e) {
      EXPECT_EQ(e.message.rfind("Avoid not implemented for domain ", 0), 0u) << e.message;
    }
    if (d.first != &u) delete d.first;
  }
}

TEST(Avoid, SteersAroundASphereAheadKeepingTheSpeed) {
  const PDSphere rock(PVec3(10, 0, 0), 2);
  OpenSystem s;
  PParticle& headOn = s.Add(PVec3(0, 0.5f, 0), 0, PVec3(4, 0, 0));
  PParticle& tooFar = s.Add(PVec3(-100, 0.5f, 0), 0, PVec3(4, 0, 0));
  PParticle& misses = s.Add(PVec3(0, 3, 0), 0, PVec3(4, 0, 0));
  s.lists.SetTimeStep(0.1f);
  s.actions.Avoid(10, 0.1f, 5, rock);
  EXPECT_NEAR(headOn.velocity.Length(), 4.0f, 1e-5f);
  EXPECT_GT(headOn.velocity.y, 0.0f);  // away from the centre, which lies below its path
  EXPECT_EQ(tooFar.velocity, PVec3(4, 0, 0));
  EXPECT_EQ(misses.velocity, PVec3(4, 0, 0));
}

TEST(Avoid, SteersTowardTheRimOfADiscAhead) {
  OpenSystem s;
  PParticle& p = s.Add(PVec3(3, 5, 0), 0, PVec3(0, -2, 0));
  PParticle& clear = s.Add(PVec3(3, 50, 0), 0, PVec3(0, -2, 0));
  s.lists.SetTimeStep(0.1f);
  s.actions.Avoid(10, 0.1f, 5, kGround);
  EXPECT_NEAR(p.velocity.Length(), 2.0f, 1e-5f);
  EXPECT_GT(p.velocity.x, 0.0f);
  EXPECT_EQ(clear.velocity, PVec3(0, -2, 0));
}

}  // namespace
}  // namespace psimtest
