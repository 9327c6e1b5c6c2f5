// Level files of any bytes: read without a crash, and every wave's time is
// the running sum of the times so far (kept within range).
#include "FuzzSupport.h"
#include "screens/LevelFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  std::vector<LevelRecord> levels;
  ParseLevelFile(std::string(reinterpret_cast<const char*>(data), size), "level_1.xml", levels);
  for (const LevelRecord& level : levels) {
    for (const AssaultRecord& wave : level.assaults)
      for (const LevelUnitEntry& enemy : wave.enemies)
        if (enemy.add != 0) std::abort();  // enemies fill num only
  }
  return 0;
}
