#include "effects/EffectManager.h"

template <> CGAEffectManager* Ogre::Singleton<CGAEffectManager>::msSingleton = nullptr;

CGAEffectManager::CGAEffectManager(Ogre::SceneManager* sceneManager, Ogre::SceneNode* root, Ogre::Camera* camera)
    : mSceneManager(sceneManager), mRoot(root), mCamera(camera) {}

void CGAEffectManager::LoadEffectFiles(const std::string&) {}

void CGAEffectManager::Update() {}

CGAEffectNode* CGAEffectManager::CreateEffect(const std::string& name, std::string, bool, CGAEffectNode*) {
  mRequests.push_back(name);
  return nullptr;
}

bool CGAEffectManager::IsLive(const CGAEffectNode*) const { return false; }
