#include "SceneTestSupport.h"

#include "game/FrameClock.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>

#include <filesystem>

void SceneData() {
  static const bool ready = [] {
    HeadlessEngine();
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    // Absolute, so tests may change the working folder.
    for (const char* folder : {YVEK_DATA_DIR "/general", "general", "maps"})
      groups.addResourceLocation(std::filesystem::absolute(folder).string(), "FileSystem", "General");
    groups.initialiseResourceGroup("General");
    return true;
  }();
  (void)ready;
}

void MakeBoxMesh(const std::string& name, const Ogre::Vector3& size, float collideTop) {
  // A map's clearing unloads its statics' meshes, and a mesh made in code
  // cannot load again: such a one is made anew.
  Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
  if (Ogre::MeshPtr made = meshes.getByName(name + ".mesh")) {
    if (made->isLoaded()) return;
    meshes.remove(made);
  }
  auto& materials = Ogre::MaterialManager::getSingleton();
  for (const std::string& material : {name + "_stone", name + "_collide"})
    if (!materials.resourceExists(material)) materials.create(material, "General");
  Ogre::SceneManager* builder = HeadlessEngine().createSceneManager();
  Ogre::ManualObject* object = builder->createManualObject();
  const float x = size.x / 2, y = size.y, z = size.z / 2;
  object->begin(name + "_stone", Ogre::RenderOperation::OT_TRIANGLE_LIST, "General");
  // The eight corners; each face as a quad seen from outside.
  for (int i = 0; i < 8; ++i) object->position(i & 1 ? x : -x, i & 2 ? y : 0, i & 4 ? z : -z);
  const int faces[6][4] = {{2, 6, 7, 3}, {0, 1, 5, 4}, {1, 3, 7, 5}, {0, 4, 6, 2}, {4, 5, 7, 6}, {0, 2, 3, 1}};
  for (const auto& f : faces) object->quad(f[0], f[1], f[2], f[3]);
  object->end();
  if (collideTop >= 0) {
    object->begin(name + "_collide", Ogre::RenderOperation::OT_TRIANGLE_LIST, "General");
    object->position(-x, collideTop, -z);
    object->position(x, collideTop, -z);
    object->position(x, collideTop, z);
    object->position(-x, collideTop, z);
    object->quad(0, 3, 2, 1);
    object->end();
  }
  object->convertToMesh(name + ".mesh", "General");
  HeadlessEngine().destroySceneManager(builder);
}

Ogre::Ray Down(float x, float z, float from) {
  return Ogre::Ray(Ogre::Vector3(x, from, z), Ogre::Vector3::NEGATIVE_UNIT_Y);
}

SceneFixture::SceneFixture() {
  SceneData();
  FrameDeltaSeconds = 0.015f;
  scene = HeadlessEngine().createSceneManager();
  camera = CreateMainCamera(scene);
  controller = std::make_unique<CGACamera>(camera, scene);
  collision = std::make_unique<CGACollisionManager>(scene);
  terrain = std::make_unique<CGATerrainManager>(scene, false);
}

SceneFixture::~SceneFixture() {
  terrain.reset();
  collision.reset();
  controller.reset();
  HeadlessEngine().destroySceneManager(scene);
  for (const std::string& folder : folders)
    Ogre::ResourceGroupManager::getSingleton().removeResourceLocation(folder, "General");
}

Ogre::Entity* SceneFixture::Place(const std::string& mesh, const Ogre::Vector3& position, const Ogre::Vector3& scale,
                                  const Ogre::Quaternion& orientation) {
  Ogre::Entity* entity = scene->createEntity(mesh);
  Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode(position, orientation);
  node->setScale(scale);
  node->attachObject(entity);
  return entity;
}

void SceneFixture::AddFolder(const std::string& folder) {
  Ogre::ResourceGroupManager::getSingleton().addResourceLocation(folder, "FileSystem", "General");
  folders.push_back(folder);
}
