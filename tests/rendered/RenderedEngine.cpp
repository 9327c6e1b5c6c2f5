#include "RenderedEngine.h"

#include "game/GAPAK/PakArchive.h"

#include <Ogre.h>

RenderedEngine::~RenderedEngine() {
  delete root;
  delete pak;
  delete logs;
}

bool RenderedEngine::Start(const std::string& build, const std::string& logName, unsigned width, unsigned height) {
  logs = new Ogre::LogManager();
  logs->createLog(logName, true, false, false);
  root = new Ogre::Root(build + "/plugins.cfg", "", "");
  pak = new Ogre::PakArchiveFactory();
  Ogre::ArchiveManager::getSingleton().addArchiveFactory(pak);
  Ogre::ConfigFile resources;
  resources.load(build + "/resources.cfg", "\t:=", true);
  for (const auto& section : resources.getSettingsBySection())
    for (const auto& setting : section.second)
      Ogre::ResourceGroupManager::getSingleton().addResourceLocation(setting.second, setting.first, section.first);
  Ogre::RenderSystem* system = root->getRenderSystemByName("OpenGL Rendering Subsystem");
  if (!system) return false;
  root->setRenderSystem(system);
  root->initialise(false);
  window = root->createRenderWindow("check", width, height, false);
  scene = root->createSceneManager("OctreeSceneManager");
  camera = scene->createCamera("maincam");
  camera->setNearClipDistance(0.5f);
  camera->setFarClipDistance(2000.0f);
  camera->setAspectRatio(float(width) / float(height));
  cameraNode = scene->getRootSceneNode()->createChildSceneNode("maincam");
  cameraNode->attachObject(camera);
  cameraNode->setFixedYawAxis(true);
  window->addViewport(camera);
  Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();
  return true;
}

Ogre::Image Capture(Ogre::RenderWindow* window) {
  Ogre::Image image(Ogre::PF_BYTE_RGB, window->getWidth(), window->getHeight());
  window->copyContentsToMemory(image.getPixelBox(), image.getPixelBox());
  return image;
}
