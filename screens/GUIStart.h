#pragma once
// The start screen: who plays (the player list), which level to start, the
// way to the unlock screen, the studio panel and web page, the version, and
// the two studio logos that fade in and out at start-up.
#include "screens/GUICommon.h"
#include "screens/PlayerList.h"

#include <deque>
#include <string>

namespace CEGUI {
class EventArgs;
class Listbox;
class Window;
}  // namespace CEGUI
class CGAGameHost;

class CGAGUIStart : public CGAGUICommon {
 public:
  explicit CGAGUIStart(CGAGameHost& host);
  ~CGAGUIStart() override;

  // Closes the level list, then makes the screen the active sheet.
  void Show() override;

  bool OnClick(const CEGUI::EventArgs& args);
  bool OnWindowUpdated(const CEGUI::EventArgs& args);
  bool OnLevelSelected(const CEGUI::EventArgs& args);
  // Shows or hides the prompt naming the current player (its text is set
  // either way).
  void ShowPlayerPrompt(bool visible);

  int GetSelectedLevel() const { return mSelectedLevel; }

 private:
  struct LogoFade {
    CEGUI::Window* window;
    float t;
  };

  void LoadPlayers();
  void AddPlayerEntry(const std::string& name);
  std::string SelectedPlayer() const;
  void SaveOutgoingPlayer();
  void ShowNameProblem(PlayerNameProblem problem);

  // The buttons' actions.
  void OpenLevelList();
  void CloseStudio();
  void CloseLogo();
  void OpenWebPage();
  void OpenStudio();
  void OpenPlayerPanel();
  void OpenNewPlayerPanel();
  void ChoosePlayer();
  void DeletePlayer();
  void CreatePlayer();
  void OpenUnlock();
  void ExitGame();
  void StartSelectedLevel();
  void CloseLevelList();

  CGAGameHost& mHost;
  std::deque<LogoFade> mLogos;
  CEGUI::Listbox* mLevelList = nullptr;
  CEGUI::Listbox* mPlayerList = nullptr;
  PlayerList mPlayers;
  int mSelectedLevel = 0;
};
