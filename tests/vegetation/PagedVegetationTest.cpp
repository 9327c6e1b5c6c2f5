// The paged vegetation's settings and camera: bounds, page size and level
// order refused once frozen or wrong, camera switching, custom parameters
// and the per-frame update that drives its loader.
#include "VegetationTestSupport.h"
#include "tests/support/HeadlessEngine.h"
#include "vegetation/PageLoader.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/TreeLoader2D.h"
#include "vegetation/WindBatchPage.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

using Verdure::PagedVegetation;
using Verdure::TBounds;

class NullLoader : public Verdure::PageLoader {
 public:
  void loadPage(Verdure::PageRequest&) override { ++loads; }
  void frameUpdate() override { ++frames; }
  int loads = 0, frames = 0;
};

TEST(PagedVegetationSettings, BoundsMustBeSquareAndComeBeforeTheLevels) {
  PagedVegetation vegetation(nullptr, 16, 60);
  EXPECT_EQ(vegetation.getBounds().width(), 0.0f);  // infinite
  const struct {
    TBounds bounds;
    bool accepted;
  } cases[] = {{TBounds(0, 0, 100, 100.005f), true},
               {TBounds(0, 0, 100, 100.02f), false},
               {TBounds(0, 0, 0, 0), false},
               {TBounds(10, 10, 0, 0), false}};
  for (const auto& c : cases) {
    if (c.accepted) {
      EXPECT_NO_THROW(vegetation.setBounds(c.bounds));
    } else {
      EXPECT_THROW(vegetation.setBounds(c.bounds), Ogre::InvalidParametersException);
    }
  }
  EXPECT_EQ(vegetation.getBounds().right, 100.0f);

  vegetation.addDetailLevel<RecordingPage>(40);
  EXPECT_THROW(vegetation.setBounds(TBounds(0, 0, 50, 50)), Ogre::IOException);
  EXPECT_THROW(vegetation.setPageSize(8), Ogre::IOException);
  EXPECT_THROW(vegetation.setInfinite(), Ogre::IOException);
  EXPECT_THROW(vegetation.addDetailLevel<RecordingPage>(40), Ogre::InvalidStateException);
  EXPECT_EQ(vegetation.getDetailLevels().size(), 1u);
  Verdure::GeometryPageManager* farther = vegetation.addDetailLevel<RecordingPage>(80);
  EXPECT_EQ(farther->getNearRange(), 40.0f);
  vegetation.removeDetailLevels();
  vegetation.setPageSize(8);
  vegetation.setInfinite();
  EXPECT_EQ(vegetation.getPageSize(), 8.0f);
}

