// Writes a playable map (the ".map" scene description and its side files)
// from a short text description. Usage: mapgen DESCRIPTION OUTPUT_FOLDER
//
// Description lines (world units, one cell each; "#" starts a comment):
//   name NAME                      map name, prefix of every file written
//   size WIDTH HEIGHT              grid steps along x and z, multiples of 16
//   scale N                        cells per grid step
//   ground H                       base height of the whole map
//   hill X Z RADIUS HEIGHT         a round hill (raised cosine) added on top
//   block X0 Z0 X1 Z1              blocked cells (obstacle 50), inclusive
//   open X0 Z0 X1 Z1               walkable cells again (a gap in a wall)
//   logic VALUE X0 Z0 X1 Z1        logic value of cells (1 placeable, 3 defeat)
//   ambient R G B                  ambient light
//   sun DX DY DZ R G B             direction light; also bakes the light map
//   fog R G B START END            fog colour and range (the game keeps fog off)
//   texture NAME HREPEAT WREPEAT   terrain texture (layer ids from 1 in order;
//                                  WREPEAT 0 = 8 x 4 atlas, -1 = 4 x 4 atlas)
//   blendtexture NAME              blend texture for the next tile slot (0..3)
//   paint LAYER X0 Z0 X1 Z1        terrain layer of the vertices in the area
//   blend SLOT X0 Z0 X1 Z1         full weight of blend slot 1..3 in the area
//   water LEVEL                    water at that height
//   static TYPE MESH SX SY SZ      a static type of the map's static list
//   place TYPE X Z [YAW [SX SY SZ]]  a static standing on the ground there
//   light NAME X H Z R G B RANGE CONSTANT LINEAR QUADRATIC
//                                  a point light H above the ground
//   view X Z                       the saved camera looks at that point
//   grasskind NAME IMAGE           a grass kind (ids from 0 in order)
//   grass KIND X0 Z0 X1 Z1 SPACING  tufts of a kind about SPACING apart over
//                                  an area (none under water), each turned
//                                  and sized a little differently
// The map's Step is 1. Every vertex starts with layer 1 when textures are
// listed; every tile uses blend textures 0 to 3.
#include "terrain/ImageWriter.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kCellsPerTile = 16;
constexpr float kHeightUnits = 250.0f;  // stored height units per vertex-height unit
constexpr uint8_t kBlocked = 50;
constexpr uint8_t kFree = 255;

struct Area {
  int X0 = 0, Z0 = 0, X1 = 0, Z1 = 0;
  bool Holds(float x, float z) const { return x >= X0 && x <= X1 && z >= Z0 && z <= Z1; }
};

struct Hill {
  float X, Z, Radius, Height;
};

struct AreaValue {
  int Value;
  Area Where;
};

struct Texture {
  std::string Name;
  int HeightRepeat, WidthRepeat;
};

struct StaticType {
  std::string Name, Mesh;
  float Scale[3];
};

struct Placement {
  std::string Type;
  float X, Z, Yaw;
  float Scale[3];
};

struct PointLight {
  std::string Name;
  float X, Height, Z, Colour[3], Range, Constant, Linear, Quadratic;
};

struct GrassKind {
  std::string Name, Image;
};

struct GrassArea {
  int Kind;
  Area Where;
  float Spacing;
};

struct Description {
  std::string Name;
  int Width = 0, Height = 0, Scale = 2;
  float Ground = 0;
  std::vector<Hill> Hills;
  std::vector<AreaValue> Obstacles, Logic, Paint, Blend;
  float Ambient[3] = {0.5f, 0.5f, 0.5f};
  float SunDirection[3] = {-0.5f, -1.0f, -0.3f};
  float SunColour[3] = {1.0f, 1.0f, 1.0f};
  float FogColour[3] = {0.7f, 0.75f, 0.8f};
  float FogStart = 200, FogEnd = 600;
  std::vector<Texture> Textures;
  std::vector<std::string> BlendTextures;
  bool Water = false;
  float WaterLevel = 0;
  std::vector<StaticType> StaticTypes;
  std::vector<Placement> Placements;
  std::vector<PointLight> Lights;
  bool HasView = false;
  float View[2] = {0, 0};
  std::vector<GrassKind> GrassKinds;
  std::vector<GrassArea> Grass;
};

