// A map of any bytes: the scene description, its static list and its side
// files come from one input, split at each "\n--\n". Loading never crashes
// or reads astray; a refused map leaves the previous one in place; the
// loaded map answers its queries and finds paths.
#include "FuzzSupport.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainManager.h"

#include <OgreDataStream.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// The file names the seeds' maps use, in the order of the input's parts.
const char* const kFiles[] = {"m.map", "s.xml", "o.dat", "l.dat", "h.dat", "p.dat", "light.png", "blend.tga"};

std::vector<std::string> Split(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string mark = "\n--\n";
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t next; (next = input.find(mark, at)) != std::string::npos; at = next + mark.size())
    parts.push_back(input.substr(at, next - at));
  parts.push_back(input.substr(at));
  return parts;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  std::vector<std::string> parts = Split(data, size);
  std::map<std::string, std::string> files;
  for (size_t i = 0; i < parts.size() && i < sizeof kFiles / sizeof *kFiles; ++i) files[kFiles[i]] = parts[i];

  // One terrain for the run, as in the game; each input loads its map's
  // data into it.
  static CGATerrainManager& terrain = *new CGATerrainManager(nullptr, false);
  terrain.SetFileOpener([&files](const std::string& name) -> Ogre::DataStreamPtr {
    auto it = files.find(name);
    if (it == files.end()) return Ogre::DataStreamPtr();
    return Ogre::DataStreamPtr(new Ogre::MemoryDataStream(const_cast<char*>(it->second.data()), it->second.size()));
  });
  // A map in place before: a refused map must leave it as it was.
  CGAMapData before;
  std::string error;
  Check(CGAMapReader::SetLayout(before, 16, 16, 16, 1, 1, error));
  before.Obstacles[5] = CGATerrainManager::kBlockedCell;
  Check(terrain.InstallMap(std::move(before)));

  if (!terrain.LoadMapData("m.map", 16)) {
    Check(terrain.GetWorldSizeX() == 16 && terrain.GetObstacle(5, 0) == CGATerrainManager::kBlockedCell);
    return 0;
  }
  const float sizeX = terrain.GetWorldSizeX(), sizeZ = terrain.GetWorldSizeZ();
  Check(sizeX >= 16 && sizeX <= CGAMapReader::kMaxCells && sizeZ >= 16 && sizeZ <= CGAMapReader::kMaxCells);

  for (float x : {-1e30f, -3.5f, 0.0f, 7.25f, sizeX - 0.5f, sizeX * 3, 1e30f}) {
    Check(std::isfinite(terrain.GetHeight(x, x * 0.5f)));
    terrain.GetNormalAt(x, sizeZ - x);
    terrain.GetLogic(unsigned(int(x > 0 && x < 1e9f ? x : -1)), 3);
  }
  for (unsigned v : {0u, 1u, 15u, 16u, unsigned(-1)}) {
    terrain.GetColourMapColour(v, v);
    terrain.GetLightColour(v, 0);
    if (CGATerrainMaterial* material = terrain.GetMaterial()) {
      material->GetPaintByte(int(v), int(v), 1);
      material->GetCellLayerList(int(v), 3);
      // The cells the tiles would draw: atlas cells and pruned layers, from
      // stored variants, read inside the paint whatever its size.
      material->SetUseStoredVariants(true);
      for (const TerrainLayerEntry& e : material->GetCellLayers(int(v), int(v) / 2)) {
        TerrainLayerEntry info;
        material->GetLayerInfo(int(v), int(v) / 2, e.LayerId, info);
        Check(info.AtlasIndex >= 0 && info.AtlasIndex <= CGATerrainMaterial::kLastVariant);
      }
      material->SetUseStoredVariants(false);
    }
  }
  terrain.PickGround(Ogre::Ray(Ogre::Vector3(sizeX * 0.3f, 100, -10), Ogre::Vector3(0.2f, -1, 0.7f).normalisedCopy()));

  CGAPathFinder* finder = terrain.GetPathFinder();
  Check(finder != nullptr);
  const std::vector<Ogre::Vector2> path =
      finder->FindPath(Ogre::Vector2(0.5f, 0.5f), Ogre::Vector2(sizeX - 1, sizeZ - 1), 200);
  Check(!path.empty() && path.front() == Ogre::Vector2(0, 0));
  terrain.ClearMapData();
  Check(terrain.GetPathFinder() == nullptr && terrain.GetHeight(1, 1) == 0.0f);
  return 0;
}
