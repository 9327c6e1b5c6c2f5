#pragma once
// The effect manager: effect files, live effects and their per-frame update.
#include <OgreSingleton.h>

#include <string>

namespace Ogre {
class Camera;
class SceneManager;
class SceneNode;
}  // namespace Ogre

class CGAEffectManager : public Ogre::Singleton<CGAEffectManager> {
 public:
  CGAEffectManager(Ogre::SceneManager* sceneManager, Ogre::SceneNode* root, Ogre::Camera* camera);
  void LoadEffectFiles(const std::string& group);
  void Update();

 private:
  Ogre::SceneManager* mSceneManager;
  Ogre::SceneNode* mRoot;
  Ogre::Camera* mCamera;
};
