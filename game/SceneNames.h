#pragma once
// The names the game makes for its scene objects from counters ("Effect_7",
// "UnitModel3/0"): a map, a unit or an effect file may give its own objects
// any name, and the engine refuses a second object of a name it holds.
#include <string>

namespace Ogre {
class SceneManager;
}  // namespace Ogre

// Whether the scene holds a node, a node animation or a movable object of any
// kind of that name, or any resource group a material of that name. A null
// scene holds nothing.
bool IsSceneNameTaken(const Ogre::SceneManager* scene, const std::string& name);
