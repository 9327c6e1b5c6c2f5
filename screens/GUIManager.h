#pragma once
// The GUI manager: the GUI's look, the screens, the level list.
#include <OgreSingleton.h>

class CGAGUIManager : public Ogre::Singleton<CGAGUIManager> {
 public:
  CGAGUIManager();
  // The GUI's time pulse; the screens' per-frame handlers run inside it.
  void Update();
  void StartLevel(int level);
};
