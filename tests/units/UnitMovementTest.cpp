#include "FakeUnitWorld.h"
#include "game/FrameClock.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitMoveListener.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class UnitMovement : public ::testing::Test {
 protected:
  FakeUnitWorld world;
  UnitAction ready, run;
  std::unique_ptr<CGAUnit> unit;

  void SetUp() override {
    SetFrame(0.1f);
    ready.SetName("ready");
    run.SetName("run");
    unit = std::make_unique<CGAUnit>(world);
    unit->AddAction(&ready);
    unit->AddAction(&run);
  }
  float NodeYaw() {
    Ogre::Radian angle;
    Ogre::Vector3 axis;
    world.ModelOf(*unit).nodeOrientation.ToAngleAxis(angle, axis);
    return angle.valueDegrees() * (axis.y < 0 ? -1.0f : 1.0f);
  }
};

TEST_F(UnitMovement, HeadingsWrapOnceAndAgainOnTheNextUpdate) {
  struct Case {
    float set, afterSet, afterUpdate;
  };
  for (const Case& c : {Case{360, 360, 360}, Case{-30, 330, 330}, Case{725, 365, 5}, Case{90, 90, 90}}) {
    unit->SetHeading(c.set);
    EXPECT_FLOAT_EQ(unit->GetHeading(), c.afterSet) << c.set;
    EXPECT_FLOAT_EQ(unit->GetWantedHeading(), c.afterSet) << c.set;
    // The heading settles there: the wanted heading wraps with it.
    for (int i = 0; i < 3; ++i) {
      unit->UpdateMovement();
      EXPECT_FLOAT_EQ(unit->GetHeading(), c.afterUpdate) << c.set;
    }
  }
  unit->SetHeading(90);
  EXPECT_NEAR(NodeYaw(), 90.0f, 0.01f);
}

TEST_F(UnitMovement, TurningTakesTheShorterWayThrough360) {
  unit->SetSpeed(2.0f);  // 180 degrees a second, 18 a frame
  unit->SetHeading(350);
  unit->SetPosition(Ogre::Vector3(100, 0, 100));
  unit->FaceTo(100.0f + std::tan(Ogre::Math::DegreesToRadians(10)), 101.0f, false);
  const float wanted = unit->GetWantedHeading();
  EXPECT_NEAR(wanted, 10.0f, 0.1f);
  std::vector<float> headings;
  for (int i = 0; i < 4; ++i) {
    unit->UpdateMovement();
    headings.push_back(unit->GetHeading());
  }
  EXPECT_FLOAT_EQ(headings[0], 368.0f);  // up past 360 ...
  EXPECT_FLOAT_EQ(headings[1], wanted);  // ... wrapped to 8, then the rest
  EXPECT_FLOAT_EQ(headings[3], wanted);
}

TEST_F(UnitMovement, FaceToUsesItsOwnDivisor) {
  unit->SetPosition(Ogre::Vector3(50, 0, 50));
  struct Case {
    float x, z, heading;
  };
  // atan2 / 3.14 x 180: a hair more than the true angle.
  for (const Case& c : {Case{60, 50, 90.0456f}, Case{50, 60, 0.0913f}, Case{40, 50, 270.0456f}, Case{50, 40, 180.0f},
                        Case{60, 60, 45.0228f}}) {
    unit->FaceTo(c.x, c.z, true);
    EXPECT_NEAR(unit->GetHeading(), c.heading, 0.001f) << c.x << "," << c.z;
  }
  unit->SetSpeed(0.0f);  // a unit that cannot move never turns at once
  unit->SetHeading(0);
  unit->FaceTo(60, 50, true);
  EXPECT_FLOAT_EQ(unit->GetHeading(), 0.0f);
  EXPECT_NEAR(unit->GetWantedHeading(), 90.0456f, 0.001f);
}

TEST_F(UnitMovement, WalkingFollowsWaypointsAndSwitchesBetweenRunAndReady) {
  unit->SetSpeed(5.0f);  // half a unit a frame
  unit->SetPosition(Ogre::Vector3(10, 0, 10));
  unit->AddWaypointXZ(10, 10);
  unit->AddWaypointXZ(12, 10);
  unit->AddWaypointXZ(12, 11);
  unit->UpdateMovement();
  // The first waypoint (its own position) is consumed at once, and the unit
  // heads for the next one in the same frame.
  EXPECT_EQ(unit->GetWaypoints().size(), 2u);
  EXPECT_EQ(unit->GetPosition(), Ogre::Vector3(10.5f, 0, 10));
  EXPECT_EQ(unit->GetCurrentAction(), &run);
  for (int i = 0; i < 20 && unit->HasWaypoints(); ++i) unit->UpdateMovement();
  EXPECT_FALSE(unit->HasWaypoints());
  EXPECT_EQ(unit->GetPosition(), Ogre::Vector3(12, 0, 11));  // exactly on the last one
  EXPECT_EQ(world.ModelOf(*unit).nodePosition, Ogre::Vector3(12, 0, 11));
  EXPECT_EQ(unit->GetCurrentAction(), &ready);
}