[[noreturn]] void Fail(const std::string& where, const std::string& text) {
  throw std::runtime_error(where + ": " + text);
}

Description ReadDescription(const std::string& path) {
  std::ifstream in(path);
  if (!in) Fail(path, "cannot be read");
  Description d;
  std::string line;
  for (int row = 1; std::getline(in, line); ++row) {
    const std::string where = path + ":" + std::to_string(row);
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    words.imbue(std::locale::classic());
    std::string key;
    if (!(words >> key)) continue;
    auto area = [&] {
      Area a;
      if (!(words >> a.X0 >> a.Z0 >> a.X1 >> a.Z1)) Fail(where, key + " needs X0 Z0 X1 Z1");
      return a;
    };
    auto numbers = [&](float* out, int count) {
      for (int i = 0; i < count; ++i)
        if (!(words >> out[i])) Fail(where, key + " needs " + std::to_string(count) + " numbers");
    };
    if (key == "name") {
      words >> d.Name;
    } else if (key == "size") {
      if (!(words >> d.Width >> d.Height)) Fail(where, "size needs WIDTH HEIGHT");
    } else if (key == "scale") {
      if (!(words >> d.Scale)) Fail(where, "scale needs a number");
    } else if (key == "ground") {
      numbers(&d.Ground, 1);
    } else if (key == "hill") {
      float v[4];
      numbers(v, 4);
      d.Hills.push_back({v[0], v[1], v[2], v[3]});
    } else if (key == "block" || key == "open") {
      d.Obstacles.push_back({key == "block" ? kBlocked : kFree, area()});
    } else if (key == "logic" || key == "paint" || key == "blend") {
      int value;
      if (!(words >> value)) Fail(where, key + " needs a value");
      (key == "logic" ? d.Logic : key == "paint" ? d.Paint : d.Blend).push_back({value, area()});
    } else if (key == "ambient") {
      numbers(d.Ambient, 3);
    } else if (key == "sun") {
      numbers(d.SunDirection, 3);
      numbers(d.SunColour, 3);
    } else if (key == "fog") {
      numbers(d.FogColour, 3);
      numbers(&d.FogStart, 1);
      numbers(&d.FogEnd, 1);
    } else if (key == "texture") {
      Texture t;
      if (!(words >> t.Name >> t.HeightRepeat >> t.WidthRepeat)) Fail(where, "texture needs NAME HREPEAT WREPEAT");
      d.Textures.push_back(t);
    } else if (key == "blendtexture") {
      std::string name;
      if (!(words >> name)) Fail(where, "blendtexture needs a name");
      d.BlendTextures.push_back(name);
    } else if (key == "water") {
      numbers(&d.WaterLevel, 1);
      d.Water = true;
    } else if (key == "static") {
      StaticType t;
      if (!(words >> t.Name >> t.Mesh)) Fail(where, "static needs TYPE MESH SX SY SZ");
      numbers(t.Scale, 3);
      d.StaticTypes.push_back(t);
    } else if (key == "place") {
      Placement p{"", 0, 0, 0, {1, 1, 1}};
      if (!(words >> p.Type >> p.X >> p.Z)) Fail(where, "place needs TYPE X Z");
      if (words >> p.Yaw && words >> p.Scale[0]) numbers(p.Scale + 1, 2);
      d.Placements.push_back(p);
    } else if (key == "light") {
      PointLight l;
      if (!(words >> l.Name)) Fail(where, "light needs a name");
      float v[10];
      numbers(v, 10);
      l = {l.Name, v[0], v[1], v[2], {v[3], v[4], v[5]}, v[6], v[7], v[8], v[9]};
      d.Lights.push_back(l);
    } else if (key == "view") {
      numbers(d.View, 2);
      d.HasView = true;
    } else if (key == "grasskind") {
      GrassKind k;
      if (!(words >> k.Name >> k.Image)) Fail(where, "grasskind needs NAME IMAGE");
      d.GrassKinds.push_back(k);
    } else if (key == "grass") {
      GrassArea g;
      if (!(words >> g.Kind)) Fail(where, "grass needs a kind");
      g.Where = area();
      numbers(&g.Spacing, 1);
      if (g.Kind < 0 || size_t(g.Kind) >= d.GrassKinds.size()) Fail(where, "grass names no grass kind");
      if (!(g.Spacing >= 0.25f)) Fail(where, "grass spacing must be 0.25 or more");
      d.Grass.push_back(g);
    } else {
      Fail(where, "unknown keyword \"" + key + "\"");
    }
  }
  if (d.Name.empty()) Fail(path, "no name");
  if (d.Width < kCellsPerTile || d.Height < kCellsPerTile || d.Width % kCellsPerTile || d.Height % kCellsPerTile)
    Fail(path, "size must be multiples of 16");
  if (d.Scale < 1) Fail(path, "scale must be 1 or more");
  if (d.BlendTextures.size() > 4) Fail(path, "at most four blend textures");
  return d;
}

