#pragma once
// The start screen's character preview.
#include <OgreSingleton.h>

class CGAStartScene : public Ogre::Singleton<CGAStartScene> {
 public:
  CGAStartScene();
};
