#pragma once
// The real engine of the rendered checks: a window on the build's plug-ins
// and resource locations, an octree scene and the main camera "maincam" on
// a node of its own; taken down in reverse.
#include <string>

namespace Ogre {
class ArchiveFactory;
class Camera;
class Image;
class LogManager;
class RenderWindow;
class Root;
class SceneManager;
class SceneNode;
}  // namespace Ogre

struct RenderedEngine {
  RenderedEngine() = default;
  ~RenderedEngine();
  RenderedEngine(const RenderedEngine&) = delete;
  RenderedEngine& operator=(const RenderedEngine&) = delete;

  // Logs to logName only; false without the OpenGL render system. The
  // resource groups are initialised.
  bool Start(const std::string& build, const std::string& logName, unsigned width, unsigned height);

  Ogre::LogManager* logs = nullptr;
  Ogre::ArchiveFactory* pak = nullptr;
  Ogre::Root* root = nullptr;
  Ogre::RenderWindow* window = nullptr;
  Ogre::SceneManager* scene = nullptr;
  Ogre::Camera* camera = nullptr;
  Ogre::SceneNode* cameraNode = nullptr;
};

// The window's picture of the last frame.
Ogre::Image Capture(Ogre::RenderWindow* window);