std::string Text(std::initializer_list<float> values) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  const char* gap = "";
  for (float v : values) {
    out << gap << v;
    gap = " ";
  }
  return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) Fail(path, "cannot be written");
}

template <typename T>
std::string Bytes(const std::vector<T>& values) {
  std::string out;
  for (T v : values)
    for (size_t b = 0; b < sizeof(T); ++b) out += char((uint64_t(v) >> (8 * b)) & 0xff);  // little-endian
  return out;
}

class MapWriter {
 public:
  MapWriter(const Description& d, const std::string& folder)
      : d(d), folder(folder), gridX(d.Width), gridZ(d.Height), cellsX(gridX * d.Scale), cellsZ(gridZ * d.Scale) {}

  void Write() {
    BuildHeights();
    WriteFile(Path("_height.dat"), Bytes(heights));
    WriteFile(Path("_obstacle.dat"), Bytes(CellGrid(d.Obstacles, kFree)));
    WriteFile(Path("_logic.dat"), Bytes(CellGrid(d.Logic, 0)));
    WriteFile(Path("_Light.png"), EncodePng(gridX, gridZ, 3, LightMap()));
    WriteFile(Path("_Blend.tga"), EncodeTga(4 * d.Width, 4 * d.Height, BlendMap()));
    if (!d.Textures.empty()) WriteFile(Path("_paint.dat"), Bytes(Paint()));
    WriteStaticList();
    WriteScene();
  }

 private:
  std::string Path(const std::string& suffix) const { return folder + "/" + d.Name + suffix; }

  // World height of vertex (vx, vz).
  float WorldHeight(int vx, int vz) const {
    const float x = float(vx * d.Scale), z = float(vz * d.Scale);
    float h = d.Ground;
    for (const Hill& hill : d.Hills) {
      const float r = std::hypot(x - hill.X, z - hill.Z);
      if (r < hill.Radius) h += hill.Height * 0.5f * (1.0f + std::cos(3.14159265f * r / hill.Radius));
    }
    return h;
  }

  void BuildHeights() {
    heights.resize(size_t(gridX) * gridZ);
    for (int vz = 0; vz < gridZ; ++vz)
      for (int vx = 0; vx < gridX; ++vx) {
        const float stored = std::max(0.0f, WorldHeight(vx, vz)) / float(d.Scale) * kHeightUnits;
        heights[size_t(vz) * gridX + vx] = uint32_t(std::lround(stored));
      }
  }

  float VertexHeight(int vx, int vz) const {
    vx = std::clamp(vx, 0, gridX - 1);
    vz = std::clamp(vz, 0, gridZ - 1);
    return float(heights[size_t(vz) * gridX + vx]) / kHeightUnits;
  }

