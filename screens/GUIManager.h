#pragma once
// The GUI manager: brings the GUI up once (look, font, tooltip, GUI
// animations), owns the screens, reads every level file, and is the
// switchboard through which screens start a level, open the unlock screen or
// return to the start screen. Once a frame it feeds the GUI its time pulse,
// in which the shown screen's per-frame handler runs.
#include <OgreSingleton.h>

#include <memory>

namespace CEGUI {
class Window;
}
class CGABattlefield;
class CGAGameHost;
class CGAGUILock;
class CGAGUIMain;
class CGAGUIStart;
class GUIAnimManager;
class LevelFileSource;

class CGAGUIManager : public Ogre::Singleton<CGAGUIManager> {
 public:
  // The game passes itself as host, the level files from the resource groups
  // and the battlefield over its managers.
  CGAGUIManager(CGAGameHost& host, LevelFileSource& levelFiles, CGABattlefield& battlefield);
  ~CGAGUIManager();

  // The GUI's time pulse; the shown screen's per-frame handler runs inside.
  void Update();

  // Shows the in-game screen with level n of LevelList; false (logged,
  // nothing changes) when there is no such level, so an empty list never
  // starts an empty level.
  bool StartLevel(int n);
  // Opens the unlock screen; its OK returns to the given sheet.
  void ShowUnlock(CEGUI::Window* returnTo);
  // Back to the start screen, its level list closed.
  void ShowStart();

  CGAGUIStart* GetStartScreen() const { return mStart.get(); }
  CGAGUIMain* GetMainScreen() const { return mMain.get(); }
  CGAGUILock* GetUnlockScreen() const { return mLock.get(); }

 private:
  std::unique_ptr<GUIAnimManager> mAnims;
  std::unique_ptr<CGAGUIMain> mMain;
  std::unique_ptr<CGAGUIStart> mStart;
  std::unique_ptr<CGAGUILock> mLock;
};
