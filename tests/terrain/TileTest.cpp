// Terrain tiles in a headless scene: mesh layout, grouping of cells by their
// layers, atlas coordinates and the tile's own pick.
#include "SceneTestSupport.h"
#include "terrain/TerrainTile.h"

#include <Ogre.h>

namespace {

// The vertices and triangles of all the tile's sections.
struct Mesh {
  size_t Vertices = 0, Triangles = 0;
};

Mesh Count(const Ogre::ManualObject& object) {
  Mesh mesh;
  for (Ogre::ManualObject::ManualObjectSection* section : object.getSections()) {
    const Ogre::RenderOperation* op = section->getRenderOperation();
    mesh.Vertices += op->vertexData->vertexCount;
    mesh.Triangles += op->indexData->indexCount / 3;
  }
  return mesh;
}

// Texture coordinate set `set` of every vertex of a section.
std::vector<Ogre::Vector3> TexCoords(const Ogre::ManualObject& object, size_t section, unsigned short set) {
  const Ogre::VertexData* data = object.getSections()[section]->getRenderOperation()->vertexData;
  const Ogre::VertexElement* element = data->vertexDeclaration->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES, set);
  Ogre::HardwareVertexBufferSharedPtr buffer = data->vertexBufferBinding->getBuffer(element->getSource());
  Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
  std::vector<Ogre::Vector3> coords;
  for (size_t i = 0; i < data->vertexCount; ++i) {
    float* f;
    element->baseVertexPointerToElement(static_cast<unsigned char*>(lock.pData) + i * buffer->getVertexSize(), &f);
    coords.emplace_back(f[0], f[1], element->getType() == Ogre::VET_FLOAT3 ? f[2] : 0.0f);
  }
  return coords;
}

class Tiles : public SceneFixture {
 protected:
  // A 32 x 32 map (2 x 2 tiles of 16 cells, Scale 2) with heights rising
  // along x, the atlas textures 1 (8 x 4) and 2 (4 x 4) and the repeated 3.
  CGATerrainMaterial& Install() {
    CGAMapData map = MapLayout(32, 32, 16, 1, 2);
    map.Heights.resize(32 * 32);
    for (int z = 0; z < 32; ++z)
      for (int x = 0; x < 32; ++x) map.Heights[z * 32 + x] = uint32_t(x * 250);
    map.Material = std::make_unique<CGATerrainMaterial>(31, 31);
    map.Material->AddTexture("terrain_dirt.png", 0, 0);
    map.Material->AddTexture("terrain_rock.png", 0, -1);
    map.Material->AddTexture("terrain_grass.png", 4, 4);
    for (const char* name : {"blend_meadow.png", "blend_soil.png", "blend_stone.png", "blend_moss.png"})
      map.Material->AddBlendTexture(name, 0);
    EXPECT_TRUE(terrain->InstallMap(std::move(map)));
    root = scene->getRootSceneNode()->createChildSceneNode("test_root");
    return *terrain->GetMaterial();
  }
  std::unique_ptr<CGATerrainTile> Tile(unsigned tx, unsigned tz) {
    auto tile = std::make_unique<CGATerrainTile>("t" + std::to_string(tx) + std::to_string(tz), scene, root,
                                                 tz * 2 + tx, *terrain);
    terrain->GetMaterial()->SetTileLayers(tz * 2 + tx, 0, 1, 2, 3);
    tile->Create(tx * 16, tz * 16, 16, 16, 2);
    return tile;
  }
  Ogre::SceneNode* root = nullptr;
};

TEST_F(Tiles, SixteenBySixteenCellsMakeAThousandVerticesHoweverGrouped) {
  CGATerrainMaterial& material = Install();
  for (int z = 0; z < 32; ++z)
    for (int x = 0; x < 32; ++x) material.SetVertexLayer(x, z, 3);
  std::unique_ptr<CGATerrainTile> plain = Tile(0, 0);
  EXPECT_EQ(plain->GetGroups().size(), 1u);
  EXPECT_EQ(Count(*plain->GetManualObject()).Vertices, 1024u);
  EXPECT_EQ(Count(*plain->GetManualObject()).Triangles, 512u);
  EXPECT_EQ(plain->GetNode()->getName(), "t00_tile_node");
  EXPECT_EQ(plain->GetManualObject()->getName(), "terrain_t00");
  EXPECT_EQ(plain->GetManualObject()->getRenderQueueGroup(), 50);
  EXPECT_EQ(plain->GetNode()->getPosition(), Ogre::Vector3(0, 0, 0));

  // Stripes of atlas layers give more groups, never more vertices.
  for (int z = 16; z < 32; ++z)
    for (int x = 16; x < 32; ++x) material.SetVertexLayer(x, z, 1 + (x / 3 + z / 5) % 2);
  std::unique_ptr<CGATerrainTile> striped = Tile(1, 1);
  EXPECT_EQ(striped->GetNode()->getPosition(), Ogre::Vector3(32, 0, 32));
  EXPECT_EQ(Count(*striped->GetManualObject()).Vertices, 1024u);
  EXPECT_EQ(Count(*striped->GetManualObject()).Triangles, 512u);
  // Each section has its own material, cloned for the tile's layers.
  for (Ogre::ManualObject::ManualObjectSection* section : striped->GetManualObject()->getSections())
    EXPECT_EQ(section->getMaterialName().rfind("terrain_mat_terrainmat__0_1_2_3", 0), 0u) << section->getMaterialName();
}

