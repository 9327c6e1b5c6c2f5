#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>

#include <cstdlib>

Ogre::Root& HeadlessEngine() {
  static Ogre::Root* root = [] {
    auto* logs = new Ogre::LogManager();
    logs->createLog("headless.log", true, false, false);
    auto* r = new Ogre::Root("", "", "");
    new Ogre::DefaultHardwareBufferManager();
    // Textures and GPU programs as names only (nothing is uploaded or
    // compiled), so material scripts parse and materials load.
    new Ogre::DefaultTextureManager();
    if (!Ogre::GpuProgramManager::getSingletonPtr()) new Ogre::GpuProgramManager();
    // The game's image codecs, so map images decode as they do in the game.
    r->loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/Codec_STBI");
    // Cameras and entities need the default materials.
    Ogre::MaterialManager::getSingleton().initialise();
    return r;
  }();
  return *root;
}

Ogre::RenderWindow* OpenGLEngine(const char* logName) {
  if (!std::getenv("DISPLAY")) return nullptr;
  static Ogre::RenderWindow* window = [logName] {
    (new Ogre::LogManager())->createLog(logName, true, false, false);
    auto* root = new Ogre::Root("", "", "");
    root->loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/RenderSystem_GL");
    root->setRenderSystem(root->getRenderSystemByName("OpenGL Rendering Subsystem"));
    root->initialise(false);
    Ogre::NameValuePairList hidden{{"hidden", "true"}};
    return root->createRenderWindow("tests", 64, 64, false, &hidden);
  }();
  return window;
}

void StartBackgroundLoading() {
  static bool started = [] {
    HeadlessEngine().getWorkQueue()->startup(false);
    Ogre::ResourceBackgroundQueue::getSingleton().initialise();
    return true;
  }();
  (void)started;
}

Ogre::Camera* CreateMainCamera(Ogre::SceneManager* scene) {
  Ogre::Camera* camera = scene->createCamera("maincam");
  camera->setNearClipDistance(1.0f);
  camera->setFarClipDistance(20000.0f);
  camera->setAspectRatio(800.0f / 600.0f);
  Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode("maincam");
  node->attachObject(camera);
  node->setFixedYawAxis(true);
  return camera;
}
