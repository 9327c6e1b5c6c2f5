// A demo unit drawn for real (usage: unit_model_view BUILD_FOLDER): the
// swordsman, made and updated by the game's unit manager in the game's unit
// world, stands on the full demo map with its parts loaded in the
// background, tinted red, playing "attack" with its sword on its hand. Two
// screenshots a quarter of a second apart must show the tint and the swing;
// they stay in the build folder. Exit code 77 without a display.
#include "RenderedEngine.h"
#include "effects/EffectManager.h"
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/ResourcePreloader.h"
#include "game/app/GameUnitWorld.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModel.h"

#include <Ogre.h>

#include <cstdio>
#include <cstdlib>

namespace {

const Ogre::Vector4 kTint(1.0f, 0.3f, 0.3f, 1.0f);

int Fail(const std::string& why) {
  std::printf("FAILED: %s\n", why.c_str());
  return 1;
}

// The unit's rectangle on screen, from its parts' bounds.
struct Rect {
  int left, top, right, bottom;
};
Rect ScreenRect(Ogre::Camera* camera, CGAUnitModel& model, const Ogre::RenderWindow* window) {
  Ogre::AxisAlignedBox box;
  for (const UnitModelAttachment& part : model.GetAttachments())
    if (part.entity) box.merge(part.entity->getWorldBoundingBox(true));
  float left = 1, top = 1, right = 0, bottom = 0;
  for (const Ogre::Vector3& corner : box.getAllCorners()) {
    const Ogre::Vector3 p = camera->getProjectionMatrix() * (camera->getViewMatrix() * corner);
    left = std::min(left, 0.5f + 0.5f * p.x);
    right = std::max(right, 0.5f + 0.5f * p.x);
    top = std::min(top, 0.5f - 0.5f * p.y);
    bottom = std::max(bottom, 0.5f - 0.5f * p.y);
  }
  const auto clampTo = [](float v, unsigned size) { return std::max(0, std::min(int(v * size), int(size) - 1)); };
  return {clampTo(left, window->getWidth()), clampTo(top, window->getHeight()), clampTo(right, window->getWidth()),
          clampTo(bottom, window->getHeight())};
}

// Shares of the rectangle's pixels that are clearly red, and that differ
// between two pictures.
double RedShare(const Ogre::Image& image, const Rect& r) {
  int red = 0, all = 0;
  for (int y = r.top; y <= r.bottom; ++y)
    for (int x = r.left; x <= r.right; ++x, ++all) {
      const Ogre::ColourValue c = image.getColourAt(x, y, 0);
      red += c.r > 0.25f && c.r > 1.8f * c.g && c.r > 1.8f * c.b;
    }
  return all ? double(red) / all : 0.0;
}
double ChangedShare(const Ogre::Image& a, const Ogre::Image& b, const Rect& r) {
  int changed = 0, all = 0;
  for (int y = r.top; y <= r.bottom; ++y)
    for (int x = r.left; x <= r.right; ++x, ++all) {
      const Ogre::ColourValue d = a.getColourAt(x, y, 0) - b.getColourAt(x, y, 0);
      changed += std::abs(d.r) + std::abs(d.g) + std::abs(d.b) > 0.15f;
    }
  return all ? double(changed) / all : 0.0;
}

// The engine, the terrain and the unit managers of the check, taken down in
// order at the end.
struct Engine {
  ~Engine() {
    delete units;
    delete world;
    delete CGAEffectManager::getSingletonPtr();
    delete terrain;
    delete CGAResourcePreloader::getSingletonPtr();
    delete CGACamera::getSingletonPtr();
    delete CGACollisionManager::getSingletonPtr();
  }
  RenderedEngine gl;  // goes last
  CGATerrainManager* terrain = nullptr;
  CGAUnitManager* units = nullptr;
  GameUnitWorld* world = nullptr;
};

int Check(const std::string& build, Engine& engine);

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: unit_model_view BUILD_FOLDER");
  if (!std::getenv("DISPLAY")) {
    std::puts("no display: skipped");
    return 77;
  }
  Engine engine;
  return Check(argv[1], engine);
}

