// Recording and running action lists: runs, working sets, nested calls.
#include "ParticleFixture.h"

#include "particles/ActionsEmission.h"
#include "particles/PDomain.h"

#include <algorithm>
#include <cstring>

namespace psimtest {
namespace {

using Calls = std::vector<ProbeCall>;

// Records probes described as "name:flag" (flag K kills, W needs the whole
// group, nothing for neither).
PActionList& RecordProbes(OpenSystem& s, Calls& log, const std::vector<std::string>& probes, int list = 0) {
  while (static_cast<int>(s.state.lists.size()) <= list) s.lists.GenActionLists(1);
  s.lists.NewActionList(list);
  for (const std::string& probe : probes) {
    const bool kills = probe.find(":K") != std::string::npos;
    const bool whole = probe.find(":W") != std::string::npos;
    s.state.SendAction(new ProbeAction(probe.substr(0, probe.find(':')), log, kills, whole));
  }
  s.lists.EndActionList();
  return s.state.lists[list];
}

struct RunCase {
  const char* what;
  unsigned particles;
  std::vector<std::string> probes;
  Calls expected;
};

class ListRuns : public testing::TestWithParam<RunCase> {};

TEST_P(ListRuns, SplitIntoRunsAndWorkingSets) {
  const RunCase& c = GetParam();
  OpenSystem s;
  s.AddMany(c.particles);
  Calls log;
  RecordProbes(s, log, c.probes);
  s.lists.SetTimeStep(0.5f);
  s.lists.CallActionList(0);
  EXPECT_EQ(log, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListRuns,
    testing::Values(
        RunCase{"three plain actions over 4000 particles go set by set",
                4000,
                {"a", "b", "c"},
                {{"a", 0, 1820, .5f}, {"b", 0, 1820, .5f}, {"c", 0, 1820, .5f},
                 {"a", 1820, 3640, .5f}, {"b", 1820, 3640, .5f}, {"c", 1820, 3640, .5f},
                 {"a", 3640, 4000, .5f}, {"b", 3640, 4000, .5f}, {"c", 3640, 4000, .5f}}},
        RunCase{"exactly one set", 1820, {"a", "b"}, {{"a", 0, 1820, .5f}, {"b", 0, 1820, .5f}}},
        RunCase{"one particle over makes a second set",
                1821,
                {"a", "b"},
                {{"a", 0, 1820, .5f}, {"b", 0, 1820, .5f}, {"a", 1820, 1821, .5f}, {"b", 1820, 1821, .5f}}},
        RunCase{"a lone plain action gets the whole group", 5000, {"a"}, {{"a", 0, 5000, .5f}}},
        RunCase{"a plain action between flagged ones runs alone",
                5000,
                {"k:K", "a", "w:W"},
                {{"k", 0, 5000, .5f}, {"a", 0, 5000, .5f}, {"w", 0, 5000, .5f}}},
        RunCase{"a flagged action splits the list",
                2000,
                {"a", "b", "k:K", "c", "d"},
                {{"a", 0, 1820, .5f}, {"b", 0, 1820, .5f}, {"a", 1820, 2000, .5f}, {"b", 1820, 2000, .5f},
                 {"k", 0, 2000, .5f},
                 {"c", 0, 1820, .5f}, {"d", 0, 1820, .5f}, {"c", 1820, 2000, .5f}, {"d", 1820, 2000, .5f}}},
        RunCase{"an empty group still gets one call per action",
                0,
                {"a", "b", "w:W"},
                {{"a", 0, 0, .5f}, {"b", 0, 0, .5f}, {"w", 0, 0, .5f}}}),
    [](const testing::TestParamInfo<RunCase>& info) { return TestName(info.param.what); });

TEST(ActionList, KilledParticlesAreGoneForTheNextRun) {
  // KillOld between two plain actions makes three runs, and the actions
  // after it see the group as it left it.
  OpenSystem s;
  s.AddMany(3000);  // ages 0..2999
  Calls log;
  s.lists.GenActionLists(1);
  s.lists.NewActionList(0);
  s.state.SendAction(new ProbeAction("a", log));
  s.actions.KillOld(1000.0f);
  s.state.SendAction(new ProbeAction("b", log));
  s.lists.EndActionList();
  ASSERT_EQ(s.state.lists[0].size(), 3u);
  s.lists.CallActionList(0);
  EXPECT_EQ(log, (Calls{{"a", 0, 3000, 1.0f}, {"b", 0, 1000, 1.0f}}));
  EXPECT_EQ(s.groups.GetGroupCount(), 1000u);
}

// Notes the oldest particle of every range it is given.
class OldestProbe : public PActionBase {
 public:
  explicit OldestProbe(std::vector<float>& oldest) : PActionBase(false, false), mOldest(oldest) {}
  void Execute(PParticleGroup&, ParticleIter begin, ParticleIter end) override {
    float age = -1;
    for (ParticleIter p = begin; p != end; ++p) age = std::max(age, p->age);
    mOldest.push_back(age);
  }

 private:
  std::vector<float>& mOldest;
};

TEST(ActionList, ARemovalBeforeARunWalksEachSetJustAheadOfIt) {
  // The run's sets are those of the survivors, and each holds only
  // survivors, as if the removal had gone through the group first.
  OpenSystem s;
  s.AddMany(5000);  // ages 0..4999
  Calls log;
  std::vector<float> oldest;
  s.lists.GenActionLists(1);
  s.lists.NewActionList(0);
  s.actions.KillOld(4000.0f);
  s.state.SendAction(new ProbeAction("a", log));
  s.state.SendAction(new OldestProbe(oldest));
  s.lists.EndActionList();
  s.lists.CallActionList(0);
  EXPECT_EQ(log, (Calls{{"a", 0, 1820, 1.0f}, {"a", 1820, 3640, 1.0f}, {"a", 3640, 4000, 1.0f}}));
  ASSERT_EQ(oldest.size(), 3u);
  for (float age : oldest) EXPECT_LT(age, 4000.0f);
  EXPECT_EQ(s.groups.GetGroupCount(), 4000u);
}

TEST(ActionList, ARemovalBeforeARunGivesWhatTheyGiveOneAfterTheOther) {
  auto fill = [](OpenSystem& s) {
    platform::SeedRand(9);
    s.source.SetVelocity(PDSphere(PVec3(0, 0, 0), 3, 1));
    s.source.SetStartingAge(1.0f, 0.5f);
    s.lists.SetTimeStep(1.0f);
    s.actions.Source(6000, PDCylinder(PVec3(0, 0, 0), PVec3(0, 4, 0), 2));
    s.lists.SetTimeStep(0.1f);
  };
  PDUnion keys;
  keys.Insert(PDSphere(PVec3(1, 1, 1), 0, 1, true));
  keys.Insert(PDSphere(PVec3(0, 0, 0), 2, 0, true));
  auto actions = [&](OpenSystem& s) {
    s.actions.RandomAccel(PDSphere(PVec3(0, 0, 0), 1));
    s.actions.Move();
    s.actions.ColourAnim(keys);
  };
  OpenSystem together, apart;
  fill(together);
  fill(apart);
  together.Recorded([&] {
    together.actions.KillOld(1.2f);
    actions(together);
    together.actions.Sink(false, PDSphere(PVec3(0, 2, 0), 3));
    actions(together);
  });
  platform::SeedRand(10);
  together.lists.CallActionList(0);
  platform::SeedRand(10);
  apart.actions.KillOld(1.2f);
  actions(apart);
  apart.actions.Sink(false, PDSphere(PVec3(0, 2, 0), 3));
  actions(apart);
  const auto& a = together.Group().particles;
  const auto& b = apart.Group().particles;
  ASSERT_EQ(a.size(), b.size());
  ASSERT_GT(a.size(), 1000u);
  EXPECT_LT(a.size(), 5000u);
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(PParticle)), 0);
}

TEST(ActionList, AnErrorInARunAfterARemovalStillFindsTheRemovalDone) {
  OpenSystem s;
  s.AddMany(5000);
  s.Recorded([&] {
    s.actions.KillOld(4000.0f);
    s.actions.Gravity(PVec3(0, 1, 0));
    s.actions.Bounce(0, 1, 0, PDSphere(PVec3(0, 0, 0), 2, 1));  // refuses a thick shell at every run
  });
  ExpectError<PErrInternalError>([&] { s.lists.CallActionList(0); },
                                 "Bouncing doesn't work on thick shells. radIn must be 0.");
  ASSERT_EQ(s.groups.GetGroupCount(), 4000u);
  for (const PParticle& p : s.Group().particles) EXPECT_LT(p.age, 4000.0f);
  EXPECT_EQ(s.P(0).velocity.y, 1.0f);  // the first set had its gravity
  EXPECT_EQ(s.P(1820).velocity.y, 0.0f);
}

// What happened, in order: deaths, runs and what callbacks saw.
std::vector<std::string> g_events;

void NoteDeath(PParticle&, uint64_t) { g_events.push_back("death"); }

// Notes the size of the whole group, which the callback reaches through its data.
void NoteGroupSize(PParticle&, uint64_t group) {
  g_events.push_back("group of " + std::to_string(reinterpret_cast<PParticleGroup*>(group)->particles.size()));
}

class NoteRun : public PActionBase {
 public:
  NoteRun() : PActionBase(false, false) {}
  void Execute(PParticleGroup&, ParticleIter, ParticleIter) override { g_events.push_back("run"); }
};

// Where something may watch the group, a removal finishes before the run
// after it starts: every death callback has fired, and a callback action
// sees the group without the removed particles.
TEST(ActionList, ARemovalThatCanBeWatchedEndsBeforeTheNextRunStarts) {
  for (const bool deathCallback : {true, false}) {
    OpenSystem s;
    s.AddMany(5000);  // ages 0..4999: the oldest, in the last set, die
    s.Recorded([&] {
      s.actions.KillOld(4000.0f);
      s.state.SendAction(new NoteRun());
      if (deathCallback)
        s.state.SendAction(new NoteRun());
      else
        s.actions.Callback(NoteGroupSize, reinterpret_cast<uint64_t>(&s.Group()));
    });
    if (deathCallback) s.groups.DeathCallback(NoteDeath);
    g_events.clear();
    s.lists.CallActionList(0);
    std::vector<std::string> expected;
    if (deathCallback) {
      expected.assign(1000, "death");
      expected.insert(expected.end(), 6, "run");  // three sets of two actions
    } else {
      for (size_t set : {1820, 1820, 360}) {
        expected.push_back("run");
        expected.insert(expected.end(), set, "group of 4000");
      }
    }
    EXPECT_EQ(g_events, expected) << (deathCallback ? "death callback" : "callback action");
  }
}

TEST(ActionList, ActionsTakeTheTimeStepOfTheRunNotOfTheRecording) {
  OpenSystem s;
  Calls log;
  s.lists.SetTimeStep(0.1f);
  RecordProbes(s, log, {"a"});
  s.lists.SetTimeStep(0.25f);
  s.lists.CallActionList(0);
  s.lists.SetTimeStep(2.0f);
  s.lists.CallActionList(0);
  EXPECT_EQ(log, (Calls{{"a", 0, 0, 0.25f}, {"a", 0, 0, 2.0f}}));
}

TEST(ActionList, RecordingReplacesAListAndDeletingEmptiesItInPlace) {
  OpenSystem s;
  Calls log;
  RecordProbes(s, log, {"old1", "old2"});
  RecordProbes(s, log, {"new"});
  EXPECT_EQ(s.state.lists[0].size(), 1u);

  s.lists.DeleteActionLists(0, 1);
  EXPECT_EQ(s.state.lists.size(), 1u);
  EXPECT_TRUE(s.state.lists[0].empty());
  s.lists.DeleteActionLists(0, 0);  // a count of 0 empties nothing and is allowed
  RecordProbes(s, log, {"again"});
  s.lists.CallActionList(0);
  EXPECT_EQ(log, (Calls{{"again", 0, 0, 1.0f}}));
  EXPECT_EQ(s.lists.GenActionLists(2), 1);
  EXPECT_EQ(s.lists.GenActionLists(0), 3);
}

TEST(ActionList, WhileRecordingCreatorsAndCallsRecordInsteadOfActing) {
  OpenSystem s;
  s.AddMany(3);
  s.lists.GenActionLists(2);
  s.lists.NewActionList(1);
  s.actions.Move();
  s.actions.KillOld(0.0f);
  s.lists.CallActionList(0);
  s.lists.EndActionList();
  EXPECT_EQ(s.groups.GetGroupCount(), 3u);
  EXPECT_EQ(s.P(1).position.x, 1.0f);
  ASSERT_EQ(s.state.lists[1].size(), 3u);
  auto* call = dynamic_cast<PACallActionList*>(s.state.lists[1][2].get());
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->actionListNum, 0);
  EXPECT_TRUE(call->needsWholeList);
  EXPECT_FALSE(call->killsParticles);
}