TEST_F(UnitMovement, StoppingDoesNotInterruptOtherActions) {
  UnitAction attack;
  attack.SetName("attack");
  unit->AddAction(&attack);
  unit->SetAction("attack");
  unit->UpdateMovement();
  EXPECT_EQ(unit->GetCurrentAction(), &attack);
}

TEST_F(UnitMovement, ASlowUnitWalksAtItsSpeedFactorAndSpeedZeroWalksNowhere) {
  unit->SetSpeed(5.0f);
  unit->SetSpeedFactor(0.5f);
  unit->SetPosition(Ogre::Vector3(0, 0, 0));
  unit->AddWaypointXZ(0, 0);
  unit->AddWaypointXZ(0, 10);
  unit->UpdateMovement();
  EXPECT_EQ(unit->GetPosition(), Ogre::Vector3(0, 0, 0.25f));
  unit->SetSpeed(0.0f);
  for (int i = 0; i < 5; ++i) unit->UpdateMovement();
  EXPECT_EQ(unit->GetPosition(), Ogre::Vector3(0, 0, 0.25f));
}

TEST_F(UnitMovement, TerrainFollowingTakesHeightsFromTheGroundAndAddsTheOffset) {
  world.groundHeight = 3.5f;
  unit->SetPositionOffset(Ogre::Vector3(0, 0.25f, 0));
  unit->SetPosition(Ogre::Vector3(4, 0, 4));
  EXPECT_FLOAT_EQ(unit->GetPosition().y, 0.0f);  // not following yet
  unit->SetTerrainFollow(true);
  unit->SetPosition(Ogre::Vector3(4, 0, 4));
  EXPECT_FLOAT_EQ(unit->GetPosition().y, 3.5f);
  EXPECT_EQ(world.ModelOf(*unit).nodePosition, Ogre::Vector3(4, 3.75f, 4));
  unit->StopMoving();
  EXPECT_EQ(unit->GetMoveTarget(), unit->GetPosition());
}

// A jump, which the game never makes: only as far as 4 or more by the
// ground estimate of the truncated differences; the unit lands on the
// ground and its walk is left as it was.
TEST_F(UnitMovement, MoveToXZJumpsOnlyFarEnoughAndLeavesTheWalkAlone) {
  const struct {
    float x, z;
    bool moved;
  } cases[] = {
      {12, 10, false},        // 2
      {12.9f, 12.9f, false},  // (2, 2): 3
      {10, 14, true},         // 4
      {7, 13, true},          // (-3, 3): 5
  };
  unit->SetTerrainFollow(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + " " + std::to_string(c.z));
    world.groundHeight = 0;
    unit->SetPosition(Ogre::Vector3(10, 0, 10));
    world.groundHeight = 3;
    EXPECT_EQ(unit->MoveToXZ(c.x, c.z), c.moved);
    const Ogre::Vector3 expected = c.moved ? Ogre::Vector3(c.x, 3, c.z) : Ogre::Vector3(10, 0, 10);
    EXPECT_EQ(unit->GetPosition(), expected);
    EXPECT_EQ(world.ModelOf(*unit).nodePosition, expected);
    EXPECT_EQ(unit->GetMoveTarget(), Ogre::Vector3(10, 0, 10));
  }
}

struct RecordingListener : UnitMoveListener {
  std::vector<std::string> notes;
  void OnWaypointReached(float fx, float fz, float tx, float tz) override {
    notes.push_back("reached " + std::to_string(int(fx)) + "," + std::to_string(int(fz)) + " to " +
                    std::to_string(int(tx)) + "," + std::to_string(int(tz)));
  }
  void OnNotice() override {}
  void OnTriggerPoint(int x, int z) override {
    notes.push_back("trigger " + std::to_string(x) + "," + std::to_string(z));
  }
};

TEST_F(UnitMovement, AListenerHearsOfWaypointsAndTriggerPoints) {
  RecordingListener listener;
  unit->SetMoveListener(&listener);
  unit->SetSpeed(10.0f);
  unit->SetPosition(Ogre::Vector3(0, 0, 0));
  unit->AddTriggerPoint(3, 0);
  unit->AddTriggerPoint(4, 0);
  unit->AddWaypointXZ(0, 0);
  unit->AddWaypointXZ(5, 0);
  for (int i = 0; i < 8; ++i) unit->UpdateMovement();
  EXPECT_EQ(listener.notes, (std::vector<std::string>{"reached 0,0 to 5,0", "trigger 3,0", "trigger 4,0"}));
}

}  // namespace
