#include "TerrainTestSupport.h"

#include "tests/support/HeadlessEngine.h"

CGAMapData MapLayout(int width, int height, unsigned cellsPerTile, int step, int scale) {
  CGAMapData map;
  std::string error;
  EXPECT_TRUE(CGAMapReader::SetLayout(map, width, height, cellsPerTile, step, scale, error)) << error;
  map.FileName = "memory.map";
  return map;
}

void InstallGrid(CGATerrainManager& terrain, int sizeX, int sizeZ, const std::vector<uint8_t>& obstacles) {
  CGAMapData map = MapLayout(sizeX, sizeZ, 1, 1, 1);
  if (!obstacles.empty()) map.Obstacles = obstacles;
  ASSERT_TRUE(terrain.InstallMap(std::move(map)));
}

std::string MapXml::Text() const {
  auto attributes = [](const std::map<std::string, std::string>& values) {
    std::string out;
    for (const auto& [key, value] : values) out += " " + key + "=\"" + value + "\"";
    return out;
  };
  return "<Scene" + attributes(Scene) +
         ">\n"
         "  <Ambient Color=\"0.5 0.5 0.5 1\"/>\n"
         "  <DirectionLight Direction=\"0 -1 0\" Color=\"1 1 1 1\"/>\n"
         "  <Fog Mode=\"3\" Color=\"1 1 1 1\" Start=\"10\" End=\"100\" Density=\"0.1\"/>\n"
         "  " + (Statics.empty() ? "<StaticObjects/>" : "<StaticObjects>" + Statics + "</StaticObjects>") +
         "\n  <BuildObjects/>\n  <Lights/>\n  <SceneEffect/>\n"
         "  <Terrain" +
         attributes(Terrain) + "/>\n  " + Textures + "\n" + Children + "</Scene>\n";
}

EngineUp::EngineUp() { HeadlessEngine(); }

MapFixture::MapFixture() { terrain.SetFileOpener(CGAMapReader::OpenFromFolder(dir.path())); }

bool MapFixture::Load(const MapXml& xml, unsigned cellsPerTile) {
  Write("test.map", xml.Text());
  return terrain.LoadMap("test.map", cellsPerTile);
}

std::string Le32(const std::vector<uint32_t>& values) {
  std::string out;
  for (uint32_t v : values)
    for (int b = 0; b < 4; ++b) out += char((v >> (8 * b)) & 0xff);
  return out;
}