TEST(ActionList, ARecordedCallRunsTheOtherListOnceOnTheWholeGroup) {
  OpenSystem s;
  s.AddMany(5000);
  Calls log;
  RecordProbes(s, log, {"inner1", "inner2"}, 1);
  s.lists.NewActionList(0);
  s.state.SendAction(new ProbeAction("before", log));
  s.lists.CallActionList(1);
  s.state.SendAction(new ProbeAction("after", log));
  s.lists.EndActionList();
  s.lists.CallActionList(0);
  EXPECT_EQ(log, (Calls{{"before", 0, 5000, 1.0f},
                        {"inner1", 0, 1820, 1.0f}, {"inner2", 0, 1820, 1.0f},
                        {"inner1", 1820, 3640, 1.0f}, {"inner2", 1820, 3640, 1.0f},
                        {"inner1", 3640, 5000, 1.0f}, {"inner2", 3640, 5000, 1.0f},
                        {"after", 0, 5000, 1.0f}}));
}

TEST(ActionList, AListThatCallsItselfIsRefusedInsteadOfRecursingForever) {
  OpenSystem s;
  s.lists.GenActionLists(2);
  s.lists.NewActionList(0);
  s.lists.CallActionList(1);
  s.lists.EndActionList();
  s.lists.NewActionList(1);
  s.lists.CallActionList(0);
  s.lists.EndActionList();
  ExpectError<PErrActionList>([&] { s.lists.CallActionList(0); }, "Action list calls itself.");
  // The guard unwinds: an acyclic list still runs afterwards.
  s.lists.NewActionList(1);
  s.actions.Move();
  s.lists.EndActionList();
  EXPECT_NO_THROW(s.lists.CallActionList(0));
}

