#pragma once
// Helpers of the terrain tests: map documents with sound defaults, maps laid
// out in memory, a catcher of log lines, and a fixture that loads maps from
// a temporary folder.
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"
#include "terrain/TerrainManager.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// A complete map document. Tests change attributes of "Scene" and
// "Terrain" (erase one to leave it out), the texture lists, the statics and
// the extra children of "Scene".
struct MapXml {
  std::map<std::string, std::string> Scene = {
      {"Name", "test"}, {"Width", "32"},      {"Height", "32"},         {"Step", "1"},
      {"Scale", "2"},   {"StaticList", ""},   {"ObstacleData", ""},     {"Terrain", "true"}};
  std::map<std::string, std::string> Terrain = {
      {"BlendMap", ""}, {"PaintData", ""}, {"DefaultHeight", "0"}, {"HeightData", ""}, {"Water", "false"}};
  std::string Textures = "<TerrainTextures/><TexturesBlend/><TileTextures/>";
  std::string Statics;  // the "Object" elements of "StaticObjects"
  std::string Children;
  std::string Text() const;
};

// A map of the given extents with preset cell grids, ready for InstallMap.
CGAMapData MapLayout(int width, int height, unsigned cellsPerTile, int step, int scale);

// Makes a cell grid of sizeX x sizeZ (Scale 1, one vertex step a cell) the
// terrain's map; obstacles row-major, empty for all free.
void InstallGrid(CGATerrainManager& terrain, int sizeX, int sizeZ, const std::vector<uint8_t>& obstacles = {});

// Starts the headless engine (log, resource groups, image codecs).
struct EngineUp {
  EngineUp();
};

class MapFixture : public ::testing::Test {
 protected:
  MapFixture();
  // Writes the document as "test.map" and loads it.
  bool Load(const MapXml& xml, unsigned cellsPerTile = 16);
  void Write(const std::string& name, const std::string& bytes) { dir.write(name, bytes); }

  EngineUp engine;
  TempDir dir;
  LogLines log;
  CGATerrainManager terrain{nullptr, false};
};

// Little-endian bytes of 32-bit values.
std::string Le32(const std::vector<uint32_t>& values);
