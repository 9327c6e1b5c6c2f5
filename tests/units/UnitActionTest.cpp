#include "FakeUnitWorld.h"
#include "game/FrameClock.h"
#include "platform/Random.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitTemplate.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

UnitActionEvent Event(int type, float time, std::vector<std::string> parameters) {
  UnitActionEvent e;
  e.type = type;
  e.Time = time;
  e.parameters = std::move(parameters);
  return e;
}

class UnitActions : public ::testing::Test {
 protected:
  FakeUnitWorld world;
  std::vector<std::unique_ptr<UnitAction>> store;

  void SetUp() override {
    SetFrame(0.1f);
    platform::SeedRand(1);
  }

  UnitAction* Action(const std::string& name, int level = 0, float probability = 1.0f,
                     std::vector<UnitActionEvent> events = {}) {
    store.push_back(std::make_unique<UnitAction>());
    UnitAction* a = store.back().get();
    a->SetName(name);
    a->SetLevel(level);
    a->SetProbability(probability);
    for (const UnitActionEvent& e : events) a->AddEvent(e);
    return a;
  }
  static std::string Current(const CGAUnit& u) { return u.GetCurrentAction() ? u.GetCurrentAction()->GetName() : "-"; }
};

// Removing and reloading actions, which the game never does: the names
// start what now stands in the list, not what stood there before.
TEST_F(UnitActions, RemovedAndReloadedActionsChangeWhatANameStarts) {
  UnitTemplate type;
  type.actions = {Action("ready"), Action("attack"), Action("die")};
  CGAUnit unit(world);
  unit.SetTemplate(&type);
  for (UnitAction* action : type.actions) unit.AddAction(action);
  unit.SetAction("attack");  // its place in the list is remembered
  unit.RemoveAction(0);
  unit.RemoveAction(2);  // past the end: nothing
  EXPECT_EQ(unit.GetActions(), (std::vector<UnitAction*>{type.actions[1], type.actions[2]}));
  unit.SetAction("attack", true);
  EXPECT_EQ(unit.GetCurrentAction(), type.actions[1]);
  unit.SetAction("ready", true);
  EXPECT_EQ(unit.GetCurrentAction(), type.actions[1]);  // gone: the current one stays
  unit.ReloadActions();
  EXPECT_EQ(unit.GetActions(), type.actions);
  unit.SetAction("ready", true);
  EXPECT_EQ(Current(unit), "ready");
}

TEST_F(UnitActions, ProbabilityRollsChooseTheCandidates) {
  std::vector<UnitAction*> attacks = {Action("attack", 0, 30), Action("attack", 0, 70), Action("attack", 0, 1)};
  struct Case {
    float roll;
    std::vector<unsigned> candidates;
  };
  for (const Case& c : {Case{20, {0, 1}}, Case{50, {1}}, Case{80, {0, 1, 2}}, Case{0.5f, {0, 1, 2}}}) {
    EXPECT_EQ(ActionCandidates(attacks, 0, 2, c.roll), c.candidates) << c.roll;
  }
}

TEST_F(UnitActions, EveryActionBetweenTheFirstAndLastOfANameIsACandidate) {
  CGAUnit unit(world);
  unit.AddAction(Action("attack", 0, 100));
  unit.AddAction(Action("ready", 0, 100));
  unit.AddAction(Action("attack", 0, 100));
  bool sawReady = false;
  for (int i = 0; i < 50; ++i) {
    unit.SetAction("attack");
    sawReady |= Current(unit) == "ready";
  }
  EXPECT_TRUE(sawReady);
}

TEST_F(UnitActions, AnUnknownNameLeavesTheCurrentActionRunning) {
  CGAUnit unit(world);
  unit.AddAction(Action("ready"));
  unit.SetAction("ready");
  unit.RunAction();
  unit.SetAction("fly");
  EXPECT_EQ(Current(unit), "ready");
  EXPECT_FLOAT_EQ(unit.GetActionClock(), 0.1f);
}

