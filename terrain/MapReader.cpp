#include "terrain/MapReader.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"
#include "terrain/ImageHeader.h"

#include <OgreException.h>
#include <OgreImage.h>
#include <OgreResourceGroupManager.h>

#include <algorithm>
#include <fstream>

bool CGAMapReader::SetLayout(CGAMapData& map, int width, int height, unsigned cellsPerTile, int step,
                             int scale, std::string& error) {
  const std::string steps = std::to_string(width) + " x " + std::to_string(height);
  if (cellsPerTile == 0) {
    error = "0 cells per tile";
    return false;
  }
  if (width < int(cellsPerTile) || height < int(cellsPerTile)) {
    error = "Width x Height " + steps + " holds no whole tile of " + std::to_string(cellsPerTile) + " grid steps";
    return false;
  }
  if (width > kMaxGridSteps || height > kMaxGridSteps) {
    error = "Width x Height " + steps + " is larger than " + std::to_string(kMaxGridSteps) + " grid steps";
    return false;
  }
  if (step < 1 || step > kMaxStep) {
    error = "Step " + std::to_string(step) + " is not 1 to " + std::to_string(kMaxStep);
    return false;
  }
  const unsigned gridX = unsigned(width) / cellsPerTile * cellsPerTile;
  const unsigned gridZ = unsigned(height) / cellsPerTile * cellsPerTile;
  if (scale < 1 || uint64_t(gridX) * unsigned(scale) > kMaxCells || uint64_t(gridZ) * unsigned(scale) > kMaxCells) {
    error = "Scale " + std::to_string(scale) + " is below 1 or makes the cell grid larger than " +
            std::to_string(kMaxCells) + " cells a side";
    return false;
  }
  map.Width = width;
  map.Height = height;
  map.Step = step;
  map.Scale = scale;
  map.CellsPerTile = cellsPerTile;
  map.TileCountX = unsigned(width) / cellsPerTile;
  map.TileCountZ = unsigned(height) / cellsPerTile;
  const size_t cells = size_t(map.WorldSizeX()) * map.WorldSizeZ();
  map.Obstacles.assign(cells, 255);
  map.Logic.assign(cells, 0);
  map.Heights.clear();
  return true;
}

bool CGAMapReader::Read(const std::string& fileName, unsigned cellsPerTile, CGAMapData& map) {
  mName = "Map " + fileName;
  Ogre::DataStreamPtr stream = mOpener ? mOpener(fileName) : Ogre::DataStreamPtr();
  if (!stream) {
    Report("not found");
    return false;
  }
  auto document = std::make_unique<TiXmlDocument>();
  const bool parsed = ParseDataXml(*document, stream->getAsString(), mName);
  stream->close();
  if (!parsed) {
    Report("refused: not XML");
    return false;
  }
  const TiXmlElement* scene = document->FirstChildElement("Scene");
  if (!scene) {
    Report("refused: no \"Scene\" element");
    return false;
  }
  std::string error;
  if (!SetLayout(map, RequiredInt(scene, "Width", mName), RequiredInt(scene, "Height", mName), cellsPerTile,
                 RequiredInt(scene, "Step", mName), RequiredInt(scene, "Scale", mName), error)) {
    Report("refused: " + error, scene);
    return false;
  }
  map.FileName = fileName;
  map.Name = RequiredText(scene, "Name", mName);
  map.StaticList = RequiredText(scene, "StaticList", mName);
  ReadScene(scene, map);
  map.HasTerrain = ParseBool(RequiredText(scene, "Terrain", mName));
  if (map.HasTerrain) {
    if (const TiXmlElement* terrain = RequiredChild(scene, "Terrain", mName)) {
      ReadTerrain(scene, terrain, map);
      ReadExtras(scene, map);
    } else {
      map.HasTerrain = false;
    }
  }
  map.Document = std::move(document);
  return true;
}

