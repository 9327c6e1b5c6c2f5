#pragma once
// The terrain world: the one map currently loaded, with its grids, painter,
// coverage maps and path finder, and the height, cell, normal, colour, tile
// and picking queries the rest of the game asks of it.
//
// Coordinates: a map declares its extent in grid steps (Width along x,
// Height along z). With C cells per tile it has Width / C x Height / C tiles
// and a height grid of GridSizeX x GridSizeZ vertices, Scale x Step world
// units apart, row-major. A stored height v means the world height
// v / 250 x Scale x Step. The obstacle and logic grids have GridSizeX x Scale
// by GridSizeZ x Scale one-byte cells, addressed by truncated world x and z.
// Logic 1 marks a placeable cell, 3 a defeat cell; obstacle 50 a blocked one.
#include "terrain/MapData.h"
#include "terrain/MapReader.h"

#include <OgreRay.h>
#include <OgreSingleton.h>

#include <map>
#include <memory>
#include <string>

namespace Ogre {
class SceneManager;
}
class CGAPathFinder;

class CGATerrainManager : public Ogre::Singleton<CGATerrainManager> {
 public:
  static constexpr uint8_t kBlockedCell = 50;
  static constexpr float kHeightDivisor = 250.0f;

  // The game makes one, with editor mode off, during start-up.
  CGATerrainManager(Ogre::SceneManager* sceneManager, bool editorMode);
  ~CGATerrainManager();

  // Map lifecycle. LoadMap reads the map through the file opener (the
  // engine's resource groups unless set otherwise) and makes it current;
  // a map that cannot be used is refused with a log line and changes
  // nothing. ClearMap drops the current map's grids, painter, coverage maps
  // and path finder; its layout (name, sizes, Step, Scale) stays readable.
  bool LoadMap(const std::string& fileName, unsigned cellsPerTile);
  void ClearMap();
  // Makes already read map data current; false when its grids do not fit
  // its layout.
  bool InstallMap(CGAMapData&& map);
  void SetFileOpener(CGAMapReader::FileOpener opener) { mOpener = std::move(opener); }

  // Static list files: types accumulate over the run, the first definition
  // of a name wins.
  void LoadStaticList(const std::string& fileName);
  bool FindStaticType(const std::string& name, StaticType& type) const;
  const std::map<std::string, StaticType>& GetStaticTypes() const { return mStaticTypes; }

  // Extents.
  float GetGridSizeX() const { return float(mMap.GridSizeX()); }
  float GetGridSizeZ() const { return float(mMap.GridSizeZ()); }
  float GetWorldSizeX() const { return float(mMap.WorldSizeX()); }
  float GetWorldSizeZ() const { return float(mMap.WorldSizeZ()); }
  int GetStep() const { return mMap.Step; }
  int GetScale() const { return mMap.Scale; }
  unsigned GetTileCountX() const { return mMap.TileCountX; }
  unsigned GetTileCountZ() const { return mMap.TileCountZ; }
  unsigned GetCellsPerTile() const { return mMap.CellsPerTile; }

  // Heights of grid vertices; indices are clamped into the grid, so the far
  // edge repeats the last row and column. 0 without a height grid.
  float GetVertexHeight(int vx, int vz) const;
  double GetRawHeight(int vx, int vz) const;
  // Stores the value truncated toward zero, kept within 0 .. 2^32 - 1.
  void SetRawHeight(int vx, int vz, float value);

  // Terrain height at a world point: the bilinear blend of the four corners
  // of its cell. Beyond the edges the height continues flat.
  float GetHeight(float x, float z, void* unused = nullptr) const;
  // pos.y receives the height under pos.x, pos.z; returns whether a
  // collision static was hit (statics join once the scene has them).
  bool GetGroundHeight(Ogre::Vector3& pos, bool withObjects) const;
  static float TerrainHeightFunction(float x, float z, void* userData);
  Ogre::Vector3 GetVertexNormal(float vx, float vz) const;
  Ogre::Vector3 GetNormalAt(float x, float z) const;
  Ogre::ColourValue GetColourMapColour(unsigned vx, unsigned vz) const;
  Ogre::ColourValue GetLightColour(unsigned vx, unsigned vz) const;

