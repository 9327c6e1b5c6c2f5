#pragma once
// One square block of terrain cells (16 x 16 when the map loader makes it),
// drawn as one manual object on a scene node of its own. Every cell has four
// vertices of its own and two triangles; cells whose terrain textures fit
// one material (at most four) share a section. Vertices carry position,
// colour-map colour, normal, the map position (set 0), the light-map colour
// (set 1) and one (u, v, atlas index) set per terrain texture of the group.
#include <OgrePrerequisites.h>
#include <OgreRay.h>
#include <OgreVector.h>

#include <string>
#include <vector>

class CGATerrainManager;

struct TerrainTileCell {
  float X = 0;  // column within the tile
  float Z = 0;  // row within the tile
};

struct TerrainCellGroup {
  std::vector<int> LayerIds;  // sorted ascending once built
  std::vector<TerrainTileCell> Cells;
};

class CGATerrainTile {
 public:
  // Corners of the cells of the texture atlases: 4 x 4 row by row (entry 16
  // is (0, 0)); 8 x 4 with the left half row by row and the right half
  // column by column.
  static const Ogre::Vector2 kAtlas4x4[17];
  static const Ogre::Vector2 kAtlas8x4[32];

  // Makes no scene object yet. The terrain answers heights, colours and the
  // painter while the tile builds.
  CGATerrainTile(const std::string& name, Ogre::SceneManager* sceneManager, Ogre::SceneNode* parent,
                 unsigned tileIndex, const CGATerrainManager& terrain);
  ~CGATerrainTile();
  CGATerrainTile(const CGATerrainTile&) = delete;
  CGATerrainTile& operator=(const CGATerrainTile&) = delete;

  // Creates the node and the object for the cells from grid vertex
  // (originX, originZ), rows x columns cells of cellSize world units, and
  // builds the mesh. Always true.
  bool Create(unsigned originX, unsigned originZ, unsigned rows, unsigned columns, unsigned cellSize);
  // Rebuilds the mesh; regroup first sorts the cells into groups by their
  // current layers (needed after painting; heights alone keep the groups).
  void Rebuild(bool regroup);
  // The nearest hit of the ray on the tile's cells, corners at the
  // terrain's heights; hit is written only on a hit.
  bool RayPick(const Ogre::Ray& ray, Ogre::Vector3& hit) const;
  // The editor's cell grid overlay, drawn from the next Rebuild.
  void SetGridVisible(bool visible) { mGridVisible = visible; }
  unsigned GetCellIndex(int x, int z) const;

  Ogre::ManualObject* GetManualObject() const { return mObject; }
  Ogre::SceneNode* GetNode() const { return mNode; }
  const std::string& GetName() const { return mName; }
  unsigned GetIndex() const { return mTileIndex; }
  const std::vector<TerrainCellGroup>& GetGroups() const { return mGroups; }

 private:
  void Regroup();
  bool ReachedByPointLight() const;
  // One vertex of the cell at (column, row) + (dx, dz), with the group's
  // layer coordinates taken at the cell's first corner.
  void AddVertex(const TerrainCellGroup& group, const TerrainTileCell& cell, int dx, int dz);
  void BuildGrid();
  void DestroyGrid();

  const CGATerrainManager& mTerrain;
  Ogre::SceneManager* mSceneManager;
  Ogre::SceneNode* mParent;
  std::string mName;
  unsigned mTileIndex;
  Ogre::ManualObject* mGrid = nullptr;
  Ogre::ManualObject* mObject = nullptr;
  Ogre::SceneNode* mNode = nullptr;
  float mOriginX = 0, mOriginZ = 0;
  unsigned mRows = 0, mColumns = 0;
  unsigned mCellSize = 1;
  bool mGridVisible = false;
  std::vector<TerrainTileCell> mCells;
  std::vector<TerrainCellGroup> mGroups;
};
