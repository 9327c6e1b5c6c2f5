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
  const std::set<std::string> maps = {"demo_flat", "demo_full"};
  const std::set<std::string> sounds = {"", "hit.wav", "gold.wav"};
  for (const LevelRecord& level : levels) {
    EXPECT_TRUE(maps.count(level.id)) << level.id;
    EXPECT_EQ(level.music, "level_music.wav");
    EXPECT_GT(level.money, 0);
    ASSERT_FALSE(level.assaults.empty());
    EXPECT_TRUE(level.assaults[0].recruit) << "the first wave opens the recruit panel";
    for (const AssaultRecord& wave : level.assaults) {
      EXPECT_TRUE(sounds.count(wave.sound)) << wave.sound;
      EXPECT_EQ(wave.goto_wave, 0) << "every demo level can be won";
      EXPECT_FALSE(wave.enemies.empty());
    }
  }
  const std::vector<UnlockEntry> locks = ReadUnlockList();
  ASSERT_EQ(locks.size(), 4u);
  EXPECT_EQ(locks[0].id, "swordsman");
  EXPECT_EQ(locks[3].icon, "Root/unlock/icon_3");
}

}  // namespace
