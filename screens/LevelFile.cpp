#include "screens/LevelFile.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"

#include <OgreResourceGroupManager.h>
#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <cstdint>

std::vector<LevelRecord> LevelList;

namespace {

constexpr int kMaxLevelFiles = 9999;

// The running sum of wave times stays within this, far beyond any int, so
// that it never overflows itself (one wave adds at most 2^31 s).
constexpr int64_t kWaveClockLimit = INT64_C(1) << 62;

LevelUnitEntry ReadEnemy(const TiXmlElement* e, const std::string& file) {
  LevelUnitEntry entry;
  entry.id = RequiredText(e, "id", file);
  entry.num = RequiredInt(e, "num", file);
  return entry;
}

AssaultRecord ReadAssault(const TiXmlElement* e, const std::string& file, int64_t& waveClock) {
  AssaultRecord wave;
  // A wave's time counts from the level start: the sum of the times so far.
  waveClock += static_cast<int64_t>(RequiredInt(e, "time", file)) * 1000;
  waveClock = std::min(std::max(waveClock, -kWaveClockLimit), kWaveClockLimit);
  wave.time = ClampToInt(waveClock);
  if (wave.time != waveClock)
    GameLog(XmlWhere(file, e) + "the wave times add up to " + std::to_string(waveClock) +
            " ms, out of range; the wave comes at " + std::to_string(wave.time) + " ms");
  wave.faction = XmlInt(e, "faction", file);
  wave.recruit = RequiredInt(e, "recruit", file) != 0;
  wave.stop = RequiredInt(e, "stop", file) != 0;
  wave.text = RequiredText(e, "text", file);
  wave.sound = RequiredText(e, "sound", file);
  wave.x = RequiredInt(e, "x", file);
  wave.y = RequiredInt(e, "y", file);
  wave.width = RequiredInt(e, "width", file);
  wave.height = RequiredInt(e, "height", file);
  wave.t_x = RequiredInt(e, "t_x", file);
  wave.t_y = RequiredInt(e, "t_y", file);
  wave.goto_wave = XmlInt(e, "goto", file);
  // The enemies: the first "enemy" element and every element after it,
  // whatever its name.
  for (const TiXmlElement* enemy = e->FirstChildElement("enemy"); enemy; enemy = enemy->NextSiblingElement())
    wave.enemies.push_back(ReadEnemy(enemy, file));
  return wave;
}

LevelRecord ReadLevel(const TiXmlElement* e, const std::string& file) {
  LevelRecord level;
  level.file = file;
  level.id = RequiredText(e, "id", file);
  level.money = RequiredInt(e, "money", file);
  level.food = RequiredInt(e, "food", file);
  level.name = RequiredText(e, "name", file);
  level.music = RequiredText(e, "music", file);
  level.win = RequiredText(e, "win", file);
  level.defeat = RequiredText(e, "defeat", file);
  if (const TiXmlElement* des = RequiredChild(e, "des", file)) {
    if (const char* text = des->GetText()) level.des = text;
  }
  level.gold_rat = RequiredInt(e, "gold_rat", file);
  level.silver_rat = RequiredInt(e, "silver_rat", file);

  if (const TiXmlElement* units = RequiredChild(e, "units", file)) {
    for (const TiXmlElement* u = units->FirstChildElement("unit"); u; u = u->NextSiblingElement("unit")) {
      LevelUnitEntry entry;
      entry.id = RequiredText(u, "id", file);
      entry.add = RequiredInt(u, "add", file);
      level.units.push_back(entry);
    }
  }
  int64_t waveClock = 0;
  if (const TiXmlElement* assaults = RequiredChild(e, "assaults", file)) {
    for (const TiXmlElement* a = assaults->FirstChildElement("assault"); a; a = a->NextSiblingElement("assault"))
      level.assaults.push_back(ReadAssault(a, file, waveClock));
  }
  for (size_t i = 0; i < level.assaults.size(); ++i) {
    if (level.assaults[i].goto_wave > 0 && static_cast<size_t>(level.assaults[i].goto_wave) >= level.assaults.size())
      GameLog(file + ": level " + level.id + ", wave " + std::to_string(i + 1) + " goes to wave " +
              std::to_string(static_cast<int64_t>(level.assaults[i].goto_wave) + 1) + " of " +
              std::to_string(level.assaults.size()) + "; the waves end there");
  }
  return level;
}

}  // namespace

bool ResourceLevelFiles::Exists(const std::string& name) {
  return Ogre::ResourceGroupManager::getSingleton().resourceExists("Main", name);
}

bool ResourceLevelFiles::Read(const std::string& name, std::string& text) { return ReadResourceText(name, text); }

std::string LevelFileName(int number) { return "level_" + std::to_string(number) + ".xml"; }

void ReadLevelFiles(LevelFileSource& source, std::vector<LevelRecord>& levels) {
  for (int number = 1; number <= kMaxLevelFiles; ++number) {
    const std::string name = LevelFileName(number);
    if (!source.Exists(name)) break;
    std::string text;
    if (!source.Read(name, text)) {
      GameLog(name + ": cannot be read; its levels are left out");
      continue;
    }
    ParseLevelFile(text, name, levels);
  }
}

void ParseLevelFile(const std::string& text, const std::string& fileName, std::vector<LevelRecord>& levels) {
  TiXmlDocument doc;
  if (!ParseDataXml(doc, text, fileName)) return;
  const TiXmlElement* root = doc.FirstChildElement();
  if (!root) {
    GameLog(fileName + ": no root element; no levels read");
    return;
  }
  for (const TiXmlElement* e = root->FirstChildElement("level"); e; e = e->NextSiblingElement("level"))
    levels.push_back(ReadLevel(e, fileName));
}
