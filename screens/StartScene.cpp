#include "screens/StartScene.h"

template <> CGAStartScene* Ogre::Singleton<CGAStartScene>::msSingleton = nullptr;

CGAStartScene::CGAStartScene() {}