  // World height at a world point: the bilinear blend of its cell's corners,
  // as the game reads it.
  float GroundAt(float x, float z) const {
    const float fx = std::clamp(x / d.Scale, 0.0f, float(gridX - 1)), fz = std::clamp(z / d.Scale, 0.0f, float(gridZ - 1));
    const int ix = std::min(int(fx), gridX - 2), iz = std::min(int(fz), gridZ - 2);
    const float dx = fx - ix, dz = fz - iz;
    const float h = (1 - dx) * (1 - dz) * VertexHeight(ix, iz) + (1 - dx) * dz * VertexHeight(ix, iz + 1) +
                    dx * (1 - dz) * VertexHeight(ix + 1, iz) + dx * dz * VertexHeight(ix + 1, iz + 1);
    return h * d.Scale;
  }

  void WriteStaticList() const {
    TiXmlDocument doc;
    auto* list = doc.LinkEndChild(new TiXmlElement("Static"))->ToElement();
    for (const StaticType& t : d.StaticTypes) {
      auto* e = list->LinkEndChild(new TiXmlElement("Object"))->ToElement();
      e->SetAttribute("Name", t.Name);
      e->SetAttribute("Mesh", t.Mesh);
      e->SetAttribute("Scale", Text({t.Scale[0], t.Scale[1], t.Scale[2]}));
    }
    if (!doc.SaveFile(Path("_static.xml"))) Fail(Path("_static.xml"), "cannot be written");
  }

  std::vector<uint8_t> CellGrid(const std::vector<AreaValue>& areas, uint8_t preset) const {
    std::vector<uint8_t> cells(size_t(cellsX) * cellsZ, preset);
    for (const AreaValue& a : areas)
      for (int z = std::max(a.Where.Z0, 0); z <= std::min(a.Where.Z1, cellsZ - 1); ++z)
        for (int x = std::max(a.Where.X0, 0); x <= std::min(a.Where.X1, cellsX - 1); ++x)
          cells[size_t(z) * cellsX + x] = uint8_t(a.Value);
    return cells;
  }

  // Ambient plus the sun on the slope of each vertex, baked per vertex.
  std::vector<uint8_t> LightMap() const {
    const float* s = d.SunDirection;
    const float length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    std::vector<uint8_t> pixels;
    for (int vz = 0; vz < gridZ; ++vz)
      for (int vx = 0; vx < gridX; ++vx) {
        float n[3] = {(VertexHeight(vx - 1, vz) - VertexHeight(vx + 1, vz)) * 0.5f, 1.0f,
                      (VertexHeight(vx, vz - 1) - VertexHeight(vx, vz + 1)) * 0.5f};
        const float nl = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        const float lit = length > 0 ? std::max(0.0f, -(n[0] * s[0] + n[1] * s[1] + n[2] * s[2]) / (nl * length)) : 0;
        for (int c = 0; c < 3; ++c)
          pixels.push_back(uint8_t(std::lround(255.0f * std::clamp(d.Ambient[c] + d.SunColour[c] * lit, 0.0f, 1.0f))));
      }
    return pixels;
  }

  // Four texels per grid step; red, green and blue weigh blend slots 1, 2
  // and 3 against slot 0, alpha shows the blend over the whole terrain.
  std::vector<uint8_t> BlendMap() const {
    const int w = 4 * d.Width, h = 4 * d.Height;
    std::vector<uint8_t> pixels(size_t(w) * h * 4, 0);
    for (int ty = 0; ty < h; ++ty)
      for (int tx = 0; tx < w; ++tx) {
        uint8_t* p = &pixels[(size_t(ty) * w + tx) * 4];
        p[3] = tx < 4 * (d.Width - 1) && ty < 4 * (d.Height - 1) ? 255 : 0;
        const float x = tx * d.Scale / 4.0f, z = ty * d.Scale / 4.0f;
        for (const AreaValue& a : d.Blend)
          if (a.Value >= 1 && a.Value <= 3 && a.Where.Holds(x, z)) p[a.Value - 1] = 255;
      }
    return pixels;
  }

