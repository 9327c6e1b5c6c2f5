#include "screens/GUIAnimFile.h"

#include "game/GameLog.h"
#include "screens/XmlRead.h"

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

bool AllFinite(const GUIAnimSpec& s) {
  for (float v : {s.width, s.height, s.startX, s.startY, s.endX, s.endY})
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

std::vector<GUIAnimSpec> ParseGUIAnimFile(const std::string& text, const std::string& fileName) {
  std::vector<GUIAnimSpec> specs;
  TiXmlDocument doc;
  if (!ParseDataXml(doc, text, fileName)) return specs;
  const TiXmlElement* root = doc.FirstChildElement();
  if (!root || root->ValueStr() != "GUIAnims") {
    GameLog(fileName + ": no root element \"GUIAnims\"; no animations read");
    return specs;
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
    GUIAnimSpec spec;
    spec.id = id;
    spec.image = image;
    ReadPair(size, " w:%g h:%g", spec.width, spec.height);
    ReadPair(start, " x:%g y:%g", spec.startX, spec.startY);
    ReadPair(end, " x:%g y:%g", spec.endX, spec.endY);
    spec.lastTime = ReadGuiInt(lastTime);
    spec.row = e->Row();
    specs.push_back(spec);
  }
  return specs;
}

bool CutGUIAnimFrames(const GUIAnimSpec& spec, const std::string& fileName, std::vector<GUIAnimFramePos>& frames) {
  frames.clear();
  const std::string where = fileName + ":" + std::to_string(spec.row) + ": animation \"" + spec.id + "\" ";
  if (!AllFinite(spec) || spec.width <= 0 || spec.height <= 0) {
    GameLog(where + "refused: its frame size must be above 0 and its corners finite");
    return false;
  }
  if (spec.endX < spec.startX) return true;  // no column: no frames (and every row below has one)
  for (float y = spec.startY; y <= spec.endY; y += spec.height) {
    for (float x = spec.startX; x <= spec.endX; x += spec.width) {
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
