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
class CGAGameHost;
class CGAGUIStart;
class GUIAnimManager;
class LevelFileSource;

class CGAGUIManager : public Ogre::Singleton<CGAGUIManager> {
 public:
  // The game's: the application as host, the level files from the resource
  // groups.
  explicit CGAGUIManager(CGAGameHost& host);
  CGAGUIManager(CGAGameHost& host, LevelFileSource& levelFiles);
  ~CGAGUIManager();

  // The GUI's time pulse; the shown screen's per-frame handler runs inside.
  void Update();

  // Starts level n of LevelList; false (logged, nothing changes) when there is
  // no such level, so an empty list never starts an empty level.
  bool StartLevel(int n);
  // Opens the unlock screen; its OK returns to the given sheet.
  void ShowUnlock(CEGUI::Window* returnTo);
  // Back to the start screen, its level list closed.
  void ShowStart();

  CGAGUIStart* GetStartScreen() const { return mStart.get(); }
  // The level started last, -1 before the first.
  int GetLevelIndex() const { return mLevelIndex; }

 private:
  void Init(CGAGameHost& host, LevelFileSource& levelFiles);

  std::unique_ptr<GUIAnimManager> mAnims;
  std::unique_ptr<CGAGUIStart> mStart;
  int mLevelIndex = -1;
};
