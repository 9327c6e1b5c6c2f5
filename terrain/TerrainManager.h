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
//
// The class is split along its seams: the map's data and the queries
// (TerrainManager.cpp, TerrainQueries.cpp) need no scene; loading it into
// the scene (TerrainLoad.cpp), clearing and saving (TerrainClear.cpp,
// TerrainSave.cpp), statics, lights, effects and grass (TerrainStatics.cpp)
// the frame step (TerrainUpdate.cpp) and the editor (TerrainEditor.cpp)
// build on them. Without a scene manager a map is data only.
#include "terrain/MapData.h"
#include "terrain/MapReader.h"
#include "terrain/StaticRecords.h"

#include <OgreCompositorInstance.h>
#include <OgreRay.h>
#include <OgreSingleton.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Ogre {
class Entity;
class Image;
class Light;
class RaySceneQuery;
class SceneManager;
class SceneNode;
class Technique;
}  // namespace Ogre
namespace Verdure {
class PagedVegetation;
class TreeLoader2D;
}  // namespace Verdure
class MapWorld;
class CGAPathFinder;
class CGATerrainTile;

class CGATerrainManager : public Ogre::CompositorInstance::Listener, public Ogre::Singleton<CGATerrainManager> {
 public:
  static constexpr uint8_t kBlockedCell = 50;
  static constexpr float kHeightDivisor = 250.0f;
  // Statics taller than this are tested by the see-through fading.
  static constexpr float kTallStatic = 4.0f;
  // Render queues: terrain and ground statics, other statics, faded ones.
  static constexpr Ogre::uint8 kGroundQueue = 50;
  static constexpr Ogre::uint8 kStaticQueue = 55;
  static constexpr Ogre::uint8 kFadedQueue = 75;

  // The game makes one, with editor mode off, during start-up. In editor
  // mode it also reads ".\editconfig.xml" and the brush images.
  CGATerrainManager(Ogre::SceneManager* sceneManager, bool editorMode);
  ~CGATerrainManager() override;

  // Map lifecycle. LoadMap reads the map through the file opener (the
  // engine's resource groups unless set otherwise); a map that cannot be
  // used is refused with a log line and changes nothing. Otherwise the
  // previous map is cleared and the new one built into the scene: nodes,
  // lights, fog, queued statics, effects, coverage textures, water, tiles
  // and grass. The caller then runs LoadPendingStatics.
  bool LoadMap(const std::string& fileName, unsigned cellsPerTile);
  // The cells along a side of a tile in the maps the game shows.
  static constexpr unsigned kGameCellsPerTile = 16;
  // Takes the map out of the scene and drops its grids, painter, coverage
  // maps and path finder; its layout (name, sizes, Step, Scale) and the
  // parsed document stay.
  void ClearMap();
  // Writes the live map back into its document and side files in the save
  // folder; false when no map was loaded.
  bool SaveMap();
  // The data side alone: reads and installs a map, and drops it again.
  bool LoadMapData(const std::string& fileName, unsigned cellsPerTile);
  void ClearMapData();
  // Makes already read map data current; false when its grids do not fit
  // its layout.
  bool InstallMap(CGAMapData&& map);
  void SetFileOpener(CGAMapReader::FileOpener opener) { mOpener = std::move(opener); }
  // What the map reaches of the game above it; null for none.
  void SetMapWorld(MapWorld* world) { mWorld = world; }

  // Static list files: types accumulate over the run, the first definition
  // of a name wins.
  void LoadStaticList(const std::string& fileName);
  bool FindStaticType(const std::string& name, StaticType& type) const;
  const std::map<std::string, StaticType>& GetStaticTypes() const { return mStaticTypes; }

