#include "MemoryLevelFiles.h"
#include "screens/LevelFile.h"
#include "tests/support/LogLines.h"

#include <gtest/gtest.h>

namespace {

// The flags every wave of these tests has, unless a test gives its own.
const std::string kQuiet = " recruit=\"0\" stop=\"0\"";

// A level with every attribute, its waves given as XML.
std::string Level(const std::string& name, const std::string& assaults) {
  return "<level id=\"demo_flat\" money=\"1500\" food=\"3\" name=\"" + name +
         "\" music=\"m.wav\" win=\"w\" defeat=\"d\" gold_rat=\"30\" silver_rat=\"60\">"
         "<des>about</des><units><unit id=\"swordsman\" add=\"2\"/></units><assaults>" +
         assaults + "</assaults></level>";
}

std::string Wave(const std::string& attributes, const std::string& enemies = "<enemy id=\"goblin\" num=\"4\"/>") {
  return "<assault text=\"\" sound=\"\" x=\"60\" y=\"48\" width=\"0\" height=\"0\" "
         "t_x=\"4\" t_y=\"48\" " +
         attributes + ">" + enemies + "</assault>";
}

std::vector<LevelRecord> Parse(const std::string& text) {
  std::vector<LevelRecord> levels;
  ParseLevelFile(text, "level_1.xml", levels);
  return levels;
}

TEST(LevelFile, ReadsEveryField) {
  const auto levels =
      Parse("<levels>" + Level("第一关", Wave("time=\"5\" faction=\"1\" goto=\"2\"" + kQuiet)) + "</levels>");
  ASSERT_EQ(levels.size(), 1u);
  const LevelRecord& l = levels[0];
  EXPECT_EQ(l.id, "demo_flat");
  EXPECT_EQ(l.money, 1500);
  EXPECT_EQ(l.food, 3);
  EXPECT_EQ(l.name, "第一关");  // GBK bytes as they stand
  EXPECT_EQ(l.music, "m.wav");
  EXPECT_EQ(l.des, "about");
  EXPECT_EQ(l.win, "w");
  EXPECT_EQ(l.defeat, "d");
  EXPECT_EQ(l.gold_rat, 30);
  EXPECT_EQ(l.silver_rat, 60);
  ASSERT_EQ(l.units.size(), 1u);
  EXPECT_EQ(l.units[0].id, "swordsman");
  EXPECT_EQ(l.units[0].add, 2);
  ASSERT_EQ(l.assaults.size(), 1u);
  const AssaultRecord& a = l.assaults[0];
  EXPECT_EQ(a.time, 5000);
  EXPECT_EQ(a.faction, 1);
  EXPECT_EQ(a.goto_wave, 2);
  EXPECT_EQ(a.x, 60);
  EXPECT_EQ(a.t_x, 4);
  EXPECT_EQ(a.t_y, 48);
  ASSERT_EQ(a.enemies.size(), 1u);
  EXPECT_EQ(a.enemies[0].id, "goblin");
  EXPECT_EQ(a.enemies[0].num, 4);
}

TEST(LevelFile, WaveTimesAddUpWithinEachLevel) {
  const std::string waves = Wave("time=\"5\"" + kQuiet) + Wave("time=\"10\"" + kQuiet) + Wave("time=\"0\"" + kQuiet);
  const auto levels = Parse("<levels>" + Level("a", waves) + Level("b", waves) + "</levels>");
  ASSERT_EQ(levels.size(), 2u);
  for (const LevelRecord& level : levels) {
    ASSERT_EQ(level.assaults.size(), 3u);
    EXPECT_EQ(level.assaults[0].time, 5000);
    EXPECT_EQ(level.assaults[1].time, 15000);
    EXPECT_EQ(level.assaults[2].time, 15000);
  }
}

TEST(LevelFile, HugeWaveTimesStayInRangeAndAreReported) {
  LogLines log;
  const auto levels = Parse("<r>\n" +
                            Level("a", Wave("time=\"5\"" + kQuiet) + "\n" + Wave("time=\"2000000000\"" + kQuiet) +
                                           "\n" + Wave("time=\"-5000000\"" + kQuiet)) +
                            "</r>");
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_EQ(levels[0].assaults[0].time, 5000);
  EXPECT_EQ(levels[0].assaults[1].time, 2147483647);
  EXPECT_EQ(levels[0].assaults[2].time, 2147483647);
  EXPECT_FALSE(log.Has({"level_1.xml:2:"})) << log.All();
  EXPECT_TRUE(log.Has({"level_1.xml:3:", "out of range", "2147483647"})) << log.All();
  EXPECT_TRUE(log.Has({"level_1.xml:4:", "out of range"})) << log.All();
}

TEST(LevelFile, EnemiesRunFromTheFirstEnemyElementToTheLast) {
  const auto levels = Parse("<levels>" +
                            Level("a", Wave("time=\"1\"" + kQuiet,
                                            "<note id=\"x\" num=\"9\"/><enemy id=\"goblin\" num=\"2\"/>"
                                            "<!-- c --><boss id=\"brute\" num=\"1\"/>")) +
                            "</levels>");
  const auto& enemies = levels[0].assaults[0].enemies;
  ASSERT_EQ(enemies.size(), 2u);
  EXPECT_EQ(enemies[0].id, "goblin");
  EXPECT_EQ(enemies[1].id, "brute");
  EXPECT_EQ(enemies[1].num, 1);
}

TEST(LevelFile, FlagsAndNumbersReadAsDecimal) {
  struct Case {
    const char* flag;
    bool expected;
  } cases[] = {{"2", true}, {"1", true}, {"0", false}, {"no", false}, {"yes", false}, {" 3x", true}};
  for (const Case& c : cases) {
    const std::string flag = std::string("\"") + c.flag + "\"";
    const auto levels = Parse("<l>" + Level("a", Wave("time=\"010\" recruit=" + flag + " stop=" + flag)) + "</l>");
    ASSERT_EQ(levels.size(), 1u) << c.flag;
    const AssaultRecord& wave = levels[0].assaults[0];
    EXPECT_EQ(wave.recruit, c.expected) << c.flag;
    EXPECT_EQ(wave.stop, c.expected) << c.flag;
    EXPECT_EQ(wave.time, 10000) << "010 is decimal";
    EXPECT_EQ(wave.faction, 0);
    EXPECT_EQ(wave.goto_wave, 0);
  }
}

TEST(LevelFile, MissingAttributesAndElementsTakeDefaults) {
  // No attributes at all, no des, no units, no assaults.
  auto levels = Parse("<levels><level/></levels>");
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_EQ(levels[0].id, "");
  EXPECT_EQ(levels[0].money, 0);
  EXPECT_TRUE(levels[0].units.empty());
  EXPECT_TRUE(levels[0].assaults.empty());

  // A wave and an enemy without attributes; "des" without text.
  levels = Parse(
      "<levels><level><des/><units><unit/></units><assaults><assault><enemy/></assault></assaults>"
      "</level></levels>");
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_EQ(levels[0].des, "");
  ASSERT_EQ(levels[0].assaults.size(), 1u);
  EXPECT_EQ(levels[0].assaults[0].time, 0);
  ASSERT_EQ(levels[0].assaults[0].enemies.size(), 1u);
  EXPECT_EQ(levels[0].assaults[0].enemies[0].num, 0);
}

TEST(LevelFile, BrokenFilesAddNothing) {
  for (const char* text : {"", "<levels>", "no xml", "<levels><level id=\"a\"></levels>", "<!-- only -->"})
    EXPECT_TRUE(Parse(text).empty()) << text;
}

TEST(LevelFile, FilesEndAtTheFirstMissingNumber) {
  MemoryLevelFiles source;
  source.files[LevelFileName(1)] = "<l>" + Level("one", "") + "</l>";
  source.files[LevelFileName(2)] = "<l>" + Level("two", "") + Level("three", "") + "</l>";
  source.files[LevelFileName(4)] = "<l>" + Level("four", "") + "</l>";
  std::vector<LevelRecord> levels;
  ReadLevelFiles(source, levels);
  ASSERT_EQ(levels.size(), 3u);
  EXPECT_EQ(levels[0].name, "one");
  EXPECT_EQ(levels[1].name, "two");
  EXPECT_EQ(levels[2].name, "three");
  EXPECT_EQ(LevelFileName(12), "level_12.xml");
}

}  // namespace

// The driver treats such a wave as the last; the reader says so, also of the
// largest goto there is.
TEST(LevelFile, AGotoPastTheLastWaveIsReported) {
  LogLines log;
  auto levels = Parse("<levels>" + Level("a", Wave(kQuiet + " time=\"1\" goto=\"2\"") + Wave(kQuiet + " time=\"1\"")) +
                      Level("b", Wave(kQuiet + " time=\"1\" goto=\"2147483647\"")) + "</levels>");
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_EQ(levels[0].assaults[0].goto_wave, 2);
  EXPECT_TRUE(log.Has({"level_1.xml: level demo_flat, wave 1 goes to wave 3 of 2"})) << log.All();
  EXPECT_TRUE(log.Has({"level_1.xml: level demo_flat, wave 1 goes to wave 2147483648 of 1"})) << log.All();
}
