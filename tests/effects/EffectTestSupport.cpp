#include "EffectTestSupport.h"

#include "game/FrameClock.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>

#include <algorithm>
#include <cmath>

namespace {

Ogre::SkeletonPtr TestSkeleton() {
  static Ogre::SkeletonPtr skeleton = [] {
    Ogre::SkeletonPtr s = Ogre::SkeletonManager::getSingleton().create("effect_test.skeleton", Ogre::RGN_DEFAULT);
    s->createBone("release")->setPosition(1, 2, 0);
    s->createBone("target")->setPosition(0, 1, 0);
    return s;
  }();
  return skeleton;
}

// A one-triangle mesh: the model's main entity only has to exist.
const char* TestMesh() {
  static const char* name = [] {
    Ogre::SceneManager* builder = HeadlessEngine().createSceneManager();
    Ogre::ManualObject* object = builder->createManualObject();
    object->begin("BaseWhite", Ogre::RenderOperation::OT_TRIANGLE_LIST, Ogre::RGN_DEFAULT);
    object->position(0, 0, 0);
    object->position(1, 0, 0);
    object->position(0, 1, 0);
    object->end();
    object->convertToMesh("effect_test.mesh", Ogre::RGN_DEFAULT);
    HeadlessEngine().destroySceneManager(builder);
    return "effect_test.mesh";
  }();
  return name;
}

// The scene manager's node list, which it keeps to itself.
struct SceneNodeList : Ogre::SceneManager {
  static size_t Count(const Ogre::SceneManager* scene) {
    constexpr auto nodes = &SceneNodeList::mSceneNodes;
    return (scene->*nodes).size();
  }
};

}  // namespace

Ogre::Bone* SceneModel::GetBone(const std::string& name) {
  Ogre::SkeletonPtr skeleton = TestSkeleton();
  return skeleton->hasBone(name) ? skeleton->getBone(name) : nullptr;
}

void SceneModel::SetNodePosition(const Ogre::Vector3& p) { node->setPosition(p); }

void SceneModel::PlayAnimation(const std::string& name, int mode, float speed, bool flag) {
  requests.push_back(name + " " + std::to_string(mode) + " " + Ogre::StringConverter::toString(speed) + " " +
                     std::to_string(flag));
}

UnitModelBase* SceneUnitWorld::CreateModel(CGAUnit&) {
  auto* model = new SceneModel;
  model->node = scene->getRootSceneNode()->createChildSceneNode();
  return model;
}

bool FakeEffectWorld::IsUnitLive(const CGAUnit* unit) {
  return std::find(units.begin(), units.end(), unit) != units.end();
}

std::vector<CGAUnit*> FakeEffectWorld::GetUnitsAround(int cellX, int cellZ, int radius) {
  std::vector<CGAUnit*> around;
  for (CGAUnit* unit : units) {
    const int x = int(unit->GetPosition().x / 2), z = int(unit->GetPosition().z / 2);
    if (std::abs(x - cellX) <= radius && std::abs(z - cellZ) <= radius) around.push_back(unit);
  }
  return around;
}

CGAUnit* FakeEffectWorld::CreateUnit(const std::string& templateName) {
  created.push_back(templateName);
  return createUnit ? createUnit(templateName) : nullptr;
}

bool FakeEffectWorld::GetGroundHeight(Ogre::Vector3& point) {
  point.y = groundHeight;
  return onStatic;
}

void FakeEffectWorld::ShowLabel(const std::string& markup, const Ogre::Vector3& at, float seconds,
                                const std::string& font) {
  labels.push_back(markup + " at " + Ogre::StringConverter::toString(at) + " for " +
                   Ogre::StringConverter::toString(seconds) + " in " + font);
}

EffectFixture::EffectFixture() {
  HeadlessEngine();
  scene = HeadlessEngine().createSceneManager();
  unitWorld.scene = scene;
  Ogre::SceneNode* root = scene->getRootSceneNode()->createChildSceneNode("effect_root");
  manager = std::make_unique<CGAEffectManager>(scene, root, CreateMainCamera(scene));
  manager->SetWorld(&world);
  world.createUnit = [this](const std::string&) { return MakeUnit(Ogre::Vector3::ZERO, 0, 100, false); };
}

EffectFixture::~EffectFixture() {
  manager.reset();
  units.clear();
  HeadlessEngine().destroySceneManager(scene);
}

CGAUnit* EffectFixture::MakeUnit(const Ogre::Vector3& position, int side, int hp, bool skeleton) {
  units.push_back(std::make_unique<CGAUnit>(unitWorld));
  CGAUnit* unit = units.back().get();
  unit->SetId(units.size());
  unit->SetInt(kSlotSide, side);
  unit->SetInt(kSlotHp, hp);
  unit->SetInt(kSlotMaxHp, hp);
  unit->SetPosition(position);
  auto* model = static_cast<SceneModel*>(unit->GetModel());
  if (skeleton) model->entity = scene->createEntity(TestMesh());
  world.units.push_back(unit);
  return unit;
}

void EffectFixture::DeleteUnit(CGAUnit* unit) {
  world.units.erase(std::remove(world.units.begin(), world.units.end(), unit), world.units.end());
  auto* model = static_cast<SceneModel*>(unit->GetModel());
  Ogre::SceneNode* node = model->node;
  if (model->entity) scene->destroyEntity(model->entity);
  units.erase(std::find_if(units.begin(), units.end(), [unit](const auto& u) { return u.get() == unit; }));
  scene->destroySceneNode(node);
}

void EffectFixture::Define(const std::string& effects) {
  ASSERT_TRUE(manager->ReadEffectFile("<Effects>" + effects + "</Effects>", "test.eff"));
}

void EffectFixture::Frame(float seconds) {
  FrameDeltaSeconds = seconds;
  FrameDeltaMs = uint32_t(seconds * 1000.0f);
  scene->_applySceneAnimations();
  manager->Update();
}

void EffectFixture::Frames(int count, float seconds) {
  for (int i = 0; i < count; ++i) Frame(seconds);
}

CGAEffectNode* EffectFixture::Start(const std::string& name, CGAUnit* owner, CGAUnit* target) {
  CGAEffectNode* effect = manager->CreateEffect(name);
  if (!effect) return nullptr;
  if (owner) {
    effect->SetPosition(owner->GetPosition());
    effect->AttachToOwner(owner, true);
  }
  if (target) {
    effect->AddTarget(target);
    effect->SetTargetPosition(target->GetPosition());
  }
  return effect;
}

Ogre::Entity* MakeEntity(Ogre::SceneManager* scene) { return scene->createEntity(TestMesh()); }

SceneCounts CountScene(Ogre::SceneManager* scene) {
  return {SceneNodeList::Count(scene), scene->getAnimations().size(), scene->getAnimationStates().size()};
}
