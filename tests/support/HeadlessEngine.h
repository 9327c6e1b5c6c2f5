#pragma once
// The engine without a render system: resource groups, archives, scene
// managers, meshes and materials (their scripts parse; textures and GPU
// programs exist as names only), images (the game's codec plugin), no
// window. One per process.
namespace Ogre {
class Root;
}

// Creates the engine once (log to "headless.log" only, no console output) and
// returns it; later calls return the same root.
Ogre::Root& HeadlessEngine();
