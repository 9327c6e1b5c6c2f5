// The start-scene preview without a display: the demo "start.map" read
// without a scene (its heights and cells), the camera controller on a
// headless main camera, and previews made by a unit manager whose ground is
// the map's.
#include "game/Camera.h"
#include "screens/StartScene.h"
#include "tests/support/HeadlessEngine.h"
#include "terrain/TerrainManager.h"
#include "tests/units/FakeUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitAction.h"

#include <OgreCamera.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <gtest/gtest.h>

namespace {

// The preview looks of the two classes, each with "ready" and a "show".
std::string PreviewTemplates() {
  std::string xml = "<Units>";
  for (const char* stem : {"Savage", "Master"})
    for (const char* look : {"_m", "_f", "_m_show", "_f_show"})
      xml += std::string("<Unit Name=\"") + stem + look +
             "\"><SetTerrain Terrain=\"1\"/><Actions>"
             "<Action Name=\"ready\"><ActionChild Time=\"0\" Type=\"Anim\" Name=\"stand\" Speed=\"1\" Loop=\"1\"/>"
             "</Action><Action Name=\"show\"><ActionChild Time=\"0\" Type=\"Anim\" Name=\"show\" Speed=\"1\" "
             "Loop=\"1\"/></Action></Actions></Unit>";
  return xml + "</Units>";
}

// Units stand on the loaded map's ground.
struct MapUnitWorld : FakeUnitWorld {
  CGATerrainManager* terrain = nullptr;
  bool GetGroundHeight(Ogre::Vector3& probe) override { return terrain->GetGroundHeight(probe, false); }
};

class StartScene : public ::testing::Test {
 protected:
  StartScene() {
    terrain.SetFileOpener(CGAMapReader::OpenFromFolder("maps"));
    world.terrain = &terrain;
    units.SetUnitWorld(&world);
    units.ReadUnitTemplates(PreviewTemplates(), "preview.unt");
    SetFrame(0.015f);
  }
  ~StartScene() override {
    units.ClearUnits();
    HeadlessEngine().destroySceneManager(sceneManager);
  }

  Ogre::Camera* Camera() { return controller.GetCamera(); }
  // Every unit the manager has made, fading ones included.
  size_t UnitCount() { return units.GetUnits().size(); }
  CGAUnit* Preview() { return scene.GetPreview(); }

  LogLines log;
  CGATerrainManager terrain{nullptr, false};
  MapUnitWorld world;
  CGAUnitManager units{nullptr};
  // A scene of its own: the controller names its nodes.
  Ogre::SceneManager* sceneManager = HeadlessEngine().createSceneManager();
  CGACamera controller{CreateMainCamera(sceneManager), sceneManager};
  CGAStartScene scene;
};

void ExpectNear(const Ogre::Vector3& actual, const Ogre::Vector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-3) << actual;
  EXPECT_NEAR(actual.y, expected.y, 1e-3) << actual;
  EXPECT_NEAR(actual.z, expected.z, 1e-3) << actual;
}

TEST_F(StartScene, TheBackdropIsTheStartMapUnderAnOrthographicCamera) {
  scene.LoadScene();
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
  ASSERT_GT(terrain.GetWorldSizeZ(), 222.0f);
  EXPECT_EQ(Camera()->getProjectionType(), Ogre::PT_ORTHOGRAPHIC);
  EXPECT_FLOAT_EQ(Camera()->getOrthoWindowWidth(), 15.0f);
  EXPECT_FLOAT_EQ(Camera()->getOrthoWindowHeight(), 11.25f);
  ExpectNear(Camera()->getDerivedPosition(), Ogre::Vector3(0, 53.5f, 30));
  ExpectNear(Camera()->getDerivedDirection(), Ogre::Vector3(0, 0, -1));
  // The hill the camera looks at rises into its window (y 47.9 to 59.1).
  EXPECT_GT(terrain.GetHeight(2, 6), 50.0f);
}