  // Statics. CreateStatic makes one now, or (deferred, outside editor mode)
  // queues it in the bucket of its tile; unknown types make nothing.
  Ogre::SceneNode* CreateStatic(const std::string& typeName, const Ogre::Vector3& position,
                                const Ogre::Vector3& scale, const Ogre::Quaternion& orientation, bool deferred);
  // Into the bucket of BucketIndex(x / Scale / cells per tile, z / ...). A
  // placement off the map's tiles is dropped with a log line; one on them
  // with no bucket (a Step above 1) is made at once.
  void QueueStatic(const std::string& typeName, const Ogre::Vector3& position, const Ogre::Vector3& scale,
                   const Ogre::Quaternion& orientation);
  // Makes every queued static now and drops the buckets.
  void LoadPendingStatics();
  size_t GetPendingStaticCount() const;
  // Hides the sub-entities whose material ends in "collide" and makes every
  // sub-entity opaque; whether it had any.
  bool HideCollideSubEntities(Ogre::Entity* entity);
  // Gives the entity's materials the statics' programs ("unit_vs",
  // "unit_ps") and the colours of "unit_build", alpha-blended.
  void ApplyStaticShaders(Ogre::Entity* entity);
  // Unloads the material of every sub-entity that has one.
  void UnloadEntityMaterials(Ogre::Entity* entity);
  // Editor mode: the obstacle overlay pass of a terrain template.
  void AddObstaclePass(Ogre::Technique* technique);
  const std::map<std::string, StaticRecord>& GetStatics() const { return mStatics; }
  Ogre::SceneNode* GetStaticRoot() const { return mStaticRoot; }

  // Point lights, scene effects and grass of the map.
  Ogre::Light* AddPointLight(const std::string& name, const Ogre::Vector3& position, const Ogre::Vector3& scale,
                             const Ogre::Quaternion& orientation, const Ogre::ColourValue& colour, float range,
                             float constant, float linear, float quadratic);
  const std::map<std::string, Ogre::Light*>& GetPointLights() const { return mPointLights; }
  // A scene effect made through the map world; its node name, empty when
  // none was made.
  std::string AddSceneEffect(const std::string& name, const Ogre::Vector3& position);
  void RemoveSceneEffect(const std::string& nodeName);
  const std::set<std::string>& GetSceneEffects() const { return mSceneEffects; }
  void AddGrass(int kind, const Ogre::Vector3& position, float yaw, float scale);
  void RemoveGrass(const Ogre::Vector3& position, float radius);
  int GetGrassKindIndex(const Ogre::Entity* entity) const;
  const std::vector<Ogre::Entity*>& GetGrassKinds() const { return mGrassKinds; }
  Verdure::PagedVegetation* GetGrass() const { return mGrass; }
  Verdure::TreeLoader2D* GetGrassLoader() const { return mGrassLoader; }

  // The frame step: deferred statics near the camera, static animations,
  // grass, the water's refraction and the see-through fading.
  void Update();
  const std::vector<StaticFade>& GetFades() const { return mFades; }
  // Texture-modulative shadows on or off.
  void SetShadows(bool on);
  void SetSceneVisible(bool visible);
  Ogre::Light* GetMainLight() const { return mMainLight; }
  // The compositor switch: the game has no compositor, so it changes nothing.
  void EnableCompositor(bool on);
  // As a compositor's listener it leaves every material as it is.
  void notifyMaterialSetup(Ogre::uint32, Ogre::MaterialPtr&) override {}
  // Start-up hook, after the camera is set up.
  void Init() {}

  const std::vector<CGATerrainTile*>& GetTiles() const { return mTiles; }
  // The tile of a grid vertex; null off the map's tiles.
  CGATerrainTile* GetTileAt(unsigned vx, unsigned vz) const;
  // Editor mode: obstacles (layer 0), blank (1) and logic colours (2).
  CGACoverageMap* GetObstacleOverlay() const { return mObstacleOverlay.get(); }

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
  // pos.y receives the height under pos.x, pos.z. withObjects also looks
  // down from pos.y + the terrain height + 1 for the "collide" surfaces of
  // statics: one above the terrain takes pos there. Returns whether a
  // static was hit (also when the terrain stood higher).
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
  // The deferred-static bucket of tile coordinates (tx, tz), each truncated
  // toward zero: tz x tile count X + tx, with no test per axis, so a column
  // past a row's end reaches the next row. -1 when that is negative or not
  // below the number of buckets.
  long long BucketIndex(float tx, float tz) const;