TEST_F(UnitActions, AHigherLevelIsNotInterruptedByALowerOne) {
  CGAUnit unit(world);
  unit.AddAction(Action("ready", 0));
  unit.AddAction(Action("die", 10));
  unit.AddAction(Action("rise", 10));
  unit.SetAction("die");
  unit.SetAction("ready");
  EXPECT_EQ(Current(unit), "die");
  unit.SetAction("rise");  // equal Levels replace
  EXPECT_EQ(Current(unit), "rise");
}

TEST_F(UnitActions, EventsFireOneAFrameWithDelaysCountedFromTheLastFiring) {
  CGAUnit unit(world);
  unit.AddAction(Action("attack", 0, 1,
                        {Event(kEventAnim, 0.0f, {"attack", "1.5", "0", ""}), Event(kEventSound, 0.0f, {"a.wav"}),
                         Event(kEventSound, 0.25f, {"b.wav"})}));
  unit.SetAction("attack");
  FakeModel& model = world.ModelOf(unit);
  unit.RunAction();  // clock 0: a Time-0 event is not due yet
  EXPECT_TRUE(model.animations.empty());
  unit.RunAction();  // clock 0.1
  EXPECT_EQ(model.animations, (std::vector<std::string>{"attack 1.5 0"}));
  EXPECT_TRUE(world.sounds.empty());  // the clock went back to 0: one event a frame
  EXPECT_EQ(unit.GetEventIndex(), 1);
  unit.RunAction();
  EXPECT_EQ(world.sounds, (std::vector<std::string>{"a.wav"}));
  unit.RunAction();  // clock 0.1: 0.25 not due
  unit.RunAction();  // 0.2
  EXPECT_EQ(world.sounds.size(), 1u);
  unit.RunAction();  // 0.3
  EXPECT_EQ(world.sounds, (std::vector<std::string>{"a.wav", "b.wav"}));
  EXPECT_FLOAT_EQ(unit.GetActionClock(), 0.35f);
}

TEST_F(UnitActions, AnActionEventOnTheUnitChainsAndLoops) {
  CGAUnit unit(world);
  unit.AddAction(Action("ready", 0, 1,
                        {Event(kEventSound, 0.0f, {"step.wav"}), Event(kEventAction, 0.15f, {"ready", "0"})}));
  unit.SetAction("ready");
  for (int i = 0; i < 12; ++i) unit.RunAction();
  // Sound at the second run, restart at the fourth, whose first run fires
  // the sound again (it started from inside the timeline).
  EXPECT_EQ(world.sounds.size(), 4u);
}

TEST_F(UnitActions, AnActionEventThatCannotStartFiresAgainEveryFrame) {
  CGAUnit unit(world);
  UnitAction* guard = Action("guard", 5, 1, {Event(kEventAction, 0.0f, {"ready", "0"})});
  unit.AddAction(guard);
  unit.AddAction(Action("ready", 0, 1, {Event(kEventSound, 0.0f, {"never.wav"})}));
  unit.SetAction("guard");
  for (int i = 0; i < 5; ++i) unit.RunAction();
  EXPECT_EQ(unit.GetCurrentAction(), guard);
  EXPECT_EQ(unit.GetEventIndex(), 0);
  EXPECT_TRUE(world.sounds.empty());
}

