// Particle groups: the record the renderer reads, adding and removing,
// maxima, copying and reading out.
#include "ParticleFixture.h"

#include "particles/PSystem.h"

#include <cstring>

namespace psimtest {
namespace {

TEST(ParticleRecord, HasTheSizeAndFieldPositionsTheRendererReads) {
  OpenSystem s;
  s.AddMany(2);
  float* base = nullptr;
  size_t stride, position, positionB, size, velocity, velocityB, color, alpha, age, up, rotVelocity, upB, mass,
      data, origin;
  const unsigned count = s.groups.GetParticlePointer(base, stride, position, positionB, size, velocity, velocityB,
                                                     color, alpha, age, up, rotVelocity, upB, mass, data, origin);
  EXPECT_EQ(sizeof(PParticle), 144u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(stride, 36u);
  const size_t expected[] = {0, 24, 15, 6, 27, 9, 12, 13, 18, 21, 30, 33, 34, 3};
  const size_t got[] = {position, positionB, size, velocity, velocityB, color, alpha,
                        age,      up,        rotVelocity, upB, mass, data, origin};
  for (size_t i = 0; i < 14; ++i) EXPECT_EQ(got[i], expected[i]) << "field " << i;

  // Field f of particle i lies at base + i * stride + f.
  PParticle& p = s.P(1);
  p.color = PVec3(0.1f, 0.2f, 0.3f);
  p.alpha = 0.4f;
  p.origin = PVec3(7, 8, 9);
  p.data = 0x0123456789abcdefULL;
  const float* second = base + stride;
  EXPECT_EQ(second[position], 1.0f);
  EXPECT_EQ(second[age], 1.0f);
  EXPECT_EQ(second[color + 3], 0.4f);  // colour and alpha read as four floats
  EXPECT_EQ(second[alpha], 0.4f);
  EXPECT_EQ(second[origin + 2], 9.0f);
  uint64_t carried;
  std::memcpy(&carried, second + data, sizeof carried);
  EXPECT_EQ(carried, 0x0123456789abcdefULL);
}

TEST(ParticleRecord, ASingleParticleHasStrideZero) {
  OpenSystem s;
  s.AddMany(1);
  float* base;
  size_t stride, f[14];
  EXPECT_EQ(s.groups.GetParticlePointer(base, stride, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9],
                                        f[10], f[11], f[12], f[13]),
            1u);
  EXPECT_EQ(stride, 0u);
}

std::vector<uint64_t> g_seen;
void Note(PParticle& p, uint64_t data) { g_seen.push_back(static_cast<uint64_t>(p.position.x) * 100 + data); }
void Paint(PParticle& p, uint64_t) { p.color = PVec3(1, 2, 3); }

TEST(ParticleGroup, AddRefusesAFullGroupWithoutCallingBack) {
  PParticleGroup g;
  g.SetMaxParticles(3);
  g.SetBirthCallback(Paint, 0);
  PParticle p;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(g.Add(p));
  EXPECT_EQ(g.particles.back().color, PVec3(1, 2, 3));  // the stored copy was called back
  g_seen.clear();
  g.SetBirthCallback(Note, 0);
  EXPECT_FALSE(g.Add(p));
  EXPECT_EQ(g.Size(), 3u);
  EXPECT_TRUE(g_seen.empty());
}

TEST(ParticleGroup, RemoveMovesTheLastParticleIntoThePlace) {
  OpenSystem s;
  s.AddMany(3);  // P, Q, R at x = 0, 1, 2
  PParticleGroup& g = s.Group();
  g_seen.clear();
  g.SetDeathCallback(Note, 5);
  ParticleIter at = g.Remove(g.begin());
  EXPECT_EQ(at, g.begin());
  ASSERT_EQ(g.Size(), 2u);
  EXPECT_EQ(s.P(0).position.x, 2.0f);
  EXPECT_EQ(s.P(1).position.x, 1.0f);
  at = g.Remove(g.begin() + 1);
  EXPECT_EQ(at, g.end());
  EXPECT_EQ(g_seen, (std::vector<uint64_t>{5, 105}));
}

TEST(ParticleGroup, LoweringTheMaximumCallsBackForTheCutParticlesInOrder) {
  OpenSystem s;
  s.AddMany(5);
  g_seen.clear();
  s.groups.DeathCallback(Note, 0);
  s.groups.SetMaxParticles(2);
  EXPECT_EQ(g_seen, (std::vector<uint64_t>{200, 300, 400}));
  EXPECT_EQ(s.groups.GetGroupCount(), 2u);
  EXPECT_EQ(s.P(1).position.x, 1.0f);
}

TEST(ParticleGroup, DeletingAGroupEmptiesItInPlaceWithDeathCallbacks) {
  OpenSystem s;
  s.AddMany(4);
  g_seen.clear();
  s.groups.DeathCallback(Note, 0);
  s.groups.DeleteParticleGroups(0, 1);
  EXPECT_EQ(g_seen.size(), 4u);
  EXPECT_EQ(s.groups.GetGroupCount(), 0u);
  EXPECT_EQ(s.groups.GetMaxParticles(), 0u);
  EXPECT_EQ(s.state.groups.size(), 1u);
  // It can be given a new maximum and used again.
  s.groups.SetMaxParticles(2);
  s.AddMany(3);
  EXPECT_EQ(s.groups.GetGroupCount(), 2u);
}

TEST(ParticleGroup, GeneratingGroupsReturnsTheFirstNewNumber) {
  OpenSystem s;
  EXPECT_EQ(s.groups.GenParticleGroups(0, 10), 1);
  EXPECT_EQ(s.groups.GenParticleGroups(2, 10), 1);
  EXPECT_EQ(s.state.groups.size(), 3u);
  s.groups.CurrentGroup(2);
  EXPECT_EQ(s.groups.GetMaxParticles(), 10u);
}

TEST(ParticleGroup, EmittingUpToTheMaximumNeverMovesTheParticles) {
  OpenSystem s(1000);
  s.Add(PVec3(0, 0, 0));
  const PParticle* first = &s.P(0);
  s.groups.GenParticleGroups(5, 1000);  // the group vector grows; storage stays
  s.AddMany(999);
  EXPECT_EQ(&s.P(0), first);
}

TEST(ParticleGroup, CopyGroupTakesWhatTheSourceHasAndTheDestinationHoldsRoomFor) {
  OpenSystem s;
  s.AddMany(10);
  const int dest = s.groups.GenParticleGroups(1, 1);
  s.groups.CurrentGroup(dest);
  s.groups.CopyGroup(0, 8, 5);
  ASSERT_EQ(s.groups.GetGroupCount(), 1u);
  EXPECT_EQ(s.P(0).position.x, 8.0f);

  s.groups.SetMaxParticles(100);
  s.groups.CopyGroup(0, 10, 5);  // at the end: nothing
  EXPECT_EQ(s.groups.GetGroupCount(), 1u);
  s.groups.CopyGroup(0, 7);  // no limit: the rest
  EXPECT_EQ(s.groups.GetGroupCount(), 4u);
  s.groups.CopyGroup(dest, 0);  // into itself
  EXPECT_EQ(s.groups.GetGroupCount(), 8u);
  EXPECT_EQ(s.P(4).position.x, 8.0f);
}

TEST(ParticleGroup, GetParticlesCopiesTheFieldsOutDensely) {
  OpenSystem s;
  s.AddMany(5);
  s.P(2).color = PVec3(0.5f, 0.25f, 0.125f);
  s.P(2).alpha = 0.75f;
  std::vector<float> position(30, -1), color(40, -1), velocity(30, -1), size(30, -1), age(10, -1);
  EXPECT_EQ(s.groups.GetParticles(2, 10, position.data(), color.data(), velocity.data(), size.data(), age.data()),
            3u);
  EXPECT_EQ(position[0], 2.0f);
  EXPECT_EQ(position[3], 3.0f);
  EXPECT_EQ(position[9], -1.0f);  // 9 floats written
  EXPECT_EQ(std::vector<float>(color.begin(), color.begin() + 4), (std::vector<float>{0.5f, 0.25f, 0.125f, 0.75f}));
  EXPECT_EQ(color[12], -1.0f);  // 12 floats written
  EXPECT_EQ(size[0], 1.0f);
  EXPECT_EQ(age[2], 4.0f);
  EXPECT_EQ(s.groups.GetParticles(5, 10, position.data()), 0u);
  EXPECT_EQ(s.groups.GetParticles(0, 2, nullptr), 2u);
}

TEST(ParticleSystem, TheFourPartsShareOneState) {
  PSystem system;
  system.CurrentGroup(system.GenParticleGroups(1, 10));
  system.SetColor(0.5f, 0.5f, 0.5f, 0.5f);
  system.Vertex(PVec3(1, 2, 3));
  const int list = system.GenActionLists(1);
  system.NewActionList(list);
  system.Move(true, true);
  system.EndActionList();
  system.SetVelocity(PVec3(1, 0, 0));
  system.Vertex(PVec3(1, 2, 3));
  system.PListApi::CallActionList(list);
  std::vector<float> position(6), color(8);
  ASSERT_EQ(system.GetParticles(0, 2, position.data(), color.data()), 2u);
  EXPECT_EQ(position[0], 1.0f);  // the first had no velocity
  EXPECT_EQ(position[3], 2.0f);
  EXPECT_EQ(color[7], 0.5f);
}

}  // namespace
}  // namespace psimtest