void CGAMapReader::ReadScene(const TiXmlElement* scene, CGAMapData& map) {
  if (const std::string obstacles = RequiredText(scene, "ObstacleData", mName); !obstacles.empty())
    ReadSideFile(obstacles, "obstacle file", map.Obstacles.data(), map.Obstacles.size());
  if (const std::string logic = XmlAttr(scene, "LogicData"); !logic.empty())
    ReadSideFile(logic, "logic file", map.Logic.data(), map.Logic.size());

  if (const TiXmlElement* e = RequiredChild(scene, "Ambient", mName)) map.Ambient = RequiredColour(e, "Color", mName);
  if (const TiXmlElement* e = RequiredChild(scene, "DirectionLight", mName)) {
    map.LightDirection = RequiredVector3(e, "Direction", mName);
    map.LightColour = RequiredColour(e, "Color", mName);
  }
  if (const TiXmlElement* e = RequiredChild(scene, "Fog", mName)) {
    map.Fog.Mode = RequiredInt(e, "Mode", mName);
    map.Fog.Colour = RequiredColour(e, "Color", mName);
    map.Fog.Start = RequiredReal(e, "Start", mName);
    map.Fog.End = RequiredReal(e, "End", mName);
    map.Fog.Density = RequiredReal(e, "Density", mName);
  }
  // Statics and scene effects share their attributes but for the name.
  auto readObjects = [this, scene](const char* list, const char* item, std::vector<MapObjectRecord>& out) {
    const TiXmlElement* parent = RequiredChild(scene, list, mName);
    if (!parent) return;
    for (const TiXmlElement* e = parent->FirstChildElement(item); e; e = e->NextSiblingElement(item)) {
      MapObjectRecord r;
      r.Name = RequiredText(e, "Name", mName);
      ReadPlacement(e, r.Position, r.Scale, r.Orientation);
      out.push_back(r);
    }
  };
  readObjects("StaticObjects", "Object", map.Statics);
  if (const TiXmlElement* parent = RequiredChild(scene, "BuildObjects", mName)) {
    for (const TiXmlElement* e = parent->FirstChildElement("Object"); e; e = e->NextSiblingElement("Object")) {
      BuildObjectRecord r;
      r.Mesh = RequiredText(e, "Mesh", mName);
      ReadPlacement(e, r.Position, r.Scale, r.Orientation);
      r.Render = RequiredInt(e, "Render", mName);
      map.BuildObjects.push_back(r);
    }
  }
  if (const TiXmlElement* parent = RequiredChild(scene, "Lights", mName)) {
    for (const TiXmlElement* e = parent->FirstChildElement("Light"); e; e = e->NextSiblingElement("Light")) {
      MapLightRecord r;
      r.Name = RequiredText(e, "Name", mName);
      r.Position = RequiredVector3(e, "Position", mName);
      r.Colour = RequiredColour(e, "Colour", mName);
      r.Range = RequiredReal(e, "Range", mName);
      r.Constant = RequiredReal(e, "Constant", mName);
      r.Linear = RequiredReal(e, "Linear", mName);
      r.Quadratic = RequiredReal(e, "Quadratic", mName);
      map.Lights.push_back(r);
    }
  }
  readObjects("SceneEffect", "Effect", map.SceneEffects);
}

void CGAMapReader::ReadPlacement(const TiXmlElement* e, Ogre::Vector3& position, Ogre::Vector3& scale,
                                 Ogre::Quaternion& orientation) {
  position = RequiredVector3(e, "Position", mName);
  // A missing scale is reported but leaves the thing at its own size.
  scale = RequiredVector3(e, "Scale", mName, scale);
  orientation = ParseQuaternion(RequiredText(e, "Quaternion", mName), XmlPlace(mName, e, "Quaternion"));
}