namespace {

int Check(const std::string& build, Engine& engine) {
  if (!engine.gl.Start(build, "unit_model_view.log", 800, 600)) return Fail("no OpenGL render system");
  Ogre::Root* root = engine.gl.root;
  Ogre::RenderWindow* window = engine.gl.window;
  Ogre::SceneManager* scene = engine.gl.scene;
  Ogre::Camera* camera = engine.gl.camera;
  Ogre::SceneNode* cameraNode = engine.gl.cameraNode;
  window->getViewport(0)->setBackgroundColour(Ogre::ColourValue(0.2f, 0.2f, 0.3f));

  new CGACollisionManager(scene);
  new CGACamera(camera, scene);
  new CGAResourcePreloader();
  CGATerrainManager* terrain = engine.terrain = new CGATerrainManager(scene, false);
  if (!terrain->LoadMap("demo_full.map", 16)) return Fail("the demo map did not load");
  terrain->LoadPendingStatics();

  new CGAEffectManager(scene, scene->getRootSceneNode()->createChildSceneNode("effect_root"), camera);

  // The swordsman in the middle of the map, facing the camera.
  CGAUnitManager* units = engine.units = new CGAUnitManager(scene);
  units->SetUnitWorld(engine.world = new GameUnitWorld());
  units->LoadUnitTemplates("Main");
  units->LoadUnitXml("unit.xml");  // hit points: without them it would die at once
  CGAUnit* unit = units->CreateNamedUnit("swordsman", "hero");
  if (!unit) return Fail("no swordsman");
  auto* model = static_cast<CGAUnitModel*>(unit->GetModel());
  const Ogre::Vector3 middle(terrain->GetWorldSizeX() / 2, 0.0f, terrain->GetWorldSizeZ() / 2);
  unit->SetPosition(middle);
  unit->SetHeading(30.0f);
  unit->SetColour(kTint);
  const Ogre::Vector3 at = unit->GetDerivedPosition();
  // The statics load round the point looked at.
  CGACamera::getSingleton().SetLookAt(at);
  cameraNode->setPosition(at + Ogre::Vector3(1.2f, 2.0f, 4.0f));
  cameraNode->lookAt(at + Ogre::Vector3(0, 1.0f, 0), Ogre::Node::TS_WORLD);

  // Frames as the game runs them; once the unit is whole it swings.
  bool attacking = false;
  int attackFrames = 0;
  Ogre::Image before;
  Ogre::Vector3 swordBefore;
  for (int frame = 0; frame < 600; ++frame) {
    FrameDeltaMs = 33;
    FrameDeltaSeconds = 0.033f;
    FrameTimeMs += FrameDeltaMs;
    units->Update();
    terrain->Update();
    root->renderOneFrame();
    // A new unit fades in over a second.
    if (!attacking && unit->GetPendingParts().empty() && model->GetEntity() && unit->GetAlpha().first >= 1.0f) {
      model->PlayAnimationByName("attack", 1.0f, true);
      attacking = true;
    }
    if (!attacking || ++attackFrames < 12) continue;
    const UnitModelAttachment* sword = nullptr;
    for (const UnitModelAttachment& part : model->GetAttachments())
      if (part.slot == "weapon") sword = &part;
    if (!sword) return Fail("the sword is not shown");
    const Ogre::Vector3 swordAt = sword->entity->getParentNode()->_getDerivedPosition();
    if (attackFrames == 12) {
      before = Capture(window);
      before.save(build + "/rendered-unit-a.png");
      swordBefore = swordAt;
      continue;
    }
    if (attackFrames < 20) continue;
    Ogre::Image after = Capture(window);
    after.save(build + "/rendered-unit-b.png");
    const Rect rect = ScreenRect(camera, *model, window);
    const double red = RedShare(after, rect);
    const double changed = ChangedShare(before, after, rect);
    std::printf("unit at (%d, %d)-(%d, %d): red %.3f, changed %.3f, sword moved %.2f\n", rect.left, rect.top,
                rect.right, rect.bottom, red, changed, swordAt.distance(swordBefore));
    if ((rect.right - rect.left) < 40 || (rect.bottom - rect.top) < 80) return Fail("the unit is not in view");
    if (red < 0.05) return Fail("the unit is not tinted red");
    if (changed < 0.02) return Fail("the unit does not move");
    if (swordAt.distance(swordBefore) < 0.1f) return Fail("the sword does not follow the hand");
    std::puts("ok");
    return 0;
  }
  return Fail("the unit's parts never loaded");
}

}  // namespace
