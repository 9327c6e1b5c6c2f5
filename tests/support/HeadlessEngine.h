#pragma once
// The engine without a render system: resource groups, archives, scene
// managers, meshes and materials (their scripts parse; textures and GPU
// programs exist as names only), images (the game's codec plugin), no
// window. One per process.
namespace Ogre {
class Camera;
class RenderWindow;
class Root;
class SceneManager;
}  // namespace Ogre

// Creates the engine once (log to "headless.log" only, no console output) and
// returns it; later calls return the same root.
Ogre::Root& HeadlessEngine();

// The engine with the OpenGL render system instead, for tests that need
// real textures or compiled programs: created once with a small hidden
// window (logging to logName only) and returned; null without an X display
// (the test run's own X server). A process uses this or HeadlessEngine,
// never both.
Ogre::RenderWindow* OpenGLEngine(const char* logName);

// Starts the engine's worker and its background resource queue once, as
// Root::initialise does in the game. Responses are then handled when the
// test calls the work queue's processResponses (the game: at frame end).
void StartBackgroundLoading();

// The game's main camera "maincam" on a node of its own name, as the
// start-up makes it (near 1, far 20000, 800 x 600, fixed yaw axis).
Ogre::Camera* CreateMainCamera(Ogre::SceneManager* scene);