void CGAMapReader::ReadTerrain(const TiXmlElement* scene, const TiXmlElement* terrain, CGAMapData& map) {
  const unsigned gridX = map.GridSizeX(), gridZ = map.GridSizeZ();

  map.LightMap = std::make_unique<CGACoverageMap>("ETLightmap", "ET", gridX, gridZ, 3);
  if (const std::string light = XmlAttr(terrain, "LightMap"); !light.empty())
    ReadImageMap(light, *map.LightMap, "light image", gridX, gridZ);

  // Without a colour image every vertex shows its texture unchanged.
  map.ColourMap = std::make_unique<CGACoverageMap>("ETColourmap", "ET", gridX, gridZ, 3);
  std::fill_n(map.ColourMap->GetData(), map.ColourMap->GetSize(), uint8_t(255));
  if (const std::string colour = XmlAttr(terrain, "ColourMap"); !colour.empty())
    ReadImageMap(colour, *map.ColourMap, "colour image", gridX, gridZ);

  map.Material = std::make_unique<CGATerrainMaterial>(unsigned(map.Width - 1), unsigned(map.Height - 1));
  CGATerrainMaterial& material = *map.Material;
  if (const std::string blend = RequiredText(terrain, "BlendMap", mName); !blend.empty())
    ReadBlendImage(blend, material);

  if (const TiXmlElement* list = RequiredChild(scene, "TerrainTextures", mName))
    for (const TiXmlElement* e = list->FirstChildElement("Texture"); e; e = e->NextSiblingElement("Texture"))
      material.AddTexture(RequiredText(e, "Name", mName), RequiredInt(e, "Height", mName),
                          RequiredInt(e, "Width", mName));
  if (const TiXmlElement* list = RequiredChild(scene, "TexturesBlend", mName))
    for (const TiXmlElement* e = list->FirstChildElement("Texture"); e; e = e->NextSiblingElement("Texture"))
      material.AddBlendTexture(RequiredText(e, "Name", mName), RequiredInt(e, "Layer", mName));
  if (const TiXmlElement* list = RequiredChild(scene, "TileTextures", mName))
    for (const TiXmlElement* e = list->FirstChildElement("Tile"); e; e = e->NextSiblingElement("Tile"))
      material.SetTileLayers(ParseUInt(RequiredText(e, "ID", mName), 0, XmlPlace(mName, e, "ID")),
                             RequiredInt(e, "Layer_0", mName), RequiredInt(e, "Layer_1", mName),
                             RequiredInt(e, "Layer_2", mName), RequiredInt(e, "Layer_3", mName));

  ReadPaint(RequiredText(terrain, "PaintData", mName), map);

  const std::string defaultHeight = RequiredText(terrain, "DefaultHeight", mName);
  map.Heights.assign(size_t(gridX) * gridZ, ParseUInt(defaultHeight, 0, XmlPlace(mName, terrain, "DefaultHeight")));
  if (const std::string heights = RequiredText(terrain, "HeightData", mName); !heights.empty())
    ReadHeights(heights, map);

  map.HasWater = ParseBool(RequiredText(terrain, "Water", mName));
  map.HasWaterHeight = terrain->Attribute("WaterHeight") != nullptr;
  if (map.HasWaterHeight) map.WaterHeight = XmlReal(terrain, "WaterHeight", mName);
}

void CGAMapReader::ReadImageMap(const std::string& fileName, CGACoverageMap& target, const char* what,
                                unsigned width, unsigned height) {
  Ogre::Image image;
  if (!LoadImage(fileName, what, 0, 0, image)) return;
  try {
    image.resize(Ogre::ushort(width), Ogre::ushort(height), Ogre::Image::FILTER_BILINEAR);
  } catch (const Ogre::Exception& e) {
    Report(std::string(what) + " \"" + fileName + "\" cannot be resized: " + e.getDescription());
    return;
  }
  if (!target.LoadFromImage(image)) Report(std::string(what) + " \"" + fileName + "\" has an unusable pixel format");
}

void CGAMapReader::ReadBlendImage(const std::string& fileName, CGATerrainMaterial& material) {
  CGACoverageMap& blend = *material.GetBlendMap();
  Ogre::Image image;
  if (!LoadImage(fileName, "blend image", blend.GetWidth(), blend.GetHeight(), image)) return;
  if (!blend.LoadFromImage(image)) Report("blend image \"" + fileName + "\" has an unusable pixel format");
}

