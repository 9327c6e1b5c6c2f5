// A demo unit drawn for real (usage: unit_model_view BUILD_FOLDER): the
// swordsman stands on the full demo map with its parts loaded in the
// background, tinted red, playing "attack" with its sword on its hand. Two
// screenshots a third of a second apart must show the tint and the swing;
// they stay in the build folder. Exit code 77 without a display.
#include "game/Camera.h"
#include "game/FrameClock.h"
#include "game/GAPAK/PakArchive.h"
#include "game/ResourcePreloader.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModel.h"
#include "units/UnitPartDef.h"
#include "units/UnitWorld.h"

#include <Ogre.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

const Ogre::Vector4 kTint(1.0f, 0.3f, 0.3f, 1.0f);

// Units get real models; the ground is the terrain's; there are no effects.
class ViewWorld : public UnitWorld {
 public:
  ViewWorld(Ogre::SceneManager* scene, Ogre::SceneNode* node) : mScene(scene), mNode(node) {}
  UnitModelBase* CreateModel(CGAUnit& unit) override { return new CGAUnitModel(mScene, mNode, unit); }
  bool GetGroundHeight(Ogre::Vector3& probe) override {
    return CGATerrainManager::getSingleton().GetGroundHeight(probe, true);
  }
  int GetLogic(int x, int z) override { return CGATerrainManager::getSingleton().GetLogic(x, z); }
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2&, const Ogre::Vector2&, int) override { return {}; }
  CGAEffectNode* CreateEffect(const std::string&) override { return nullptr; }
  void SetEffectPosition(CGAEffectNode*, const Ogre::Vector3&) override {}
  void SetEffectLinkBone(CGAEffectNode*, const std::string&) override {}
  void AttachEffectToOwner(CGAEffectNode*, CGAUnit*) override {}
  void AddEffectTarget(CGAEffectNode*, CGAUnit*) override {}
  void SetEffectTargetPosition(CGAEffectNode*, const Ogre::Vector3&) override {}
  bool IsEffectEndless(CGAEffectNode*) override { return false; }
  void SetEffectLifeTime(CGAEffectNode*, float) override {}
  void SetEffectVisible(CGAEffectNode*, bool) override {}
  void PlaySound(const std::string&, CGAUnit*) override {}

 private:
  Ogre::SceneManager* mScene;
  Ogre::SceneNode* mNode;
};

int Fail(const std::string& why) {
  std::printf("FAILED: %s\n", why.c_str());
  return 1;
}