// Pages of no size would need endless grids (a detail level would fail
// deep inside the standard library): such a size is refused where it is
// given.
TEST(PagedVegetationSettings, APageSizeMustBePositiveAndFinite) {
  for (float size : {0.0f, -16.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    try {
      PagedVegetation vegetation(nullptr, size, 60);
      ADD_FAILURE() << "accepted " << size;
    } catch (const Ogre::InvalidParametersException& e) {
      EXPECT_EQ(e.getSource(), "PagedVegetation::PagedVegetation()");
    }
    PagedVegetation vegetation(nullptr, 16, 60);
    try {
      vegetation.setPageSize(size);
      ADD_FAILURE() << "accepted " << size;
    } catch (const Ogre::InvalidParametersException& e) {
      EXPECT_EQ(e.getSource(), "PagedVegetation::setPageSize()");
    }
    EXPECT_EQ(vegetation.getPageSize(), 16.0f);
  }
}

TEST(PagedVegetationSettings, TransitionsNeedVertexPrograms) {
  PagedVegetation vegetation(nullptr, 16, 60);
  {
    FakeRenderSystem without(false);
    EXPECT_EQ(vegetation.addDetailLevel<RecordingPage>(40, 5)->getTransition(), 0.0f);
  }
  FakeRenderSystem with(true);
  EXPECT_EQ(vegetation.addDetailLevel<RecordingPage>(80, 5)->getTransition(), 5.0f);
}

TEST(PagedVegetationSettings, CustomParametersAreKeptByEntityAndName) {
  PagedVegetation vegetation(nullptr, 16, 60);
  EXPECT_EQ(vegetation.getCustomParam("tuft", "windFactorX", 0.25f), 0.25f);
  vegetation.setCustomParam("tuft", "windFactorX", 0.5f);
  EXPECT_EQ(vegetation.getCustomParam("tuft.windFactorX", 0), 0.5f);
  vegetation.setCustomParam("tuft.windFactorX", 0.75f);
  EXPECT_EQ(vegetation.getCustomParam("tuft", "windFactorX", 0), 0.75f);
  EXPECT_EQ(vegetation.getCustomParam("reed", "windFactorX", 1), 1.0f);
}

class Cameras : public ::testing::Test {
 protected:
  Cameras() : root(HeadlessEngine()), scene(root.createSceneManager()), other(root.createSceneManager()) {}
  ~Cameras() override {
    root.destroySceneManager(scene);
    root.destroySceneManager(other);
  }
  Ogre::Camera* Eye(Ogre::SceneManager* where, const std::string& name, const Ogre::Vector3& at) {
    Ogre::Camera* camera = where->createCamera(name);
    where->getRootSceneNode()->createChildSceneNode(at)->attachObject(camera);
    return camera;
  }

  Ogre::Root& root;
  Ogre::SceneManager* scene;
  Ogre::SceneManager* other;
};

TEST_F(Cameras, TheFirstCameraGivesTheSceneAndOnlyItsSceneIsAccepted) {
  PagedVegetation vegetation(nullptr, 16, 60);
  EXPECT_FALSE(vegetation.getSceneManager());
  vegetation.setCamera(Eye(other, "veg_first", Ogre::Vector3::ZERO));
  EXPECT_EQ(vegetation.getSceneManager(), other);
  EXPECT_EQ(vegetation.getSceneNode(), other->getRootSceneNode());
  try {
    vegetation.setCamera(Eye(scene, "veg_stranger", Ogre::Vector3::ZERO));
    FAIL() << "accepted";
  } catch (const Ogre::InvalidParametersException& e) {
    EXPECT_EQ(e.getDescription(), "The specified camera is from the wrong SceneManager");
    EXPECT_EQ(e.getSource(), "PagedVegetation::setCamera()");
  }
  EXPECT_EQ(vegetation.getCamera()->getName(), "veg_first");
  vegetation.setCamera(nullptr);
  EXPECT_FALSE(vegetation.getCamera());
}

TEST_F(Cameras, UpdatesPageAroundTheCameraOnlyWithALoader) {
  FakeRenderSystem renderSystem;
  Ogre::Camera* eye = Eye(scene, "veg_eye", Ogre::Vector3(72, 0, 72));
  PagedVegetation vegetation(eye, 16, 60);
  Verdure::GeometryPageManager* level = vegetation.addDetailLevel<RecordingPage>(40, 5);
  NullLoader loader;
  vegetation.update();  // no loader: nothing pages
  EXPECT_TRUE(level->getLoadedPages().empty());
  vegetation.setPageLoader(&loader);
  vegetation.update();
  EXPECT_EQ(loader.frames, 1);
  EXPECT_EQ(level->getLoadedPages().size(), 21u);  // every page centre nearer than 45
  EXPECT_EQ(loader.loads, 21);
  vegetation.setCamera(nullptr);
  vegetation.update();
  EXPECT_EQ(loader.frames, 1);

  // Switching back to a camera restores where it was left: the grid stays.
  Ogre::Camera* far = Eye(scene, "veg_far", Ogre::Vector3(5000, 0, 5000));
  vegetation.setCamera(far);
  vegetation.setCamera(eye);
  vegetation.update();
  EXPECT_EQ(level->getGridBounds().left, 0.0f);
  vegetation.setCamera(far);
  vegetation.update();
  EXPECT_GT(level->getGridBounds().left, 4800.0f);
}

// A vegetation made before its camera has pages before it has a scene:
// given the camera, its pages build their grass into the camera's scene.
TEST_F(Cameras, PagesMadeBeforeTheCameraBuildIntoItsScene) {
  FakeRenderSystem renderSystem;
  InstallParsedPrograms();
  MakeMesh("veg_late.mesh", MeshSpec());
  Ogre::Entity* tuft = scene->createEntity("veg_late.mesh");
  const struct {
    const char* type;
    Verdure::GeometryPageManager* (*addLevel)(PagedVegetation&);
  } cases[] = {
      {"BatchPage", [](PagedVegetation& v) { return v.addDetailLevel<Verdure::BatchPage>(40, 5); }},
      {"WindBatchPage", [](PagedVegetation& v) { return v.addDetailLevel<Verdure::WindBatchPage>(40, 5); }},
  };
  for (const auto& c : cases) {
    PagedVegetation vegetation(nullptr, 16, 60);
    vegetation.setBounds(TBounds(0, 0, 160, 160));
    Verdure::GeometryPageManager* level = c.addLevel(vegetation);
    Verdure::TreeLoader2D loader(&vegetation, TBounds(0, 0, 160, 160));
    loader.addTree(tuft, Ogre::Vector3(72, 0, 72));
    vegetation.setPageLoader(&loader);
    vegetation.setCamera(Eye(scene, std::string("veg_late_") + c.type, Ogre::Vector3(72, 0, 72)));
    vegetation.update();

    auto* page = static_cast<Verdure::BatchPage*>(level->getGridPage(4, 4));  // the square 64 .. 80
    ASSERT_TRUE(page->isLoaded()) << c.type;
    ASSERT_TRUE(page->getBatch()->isBuilt()) << c.type;
    EXPECT_EQ(page->getBatch()->getParentSceneNode()->getParentSceneNode(), scene->getRootSceneNode()) << c.type;
  }
}

}  // namespace