TEST_F(Tiles, CellsJoinTheFirstGroupTheirLayersFit) {
  CGATerrainMaterial& material = Install();
  for (int extra = 4; extra <= 7; ++extra) material.AddTexture("terrain_dirt.png", 0, 0);
  // Cell (0, 0) holds layers 1 and 2, cell (4, 0) layers 4 and 5 (fits
  // the first group: four), cell (8, 0) layers 6 and 7 (a new group).
  auto paintCell = [&](int x, int low, int high) {
    material.SetVertexLayer(x, 0, low);
    material.SetVertexLayer(x + 1, 0, high);
    material.SetVertexLayer(x, 1, low);
    material.SetVertexLayer(x + 1, 1, high);
  };
  paintCell(0, 1, 2);
  paintCell(4, 4, 5);
  paintCell(8, 6, 7);
  std::unique_ptr<CGATerrainTile> tile = Tile(0, 0);
  const std::vector<TerrainCellGroup>& groups = tile->GetGroups();
  ASSERT_GE(groups.size(), 2u);
  EXPECT_EQ(groups[0].LayerIds, (std::vector<int>{1, 2, 4, 5}));
  EXPECT_EQ(groups[1].LayerIds, (std::vector<int>{6, 7}));
  // Unpainted cells (no layers), also those met after the second group was
  // made, join the first group.
  ASSERT_EQ(groups.size(), 2u);
  auto groupOf = [&](float x, float z) {
    for (size_t g = 0; g < groups.size(); ++g)
      for (const TerrainTileCell& cell : groups[g].Cells)
        if (cell.X == x && cell.Z == z) return int(g);
    return -1;
  };
  EXPECT_EQ(groupOf(8, 0), 1);
  EXPECT_EQ(groupOf(12, 0), 0);
  EXPECT_EQ(groupOf(15, 15), 0);
  size_t cells = 0;
  for (const TerrainCellGroup& g : groups) cells += g.Cells.size();
  EXPECT_EQ(cells, 256u);
}

// The fragment program of each section, by section.
std::vector<std::string> Programs(const CGATerrainTile& tile) {
  std::vector<std::string> names;
  for (Ogre::ManualObject::ManualObjectSection* section : tile.GetManualObject()->getSections())
    names.push_back(section->getMaterial()->getTechnique(0)->getPass(0)->getFragmentProgramName());
  return names;
}

TEST_F(Tiles, ProgramsSampleOnlyTheBlendTexturesWeighedInTheTile) {
  CGATerrainMaterial& material = Install();
  CGACoverageMap& blend = *material.GetBlendMap();  // 128 x 128 texels, 64 a tile
  blend.SetValue(100, 10, 0, 40);                   // red under tile (1, 0)
  blend.SetValue(64, 10, 2, 40);                    // blue on the edge that tile (0, 0)'s filtering reads
  // No point light reaches any tile (8: their programs leave point lights out).
  std::unique_ptr<CGATerrainTile> left = Tile(0, 0), right = Tile(1, 0), far = Tile(1, 1);
  EXPECT_EQ(Programs(*left), std::vector<std::string>{"terrain_ps_0_w12"});
  EXPECT_EQ(Programs(*right), std::vector<std::string>{"terrain_ps_0_w13"});
  EXPECT_EQ(Programs(*far), std::vector<std::string>{"terrain_ps_0_w8"});
  // A weight painted up from zero anywhere comes back into every program.
  material.AddBlendTexture("blend_soil.png", 2);
  material.PaintBlend(20, 100, 4, 10, 3);
  EXPECT_EQ(Programs(*left), std::vector<std::string>{"terrain_ps_0_w14"});
  EXPECT_EQ(Programs(*far), std::vector<std::string>{"terrain_ps_0_w10"});
}

// A point light leaves the point lights in the programs of the tiles its
// range reaches, measured across the ground; elsewhere they would add
// nothing, so the others leave them out.
TEST_F(Tiles, ProgramsLeaveOutPointLightsWhereNoneReaches) {
  Install();
  Ogre::Light* lamp = scene->createLight("lamp");
  lamp->setType(Ogre::Light::LT_POINT);
  lamp->setAttenuation(10, 1, 0, 0);
  root->createChildSceneNode(Ogre::Vector3(50, 40, 16))->attachObject(lamp);  // 18 over x 32-64, z 0-32
  std::unique_ptr<CGATerrainTile> under = Tile(1, 0), beside = Tile(0, 0), near = Tile(1, 1);
  EXPECT_EQ(Programs(*under), std::vector<std::string>{"terrain_ps_0_w0"});
  EXPECT_EQ(Programs(*beside), std::vector<std::string>{"terrain_ps_0_w8"});
  EXPECT_EQ(Programs(*near), std::vector<std::string>{"terrain_ps_0_w8"});
  // Its range grown to reach tile (1, 1) 16 away across the ground.
  lamp->setAttenuation(16.5f, 1, 0, 0);
  near->Rebuild(false);
  EXPECT_EQ(Programs(*near), std::vector<std::string>{"terrain_ps_0_w0"});
}

