// The orbit camera on a headless engine: start view, limits, gliding,
// following, shaking and projection.
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "platform/Random.h"
#include "tests/support/GameGlobals.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

const Ogre::Vector3 kStartLookAt(42, 32, 48);

void ExpectNear(const Ogre::Vector3& actual, const Ogre::Vector3& expected, float tolerance = 1e-3f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class CameraView : public ::testing::Test {
 protected:
  void SetUp() override {
    FrameDeltaSeconds = 0.015f;
    scene = HeadlessEngine().createSceneManager();
    camera = CreateMainCamera(scene);
    controller = std::make_unique<CGACamera>(camera, scene);
    // The start view, as the start-up sets it.
    controller->SetPitchLimits(Ogre::Vector2(30, 50));
    controller->SetDistanceLimits(Ogre::Vector2(10, 25));
    controller->SetLookAt(kStartLookAt);
    controller->Zoom(4);
    controller->Rotate(0, -20);
    controller->SetSmoothFollow(true);
  }
  void TearDown() override {
    controller.reset();
    HeadlessEngine().destroySceneManager(scene);
  }

  Ogre::Vector3 Eye() const { return camera->getParentSceneNode()->_getDerivedPosition(); }
  Ogre::Vector3 ViewDirection() const { return camera->getDerivedDirection(); }

  ScopedGameGlobals globals;
  Ogre::SceneManager* scene = nullptr;
  Ogre::Camera* camera = nullptr;
  std::unique_ptr<CGACamera> controller;
};

TEST_F(CameraView, StartViewLooksAtTheBattlefieldFromAbove) {
  ExpectNear(Eye(), Ogre::Vector3(42, 51.053f, 59.0f));
  EXPECT_EQ(controller->GetYaw(), 180);
  EXPECT_EQ(controller->GetPitch(), 30);
  EXPECT_FLOAT_EQ(controller->GetDistance(), 22.0f);
  ExpectNear(ViewDirection(), (kStartLookAt - Eye()).normalisedCopy());

  Ogre::Vector3 screen;
  ASSERT_TRUE(controller->WorldToScreen(kStartLookAt, &screen));
  EXPECT_NEAR(screen.x, 0.5f, 1e-4f);
  EXPECT_NEAR(screen.y, 0.5f, 1e-4f);
}

TEST_F(CameraView, DistanceAndPitchStayWithinTheirLimitsButYawIsFree) {
  struct Case {
    float yaw, pitch, zoom;
    float wantYaw, wantPitch, wantDistance;
  };
  for (const Case& c : {Case{0, 0, -100, 180, 30, 10}, Case{0, 0, 100, 180, 30, 25}, Case{0, 100, 0, 180, 50, 25},
                        Case{0, -100, 0, 180, 30, 25}, Case{720, 5, 0, 900, 35, 25}}) {
    controller->Zoom(c.zoom);
    controller->Rotate(c.yaw, c.pitch);
    EXPECT_EQ(controller->GetYaw(), static_cast<int>(c.wantYaw));
    EXPECT_EQ(controller->GetPitch(), static_cast<int>(c.wantPitch));
    EXPECT_FLOAT_EQ(controller->GetDistance(), c.wantDistance);
    EXPECT_NEAR(controller->GetEyeOffset().length(), c.wantDistance, 1e-3f);
  }
}

TEST_F(CameraView, ShortMoveGlidesAndLongMoveSnaps) {
  const Ogre::Vector3 startEye = Eye();
  controller->SetLookAt(kStartLookAt + Ogre::Vector3(3, 0, 0));
  EXPECT_GT(Eye().x, startEye.x);
  EXPECT_LT(Eye().x, startEye.x + 0.5f);
  for (int frame = 0; frame < 400; ++frame) controller->Update();
  ExpectNear(Eye(), startEye + Ogre::Vector3(3, 0, 0), 1e-2f);

  const Ogre::Vector3 before = Eye();
  controller->SetLookAt(kStartLookAt + Ogre::Vector3(9, 0, 0));  // 6 further
  ExpectNear(Eye(), before + Ogre::Vector3(6, 0, 0));
}

TEST_F(CameraView, ShakeMovesOnlyThePointLookedAtAndLastsItsTime) {
  platform::SeedRand(7);
  FrameDeltaSeconds = 0.125f;
  const Ogre::Vector3 eye = Eye();
  const Ogre::Vector3 steady = ViewDirection();
  controller->SetShake(0.5f);
  for (int frame = 0; frame < 4; ++frame) {
    controller->Update();
    EXPECT_GT((ViewDirection() - steady).length(), 1e-5f) << "frame " << frame;
    ExpectNear(Eye(), eye);
  }
  EXPECT_LE(controller->GetShake(), 0.0f);  // 0.5 s of frame time have passed
  controller->Update();
  ExpectNear(ViewDirection(), steady, 1e-6f);
}

struct Walker : CGACamera::FollowTarget {
  Ogre::Vector3 position;
  Ogre::Vector3 GetFollowPosition() const override { return position; }
};

TEST_F(CameraView, FollowsAUnitUntilItGoesAway) {
  controller->SetSmoothFollow(false);
  camera->setProjectionType(Ogre::PT_ORTHOGRAPHIC);  // as the start screen's preview leaves it
  auto walker = std::make_unique<Walker>();
  walker->position = Ogre::Vector3(10, 0, 20);
  controller->SetFollowTarget(walker.get());
  EXPECT_EQ(camera->getProjectionType(), Ogre::PT_PERSPECTIVE);
  controller->Update();
  ExpectNear(controller->GetLookAt(), Ogre::Vector3(10, 1, 20));

  walker->position = Ogre::Vector3(12, 0, 20);
  controller->Update();
  ExpectNear(controller->GetLookAt(), Ogre::Vector3(12, 1, 20));

  walker.reset();
  EXPECT_EQ(controller->GetFollowTarget(), nullptr);
  controller->Update();
  ExpectNear(controller->GetLookAt(), Ogre::Vector3(12, 1, 20));
}

TEST_F(CameraView, PointsBehindTheCameraAreOffScreen) {
  const Ogre::Vector3 behind = Eye() + (Eye() - kStartLookAt);
  Ogre::Vector3 screen(-7, -7, -7);
  EXPECT_FALSE(controller->WorldToScreen(behind, &screen));
  EXPECT_FALSE(controller->WorldToScreen(Eye(), &screen));
  ExpectNear(screen, Ogre::Vector3(-7, -7, -7));

  // A point ahead and to the right lands right of the centre.
  ASSERT_TRUE(controller->WorldToScreen(kStartLookAt + Ogre::Vector3(2, 0, 0), &screen));
  EXPECT_GT(screen.x, 0.5f);  // the start view faces -z, so +x is on the right
  EXPECT_GT(screen.z, 0.0f);
  EXPECT_LT(screen.z, 1.0f);
}

TEST_F(CameraView, PickRayIsKeptUntilTheNextOne) {
  const Ogre::Ray& first = controller->GetPickRay(0.5f, 0.5f);
  ExpectNear(first.getDirection(), (kStartLookAt - Eye()).normalisedCopy());
  const Ogre::Ray& second = controller->GetPickRay(0.0f, 0.0f);
  EXPECT_EQ(&first, &second);
  ExpectNear(first.getOrigin(), second.getOrigin());
  EXPECT_GT((first.getDirection() - (kStartLookAt - Eye()).normalisedCopy()).length(), 0.1f);
}

TEST_F(CameraView, AnimatingLeavesTheEngineCameraAlone) {
  controller->SetAnimating(true);
  const Ogre::Vector3 eye = Eye();
  controller->SetLookAt(kStartLookAt + Ogre::Vector3(20, 0, 0));
  ExpectNear(Eye(), eye);
  controller->AddAnimationKey(0, Ogre::Vector3(1, 2, 3), CGACamera::kLookAtTrack, true);
  ExpectNear(controller->GetCurrentLookAt(), Ogre::Vector3(1, 2, 3));
  controller->SetAnimating(false);
  ExpectNear(controller->GetCurrentLookAt(), kStartLookAt + Ogre::Vector3(20, 0, 0));
}

}  // namespace
