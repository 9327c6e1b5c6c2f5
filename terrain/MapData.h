#pragma once
// Everything one map file yields, as plain records: the layout and the cell
// and height grids, the painter, the coverage maps and the records of what
// the scene places (statics, lights, effects, grass). The map reader fills
// one; the terrain manager keeps the current one.
#include "terrain/CoverageMap.h"
#include "terrain/TerrainMaterial.h"

#include <OgreColourValue.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>
#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One entry of a static list file.
struct StaticType {
  std::string Mesh;
  std::string Flash;  // kept, not used by the game
  Ogre::Vector3 Scale = Ogre::Vector3::UNIT_SCALE;
};

// A placed static object or scene effect: what to make and where.
struct MapObjectRecord {
  std::string Name;  // static type or effect name
  Ogre::Vector3 Position = Ogre::Vector3::ZERO;
  Ogre::Vector3 Scale = Ogre::Vector3::UNIT_SCALE;
  Ogre::Quaternion Orientation = Ogre::Quaternion::IDENTITY;
};

struct BuildObjectRecord {
  std::string Mesh;
  Ogre::Vector3 Position = Ogre::Vector3::ZERO;
  Ogre::Vector3 Scale = Ogre::Vector3::UNIT_SCALE;
  Ogre::Quaternion Orientation = Ogre::Quaternion::IDENTITY;
  int Render = 0;
};

struct MapLightRecord {
  std::string Name;
  Ogre::Vector3 Position = Ogre::Vector3::ZERO;
  Ogre::ColourValue Colour = Ogre::ColourValue::Black;
  float Range = 0, Constant = 0, Linear = 0, Quadratic = 0;
};

struct MapFog {
  int Mode = 0;  // read and kept; fog is always off
  Ogre::ColourValue Colour = Ogre::ColourValue::Black;
  float Start = 0, End = 0, Density = 0;
};

struct GrassKind {
  std::string Name;
  std::string Image;
};

struct GrassRecord {
  int Id = 0;  // index of a grass kind
  Ogre::Vector3 Position = Ogre::Vector3::ZERO;
  float Yaw = 0;  // degrees
  float Scale = 1;
};

struct CGAMapData {
  // Layout. A map declares its extent in grid steps; the height grid has
  // GridSizeX x GridSizeZ vertices, the cell grids WorldSizeX x WorldSizeZ
  // one-byte cells (Scale cells per vertex step).
  std::string FileName;
  std::string Name;
  int Width = 0;
  int Height = 0;
  int Step = 1;
  int Scale = 2;
  unsigned CellsPerTile = 8;
  unsigned TileCountX = 0;
  unsigned TileCountZ = 0;

  unsigned GridSizeX() const { return TileCountX * CellsPerTile; }
  unsigned GridSizeZ() const { return TileCountZ * CellsPerTile; }
  unsigned WorldSizeX() const { return GridSizeX() * unsigned(Scale); }
  unsigned WorldSizeZ() const { return GridSizeZ() * unsigned(Scale); }

  // Grids, row-major; empty when absent (heights: a map without terrain).
  std::vector<uint8_t> Obstacles;
  std::vector<uint8_t> Logic;
  std::vector<uint32_t> Heights;

  std::string StaticList;
  Ogre::ColourValue Ambient = Ogre::ColourValue::Black;
  Ogre::Vector3 LightDirection = Ogre::Vector3::ZERO;
  Ogre::ColourValue LightColour = Ogre::ColourValue::Black;
  MapFog Fog;
  std::vector<MapObjectRecord> Statics;
  std::vector<BuildObjectRecord> BuildObjects;
  std::vector<MapLightRecord> Lights;
  std::vector<MapObjectRecord> SceneEffects;

  bool HasTerrain = false;
  std::unique_ptr<CGACoverageMap> LightMap;   // "ETLightmap"
  std::unique_ptr<CGACoverageMap> ColourMap;  // "ETColourmap"
  std::unique_ptr<CGATerrainMaterial> Material;
  bool HasWater = false;
  bool HasWaterHeight = false;
  float WaterHeight = 0;

  bool HasGrass = false;
  std::vector<GrassKind> GrassKinds;
  std::vector<GrassRecord> GrassRecords;

  bool HasMapInfo = false;
  std::string InfoName, InfoPosition, InfoIntro;
  bool HasCompositor = false;
  float Lum = 0, Contrast = 0, Soft = 0, Black = 0;

  // The parsed file, kept for the map writer.
  std::unique_ptr<TiXmlDocument> Document;
};
