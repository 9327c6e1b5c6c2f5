// The scene's share of the test that keeps an unchanged screen from being
// drawn again: hidden objects draw nothing, so a scene holding only hidden
// ones (the in-game screen's markers on the start screen) lets the screen
// rest, and the frame after the last shown object goes is still drawn.
#include "game/app/SceneContent.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <gtest/gtest.h>

namespace {

class SceneContent : public ::testing::Test {
 protected:
  SceneContent() : scene(HeadlessEngine().createSceneManager()), root(scene->getRootSceneNode()) {
    CreateMainCamera(scene);
    root->createChildSceneNode()->attachObject(scene->createLight());
  }
  ~SceneContent() override { HeadlessEngine().destroySceneManager(scene); }

  // A line on a node two levels down, like the markers.
  Ogre::SceneNode* AddMarker() {
    Ogre::ManualObject* line = scene->createManualObject();
    line->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST);
    line->position(0, 0, 0);
    line->position(1, 0, 0);
    line->end();
    Ogre::SceneNode* node = root->createChildSceneNode()->createChildSceneNode();
    node->attachObject(line);
    return node;
  }

  Ogre::SceneManager* scene;
  Ogre::SceneNode* root;
};

TEST_F(SceneContent, OnlyShownObjectsOtherThanCamerasAndLightsCount) {
  EXPECT_FALSE(SceneShowsSomething(root));
  Ogre::SceneNode* marker = AddMarker();
  EXPECT_TRUE(SceneShowsSomething(root));
  marker->setVisible(false);
  EXPECT_FALSE(SceneShowsSomething(root));
  Ogre::SceneNode* other = AddMarker();
  EXPECT_TRUE(SceneShowsSomething(root));
  other->getParentSceneNode()->setVisible(false);  // hides the whole branch
  EXPECT_FALSE(SceneShowsSomething(root));
}

TEST_F(SceneContent, ChangeTestRestsOnHiddenObjectsAfterOneLastFrame) {
  SceneChangeTest test;
  // The first frame is drawn whatever the scene holds.
  EXPECT_TRUE(test.MayHaveChanged(root));
  Ogre::SceneNode* marker = AddMarker();
  marker->setVisible(false);
  for (int frame = 0; frame < 3; ++frame) EXPECT_FALSE(test.MayHaveChanged(root)) << frame;
  marker->setVisible(true);
  EXPECT_TRUE(test.MayHaveChanged(root));
  EXPECT_TRUE(test.MayHaveChanged(root));
  // Hidden again: drawn once more so the marker leaves the picture, then at rest.
  marker->setVisible(false);
  EXPECT_TRUE(test.MayHaveChanged(root));
  EXPECT_FALSE(test.MayHaveChanged(root));
  // The same when the object is removed from the scene.
  marker->setVisible(true);
  EXPECT_TRUE(test.MayHaveChanged(root));
  marker->getParentSceneNode()->removeChild(marker);
  EXPECT_TRUE(test.MayHaveChanged(root));
  EXPECT_FALSE(test.MayHaveChanged(root));
}

}  // namespace