  // Cells. Coordinates are clamped into the grid on both sides (a negative
  // coordinate passed through unsigned reads column or row 0). 0 without
  // the grid; setters then do nothing.
  uint8_t GetLogic(unsigned x, unsigned z) const;
  void SetLogic(unsigned x, unsigned z, uint8_t value);
  uint8_t GetObstacle(unsigned x, unsigned z) const;
  void SetObstacle(unsigned x, unsigned z, uint8_t value);
  // The obstacle grid, WorldSizeX x WorldSizeZ row-major; null without one.
  const uint8_t* GetObstacleGrid() const { return mMap.Obstacles.empty() ? nullptr : mMap.Obstacles.data(); }

  // Tiles: (vz / cells per tile) x tile count X + vx / cells per tile,
  // unchecked; FindTileIndex tests each axis and fails off the map.
  unsigned GetTileIndex(unsigned vx, unsigned vz) const;
  bool FindTileIndex(unsigned vx, unsigned vz, unsigned& index) const;

  // The ground point under a pick ray: the nearest hit on the terrain's
  // triangles (two per cell, corners at GetHeight), else where the ray
  // enters the pick slab (0..512 in x and z, one unit thick below the slab
  // top), else the origin.
  Ogre::Vector3 PickGround(Ogre::Ray ray, void* unused = nullptr, bool skipObjects = false) const;
  // Nearest hit of the ray on the terrain's triangles; false when it misses.
  bool PickTerrain(const Ogre::Ray& ray, Ogre::Vector3& hit) const;

  // The map loader paints through this (and the terrain editor).
  void SetVertexLayer(unsigned vx, unsigned vz, int layer);

  CGATerrainMaterial* GetMaterial() const { return mMap.Material.get(); }
  CGAPathFinder* GetPathFinder() const { return mPathFinder.get(); }
  CGACoverageMap* GetLightMap() const { return mMap.LightMap.get(); }
  CGACoverageMap* GetColourMap() const { return mMap.ColourMap.get(); }
  const CGAMapData& GetMapData() const { return mMap; }
  const std::string& GetMapName() const { return mMap.Name; }
  Ogre::SceneManager* GetSceneManager() const { return mSceneManager; }
  bool IsEditorMode() const { return mEditorMode; }

  void SetSaveFolder(const std::string& folder) { mSaveFolder = folder; }
  const std::string& GetSaveFolder() const { return mSaveFolder; }
  void SetMapInfo(const std::string& name, const std::string& position, const std::string& intro);
  void GetMapInfo(std::string& name, std::string& position, std::string& intro) const;
  void SetFantasyCompositor(float lum, float contrast, float soft, float black);
  void GetFantasyCompositor(float& lum, float& contrast, float& soft, float& black, bool& enabled) const;

 private:
  // Index of cell (x, z) with both coordinates clamped into the cell grid.
  size_t CellIndex(unsigned x, unsigned z) const;
  uint32_t RawHeightAt(int vx, int vz) const;
  Ogre::Vector3 NormalAtVertex(float vx, float vz) const;
  // Nearest hit on the two triangles of cell (cx, cz) closer than best.
  bool PickCell(const Ogre::Ray& ray, int cx, int cz, float& best) const;

  Ogre::SceneManager* mSceneManager;
  bool mEditorMode;
  CGAMapReader::FileOpener mOpener;
  CGAMapData mMap;
  std::unique_ptr<CGAPathFinder> mPathFinder;
  std::map<std::string, StaticType> mStaticTypes;
  std::string mSaveFolder;
  float mPickSlabTop = 0.0f;

  std::string mInfoName, mInfoPosition, mInfoIntro;
  float mLum = 1.2f, mContrast = 1.4f, mSoft = 0.3f, mBlack = 0.0f;
  bool mCompositorEnabled = false;
};
