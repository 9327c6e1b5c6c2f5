// The camera following a soldier of the unit manager: it looks just above
// the soldier as it walks, and lets go of it when the manager deletes it.
#include "UnitTestSupport.h"

#include "game/Camera.h"
#include "tests/support/HeadlessEngine.h"

#include <OgreRoot.h>
#include <OgreSceneManager.h>

#include <memory>

namespace {

class UnitFollow : public UnitFixture {
 protected:
  UnitFollow() { camera = std::make_unique<CGACamera>(CreateMainCamera(scene), scene); }
  ~UnitFollow() override {
    camera.reset();
    HeadlessEngine().destroySceneManager(scene);
  }

  Ogre::SceneManager* scene = HeadlessEngine().createSceneManager();
  std::unique_ptr<CGACamera> camera;
};

TEST_F(UnitFollow, TheCameraLooksJustAboveAWalkingUnitUntilItIsDeleted) {
  CGAUnit* soldier = Make(10, 10);
  soldier->AddWaypoint(soldier->GetPosition());
  soldier->AddWaypoint(Ogre::Vector3(20, 0, 10));
  camera->SetFollowTarget(soldier);
  for (int step = 0; step < 3; ++step) {
    Frames(20);
    camera->Update();
    EXPECT_EQ(camera->GetLookAt(), soldier->GetPosition() + Ogre::Vector3(0, 1, 0)) << "step " << step;
  }
  EXPECT_GT(soldier->GetPosition().x, 11.5f);  // it walked

  soldier->SetFadeOut(true, 10);
  Frames(3);  // finished, then deleted
  ASSERT_FALSE(manager.IsLive(soldier));
  EXPECT_EQ(camera->GetFollowTarget(), nullptr);
  const Ogre::Vector3 last = camera->GetLookAt();
  camera->Update();
  EXPECT_EQ(camera->GetLookAt(), last);
}

}  // namespace
