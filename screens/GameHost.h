#pragma once
// What the screens ask of the application beyond the GUI: the player
// record's file, the window mode, the program's end and the web browser.
// The game's host goes to the application object; tests put a fake in its
// place.
#include <string>

class CGAGameHost {
 public:
  virtual ~CGAGameHost() {}
  // The current player's record (PlayerRecord) to and from the player's file.
  virtual void SavePlayerRecord(const std::string& name) = 0;
  virtual void LoadPlayerRecord(const std::string& name) = 0;
  virtual void OpenWebPage(const std::string& address) = 0;
  // The window: true covers the whole screen; false maximises it.
  virtual void SetFullScreen(bool on) = 0;
  // A window whose inner area has that size, centred (maximised when it
  // does not fit).
  virtual void SetWindowedSize(int width, int height) = 0;
  // Ends the program with exit code 0 once the current message is handled:
  // the message loop ends, the current player's record is saved and
  // everything shuts down in order.
  virtual void ExitGame() = 0;
};
