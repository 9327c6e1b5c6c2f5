#include "GuiTestSystem.h"
#include "screens/LevelFile.h"
#include "screens/UnlockList.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The game's own level files and unlock list, read as the game reads them.
TEST(DemoData, LevelsAndUnlockListRead) {
  GuiTestSystem();
  ResourceLevelFiles files;
  std::vector<LevelRecord> levels;
  ReadLevelFiles(files, levels);
  ASSERT_EQ(levels.size(), 3u);
  EXPECT_EQ(levels[0].name, "第一关 初战平原");
  const std::set<std::string> maps = {"demo_flat.map", "demo_full.map"};
  const std::set<std::string> sounds = {"", "hit.wav", "gold.wav"};
  int gotos = 0, stops = 0;
  for (const LevelRecord& level : levels) {
    EXPECT_TRUE(maps.count(level.id)) << level.id;
    EXPECT_EQ(level.music, "level_music.wav");
    EXPECT_GT(level.money, 0);
    ASSERT_FALSE(level.assaults.empty());
    EXPECT_TRUE(level.assaults[0].recruit) << "the first wave opens the recruit panel";
    for (size_t i = 0; i < level.assaults.size(); ++i) {
      const AssaultRecord& wave = level.assaults[i];
      EXPECT_TRUE(sounds.count(wave.sound)) << wave.sound;
      // A goto back would send waves for ever: every demo level can be won.
      if (wave.goto_wave > 0) {
        EXPECT_GT(wave.goto_wave, static_cast<int>(i));
        ++gotos;
      }
      stops += wave.stop;
      EXPECT_FALSE(wave.enemies.empty());
    }
  }
  EXPECT_GT(gotos, 0);
  EXPECT_GT(stops, 0);
  const std::vector<UnlockEntry> locks = ReadUnlockList();
  ASSERT_EQ(locks.size(), 4u);
  EXPECT_EQ(locks[0].id, "swordsman");
  EXPECT_EQ(locks[3].icon, "Root/unlock/icon_3");
}

}  // namespace
