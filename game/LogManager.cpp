#include "game/LogManager.h"

#include <cstdio>

template <> CGALogManager* Ogre::Singleton<CGALogManager>::msSingleton = nullptr;

CGALogManager::CGALogManager(const std::string& fileName, bool enabled)
    : mFileName(fileName), mEnabled(enabled) {
  if (mEnabled) {
    mFile.open(mFileName.c_str(), std::ios::out | std::ios::trunc);
    mFile << "Log Manager Start" << std::endl;
  }
}

CGALogManager::~CGALogManager() {
  if (mEnabled) {
    mFile << "Log Manager Shut down" << std::endl;
    mFile.close();
  }
}

std::string CGALogManager::FormatLine(const std::tm& t, const std::string& text, int level) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%d-%d-%d %d:%d:%d ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  std::string line = stamp;
  if (level == 0) line += "( std )\t";
  else if (level == 1) line += "(error)\t";
  return line + text;
}

void CGALogManager::LogMessage(const std::string& text, int level) {
  for (CGALogListener* listener : mListeners) listener->MessageLogged(text, level);
  if (!mEnabled) return;
  std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  mFile << FormatLine(local, text, level) << std::endl;
}

void CGALogManager::AddListener(CGALogListener* listener) { mListeners.push_back(listener); }

void CGALogManager::RemoveListener(CGALogListener* listener) { mListeners.remove(listener); }