// The window's picture of the last frame.
Ogre::Image Capture(Ogre::RenderWindow* window) {
  Ogre::Image image(Ogre::PF_BYTE_RGB, window->getWidth(), window->getHeight());
  window->copyContentsToMemory(image.getPixelBox(), image.getPixelBox());
  return image;
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
    delete terrain;
    delete CGAResourcePreloader::getSingletonPtr();
    delete CGACamera::getSingletonPtr();
    delete CGACollisionManager::getSingletonPtr();
    delete root;
    delete pak;
    delete logs;
  }
  Ogre::LogManager* logs = nullptr;
  Ogre::ArchiveFactory* pak = nullptr;
  Ogre::Root* root = nullptr;
  CGATerrainManager* terrain = nullptr;
  CGAUnitManager* units = nullptr;
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
  engine.logs = new Ogre::LogManager();
  engine.logs->createLog("unit_model_view.log", true, false, false);
  Ogre::Root* root = engine.root = new Ogre::Root(build + "/plugins.cfg", "", "");
  engine.pak = new Ogre::PakArchiveFactory();
  Ogre::ArchiveManager::getSingleton().addArchiveFactory(engine.pak);
  Ogre::ConfigFile resources;
  resources.load(build + "/resources.cfg", "\t:=", true);
  for (const auto& section : resources.getSettingsBySection())
    for (const auto& setting : section.second)
      Ogre::ResourceGroupManager::getSingleton().addResourceLocation(setting.second, setting.first, section.first);
  Ogre::RenderSystem* system = root->getRenderSystemByName("OpenGL Rendering Subsystem");
  if (!system) return Fail("no OpenGL render system");
  root->setRenderSystem(system);
  root->initialise(false);
  Ogre::RenderWindow* window = root->createRenderWindow("unit", 800, 600, false);
  Ogre::SceneManager* scene = root->createSceneManager("OctreeSceneManager");
  Ogre::Camera* camera = scene->createCamera("maincam");
  camera->setNearClipDistance(0.5f);
  camera->setFarClipDistance(2000.0f);
  camera->setAspectRatio(800.0f / 600.0f);
  Ogre::SceneNode* cameraNode = scene->getRootSceneNode()->createChildSceneNode("maincam");
  cameraNode->attachObject(camera);
  cameraNode->setFixedYawAxis(true);
  window->addViewport(camera)->setBackgroundColour(Ogre::ColourValue(0.2f, 0.2f, 0.3f));
  Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();

  new CGACollisionManager(scene);
  new CGACamera(camera, scene);
  new CGAResourcePreloader();
  CGATerrainManager* terrain = engine.terrain = new CGATerrainManager(scene, false);
  if (!terrain->LoadMap("demo_full.map", 16)) return Fail("the demo map did not load");
  terrain->LoadPendingStatics();

  // The swordsman in the middle of the map, facing the camera.
  CGAUnitManager* units = engine.units = new CGAUnitManager(scene);
  ViewWorld world(scene, scene->getRootSceneNode()->createChildSceneNode("CGAUnitManager"));
  units->SetUnitWorld(&world);
  units->LoadUnitTemplates("Main");
  CGAUnit* unit = units->CreateNamedUnit("swordsman", "hero");
  if (!unit) return Fail("no swordsman");
  auto* model = static_cast<CGAUnitModel*>(unit->GetModel());
  Ogre::Vector3 at(terrain->GetWorldSizeX() / 2, 200.0f, terrain->GetWorldSizeZ() / 2);
  world.GetGroundHeight(at);
  model->SetNodePosition(at);
  model->SetNodeOrientation(Ogre::Quaternion(Ogre::Degree(30), Ogre::Vector3::UNIT_Y));
  // The statics load round the point looked at.
  CGACamera::getSingleton().SetLookAt(at);
  cameraNode->setPosition(at + Ogre::Vector3(1.2f, 2.0f, 4.0f));
  cameraNode->lookAt(at + Ogre::Vector3(0, 1.0f, 0), Ogre::Node::TS_WORLD);

  // Frames as the game runs them: the unit's queued parts appear once their
  // loads are done, the tint goes in every frame, then the model steps.
  std::set<size_t> shown;
  const std::vector<UnitPartRecord>& pending = unit->GetPendingParts();
  bool attacking = false;
  int attackFrames = 0;
  Ogre::Image before;
  Ogre::Vector3 swordBefore;
  for (int frame = 0; frame < 600; ++frame) {
    FrameDeltaMs = 33;
    FrameDeltaSeconds = 0.033f;
    FrameTimeMs += FrameDeltaMs;
    // Parts wait for the main entity, which hangs the others.
    for (size_t i = 0; i < pending.size(); ++i) {
      const UnitPartRecord& record = pending[i];
      if (!shown.count(i) && record.part->LoadResources()) {
        shown.insert(i);
        model->RemovePart(record.key);
        if (record.bone.empty())
          model->AttachPart(record.key, record.part->GetResName());
        else
          model->AttachPartToBone(record.key, record.part->GetResName(), record.part->GetPosition(),
                                  record.part->GetOrientation(), record.bone);
      }
      if (!model->GetEntity()) break;
    }
    model->SetCustomParameter(0, kTint);
    model->Update();
    terrain->Update();
    root->renderOneFrame();
    if (!attacking && shown.size() == pending.size()) {
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
