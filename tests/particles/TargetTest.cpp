// Target actions and key animations of colour and size.
#include "ParticleFixture.h"

#include "particles/PDomain.h"

#include <cmath>

namespace psimtest {
namespace {

struct Key {
  float r, g, b, alpha, time;
};

// The key table as the effect reader builds it: spheres with the time as
// outer and the alpha as inner radius, in that order.
PDUnion KeyTable(const std::vector<Key>& keys) {
  PDUnion table;
  for (const Key& k : keys) table.Insert(PDSphere(PVec3(k.r, k.g, k.b), k.time, k.alpha, true));
  return table;
}

TEST(TargetActions, CloseTheirFractionOfTheGap) {
  OpenSystem s;
  PParticle& p = s.Add(PVec3(0, 0, 0), 0, PVec3(4, 0, 0));
  p.color = PVec3(0, 0, 0);
  p.alpha = 1;
  p.size = PVec3(1, 1, 1);
  p.rotVelocity = PVec3(0, 0, 8);
  s.lists.SetTimeStep(0.5f);
  s.actions.TargetColor(PVec3(1, 0.5f, 0.25f), 0.0f, 2.0f);  // k = 1: at the target in one run
  EXPECT_EQ(p.color, PVec3(1, 0.5f, 0.25f));
  EXPECT_EQ(p.alpha, 0.0f);
  s.actions.TargetSize(PVec3(3, 3, 3), PVec3(1, 0, 0));
  EXPECT_EQ(p.size, PVec3(2, 1, 1));  // only x moves
  s.actions.TargetVelocity(PVec3(0, 0, 0), 1.0f);
  EXPECT_EQ(p.velocity, PVec3(2, 0, 0));
  s.actions.TargetRotVelocity(PVec3(0, 0, 0), 0.5f);
  EXPECT_EQ(p.rotVelocity, PVec3(0, 0, 6));
}

struct ColourCase {
  const char* what;
  std::vector<Key> keys;
  float age;
  PVec3 want;  // the particle starts at colour (7, 7, 7), alpha 7
  float wantAlpha;
};

class ColourAnim : public testing::TestWithParam<ColourCase> {};

TEST_P(ColourAnim, TakesTheColourOfItsAge) {
  const ColourCase& c = GetParam();
  OpenSystem s;
  PParticle& p = s.Add(PVec3(0, 0, 0), c.age);
  p.color = PVec3(7, 7, 7);
  p.alpha = 7;
  s.actions.ColourAnim(KeyTable(c.keys));
  EXPECT_FLOAT_EQ(p.color.x, c.want.x);
  EXPECT_FLOAT_EQ(p.color.y, c.want.y);
  EXPECT_FLOAT_EQ(p.color.z, c.want.z);
  EXPECT_FLOAT_EQ(p.alpha, c.wantAlpha);
}

const Key kWhite{1, 1, 1, 1, 0}, kBlackAt2{0, 0, 0, 0, 2};
const Key kRed{1, 0, 0, 1, 0}, kGreen{0, 1, 0, 0.5f, 1}, kBlue{0, 0, 1, 0, 2};
const Key kLateRed{1, 0, 0, 1, 0.5f};

INSTANTIATE_TEST_SUITE_P(
    Keys, ColourAnim,
    testing::Values(
        ColourCase{"two keys halfway", {kWhite, kBlackAt2}, 1, PVec3(0.5f, 0.5f, 0.5f), 0.5f},
        ColourCase{"two keys at the first", {kWhite, kBlackAt2}, 0, PVec3(1, 1, 1), 1},
        ColourCase{"two keys at the last", {kWhite, kBlackAt2}, 2, PVec3(0, 0, 0), 0},
        ColourCase{"two keys past the last keep the colour", {kWhite, kBlackAt2}, 3, PVec3(7, 7, 7), 7},
        ColourCase{"three keys at the middle key", {kRed, kGreen, kBlue}, 1, PVec3(0, 1, 0), 0.5f},
        ColourCase{"three keys in the second segment", {kRed, kGreen, kBlue}, 1.5f, PVec3(0, 0.5f, 0.5f), 0.25f},
        ColourCase{"three keys in the first segment", {kRed, kGreen, kBlue}, 0.25f, PVec3(0.75f, 0.25f, 0),
                   0.875f},
        // The ends of longer tables once divided 0 by 0 (before the first
        // key) and extrapolated out of range (past the last key).
        ColourCase{"three keys at the first key's time", {kRed, kGreen, kBlue}, 0, PVec3(1, 0, 0), 1},
        ColourCase{"three keys before the first key", {kLateRed, kGreen, kBlue}, 0.25f, PVec3(1, 0, 0), 1},
        ColourCase{"three keys past the last hold it", {kRed, kGreen, kBlue}, 3, PVec3(0, 0, 1), 0},
        ColourCase{"two keys before the first hold it", {kLateRed, kGreen}, 0, PVec3(1, 0, 0), 1},
        ColourCase{"one key does nothing", {kRed}, 0.5f, PVec3(7, 7, 7), 7},
        ColourCase{"no key does nothing", {}, 0.5f, PVec3(7, 7, 7), 7}),
    [](const testing::TestParamInfo<ColourCase>& info) { return TestName(info.param.what); });

TEST(ColourAnimRun, ParticlesPastATwoKeyTableDoNotStopTheOthers) {
  OpenSystem s;
  s.Add(PVec3(0, 0, 0), 3).color = PVec3(7, 7, 7);
  s.Add(PVec3(0, 0, 0), 1);
  s.actions.ColourAnim(KeyTable({kWhite, kBlackAt2}));
  EXPECT_EQ(s.P(0).color, PVec3(7, 7, 7));
  EXPECT_EQ(s.P(1).color, PVec3(0.5f, 0.5f, 0.5f));
}

TEST(ColourAnimRun, ColoursStayInRangeOverALifeOnALongTable) {
  OpenSystem s;
  s.Add(PVec3(0, 0, 0), 0);
  s.Recorded([&] {
    s.actions.ColourAnim(KeyTable({kLateRed, kGreen, kBlue}));
    s.actions.Move();
  });
  s.lists.SetTimeStep(0.1f);
  for (int frame = 0; frame < 40; ++frame) {
    s.lists.CallActionList(0);
    const PParticle& p = s.P(0);
    for (float v : {p.color.x, p.color.y, p.color.z, p.alpha}) {
      EXPECT_TRUE(std::isfinite(v)) << "frame " << frame;
      EXPECT_GE(v, 0.0f) << "frame " << frame;
      EXPECT_LE(v, 1.0f) << "frame " << frame;
    }
  }
}

TEST(KeyAnimations, RefuseATableThatIsNotAUnionOfSpheres) {
  OpenSystem s;
  s.Add(PVec3(0, 0, 0));
  ExpectError<PErrInvalidValue>([&] { s.actions.ColourAnim(PDSphere(PVec3(0, 0, 0), 1)); },
                                "ColourAnim keys must be a union of spheres.");
  PDUnion mixed = KeyTable({kRed});
  mixed.Insert(PDPoint(PVec3(0, 0, 0)));
  ExpectError<PErrInvalidValue>([&] { s.actions.SizeAnim(mixed); }, "SizeAnim keys must be a union of spheres.");
}

struct SizeCase {
  float age;
  float growth;  // per run of dt 0.5
};

TEST(SizeAnim, GrowsAtTheRateOfTheFirstKeyAhead) {
  // Rate 2 until time 1, then rate 5 until time 3; past the last key (and
  // before the first) the first key's rate applies.
  const PDUnion table = KeyTable({{2, 2, 2, 0, 1}, {5, 5, 5, 0, 3}});
  for (const SizeCase& c : {SizeCase{0.5f, 1}, {1, 2.5f}, {2, 2.5f}, {3, 1}, {4, 1}}) {
    OpenSystem s;
    PParticle& p = s.Add(PVec3(0, 0, 0), c.age);
    s.lists.SetTimeStep(0.5f);
    s.actions.SizeAnim(table);
    EXPECT_EQ(p.size, PVec3(1 + c.growth, 1 + c.growth, 1 + c.growth)) << "age " << c.age;
  }
  OpenSystem s;
  PParticle& p = s.Add(PVec3(0, 0, 0), 0.5f);
  s.actions.SizeAnim(KeyTable({{2, 2, 2, 0, 1}}));
  EXPECT_EQ(p.size, PVec3(1, 1, 1));  // one key: nothing
}

}  // namespace
}  // namespace psimtest
