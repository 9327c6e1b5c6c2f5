#pragma once
// The effect manager: effect files, live effects and their per-frame update.
// Until effect files are read it knows no effect: creation requests are
// recorded and answered with null, which every caller expects.
#include <OgreSingleton.h>

#include <string>
#include <vector>

namespace Ogre {
class Camera;
class SceneManager;
class SceneNode;
}  // namespace Ogre
class CGAEffectNode;

class CGAEffectManager : public Ogre::Singleton<CGAEffectManager> {
 public:
  CGAEffectManager(Ogre::SceneManager* sceneManager, Ogre::SceneNode* root, Ogre::Camera* camera);
  void LoadEffectFiles(const std::string& group);
  void Update();

  // Null when the effect is not known (yet).
  CGAEffectNode* CreateEffect(const std::string& name, std::string nodeName, bool unmanaged, CGAEffectNode* parent);
  // True while the effect has not been destroyed.
  bool IsLive(const CGAEffectNode* effect) const;
  // Names asked of CreateEffect, in order.
  const std::vector<std::string>& GetRequests() const { return mRequests; }

 private:
  Ogre::SceneManager* mSceneManager;
  Ogre::SceneNode* mRoot;
  Ogre::Camera* mCamera;
  std::vector<std::string> mRequests;
};
