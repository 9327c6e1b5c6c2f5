#include "tools/mapedit/StrokeScript.h"

#include "terrain/TerrainManager.h"

#include <OgreColourValue.h>
#include <OgreSceneNode.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

namespace {

// The words of one stroke after its name, read as the stroke's argument
// kinds say: 'u' unsigned, 'i' int, 'b' byte, 'f' real, 's' word.
class Args {
 public:
  bool Read(const std::vector<std::string>& words, const std::string& kinds, std::string& error) {
    if (words.size() != kinds.size()) {
      error = "takes " + std::to_string(kinds.size()) + " values, not " + std::to_string(words.size());
      return false;
    }
    mWords = words;
    mNumbers.assign(words.size(), 0.0);
    for (size_t k = 0; k < words.size(); ++k) {
      if (kinds[k] == 's') continue;
      const char* text = words[k].c_str();
      char* end = nullptr;
      errno = 0;
      const double value = kinds[k] == 'f' ? std::strtod(text, &end) : double(std::strtoll(text, &end, 10));
      const double low = kinds[k] == 'i' ? std::numeric_limits<int>::min() : kinds[k] == 'f' ? -HUGE_VAL : 0.0;
      const double high = kinds[k] == 'b'   ? 255.0
                          : kinds[k] == 'u' ? std::numeric_limits<unsigned>::max()
                          : kinds[k] == 'i' ? std::numeric_limits<int>::max()
                                            : HUGE_VAL;
      if (*end || end == text || errno || !std::isfinite(value) || value < low || value > high) {
        error = "\"" + words[k] + "\" is not a " + (kinds[k] == 'f' ? "number" : "whole number") + " in range";
        return false;
      }
      mNumbers[k] = value;
    }
    return true;
  }
  unsigned U(size_t k) const { return unsigned(mNumbers[k]); }
  int I(size_t k) const { return int(mNumbers[k]); }
  float F(size_t k) const { return float(mNumbers[k]); }
  const std::string& S(size_t k) const { return mWords[k]; }
  Ogre::ColourValue Colour(size_t k) const { return Ogre::ColourValue(F(k), F(k + 1), F(k + 2)); }

 private:
  std::vector<std::string> mWords;
  std::vector<double> mNumbers;
};

// A stroke runs on the terrain; false, with the reason in error, when the
// map refuses it.
using Run = std::function<bool(CGATerrainManager&, const Args&, std::string& error)>;

struct Stroke {
  std::string Kinds;
  Run Apply;
};

// A stroke that cannot fail.
template <class F>
Stroke Always(const char* kinds, F f) {
  return {kinds, [f](CGATerrainManager& t, const Args& a, std::string&) {
            f(t, a);
            return true;
          }};
}

// The node name of the static of a type that stands nearest (x, z).
std::string NearestStatic(const CGATerrainManager& terrain, const std::string& type, float x, float z) {
  std::string nearest;
  float best = std::numeric_limits<float>::infinity();
  for (const auto& [name, record] : terrain.GetStatics()) {
    if (record.TypeName != type) continue;
    const Ogre::Vector3& p = record.Node->getPosition();
    const float d = (p.x - x) * (p.x - x) + (p.z - z) * (p.z - z);
    if (d < best) {
      best = d;
      nearest = name;
    }
  }
  return nearest;
}

const std::map<std::string, Stroke>& Strokes() {
  using T = CGATerrainManager;
  static const std::map<std::string, Stroke> strokes = {
      {"shape",
       {"s",
        [](T& t, const Args& a, std::string& error) {
          if (a.S(0) != "round" && a.S(0) != "square") {
            error = "the shape is round or square, not \"" + a.S(0) + "\"";
            return false;
          }
          t.SetBrushShape(a.S(0) == "round");
          return true;
        }}},
      {"raise", Always("uuiu", [](T& t, const Args& a) { t.BrushRaise(a.U(0), a.U(1), a.I(2), a.U(3)); })},
      {"lower", Always("uuiu", [](T& t, const Args& a) { t.BrushLower(a.U(0), a.U(1), a.I(2), a.U(3)); })},
      {"target",
       Always("uuiuu", [](T& t, const Args& a) { t.BrushTargetHeight(a.U(0), a.U(1), a.I(2), a.U(3), a.U(4)); })},
      {"flatten", Always("uuiu", [](T& t, const Args& a) { t.BrushFlatten(a.U(0), a.U(1), a.I(2), a.U(3)); })},
      {"logic", Always("uuib", [](T& t, const Args& a) { t.PaintLogic(a.U(0), a.U(1), a.I(2), uint8_t(a.U(3))); })},
      {"obstacle",
       Always("uuib", [](T& t, const Args& a) { t.PaintObstacle(a.U(0), a.U(1), a.I(2), uint8_t(a.U(3))); })},
      {"colour",
       Always("uuifffi", [](T& t, const Args& a) { t.PaintColourMap(a.U(0), a.U(1), a.I(2), a.Colour(3), a.I(6)); })},
      {"light",
       Always("uuifffi", [](T& t, const Args& a) { t.PaintLightMap(a.U(0), a.U(1), a.I(2), a.Colour(3), a.I(6)); })},
      {"blend", Always("iiii", [](T& t, const Args& a) { t.PaintBlend(a.I(0), a.I(1), a.I(2), a.I(3)); })},
      {"eraseblend",
       Always("iiifi", [](T& t, const Args& a) { t.EraseBlend(a.I(0), a.I(1), a.I(2), a.F(3), a.I(4)); })},
      {"tilelayer",
       Always("ffiii", [](T& t, const Args& a) { t.PaintTileLayer(a.F(0), a.F(1), a.I(2), a.I(3), a.I(4)); })},
      {"layer", Always("uuii", [](T& t, const Args& a) { t.PaintTileTexture(a.U(0), a.U(1), a.I(2), a.I(3)); })},
      {"heightimage",
       {"sf",
        [](T& t, const Args& a, std::string& error) {
          if (t.ImportHeightImage(a.S(0), a.F(1))) return true;
          error = "the height image \"" + a.S(0) + "\" cannot be read or is smaller than the map";
          return false;
        }}},
      {"place",
       {"sff",
        [](T& t, const Args& a, std::string& error) {
          if (t.PlaceStaticOnGround(a.S(0), a.F(1), a.F(2))) return true;
          error = "no static of type \"" + a.S(0) + "\" can be made";
          return false;
        }}},
      {"remove",
       {"sff",
        [](T& t, const Args& a, std::string& error) {
          if (t.RemoveStatic(NearestStatic(t, a.S(0), a.F(1), a.F(2)))) return true;
          error = "the map has no static of type \"" + a.S(0) + "\"";
          return false;
        }}},
  };
  return strokes;
}

}  // namespace

bool RunStrokes(CGATerrainManager& terrain, std::istream& script, std::string& error) {
  std::string line;
  for (int row = 1; std::getline(script, line); ++row) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::string name, word;
    if (!(in >> name)) continue;
    std::vector<std::string> words;
    while (in >> word) words.push_back(word);
    const std::string where = "line " + std::to_string(row) + ": ";
    auto stroke = Strokes().find(name);
    if (stroke == Strokes().end()) {
      error = where + "no stroke \"" + name + "\"";
      return false;
    }
    Args args;
    std::string reason;
    if (!args.Read(words, stroke->second.Kinds, reason) || !stroke->second.Apply(terrain, args, reason)) {
      error = where + name + " " + reason;
      return false;
    }
  }
  return true;
}
