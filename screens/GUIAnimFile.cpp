#include "screens/GUIAnimFile.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"

#include <tinyxml.h>

#include <cmath>

const char* const kGUIAnimFile = "gui_animation.xml";

namespace {

// The GUI library's text forms of a size ("w:32 h:32") and a point
// ("x:0 y:0"): the numbers after their letters, read as every number of the
// data files. Fields that are not there stay 0.
void ReadPair(const std::string& text, const char* first, const char* second, float& a, float& b,
              const TextPlace& place) {
  a = b = 0;
  const size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos || text.compare(start, 2, first) != 0) return;
  a = ParseReal(text.substr(start + 2), 0, place);
  const size_t next = text.find(second, start + 2);
  if (next != std::string::npos) b = ParseReal(text.substr(next + 2), 0, place);
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
    ReadPair(size, "w:", "h:", entry.width, entry.height, XmlPlace(fileName, e, "Size"));
    ReadPair(start, "x:", "y:", entry.startX, entry.startY, XmlPlace(fileName, e, "Start"));
    ReadPair(end, "x:", "y:", entry.endX, entry.endY, XmlPlace(fileName, e, "End"));
    entry.lastTime = ParseInt(lastTime, 0, XmlPlace(fileName, e, "LastTime"));
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

std::vector<GUIAnimCut> CutGUIAnimFile(const std::vector<GUIAnimEntry>& entries, const std::string& fileName,
                                       size_t& framesInAll) {
  std::vector<GUIAnimCut> cuts;
  for (size_t i = 0; i < entries.size(); ++i) {
    GUIAnimCut cut{entries[i], {}};
    if (!CutGUIAnimFrames(cut.entry, fileName, cut.frames)) continue;
    if (cut.frames.size() > kMaxGUIAnimFramesInAll - framesInAll) {
      GameLog(fileName + ":" + std::to_string(cut.entry.row) + ": animation \"" + cut.entry.id + "\" and the " +
              std::to_string(entries.size() - i - 1) + " after it left out: the animations would pass " +
              std::to_string(kMaxGUIAnimFramesInAll) + " frames in all");
      break;
    }
    framesInAll += cut.frames.size();
    cuts.push_back(std::move(cut));
  }
  return cuts;
}