TEST_F(UnitActions, EffectsGoToTheTargetOrComeFromIt) {
  world.endlessEffects = {"aura"};
  CGAUnit caster(world), target(world);
  caster.SetPosition(Ogre::Vector3(10, 0, 10));
  target.SetPosition(Ogre::Vector3(20, 0, 10));
  caster.SetTarget(&target);
  caster.AddAction(Action("attack", 0, 1,
                          {Event(kEventEffect, 0.0f, {"arrow", "release"}), Event(kEventEffect, 0.0f, {"hit", "", "1"}),
                           Event(kEventEffect, 0.0f, {"aura", ""}), Event(kEventEffect, 0.0f, {"missing", ""})}));
  caster.AddAction(Action("ready"));
  caster.SetAction("attack");
  for (int i = 0; i < 5; ++i) caster.RunAction();
  ASSERT_EQ(world.effects.size(), 3u);
  const FakeEffect& arrow = world.effects[0];
  EXPECT_EQ(arrow.owner, &caster);
  EXPECT_EQ(arrow.targets, std::vector<CGAUnit*>{&target});
  EXPECT_EQ(arrow.bone, "release");
  EXPECT_EQ(arrow.position, Ogre::Vector3(10, 0, 10));
  EXPECT_EQ(arrow.targetPosition, Ogre::Vector3(20, 0, 10));
  EXPECT_NEAR(caster.GetHeading(), 90.0456f, 0.001f);  // turned to the target at once
  const FakeEffect& hit = world.effects[1];
  EXPECT_EQ(hit.owner, &target);
  EXPECT_EQ(hit.targets, std::vector<CGAUnit*>{&caster});
  EXPECT_EQ(hit.targetPosition, Ogre::Vector3(10, 0, 10));
  EXPECT_TRUE(hit.bone.empty());
  // Changing the action ends the endless effects of the old one.
  EXPECT_FLOAT_EQ(world.effects[2].lifeTime, 5.0f);
  caster.SetAction("ready");
  EXPECT_FLOAT_EQ(world.effects[2].lifeTime, 0.1f);
  EXPECT_FLOAT_EQ(arrow.lifeTime, 5.0f);
}

TEST_F(UnitActions, AnEffectFromTheTargetWithoutTargetAimsAtTheCaster) {
  CGAUnit caster(world);
  caster.AddAction(Action("attack", 0, 1, {Event(kEventEffect, 0.0f, {"hit", "", "1"})}));
  caster.SetAction("attack");
  caster.RunAction();
  caster.RunAction();
  ASSERT_EQ(world.effects.size(), 1u);
  EXPECT_EQ(world.effects[0].owner, nullptr);
  EXPECT_EQ(world.effects[0].targets, std::vector<CGAUnit*>{&caster});
}

TEST_F(UnitActions, ActionEventsStartActionsOnTheTarget) {
  CGAUnit unit(world), target(world);
  target.AddAction(Action("injured"));
  unit.AddAction(Action("attack", 0, 1, {Event(kEventAction, 0.0f, {"injured", "1"})}));
  unit.SetAction("attack");
  unit.RunAction();
  unit.RunAction();  // no target yet: nothing
  EXPECT_EQ(Current(target), "-");
  unit.SetTarget(&target);
  unit.SetAction("attack");
  unit.RunAction();
  unit.RunAction();
  EXPECT_EQ(Current(target), "injured");
}

TEST_F(UnitActions, SpaceEventsChangeHitPointsAndHide) {
  CGAUnit unit(world);
  unit.SetInt(kSlotHp, 100);
  unit.AddAction(Action("skill", 0, 1,
                        {Event(kEventSpace, 0.0f, {"self_exp", "-30", ""}), Event(kEventSpace, 0.0f, {"hiding", "4000", ""}),
                         Event(kEventSpace, 0.0f, {"dance", "7", ""})}));
  unit.SetAction("skill");
  for (int i = 0; i < 6; ++i) unit.RunAction();
  EXPECT_EQ(unit.GetInt(kSlotHp), 70);
  EXPECT_EQ(unit.GetInt(kSlotHiddenTimer), 4000);
  EXPECT_EQ(unit.GetEventIndex(), 3);
}

TEST_F(UnitActions, ASlowedUnitsClockRunsAtItsSpeedAndAPausedOneStands) {
  CGAUnit unit(world);
  unit.AddAction(Action("ready"));
  unit.SetAction("ready");
  unit.SetSpeedFactor(0.5f);
  unit.RunAction();
  EXPECT_FLOAT_EQ(unit.GetActionClock(), 0.05f);
  unit.SetActionPaused(true);
  unit.RunAction();
  EXPECT_FLOAT_EQ(unit.GetActionClock(), 0.05f);
}

}  // namespace
