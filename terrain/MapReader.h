#pragma once
// Reads a ".map" scene description and its side files (cell, height and
// paint grids, light, colour and blend images) into a CGAMapData. Files are
// found through an opener, so the game reads from its resource groups and
// tests and tools from a folder. Problems are logged naming the file; a map
// whose extents cannot make a playing field is refused.
#include "terrain/MapData.h"

#include <OgreDataStream.h>

#include <functional>
#include <string>

namespace Ogre {
class Image;
}

class CGAMapReader {
 public:
  // The stream of a file, or null when there is no such file.
  using FileOpener = std::function<Ogre::DataStreamPtr(const std::string& name)>;

  // Bounds of a map the game accepts: grid steps per axis, cells per axis
  // and the Step.
  static constexpr int kMaxGridSteps = 1024;
  static constexpr unsigned kMaxCells = 2048;
  static constexpr int kMaxStep = 1024;
  // Light and colour images are resized to the grid, whatever their size;
  // larger ones than this are refused unread (a small file may declare an
  // image of gigabytes). Far beyond any grid.
  static constexpr uint32_t kMaxImageSide = 4096;

  explicit CGAMapReader(FileOpener opener) : mOpener(std::move(opener)) {}

  // Reads the map into an empty CGAMapData. False, with the reason logged,
  // when the map file is missing, is not XML, has no "Scene" element or has
  // extents that make no playing field; whatever is missing besides is
  // logged and read as empty or as its preset.
  bool Read(const std::string& fileName, unsigned cellsPerTile, CGAMapData& map);

  // Checks the extents and gives the map its layout with preset cell grids
  // (obstacle 255, logic 0) and no heights; false with the reason in error.
  static bool SetLayout(CGAMapData& map, int width, int height, unsigned cellsPerTile, int step, int scale,
                        std::string& error);

  // Openers: the engine's resource groups ("General" first, then any), and
  // the files of one folder.
  static Ogre::DataStreamPtr OpenFromResources(const std::string& name);
  static FileOpener OpenFromFolder(const std::string& folder);

 private:
  void ReadScene(const TiXmlElement* scene, CGAMapData& map);
  void ReadPlacement(const TiXmlElement* element, Ogre::Vector3& position, Ogre::Vector3& scale,
                     Ogre::Quaternion& orientation);
  void ReadTerrain(const TiXmlElement* scene, const TiXmlElement* terrain, CGAMapData& map);
  // Grass, map information and compositor values: only maps with terrain.
  void ReadExtras(const TiXmlElement* scene, CGAMapData& map);
  void ReadImageMap(const std::string& fileName, CGACoverageMap& target, const char* what, unsigned width,
                    unsigned height);
  void ReadBlendImage(const std::string& fileName, CGATerrainMaterial& material);
  void ReadPaint(const std::string& fileName, CGAMapData& map);
  void ReadHeights(const std::string& fileName, CGAMapData& map);
  void ReadGrass(const TiXmlElement* grass, CGAMapData& map);

  // Reads at most size bytes of a side file into buffer; returns the count
  // read. A missing, short or long file is logged.
  size_t ReadSideFile(const std::string& fileName, const char* what, uint8_t* buffer, size_t size);
  // Decodes an image whose header declares exactly width x height pixels,
  // or, with width 0, at most kMaxImageSide a side; false, with the reason
  // logged, for any other.
  bool LoadImage(const std::string& fileName, const char* what, uint32_t width, uint32_t height, Ogre::Image& image);

  // A log line about the map, with the line of the element when given.
  void Report(const std::string& text, const TiXmlElement* at = nullptr) const;

  FileOpener mOpener;
  std::string mName;  // "Map " and the file: how the log names the map
};
