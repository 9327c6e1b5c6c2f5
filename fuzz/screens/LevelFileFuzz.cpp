// Level files of any bytes: read without a crash, and every level read plays
// a while on the level driver, whose waves stay within its bounds.
#include "FuzzSupport.h"
#include "game/FrameClock.h"
#include "platform/Random.h"
#include "screens/LevelDriver.h"
#include "screens/LevelFile.h"

#include <cstdlib>

namespace {

// Units appear and, every so often, all fall.
class CountingField : public LevelDriver::Battlefield {
 public:
  size_t live = 0;
  bool HasSideZeroUnits() override { return live > 0; }
  bool CellHasPlayerUnit(int cellX, int) override { return cellX % 3 == 0; }
  void SpawnUnit(const std::string&, int, int, int, bool, int, int) override {
    if (++live > LevelDriver::kMaxLiveUnits) std::abort();
  }
  size_t CountLiveUnits() override { return live; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  std::vector<LevelRecord> levels;
  ParseLevelFile(std::string(reinterpret_cast<const char*>(data), size), "level_1.xml", levels);
  for (const LevelRecord& level : levels) {
    for (const AssaultRecord& wave : level.assaults)
      for (const LevelUnitEntry& enemy : wave.enemies)
        if (enemy.add != 0) std::abort();  // enemies fill num only
  }

  CountingField field;
  LevelDriver driver(field, platform::Rand);
  platform::SeedRand(1);
  for (size_t n = 0; n < levels.size() && n < 4; ++n) {
    driver.Start(levels, static_cast<int>(n));
    driver.Reset();
    for (int frame = 0; frame < 300; ++frame) {
      BattlePaused = 0;  // the player closes the recruit panel at once
      const size_t before = field.live;
      driver.Frame(frame % 7 == 0 ? 2000 : 100);
      if (field.live - before > size_t(LevelDriver::kMaxUnitsPerWave)) std::abort();
      if (frame % 40 == 39) field.live = 0;
    }
    field.live = 0;
  }
  return 0;
}
