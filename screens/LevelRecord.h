#pragma once
// The game's levels as read from the level files: each level names its map,
// its starting silver, its pick-up rates, music and texts, and its assault
// waves in order. Texts are the files' own GBK bytes.
#include <string>
#include <vector>

// One unit entry of a level ("unit": id and add) or of a wave (enemy: id and
// num); the other count stays 0.
struct LevelUnitEntry {
  std::string id;
  int add = 0;
  int num = 0;
};

// One assault wave.
struct AssaultRecord {
  int time = 0;  // ms from the start of the level's wave clock (running sum)
  int faction = 0;
  bool recruit = false;
  bool stop = false;
  std::string text;
  std::string sound;
  int goto_wave = 0;  // attribute "goto": > 0 restarts the wave clock at this wave
  int x = 0;
  int y = 0;
  int t_x = 0;
  int t_y = 0;
  int width = 0;
  int height = 0;
  std::vector<LevelUnitEntry> enemies;
};

struct LevelRecord {
  std::string file;  // the level file it was read from
  std::string id;    // the map
  int money = 0;
  int food = 0;
  int gold_rat = 0;
  int silver_rat = 0;
  std::string name;
  std::string music;
  std::string des;
  std::string win;
  std::string defeat;
  std::vector<LevelUnitEntry> units;
  std::vector<AssaultRecord> assaults;
};

// Every level, in file order; a level's index here is its number everywhere
// (the start screen's list, the player's progress). Filled once at start-up.
extern std::vector<LevelRecord> LevelList;
