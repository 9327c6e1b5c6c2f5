#pragma once
// The level files "level_1.xml", "level_2.xml", ...: read once at start-up,
// in number order up to the first missing number.
#include "screens/LevelRecord.h"

#include <string>
#include <vector>

// Where the level files come from (the engine's resource groups in the game).
class LevelFileSource {
 public:
  virtual ~LevelFileSource() {}
  virtual bool Exists(const std::string& name) = 0;
  // The file's whole text; false when it cannot be read.
  virtual bool Read(const std::string& name, std::string& text) = 0;
};

// Level files as resources: present in group "Main", read from any group.
class ResourceLevelFiles : public LevelFileSource {
 public:
  bool Exists(const std::string& name) override;
  bool Read(const std::string& name, std::string& text) override;
};

// "level_" + number + ".xml".
std::string LevelFileName(int number);

// Appends the levels of every level file, files by number (1 to 9999, ending
// at the first missing one), levels in document order.
void ReadLevelFiles(LevelFileSource& source, std::vector<LevelRecord>& levels);

// Appends the "level" elements of one file's text. A missing attribute or
// element takes its default ("" or 0, an empty list) with a log line naming
// the file and line; a file that does not parse adds nothing.
void ParseLevelFile(const std::string& text, const std::string& fileName, std::vector<LevelRecord>& levels);