void CGAMapReader::ReadPaint(const std::string& fileName, CGAMapData& map) {
  CGATerrainMaterial& material = *map.Material;
  const int gridX = int(map.GridSizeX()), gridZ = int(map.GridSizeZ());
  if (fileName.empty()) {
    for (int vz = 0; vz < gridZ; ++vz)
      for (int vx = 0; vx < gridX; ++vx) material.SetVertexLayer(vx, vz, 0);
    return;
  }
  // The file is a copy of the painter's buffer: each vertex takes the entry
  // it is stored at. Entries the file does not reach keep the preset.
  std::vector<uint8_t> paint(material.GetPaintBufferSize());
  const size_t read = ReadSideFile(fileName, "paint file", paint.data(), paint.size());
  const size_t layers = material.GetTextureCount();
  size_t unknownLayers = 0, outside = 0;
  for (int vz = 0; vz < gridZ; ++vz) {
    for (int vx = 0; vx < gridX; ++vx) {
      if (!material.HasPaintEntry(vx, vz)) {
        ++outside;
        continue;
      }
      const size_t at = 2 * (size_t(vz) * material.GetPaintHeight() + size_t(vx));
      if (at + 1 >= read) continue;
      uint8_t layer = paint[at];
      if (layer >= layers) {
        ++unknownLayers;
        layer = 0;
      }
      material.SetVertexVariant(vx, vz, paint[at + 1]);
      material.SetVertexLayer(vx, vz, layer);
    }
  }
  if (unknownLayers)
    Report("paint file \"" + fileName + "\" names a texture the map does not list at " +
           std::to_string(unknownLayers) + " vertices; they are left unpainted");
  if (outside)
    Report("paint layout (" + std::to_string(map.Width) + " x " + std::to_string(map.Height) + ") has no entry for " +
           std::to_string(outside) + " vertices of the deeper rows; they keep the preset");
}

void CGAMapReader::ReadHeights(const std::string& fileName, CGAMapData& map) {
  std::vector<uint8_t> bytes(map.Heights.size() * 4);
  const size_t read = ReadSideFile(fileName, "height file", bytes.data(), bytes.size());
  for (size_t i = 0; (i + 1) * 4 <= read; ++i) {
    const uint8_t* b = &bytes[i * 4];
    map.Heights[i] = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  }
}

void CGAMapReader::ReadExtras(const TiXmlElement* scene, CGAMapData& map) {
  if (const TiXmlElement* grass = scene->FirstChildElement("Grass")) ReadGrass(grass, map);
  if (const TiXmlElement* info = scene->FirstChildElement("MapInfo")) {
    map.HasMapInfo = true;
    map.InfoName = RequiredText(info, "name", mName);
    map.InfoPosition = RequiredText(info, "position", mName);
    map.InfoIntro = RequiredText(info, "intro", mName);
  }
  if (const TiXmlElement* c = scene->FirstChildElement("FantasyCompositor")) {
    map.HasCompositor = true;
    map.Lum = RequiredReal(c, "lum", mName);
    map.Contrast = RequiredReal(c, "contrast", mName);
    map.Soft = RequiredReal(c, "soft", mName);
    map.Black = RequiredReal(c, "black", mName);
  }
}

void CGAMapReader::ReadGrass(const TiXmlElement* grass, CGAMapData& map) {
  map.HasGrass = true;
  for (const TiXmlElement* e = grass->FirstChildElement("Object"); e; e = e->NextSiblingElement("Object"))
    map.GrassKinds.push_back({RequiredText(e, "Name", mName), RequiredText(e, "Image", mName)});
  const TiXmlElement* records = RequiredChild(grass, "Records", mName);
  if (!records) return;
  size_t unknown = 0;
  for (const TiXmlElement* e = records->FirstChildElement("Record"); e; e = e->NextSiblingElement("Record")) {
    GrassRecord r;
    r.Id = RequiredInt(e, "id", mName);
    r.Position = RequiredVector3(e, "position", mName);
    r.Yaw = RequiredReal(e, "yaw", mName);
    r.Scale = RequiredReal(e, "scale", mName);
    if (r.Id < 0 || size_t(r.Id) >= map.GrassKinds.size()) ++unknown;
    else map.GrassRecords.push_back(r);
  }
  if (unknown) Report(std::to_string(unknown) + " grass records name no grass kind; ignored", records);
}