TEST_F(Tiles, LayerCoordinatesComeFromTheAtlasTablesOrRepeat) {
  EXPECT_EQ(CGATerrainTile::kAtlas8x4[4], Ogre::Vector2(0, 0.25f));
  EXPECT_EQ(CGATerrainTile::kAtlas8x4[16], Ogre::Vector2(0.5f, 0));
  EXPECT_EQ(CGATerrainTile::kAtlas8x4[17], Ogre::Vector2(0.5f, 0.25f));
  EXPECT_EQ(CGATerrainTile::kAtlas8x4[20], Ogre::Vector2(0.625f, 0));
  EXPECT_EQ(CGATerrainTile::kAtlas4x4[5], Ogre::Vector2(0.25f, 0.25f));
  EXPECT_EQ(CGATerrainTile::kAtlas4x4[16], Ogre::Vector2(0, 0));

  CGATerrainMaterial& material = Install();
  material.SetUseStoredVariants(true);
  // Layer 1 (8 x 4) everywhere, variant 20 stored at cell (0, 0) and the
  // preset 128 elsewhere; layer 2 (4 x 4) painted over cell (5, 0) with
  // variant 23.
  for (int z = 0; z < 32; ++z)
    for (int x = 0; x < 32; ++x) material.SetVertexLayer(x, z, 1);
  material.SetVertexVariant(0, 0, 20);
  for (int x : {5, 6})
    for (int z : {0, 1}) material.SetVertexLayer(x, z, 2);
  material.SetVertexVariant(5, 0, 23);
  std::unique_ptr<CGATerrainTile> tile = Tile(0, 0);
  ASSERT_EQ(tile->GetGroups().size(), 1u);
  EXPECT_EQ(tile->GetGroups()[0].LayerIds, (std::vector<int>{1, 2}));
  const std::vector<Ogre::Vector3> layer1 = TexCoords(*tile->GetManualObject(), 0, 2);
  // The first cell's four corners sample just inside atlas cell 20.
  EXPECT_NEAR(layer1[0].x, 0.627f, 1e-5);
  EXPECT_NEAR(layer1[0].y, 0.001f, 1e-5);
  EXPECT_NEAR(layer1[3].x, 0.748f, 1e-5);
  EXPECT_NEAR(layer1[3].y, 0.249f, 1e-5);
  EXPECT_EQ(layer1[0].z, 20);
  // A cell whose stored variant was never set shows the plain full cover.
  EXPECT_EQ(layer1[4].z, CGATerrainMaterial::kFullCover);
  // Cell (5, 0) in the 4 x 4 atlas: variant 23 has no cell there; the last
  // one (15) stands in.
  const std::vector<Ogre::Vector3> layer2 = TexCoords(*tile->GetManualObject(), 0, 3);
  EXPECT_EQ(layer2[5 * 4].z, 15);
  EXPECT_NEAR(layer2[5 * 4].x, 0.752f, 1e-5);
  EXPECT_EQ(layer2[0].z, 0);  // cells without the layer: atlas 0, drawn clear
  material.SetUseStoredVariants(false);

  // A repeated texture spreads its repeats over the tile.
  for (int z = 0; z < 32; ++z)
    for (int x = 0; x < 32; ++x) material.SetVertexLayer(x, z, 3);
  tile->Rebuild(true);
  const std::vector<Ogre::Vector3> grass = TexCoords(*tile->GetManualObject(), 0, 2);
  EXPECT_EQ(grass[3], Ogre::Vector3(4.0f / 16, 4.0f / 16, grass[3].z));
  EXPECT_EQ(grass[15 * 4 * 16 + 15 * 4 + 3].x, 4.0f);
}

TEST_F(Tiles, ThePickFindsTheNearestCellTriangle) {
  Install();
  std::unique_ptr<CGATerrainTile> tile = Tile(0, 0);
  Ogre::Vector3 hit;
  // Heights rise one vertex height per step: world height x at x.
  ASSERT_TRUE(tile->RayPick(Down(10.5f, 7), hit));
  EXPECT_NEAR(hit.y, 10.5f, 1e-3);
  // A slanted ray through the slope meets its first crossing.
  const Ogre::Ray slant(Ogre::Vector3(0, 20, 5), Ogre::Vector3(1, -1, 0).normalisedCopy());
  ASSERT_TRUE(tile->RayPick(slant, hit));
  EXPECT_NEAR(hit.x, 10.0f, 1e-3);
  hit = Ogre::Vector3(1, 2, 3);
  EXPECT_FALSE(tile->RayPick(Down(40, 40), hit));  // the next tile's ground
  EXPECT_EQ(hit, Ogre::Vector3(1, 2, 3));
  EXPECT_EQ(tile->GetCellIndex(-3, 20), 15u * 16);
}

}  // namespace