struct SetSizeCase {
  unsigned bytes;
  int particlesPerSet;
};

TEST(ActionList, WorkingSetSizeCountsWholeRecordsAndNeverFallsBelowOne) {
  for (const SetSizeCase& c : {SetSizeCase{288, 2}, {300, 2}, {144, 1}, {143, 1}, {0, 1}, {262080, 1820}}) {
    OpenSystem s;
    s.groups.SetWorkingSetSize(c.bytes);
    EXPECT_EQ(s.state.workingSetSize, c.particlesPerSet) << c.bytes << " bytes";
  }
}

TEST(ActionList, ARunOfSeveralActionsEndsWithATinyWorkingSet) {
  // A size below one record once gave sets of no particle that never ended.
  OpenSystem s;
  s.AddMany(3);
  Calls log;
  RecordProbes(s, log, {"a", "b"});
  s.groups.SetWorkingSetSize(10);
  s.lists.CallActionList(0);
  EXPECT_EQ(log, (Calls{{"a", 0, 1, 1.0f}, {"b", 0, 1, 1.0f}, {"a", 1, 2, 1.0f}, {"b", 1, 2, 1.0f},
                        {"a", 2, 3, 1.0f}, {"b", 2, 3, 1.0f}}));
}

TEST(ActionList, AnImmediateActionRunsOnceOnTheWholeGroupAndIsDeleted) {
  OpenSystem s;
  s.AddMany(4000);
  Calls log;
  s.lists.SetTimeStep(0.75f);
  s.state.SendAction(new ProbeAction("now", log));
  EXPECT_EQ(log, (Calls{{"now", 0, 4000, 0.75f}}));
  EXPECT_TRUE(s.state.lists.empty());
}

TEST(ActionList, AnErrorInTheMiddleOfARunKeepsWhatTheActionsBeforeItDid) {
  OpenSystem s;
  s.Add(PVec3(0, 0, 0), 0.0f, PVec3(1, 0, 0));
  s.Recorded([&] {
    s.actions.Move();
    s.actions.Callback(nullptr);
    s.actions.Move();
  });
  ExpectError<PErrInternalError>([&] { s.lists.CallActionList(0); }, "callback pointer was NULL");
  EXPECT_EQ(s.P(0).position.x, 1.0f);
}

TEST(ActionList, RunningWithoutACurrentGroupIsRefused) {
  PSystemState state;
  PListApi lists(&state);
  PActionApi actions(&state);
  lists.GenActionLists(1);
  ExpectError<PErrParticleGroup>([&] { lists.CallActionList(0); }, "CallActionList: Invalid particle group number");
  ExpectError<PErrParticleGroup>([&] { actions.Move(); }, "SendAction: Invalid particle group number");
}

}  // namespace
}  // namespace psimtest
