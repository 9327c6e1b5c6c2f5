#pragma once
// The program's own line log: every message goes to the listeners and, when
// enabled, to a text file with a time stamp and a level tag.
#include <OgreSingleton.h>

#include <ctime>
#include <fstream>
#include <list>
#include <string>

class CGALogListener {
 public:
  virtual ~CGALogListener() {}
  virtual void MessageLogged(const std::string& text, int level) = 0;
};

class CGALogManager : public Ogre::Singleton<CGALogManager> {
 public:
  CGALogManager(const std::string& fileName, bool enabled);
  virtual ~CGALogManager();

  // Level 0 is normal, 1 an error; other levels are written without a tag.
  void LogMessage(const std::string& text, int level);
  void AddListener(CGALogListener* listener);
  void RemoveListener(CGALogListener* listener);

  // "2011-3-5 9:7:3 ( std )\ttext": the file line for a message at that time.
  static std::string FormatLine(const std::tm& time, const std::string& text, int level);

 private:
  std::string mFileName;
  std::ofstream mFile;
  bool mEnabled;
  std::list<CGALogListener*> mListeners;
};