size_t CGAMapReader::ReadSideFile(const std::string& fileName, const char* what, uint8_t* buffer, size_t size) {
  Ogre::DataStreamPtr stream = mOpener ? mOpener(fileName) : Ogre::DataStreamPtr();
  if (!stream) {
    Report(std::string(what) + " \"" + fileName + "\" not found; its grid keeps the preset values");
    return 0;
  }
  size_t read = 0;
  while (read < size) {
    const size_t got = stream->read(buffer + read, size - read);
    if (got == 0) break;
    read += got;
  }
  uint8_t extra;
  const bool longer = read == size && stream->read(&extra, 1) == 1;
  stream->close();
  const std::string expected = std::to_string(size) + " bytes";
  if (read < size)
    Report(std::string(what) + " \"" + fileName + "\" holds " + std::to_string(read) + " of " + expected +
           "; the rest keeps the preset values");
  else if (longer)
    Report(std::string(what) + " \"" + fileName + "\" is longer than " + expected + "; the rest is ignored");
  return read;
}

bool CGAMapReader::LoadImage(const std::string& fileName, const char* what, uint32_t width, uint32_t height,
                            Ogre::Image& image) {
  const std::string named = std::string(what) + " \"" + fileName + "\"";
  Ogre::DataStreamPtr stream = mOpener ? mOpener(fileName) : Ogre::DataStreamPtr();
  if (!stream) {
    Report(named + " not found; its map keeps the preset");
    return false;
  }
  std::string bytes = stream->getAsString();
  stream->close();
  // The size is checked before a pixel is decoded.
  ImageHeader header;
  if (!ReadImageHeader(bytes, header)) {
    Report(named + " cannot be read: no PNG, TGA, BMP, JPEG, GIF, PSD or PNM header; ignored");
    return false;
  }
  const std::string size = std::to_string(header.Width) + " x " + std::to_string(header.Height) + " pixels";
  if (width == 0 && (header.Width > kMaxImageSide || header.Height > kMaxImageSide)) {
    Report(named + " is " + size + ", above " + std::to_string(kMaxImageSide) + " a side; ignored");
    return false;
  }
  if (width != 0 && (header.Width != width || header.Height != height)) {
    Report(named + " is " + size + ", not the " + std::to_string(width) + " x " + std::to_string(height) +
           " its map needs; ignored");
    return false;
  }
  try {
    // Decoded as the format its header was read as, whatever the file is
    // called.
    image.load(Ogre::DataStreamPtr(new Ogre::MemoryDataStream(&bytes[0], bytes.size(), false, true)), header.Format);
  } catch (const Ogre::Exception& e) {
    Report(named + " cannot be read: " + e.getDescription());
    return false;
  }
  return true;
}

void CGAMapReader::Report(const std::string& text, const TiXmlElement* at) const {
  GameLog((at ? XmlWhere(mName, at) : mName + ": ") + text);
}

Ogre::DataStreamPtr CGAMapReader::OpenFromResources(const std::string& name) { return OpenDataFile(name); }

CGAMapReader::FileOpener CGAMapReader::OpenFromFolder(const std::string& folder) {
  return [folder](const std::string& name) -> Ogre::DataStreamPtr {
    if (name.empty()) return Ogre::DataStreamPtr();
    auto* file = OGRE_NEW_T(std::ifstream, Ogre::MEMCATEGORY_GENERAL)(folder + "/" + name, std::ios::binary);
    if (!file->is_open()) {
      OGRE_DELETE_T(file, basic_ifstream, Ogre::MEMCATEGORY_GENERAL);
      return Ogre::DataStreamPtr();
    }
    return Ogre::DataStreamPtr(new Ogre::FileStreamDataStream(name, file, true));
  };
}
