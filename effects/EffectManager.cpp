#include "effects/EffectManager.h"

template <> CGAEffectManager* Ogre::Singleton<CGAEffectManager>::msSingleton = nullptr;

CGAEffectManager::CGAEffectManager(Ogre::SceneManager* sceneManager, Ogre::SceneNode* root, Ogre::Camera* camera)
    : mSceneManager(sceneManager), mRoot(root), mCamera(camera) {}

void CGAEffectManager::LoadEffectFiles(const std::string&) {}

void CGAEffectManager::Update() {}
