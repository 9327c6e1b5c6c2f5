#pragma once
// Level files held in memory, for tests.
#include "screens/LevelFile.h"

#include <map>
#include <string>

class MemoryLevelFiles : public LevelFileSource {
 public:
  std::map<std::string, std::string> files;
  bool Exists(const std::string& name) override { return files.count(name) > 0; }
  bool Read(const std::string& name, std::string& text) override {
    text = files.at(name);
    return true;
  }
};
