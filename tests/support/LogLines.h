#pragma once
// The lines written to the engine's log while it lives, for tests that check
// what a reader reported. Starts the headless engine.
#include <OgreLog.h>

#include <string>
#include <vector>

class LogLines : public Ogre::LogListener {
 public:
  LogLines();
  ~LogLines() override;
  void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool, const Ogre::String&, bool&) override {
    lines.push_back(message);
  }
  // Whether one line holds every part.
  bool Has(std::initializer_list<std::string> parts) const;
  bool Has(const std::string& part) const { return Has({part}); }
  // Every line, one a line, for failure messages.
  std::string All() const;
  void Clear() { lines.clear(); }

  std::vector<std::string> lines;
};
