#include "screens/UnlockList.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"

#include <tinyxml.h>

const char* const kUnlockListFile = "lock.xml";

std::vector<UnlockEntry> ParseUnlockList(const std::string& text, const std::string& fileName) {
  std::vector<UnlockEntry> entries;
  TiXmlDocument doc;
  if (!ParseDataXml(doc, text, fileName)) return entries;
  const TiXmlElement* root = doc.FirstChildElement();
  if (!root) return entries;
  for (const TiXmlElement* e = root->FirstChildElement("lock"); e; e = e->NextSiblingElement("lock")) {
    const char* id = e->Attribute("id");
    if (!id || !*id) {
      GameLog(XmlWhere(fileName, e) + "<lock> without \"id\" left out");
      continue;
    }
    entries.push_back(UnlockEntry{id, RequiredText(e, "icon", fileName)});
  }
  return entries;
}

std::vector<UnlockEntry> ReadUnlockList() {
  std::string text;
  if (!ReadResourceText(kUnlockListFile, text)) {
    GameLog(std::string(kUnlockListFile) + ": not found; no unit type can be unlocked");
    return {};
  }
  return ParseUnlockList(text, kUnlockListFile);
}
