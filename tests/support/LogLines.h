#pragma once
// The game's log lines (the engine log's critical lines, where the game
// writes) and its message boxes while it lives, for tests that check what a
// reader reported. The engine's own chatter is left out, so a test can ask
// that nothing was reported. Starts the headless engine.
#include <OgreLog.h>

#include <string>
#include <vector>

class LogLines : public Ogre::LogListener {
 public:
  LogLines();
  ~LogLines() override;
  LogLines(const LogLines&) = delete;
  LogLines& operator=(const LogLines&) = delete;
  void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool, const Ogre::String&,
                     bool&) override;
  // Whether one line holds every part.
  bool Has(std::initializer_list<std::string> parts) const;
  bool Has(const std::string& part) const { return Has({part}); }
  // Every line, one a line, for failure messages.
  std::string All() const;
  void Clear() { lines.clear(); }

  std::vector<std::string> lines;
};
