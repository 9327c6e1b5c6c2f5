#pragma once
// The layer of short-lived floating labels at world positions.
#include <OgreSingleton.h>

class CGAGUILabelEx : public Ogre::Singleton<CGAGUILabelEx> {
 public:
  CGAGUILabelEx();
  bool Update();
};