  // Two bytes per paint entry (layer, stored atlas variant 15..31); the
  // entry of vertex (x, z) is z x (Height - 1) + x.
  std::vector<uint8_t> Paint() const {
    const int stride = d.Height - 1;
    std::vector<uint8_t> paint(size_t(2) * d.Width * d.Height, 0x80);
    for (int vz = 0; vz < gridZ; ++vz)
      for (int vx = 0; vx < gridX; ++vx) {
        const size_t entry = size_t(vz) * stride + vx;
        if (2 * entry + 1 >= paint.size()) continue;
        int layer = 1;
        for (const AreaValue& a : d.Paint)
          if (a.Where.Holds(float(vx * d.Scale), float(vz * d.Scale))) layer = a.Value;
        paint[2 * entry] = uint8_t(layer);
        paint[2 * entry + 1] = uint8_t(15 + (vx * 7 + vz * 13) % 17);
      }
    return paint;
  }

  void WriteScene() const {
    TiXmlDocument doc;
    auto* scene = new TiXmlElement("Scene");
    doc.LinkEndChild(scene);
    scene->SetAttribute("Name", d.Name);
    scene->SetAttribute("Height", d.Height);
    scene->SetAttribute("Width", d.Width);
    scene->SetAttribute("Step", 1);
    scene->SetAttribute("Scale", d.Scale);
    scene->SetAttribute("StaticList", d.Name + "_static.xml");
    scene->SetAttribute("ObstacleData", d.Name + "_obstacle.dat");
    scene->SetAttribute("LogicData", d.Name + "_logic.dat");
    scene->SetAttribute("Terrain", "true");
    auto child = [](TiXmlElement* parent, const char* name) {
      return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
    };
    child(scene, "Ambient")->SetAttribute("Color", Text({d.Ambient[0], d.Ambient[1], d.Ambient[2], 1}));
    TiXmlElement* sun = child(scene, "DirectionLight");
    sun->SetAttribute("Direction", Text({d.SunDirection[0], d.SunDirection[1], d.SunDirection[2]}));
    sun->SetAttribute("Color", Text({d.SunColour[0], d.SunColour[1], d.SunColour[2], 1}));
    TiXmlElement* fog = child(scene, "Fog");
    fog->SetAttribute("Mode", 0);
    fog->SetAttribute("Color", Text({d.FogColour[0], d.FogColour[1], d.FogColour[2], 1}));
    fog->SetAttribute("Start", Text({d.FogStart}));
    fog->SetAttribute("End", Text({d.FogEnd}));
    fog->SetAttribute("Density", "0");
    TiXmlElement* statics = child(scene, "StaticObjects");
    for (const Placement& p : d.Placements) {
      TiXmlElement* e = child(statics, "Object");
      e->SetAttribute("Name", p.Type);
      e->SetAttribute("Position", Text({p.X, GroundAt(p.X, p.Z), p.Z}));
      e->SetAttribute("Scale", Text({p.Scale[0], p.Scale[1], p.Scale[2]}));
      const float half = p.Yaw * 3.14159265f / 360.0f;  // a turn about +y
      e->SetAttribute("Quaternion", Text({std::cos(half), 0, std::sin(half), 0}));
    }
    child(scene, "BuildObjects");
    TiXmlElement* lights = child(scene, "Lights");
    for (const PointLight& l : d.Lights) {
      TiXmlElement* e = child(lights, "Light");
      e->SetAttribute("Name", l.Name);
      e->SetAttribute("Position", Text({l.X, GroundAt(l.X, l.Z) + l.Height, l.Z}));
      e->SetAttribute("Colour", Text({l.Colour[0], l.Colour[1], l.Colour[2], 1}));
      e->SetAttribute("Range", Text({l.Range}));
      e->SetAttribute("Constant", Text({l.Constant}));
      e->SetAttribute("Linear", Text({l.Linear}));
      e->SetAttribute("Quadratic", Text({l.Quadratic}));
    }
    child(scene, "SceneEffect");
    if (d.HasView) {
      // Looking down at the point from the south, a little above.
      const float x = d.View[0], z = d.View[1], y = GroundAt(x, z);
      scene->SetAttribute("cam_position", Text({x, y + 16, z - 14}));
      scene->SetAttribute("cam_direction", Text({0, -16, 14}));
    }

    TiXmlElement* terrain = child(scene, "Terrain");
    terrain->SetAttribute("LightMap", d.Name + "_Light.png");
    terrain->SetAttribute("BlendMap", d.Name + "_Blend.tga");
    terrain->SetAttribute("PaintData", d.Textures.empty() ? "" : d.Name + "_paint.dat");
    terrain->SetAttribute("DefaultHeight", 0);
    terrain->SetAttribute("HeightData", d.Name + "_height.dat");
    terrain->SetAttribute("Water", d.Water ? "true" : "false");
    if (d.Water) terrain->SetAttribute("WaterHeight", Text({d.WaterLevel}));

    TiXmlElement* textures = child(scene, "TerrainTextures");
    for (const Texture& t : d.Textures) {
      TiXmlElement* e = child(textures, "Texture");
      e->SetAttribute("Name", t.Name);
      e->SetAttribute("Height", t.HeightRepeat);
      e->SetAttribute("Width", t.WidthRepeat);
    }
    TiXmlElement* blends = child(scene, "TexturesBlend");
    for (size_t i = 0; i < d.BlendTextures.size(); ++i) {
      TiXmlElement* e = child(blends, "Texture");
      e->SetAttribute("Name", d.BlendTextures[i]);
      e->SetAttribute("Layer", int(i));
    }
    TiXmlElement* tiles = child(scene, "TileTextures");
    const int tileCount = (d.Width / kCellsPerTile) * (d.Height / kCellsPerTile);
    for (int id = 0; id < tileCount; ++id) {
      TiXmlElement* e = child(tiles, "Tile");
      e->SetAttribute("ID", id);
      for (int slot = 0; slot < 4; ++slot) e->SetAttribute("Layer_" + std::to_string(slot), slot);
    }
    if (!d.GrassKinds.empty()) WriteGrass(child(scene, "Grass"));
    if (!doc.SaveFile(Path(".map"))) Fail(Path(".map"), "cannot be written");
  }