  // The ground point under a pick ray: unless skipObjects, a hit on the
  // "collide" surfaces of statics; else the first hit on a tile's triangles
  // (two per cell, corners at GetHeight) of the tiles the terrain ray query
  // meets, nearest first; else where the ray enters the pick slab (0..512
  // in x and z, one unit thick below the slab top), else the origin.
  Ogre::Vector3 PickGround(Ogre::Ray ray, void* unused = nullptr, bool skipObjects = false) const;

  // The map loader paints through this (and the terrain editor).
  void SetVertexLayer(unsigned vx, unsigned vz, int layer);

  // The terrain editor (TerrainEditor.cpp); the game never calls it. x and z
  // are world units unless said otherwise. A brush of size k reaches k + 1
  // vertices or cells from its centre; vertex row 0 and column 0 are never
  // edited. Brushes that paint through a brush image need editor mode and
  // do nothing without it. Each brush rebuilds the tiles it touched.
  // Height brushes, in stored units: up, down (not below 0), by amount
  // toward a target (a step may pass it), toward the centre's height.
  void BrushRaise(unsigned x, unsigned z, int size, unsigned amount);
  void BrushLower(unsigned x, unsigned z, int size, unsigned amount);
  void BrushTargetHeight(unsigned x, unsigned z, int size, unsigned amount, unsigned target);
  void BrushFlatten(unsigned x, unsigned z, int size, unsigned amount);
  // Cells of a square, with the overlay's logic (layer 2) or obstacle
  // (layer 0) pixels; cells off the grid are left out.
  void PaintLogic(unsigned x, unsigned z, int size, uint8_t id);
  void PaintObstacle(unsigned x, unsigned z, int size, uint8_t value);
  // The overlay shows the obstacles (true) or nothing (false).
  void ShowObstacleMap(bool show);
  // Moves the colour map's or light map's texels toward a colour.
  void PaintColourMap(unsigned x, unsigned z, int size, const Ogre::ColourValue& colour, int amount);
  void PaintLightMap(unsigned x, unsigned z, int size, const Ogre::ColourValue& colour, int amount);
  // The blend map's channel 3 up, or down to a floor; x and z in vertex
  // units x 2.
  void PaintBlend(int x, int z, int size, int amount);
  void EraseBlend(int x, int z, int size, float floor, int amount);
  // Blend texture painted at blend texels (x, z) through the painter.
  void PaintTileLayer(float x, float z, int blendTexture, int size, int amount);
  // Terrain layer of the vertices under a round brush; a layer beyond the
  // terrain textures erases.
  void PaintTileTexture(unsigned x, unsigned z, int layer, int size);
  // Adds the red of an image of resource group "General" (at least the
  // grid's size) x 255 x scale to every height; false when it cannot be
  // read or is too small, and nothing changes.
  bool ImportHeightImage(const std::string& fileName, float scale);
  void RebuildAllTiles(bool regroup);
  void ShowTileGrids();
  void HideTileGrids();
  // Uploads the blend map and remakes the water's depth alpha.
  void RefreshWater();
  // The brush images: round (true) or square (false).
  void SetBrushShape(bool round);
  // A static of a known type standing on the terrain at (x, z), with its
  // type's scale; null for an unknown type.
  Ogre::SceneNode* PlaceStaticOnGround(const std::string& typeName, float x, float z);
  // Takes a static out of the collision grid, the fading and the scene;
  // false when no static has that node name.
  bool RemoveStatic(const std::string& nodeName);

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
  bool Fits(const CGAMapData& map) const;
  // Scene steps of LoadMap (TerrainLoad.cpp), in the order they run.
  void BuildSceneObjects();
  void BuildTerrain();
  void BuildObstacleOverlay();
  void BuildTiles();
  void BuildGrass();
  void ReadEditorConfig();
  // Editor steps (TerrainEditor.cpp).
  void BrushHeights(unsigned x, unsigned z, int size, const std::function<uint32_t(uint32_t)>& change);
  void PaintCells(unsigned x, unsigned z, int size, uint8_t value, bool logic);
  void PaintCoverage(CGACoverageMap* map, unsigned x, unsigned z, int size, const Ogre::ColourValue& colour,
                     int amount);
  void BrushBlendAlpha(int x, int z, int size, const std::function<double(int, float)>& change);
  // The active brush image of a size; null outside editor mode.
  const Ogre::Image* BrushImage(int size) const;
  // Steps of Update (TerrainUpdate.cpp).
  void AdvancePendingStatics();
  void AnimateStatics();
  void RenderWaterIfSeen();
  void CheckSeeThrough();
  void StepFades();
  // Steps of ClearMap (TerrainClear.cpp).
  void DestroyStatics();
  void DestroyGrass();

