#include "screens/GUIAnimFile.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdio>

const char* const kGUIAnimFile = "gui_animation.xml";

namespace {

// The GUI library's text forms of a size ("w:32 h:32"), a point ("x:0 y:0")
// and an integer: fields that do not parse stay 0.
void ReadPair(const char* text, const char* format, float& a, float& b) {
  a = b = 0;
  std::sscanf(text, format, &a, &b);
}

int ReadGuiInt(const char* text) {
  int value = 0;
  std::sscanf(text, " %d", &value);
  return value;
}

bool AllFinite(const GUIAnimEntry& s) {
  for (float v : {s.width, s.height, s.startX, s.startY, s.endX, s.endY})
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

std::vector<GUIAnimEntry> ParseGUIAnimFile(const std::string& text, const std::string& fileName) {
  std::vector<GUIAnimEntry> entries;
  TiXmlDocument doc;
  if (!ParseDataXml(doc, text, fileName)) return entries;
  const TiXmlElement* root = doc.FirstChildElement();
  if (!root || root->ValueStr() != "GUIAnims") {
    GameLog(fileName + ": no root element \"GUIAnims\"; no animations read");
    return entries;
  }
  for (const TiXmlElement* e = root->FirstChildElement("Anim"); e; e = e->NextSiblingElement("Anim")) {
    const char* id = e->Attribute("ID");
    const char* image = e->Attribute("Image");
    const char* size = e->Attribute("Size");
    const char* start = e->Attribute("Start");
    const char* end = e->Attribute("End");
    const char* lastTime = e->Attribute("LastTime");
    if (!id || !image || !size || !start || !end || !lastTime) {
      GameLog(XmlWhere(fileName, e) + "<Anim> needs ID, Image, Size, Start, End and LastTime; left out");
      continue;
    }
    GUIAnimEntry entry;
    entry.id = id;
    entry.image = image;
    ReadPair(size, " w:%g h:%g", entry.width, entry.height);
    ReadPair(start, " x:%g y:%g", entry.startX, entry.startY);
    ReadPair(end, " x:%g y:%g", entry.endX, entry.endY);
    entry.lastTime = ReadGuiInt(lastTime);
    entry.row = e->Row();
    entries.push_back(entry);
  }
  return entries;
}

bool CutGUIAnimFrames(const GUIAnimEntry& entry, const std::string& fileName, std::vector<GUIAnimFramePos>& frames) {
  frames.clear();
  const std::string where = fileName + ":" + std::to_string(entry.row) + ": animation \"" + entry.id + "\" ";
  if (!AllFinite(entry) || entry.width <= 0 || entry.height <= 0) {
    GameLog(where + "refused: its frame size must be above 0 and its corners finite");
    return false;
  }
  if (entry.endX < entry.startX) return true;  // no column: no frames (and every row below has one)
  for (float y = entry.startY; y <= entry.endY; y += entry.height) {
    for (float x = entry.startX; x <= entry.endX; x += entry.width) {
      // Also ends a step too small to move a large coordinate.
      if (frames.size() == kMaxGUIAnimFrames) {
        GameLog(where + "refused: more than " + std::to_string(kMaxGUIAnimFrames) + " frames");
        frames.clear();
        return false;
      }
      frames.push_back(GUIAnimFramePos{x, y});
    }
  }
  return true;
}