  // The grass kinds and one record per tuft, scattered on a grid with a
  // fixed jitter so every run writes the same map.
  void WriteGrass(TiXmlElement* grass) const {
    for (const GrassKind& k : d.GrassKinds) {
      auto* e = grass->LinkEndChild(new TiXmlElement("Object"))->ToElement();
      e->SetAttribute("Name", k.Name);
      e->SetAttribute("Image", k.Image);
    }
    auto* records = grass->LinkEndChild(new TiXmlElement("Records"))->ToElement();
    uint32_t seed = 12345;
    auto next = [&seed] {  // 0 .. 1
      seed = seed * 1103515245u + 12345u;
      return float((seed >> 16) & 0x7fff) / 32767.0f;
    };
    for (const GrassArea& g : d.Grass) {
      for (float z = g.Where.Z0 + g.Spacing / 2; z <= g.Where.Z1; z += g.Spacing) {
        for (float x = g.Where.X0 + g.Spacing / 2; x <= g.Where.X1; x += g.Spacing) {
          const float px = std::clamp(x + (next() - 0.5f) * g.Spacing * 0.8f, 0.0f, float(cellsX));
          const float pz = std::clamp(z + (next() - 0.5f) * g.Spacing * 0.8f, 0.0f, float(cellsZ));
          const float yaw = std::floor(next() * 360.0f), scale = 0.8f + std::floor(next() * 6.0f) / 10.0f;
          const float ground = GroundAt(px, pz);
          if (d.Water && ground < d.WaterLevel + 0.2f) continue;
          auto* r = records->LinkEndChild(new TiXmlElement("Record"))->ToElement();
          r->SetAttribute("id", g.Kind);
          r->SetAttribute("position", Text({px, ground, pz}));
          r->SetAttribute("yaw", Text({yaw}));
          r->SetAttribute("scale", Text({scale}));
        }
      }
    }
  }

  const Description& d;
  std::string folder;
  int gridX, gridZ, cellsX, cellsZ;
  std::vector<uint32_t> heights;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: mapgen DESCRIPTION OUTPUT_FOLDER\n";
    return 2;
  }
  try {
    const Description d = ReadDescription(argv[1]);
    MapWriter(d, argv[2]).Write();
  } catch (const std::exception& e) {
    std::cerr << "mapgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