TEST_F(StartScene, TheFirstCharacterStandsOnTheMapAtOnceAndLaterOnesWait) {
  scene.LoadScene();
  scene.AddCharacter(7, false, 1, {1, 2, 3});
  CGAUnit* first = Preview();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetTemplateName(), "Savage_m");
  EXPECT_EQ(first->GetName(), "0_show");
  EXPECT_EQ(*first->GetType(), kUnitPreview);
  EXPECT_EQ(first->GetId(), 7u);
  EXPECT_FLOAT_EQ(first->GetHeading(), 321.0f);
  const Ogre::Vector3 at = first->GetPosition();
  EXPECT_FLOAT_EQ(at.x, 30.7f);
  EXPECT_FLOAT_EQ(at.z, 221.158f);
  // On the map's ground, which reaches that far.
  EXPECT_NEAR(at.y, 48.0f, 1e-3);
  EXPECT_FLOAT_EQ(at.y, terrain.GetHeight(at.x, at.z));

  scene.AddCharacter(9, true, 3, {});
  EXPECT_EQ(Preview(), first);
  ASSERT_EQ(scene.GetCharacters().size(), 2u);
  EXPECT_EQ(scene.GetCharacters()[0].extra, (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(scene.GetCharacters()[1].model, "Master_f");

  // Another character: the old preview fades out hidden, a new unit comes.
  scene.ShowCharacter(9);
  ASSERT_NE(Preview(), nullptr);
  EXPECT_EQ(Preview()->GetName(), "1_show");
  EXPECT_EQ(Preview()->GetTemplateName(), "Master_f");
  EXPECT_TRUE(first->IsFading());
  EXPECT_FALSE(world.ModelOf(*first).visible);

  // An id no character has: the preview goes and none comes.
  CGAUnit* second = Preview();
  scene.ShowCharacter(42);
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_TRUE(second->IsFading());
  EXPECT_EQ(UnitCount(), 2u);
  scene.ShowCharacter(7);
  EXPECT_EQ(Preview()->GetName(), "2_show");  // every preview a new name
}

TEST_F(StartScene, CharacterModelsFollowClassAndGender) {
  const std::pair<int, const char*> cases[] = {{1, "Savage"}, {2, "Savage"}, {3, "Master"}, {4, "Savage"},
                                               {5, "Savage"}, {0, ""},       {6, ""}};
  int64_t id = 0;
  for (const auto& c : cases) {
    for (bool female : {false, true}) {
      scene.AddCharacter(++id, female, c.first, {});
      EXPECT_EQ(scene.GetCharacters().back().model, std::string(c.second) + (female ? "_f" : "_m")) << c.first;
    }
  }
  scene.ClearCharacters();
  EXPECT_TRUE(scene.GetCharacters().empty());
  EXPECT_EQ(Preview(), nullptr);
}

TEST_F(StartScene, HidingAnotherIdKeepsThePreviewAndHidingItsOwnKeepsTheCharacter) {
  scene.AddCharacter(7, false, 1, {});
  CGAUnit* preview = Preview();
  scene.HideCharacter(8);
  EXPECT_EQ(Preview(), preview);
  EXPECT_FALSE(preview->IsFading());

  scene.HideCharacter(7);
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_TRUE(preview->IsFading());
  EXPECT_TRUE(world.ModelOf(*preview).visible);  // fading, not hidden at once
  ASSERT_EQ(scene.GetCharacters().size(), 1u);

  // The character view shows the first character again, from its own place.
  scene.ViewCharacters();
  ASSERT_NE(Preview(), nullptr);
  EXPECT_EQ(Preview()->GetId(), 7u);
  EXPECT_TRUE(controller.IsAnimating());
  EXPECT_EQ(Camera()->getProjectionType(), Ogre::PT_PERSPECTIVE);
  ExpectNear(controller.GetLookAt(), Ogre::Vector3(147.4f, 66, 154.4f));
  ExpectNear(Camera()->getDerivedPosition(), Ogre::Vector3(27.0988f, 49.7854f, 225.22f));
  ExpectNear(Camera()->getDerivedDirection(), Ogre::Vector3(0.666587f, 0.0871548f, -0.740314f));
}

TEST_F(StartScene, AClassPreviewIsKeptForTheSameLookAndSwapsForAnother) {
  scene.LoadScene();
  scene.ShowClass(true, 3);
  CGAUnit* master = Preview();
  ASSERT_NE(master, nullptr);
  EXPECT_EQ(master->GetTemplateName(), "Master_f_show");
  EXPECT_EQ(master->GetName(), "Master_f_show");
  EXPECT_EQ(master->GetCurrentAction()->GetName(), "show");
  EXPECT_FLOAT_EQ(master->GetPosition().x, 31.5f);
  EXPECT_FLOAT_EQ(master->GetPosition().z, 221.158f);
  EXPECT_NEAR(master->GetPosition().y, 48.0f, 1e-3);
  EXPECT_EQ(*master->GetType(), kUnitPreview);
  EXPECT_EQ(Camera()->getProjectionType(), Ogre::PT_PERSPECTIVE);
  ExpectNear(Camera()->getDerivedPosition(), Ogre::Vector3(27.0988f, 49.7854f, 225.22f));

  scene.ShowClass(true, 3);
  EXPECT_EQ(Preview(), master);
  EXPECT_FALSE(master->IsFading());
  EXPECT_EQ(UnitCount(), 1u);

  // Class 1 leaves the camera where it is; the old look fades out.
  Camera()->getParentSceneNode()->setPosition(1, 2, 3);
  scene.ShowClass(false, 1);
  EXPECT_EQ(Preview()->GetTemplateName(), "Savage_m_show");
  EXPECT_TRUE(master->IsFading());
  EXPECT_TRUE(world.ModelOf(*master).visible);
  ExpectNear(Camera()->getDerivedPosition(), Ogre::Vector3(1, 2, 3));

  // Back before it has gone: the same unit fades back in.
  scene.ShowClass(true, 3);
  EXPECT_EQ(Preview(), master);
  EXPECT_FALSE(master->IsFading());
  EXPECT_EQ(UnitCount(), 2u);
}

TEST_F(StartScene, RotatingTurnsByTheSpeedOverTheFrame) {
  scene.AddCharacter(7, false, 1, {});
  for (int i = 0; i < 4; ++i) {
    SetFrame(0.25f);
    scene.RotatePreview(90);
  }
  EXPECT_NEAR(Preview()->GetHeading(), 51.0f, 1e-3);  // 321 + 90, within [0, 360)
  SetFrame(1.0f);
  scene.RotatePreview(-90);
  EXPECT_NEAR(Preview()->GetHeading(), 321.0f, 1e-3);
}

TEST_F(StartScene, ResetForgetsEverythingAndClearsTheMap) {
  scene.LoadScene();
  scene.AddCharacter(7, false, 1, {});
  CGAUnit* preview = Preview();
  scene.Reset();
  EXPECT_TRUE(scene.GetCharacters().empty());
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_TRUE(preview->IsFading());
  EXPECT_TRUE(world.ModelOf(*preview).visible);
  Ogre::Vector3 probe(30, 0, 221);
  EXPECT_FALSE(terrain.GetGroundHeight(probe, false));  // no map
}

// Not a case of the preview's own: a level reset deletes every unit, the
// preview too, and the preview must not touch the deleted unit afterwards
// (the sanitizers see any use).
TEST_F(StartScene, APreviewTheUnitManagerDeletedIsForgotten) {
  scene.AddCharacter(7, false, 1, {});
  units.ClearUnits();
  EXPECT_EQ(Preview(), nullptr);
  scene.RotatePreview(90);
  scene.HideCharacter(7);
  scene.ShowClass(false, 1);
  ASSERT_NE(Preview(), nullptr);
  EXPECT_EQ(Preview()->GetTemplateName(), "Savage_m_show");
}

}  // namespace