  // Index of cell (x, z) with both coordinates clamped into the cell grid.
  size_t CellIndex(unsigned x, unsigned z) const;
  uint32_t RawHeightAt(int vx, int vz) const;
  // The terrain's own height at a world point, 0 without a height grid.
  float TerrainHeightAt(float x, float z) const;
  Ogre::Vector3 NormalAtVertex(float vx, float vz) const;

  Ogre::SceneManager* mSceneManager;
  bool mEditorMode;
  CGAMapReader::FileOpener mOpener;
  MapWorld* mWorld = nullptr;
  CGAMapData mMap;
  std::unique_ptr<CGAPathFinder> mPathFinder;
  std::map<std::string, StaticType> mStaticTypes;
  std::string mSaveFolder;
  float mPickSlabTop = 0.0f;

  std::string mInfoName, mInfoPosition, mInfoIntro;
  float mLum = 1.2f, mContrast = 1.4f, mSoft = 0.3f, mBlack = 0.0f;
  bool mCompositorEnabled = false;

  // The scene of the current map.
  Ogre::SceneNode* mMapRoot = nullptr;
  Ogre::SceneNode* mStaticRoot = nullptr;
  Ogre::Light* mMainLight = nullptr;  // made by the first map, kept
  Ogre::RaySceneQuery* mTerrainQuery = nullptr;  // made by the first map, kept
  std::vector<CGATerrainTile*> mTiles;
  std::vector<std::vector<PendingStatic>> mBuckets;  // one per tile, until LoadPendingStatics
  Ogre::MaterialPtr mUnitMaterial;  // "unit_build": colours of the statics' passes
  std::map<std::string, StaticRecord> mStatics;
  std::map<std::string, StaticRecord> mAnimatedStatics;
  std::map<std::string, StaticRecord> mBuildObjects;  // nothing makes them; the writer writes them
  uint32_t mStaticCounter = 0;  // only grows: names stay unique for the run
  std::map<std::string, Ogre::Light*> mPointLights;
  std::set<std::string> mSceneEffects;  // node names
  Verdure::PagedVegetation* mGrass = nullptr;
  Verdure::TreeLoader2D* mGrassLoader = nullptr;
  // One per grass kind of the map, indexed by grass id: a kind that repeats
  // a name shares the first one's entity; null when another object has it.
  std::vector<Ogre::Entity*> mGrassKinds;
  std::unique_ptr<CGACoverageMap> mObstacleOverlay;  // editor mode
  uint32_t mLastSeeThroughCheck = 0;
  std::vector<StaticFade> mFades;

  // Editor set-up.
  std::map<uint8_t, Ogre::ColourValue> mLogicColours;
  std::vector<Ogre::Image> mRoundBrushes;
  std::vector<Ogre::Image> mSquareBrushes;
  const std::vector<Ogre::Image>* mActiveBrushes = nullptr;
};
