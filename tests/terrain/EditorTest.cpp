// The terrain editor's operations on the demo map (64 x 64 vertices, Scale 2,
// Step 1: vertex (vx, vz) stands at world (2 vx, 2 vz), cells are one world
// unit), the stroke script of the map editing tool, and a scripted edit
// saved and loaded again.
#include "SceneTestSupport.h"
#include "game/FrameClock.h"
#include "platform/CodePage.h"
#include "terrain/TerrainTile.h"
#include "tools/mapedit/StrokeScript.h"

#include <Ogre.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

constexpr unsigned kGrid = 64;

size_t VertexIndex(unsigned vx, unsigned vz) { return size_t(vz) * kGrid + vx; }

std::vector<uint8_t> Bytes(const CGACoverageMap& map) { return {map.GetData(), map.GetData() + map.GetSize()}; }

// Every pixel of the map as (r, g, b) of channels 0..2.
Ogre::Vector3 Texel(const CGACoverageMap& map, unsigned x, unsigned y) {
  return {float(map.GetValue(x, y, 0)), float(map.GetValue(x, y, 1)), float(map.GetValue(x, y, 2))};
}

// An editor-mode terrain with the build folder's editor files: the tests run
// in the build folder, which holds "editconfig.xml", and the brushes lie in
// its folder "editor".
class TerrainEditing : public SceneFixture {
 protected:
  TerrainEditing() {
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    if (!groups.resourceGroupExists("Main")) groups.createResourceGroup("Main");
    const std::string brushes = std::filesystem::absolute("editor").string();
    groups.addResourceLocation(brushes, "FileSystem", "Main");
    terrain.reset();
    terrain = std::make_unique<CGATerrainManager>(scene, true);
    groups.removeResourceLocation(brushes, "Main");
  }
  void LoadDemo() { ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All(); }
  std::vector<uint32_t> Heights() const { return terrain->GetMapData().Heights; }
  uint32_t Height(unsigned vx, unsigned vz) const { return uint32_t(terrain->GetRawHeight(int(vx), int(vz))); }
  float TileTop(unsigned index) const {
    return terrain->GetTiles()[index]->GetManualObject()->getBoundingBox().getMaximum().y;
  }
  bool Run(const std::string& script, std::string& error) {
    std::istringstream in(script);
    return RunStrokes(*terrain, in, error);
  }
};

TEST_F(TerrainEditing, RaiseBrushesLiftADiscOfVerticesRoundTheCentre) {
  LoadDemo();
  // World (20, 21) is vertex (10, 10). Size k reaches the vertices whose
  // approximate distance is below k + 1; a diagonal step counts 2.
  struct Case {
    int size;
    size_t changed;
    std::vector<std::pair<unsigned, unsigned>> in, out;
  };
  for (const Case& c : {Case{0, 1, {{10, 10}}, {{11, 10}}},
                        Case{1, 5, {{11, 10}, {10, 9}}, {{11, 11}, {12, 10}}},
                        Case{2, 13, {{11, 11}, {12, 10}, {10, 8}}, {{12, 11}, {13, 10}}}}) {
    const std::vector<uint32_t> before = Heights();
    terrain->BrushRaise(20, 21, c.size, 500);
    const std::vector<uint32_t> after = Heights();
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
      if (after[i] == before[i]) continue;
      ++changed;
      EXPECT_EQ(after[i], before[i] + 500) << "vertex " << i % kGrid << ", " << i / kGrid;
    }
    EXPECT_EQ(changed, c.changed) << "size " << c.size;
    for (auto [vx, vz] : c.in) EXPECT_NE(after[VertexIndex(vx, vz)], before[VertexIndex(vx, vz)]) << vx << ", " << vz;
    for (auto [vx, vz] : c.out) EXPECT_EQ(after[VertexIndex(vx, vz)], before[VertexIndex(vx, vz)]) << vx << ", " << vz;
  }
}

TEST_F(TerrainEditing, HeightBrushesKeepRowAndColumnZeroAndStayAtOrAboveZero) {
  LoadDemo();
  const std::vector<uint32_t> before = Heights();
  terrain->BrushRaise(0, 0, 2, 500);
  for (unsigned k = 0; k < kGrid; ++k) {
    EXPECT_EQ(Height(k, 0), before[VertexIndex(k, 0)]) << "row 0, vertex " << k;
    EXPECT_EQ(Height(0, k), before[VertexIndex(0, k)]) << "column 0, vertex " << k;
  }
  EXPECT_EQ(Height(1, 1), before[VertexIndex(1, 1)] + 500);

  // Lowering deeper than the ground stops at 0 instead of wrapping round to
  // the top of the stored range.
  terrain->BrushLower(20, 20, 0, 4000000000u);
  EXPECT_EQ(Height(10, 10), 0u);
  // The target brush steps by its amount from either side and may pass the
  // target; at the target it stays.
  for (uint32_t expected : {300u, 600u, 900u, 1200u, 900u, 1200u}) {
    terrain->BrushTargetHeight(20, 20, 0, 300, 1000);
    EXPECT_EQ(Height(10, 10), expected);
  }
  terrain->BrushTargetHeight(20, 20, 0, 300, 1200);
  EXPECT_EQ(Height(10, 10), 1200u);
  terrain->BrushTargetHeight(20, 20, 0, 5000, 0);
  EXPECT_EQ(Height(10, 10), 0u);
  // Flatten moves the neighbours toward the centre's height.
  terrain->BrushRaise(20, 20, 0, 100000);
  const uint32_t left = Height(9, 10);
  terrain->BrushFlatten(20, 20, 1, 1000);
  EXPECT_EQ(Height(9, 10), left + 1000);
  EXPECT_EQ(Height(10, 10), 100000u);
}

TEST_F(TerrainEditing, BrushesRebuildEveryTileRoundTheVerticesTheyChange) {
  LoadDemo();
  // Vertex (16, 16) is the corner of tiles 0, 1, 4 and 5 (4 tiles a row).
  const float tops[4] = {TileTop(0), TileTop(1), TileTop(4), TileTop(5)};
  const float far = TileTop(10);
  terrain->BrushRaise(32, 32, 0, 250 * 100);
  EXPECT_GT(TileTop(0), tops[0]);
  EXPECT_GT(TileTop(1), tops[1]);
  EXPECT_GT(TileTop(4), tops[2]);
  EXPECT_GT(TileTop(5), tops[3]);
  EXPECT_EQ(TileTop(10), far);

  // The editor's grid lines, on every tile and off again.
  terrain->ShowTileGrids();
  EXPECT_TRUE(scene->hasManualObject("terrain_demo_full15_Gird_mesh"));
  terrain->HideTileGrids();
  EXPECT_FALSE(scene->hasManualObject("terrain_demo_full15_Gird_mesh"));
}

TEST_F(TerrainEditing, CellPaintingWritesTheCellsAndTheirOverlayPixels) {
  LoadDemo();
  CGACoverageMap& overlay = *terrain->GetObstacleOverlay();
  // Size 0 is a 3 x 3 square; logic 1 shows in its configured colour.
  terrain->PaintLogic(20, 30, 0, 1);
  for (unsigned x = 18; x <= 22; ++x) {
    for (unsigned z = 28; z <= 32; ++z) {
      const bool inside = x >= 19 && x <= 21 && z >= 29 && z <= 31;
      EXPECT_EQ(terrain->GetLogic(x, z), inside ? 1 : 0) << x << ", " << z;
      if (inside) {
        EXPECT_EQ(Texel(overlay, x, z), Ogre::Vector3(76, 255, 76));
      }
    }
  }
  EXPECT_EQ(overlay.GetValue(20, 30, 3), 255);
  // A cell that already holds the value is neither written nor recoloured.
  overlay.SetValue(20, 30, 0, 7);
  terrain->PaintLogic(20, 30, 0, 1);
  EXPECT_EQ(overlay.GetValue(20, 30, 0), 7);
  // A value without a colour shows blue.
  terrain->PaintLogic(10, 50, 0, 9);
  EXPECT_EQ(Texel(overlay, 10, 50), Ogre::Vector3(0, 0, 255));

  // At the right edge the square's cells beyond the grid are left out: no
  // overlay pixel of the next row's first column changes.
  const Ogre::Vector3 firstColumn = Texel(overlay, 0, 11);
  terrain->PaintLogic(127, 10, 0, 3);
  EXPECT_EQ(terrain->GetLogic(127, 11), 3);
  EXPECT_EQ(terrain->GetLogic(0, 11), 0);
  EXPECT_EQ(Texel(overlay, 0, 11), firstColumn);

  // Obstacles: their own layer, grey by value; the blank layer hides them.
  terrain->PaintObstacle(40, 40, 1, CGATerrainManager::kBlockedCell);
  EXPECT_EQ(terrain->GetObstacle(38, 42), CGATerrainManager::kBlockedCell);
  EXPECT_NE(terrain->GetObstacle(37, 40), CGATerrainManager::kBlockedCell);
  EXPECT_EQ(Texel(overlay, 42, 38), Ogre::Vector3(50, 50, 50));
  terrain->ShowObstacleMap(false);
  EXPECT_EQ(Texel(overlay, 42, 38), Ogre::Vector3(255, 255, 255));
  terrain->ShowObstacleMap(true);
  EXPECT_EQ(Texel(overlay, 42, 38), Ogre::Vector3(50, 50, 50));
  terrain->PaintLogic(60, 60, 0, 3);  // the logic layer shows again
  EXPECT_EQ(Texel(overlay, 60, 60), Ogre::Vector3(255, 76, 76));
}

TEST_F(TerrainEditing, ColourAndLightBrushesMoveTexelsTowardTheColour) {
  LoadDemo();
  CGACoverageMap& colours = *terrain->GetColourMap();
  CGACoverageMap& light = *terrain->GetLightMap();
  // The square brush has full strength everywhere: amount 10 reaches the
  // colour, amount 5 goes half way.
  terrain->SetBrushShape(false);
  const Ogre::Vector3 beside = Texel(colours, 12, 10);
  terrain->PaintColourMap(20, 20, 1, Ogre::ColourValue(1, 0, 0), 10);
  for (unsigned x = 9; x <= 11; ++x)
    for (unsigned z = 9; z <= 11; ++z) EXPECT_EQ(Texel(colours, x, z), Ogre::Vector3(255, 0, 0));
  EXPECT_EQ(Texel(colours, 12, 10), beside);
  const Ogre::Vector3 lit = Texel(light, 30, 30);
  terrain->PaintLightMap(60, 60, 0, Ogre::ColourValue(0, 0, 0), 5);
  EXPECT_NEAR(light.GetValue(30, 30, 1), lit.y / 2, 1.0);
  // Sizes above 15 use the largest brush, 31 texels across.
  terrain->PaintColourMap(64, 64, 20, Ogre::ColourValue(0, 1, 0), 10);
  EXPECT_EQ(Texel(colours, 17, 47), Ogre::Vector3(0, 255, 0));
  EXPECT_NE(Texel(colours, 16, 32), Ogre::Vector3(0, 255, 0));
  EXPECT_NE(Texel(colours, 48, 32), Ogre::Vector3(0, 255, 0));
  // At the map's corner the brush's texels are kept inside the map.
  terrain->PaintColourMap(0, 0, 2, Ogre::ColourValue(0, 0, 1), 10);
  EXPECT_EQ(Texel(colours, 0, 0), Ogre::Vector3(0, 0, 255));
  EXPECT_EQ(Texel(colours, 2, 2), Ogre::Vector3(0, 0, 255));
  EXPECT_NE(Texel(colours, 3, 0), Ogre::Vector3(0, 0, 255));
}

TEST_F(TerrainEditing, BlendBrushesWeighTheBlendMap) {
  LoadDemo();
  CGATerrainMaterial& material = *terrain->GetMaterial();
  CGACoverageMap& blend = *material.GetBlendMap();
  terrain->SetBrushShape(false);
  // Blend texels (2x - 1 .. 2x + 1) by (2z - 2 .. 2z): the rows lie one lower.
  terrain->EraseBlend(10, 10, 1, 100.0f, 10);
  for (unsigned x = 19; x <= 21; ++x)
    for (unsigned z = 18; z <= 20; ++z) EXPECT_EQ(blend.GetValue(x, z, 3), 100) << x << ", " << z;
  EXPECT_EQ(blend.GetValue(22, 19, 3), 255);
  EXPECT_EQ(blend.GetValue(20, 21, 3), 255);
  terrain->PaintBlend(10, 10, 1, 2);
  EXPECT_EQ(blend.GetValue(20, 20, 3), 151);
  terrain->PaintBlend(10, 10, 1, 20);
  EXPECT_EQ(blend.GetValue(20, 20, 3), 255);

  // A blend texture painted at one texel: its slot's channel up, the
  // others down, by 10 x amount.
  const Ogre::Vector3 before = Texel(blend, 40, 44);
  terrain->PaintTileLayer(40.0f, 44.0f, 2, 0, 5);
  const Ogre::Vector3 after = Texel(blend, 40, 44);
  EXPECT_EQ(after.y, std::min(before.y + 50, 255.0f));
  EXPECT_EQ(after.x, std::max(before.x - 50, 0.0f));
  EXPECT_EQ(after.z, std::max(before.z - 50, 0.0f));
}

TEST_F(TerrainEditing, LayerBrushesPaintAndEraseVertices) {
  LoadDemo();
  CGATerrainMaterial& material = *terrain->GetMaterial();
  // Layer 3 (the rock atlas) on the vertices of a size 1 disc round (10, 10).
  terrain->PaintTileTexture(20, 20, 3, 1);
  for (auto [vx, vz] : {std::pair{10, 10}, {9, 10}, {11, 10}, {10, 9}, {10, 11}})
    EXPECT_EQ(material.GetPaintByte(vx, vz, 0), 3) << vx << ", " << vz;
  EXPECT_NE(material.GetPaintByte(11, 11, 0), 3);
  // The tile was regrouped: a cell group of its holds the new layer.
  bool grouped = false;
  for (const TerrainCellGroup& group : terrain->GetTiles()[0]->GetGroups())
    grouped |= std::count(group.LayerIds.begin(), group.LayerIds.end(), 3) > 0;
  EXPECT_TRUE(grouped);
  // A layer past the map's textures (the eraser and four) erases.
  ASSERT_EQ(material.GetTextureCount(), 5u);
  terrain->PaintTileTexture(20, 20, 5, 0);
  EXPECT_EQ(material.GetPaintByte(10, 10, 0), 0);
  EXPECT_EQ(material.GetPaintByte(9, 10, 0), 3);
}

TEST_F(TerrainEditing, HeightImagesAddToTheHeightsWhenTheyCoverTheGrid) {
  LoadDemo();
  TempDir images;
  auto write = [&](const std::string& name, size_t width, size_t height) {
    Ogre::Image image(Ogre::PF_L8, uint32_t(width), uint32_t(height));
    for (size_t y = 0; y < height; ++y)
      for (size_t x = 0; x < width; ++x) image.getData()[y * width + x] = uint8_t(x == 5 && y == 7 ? 2 : 0);
    images.write(name, image.encode("png")->getAsString());
  };
  write("narrow_heights.png", kGrid - 1, kGrid);
  write("large_heights.png", kGrid + 6, kGrid + 2);
  AddFolder(images.path());
  const std::vector<uint32_t> before = Heights();

  testing::internal::CaptureStdout();
  EXPECT_FALSE(terrain->ImportHeightImage("narrow_heights.png", 10.0f));
  const std::string console = testing::internal::GetCapturedStdout();
  EXPECT_NE(console.find(platform::GbkToUtf8("读取高度图出错")), std::string::npos) << console;
  EXPECT_FALSE(terrain->ImportHeightImage("no_such_heights.png", 10.0f));
  EXPECT_TRUE(log.Has({"no_such_heights.png"})) << log.All();
  EXPECT_EQ(Heights(), before);

  // Red x 255 x scale is added; a larger image gives its first 64 x 64 pixels.
  ASSERT_TRUE(terrain->ImportHeightImage("large_heights.png", 10.0f));
  std::vector<uint32_t> expected = before;
  expected[VertexIndex(5, 7)] += 20;
  EXPECT_EQ(Heights(), expected);
}

TEST_F(TerrainEditing, StaticsArePlacedOnTheGroundAndRemovedEverywhere) {
  LoadDemo();
  EXPECT_EQ(terrain->PlaceStaticOnGround("no such type", 60, 60), nullptr);
  Ogre::SceneNode* node = terrain->PlaceStaticOnGround("pillar", 60, 61);
  ASSERT_TRUE(node);
  EXPECT_EQ(node->getPosition(), Ogre::Vector3(60, terrain->GetHeight(60, 61), 61));
  const StaticRecord record = terrain->GetStatics().at(node->getName());
  std::vector<Ogre::Entity*> tall;
  collision->GetObjectsAt(node->getPosition(), tall, CGACollisionManager::kTallList);
  EXPECT_EQ(tall, std::vector<Ogre::Entity*>{record.Entity});

  // The node's own name, which goes with the node, is enough.
  const std::string entity = record.Entity->getName();
  EXPECT_TRUE(terrain->RemoveStatic(node->getName()));
  EXPECT_FALSE(scene->hasEntity(entity));
  EXPECT_FALSE(terrain->RemoveStatic("no such node"));
  tall.clear();
  collision->GetObjectsAt(Ogre::Vector3(60, 0, 61), tall, CGACollisionManager::kTallList);
  EXPECT_TRUE(tall.empty());
  EXPECT_EQ(terrain->GetStatics().size(), 2u);
}

TEST_F(TerrainEditing, StrokeScriptsStopAtTheFirstLineThatCannotRun) {
  LoadDemo();
  struct Case {
    const char* line;
    const char* error;
  };
  for (Case c : {Case{"raise 1 2 3", "raise takes 4 values, not 3"}, Case{"paint 1 2 3", "no stroke \"paint\""},
                 Case{"raise -1 2 3 4", "\"-1\" is not a whole number in range"},
                 Case{"logic 1 2 0 256", "\"256\" is not a whole number in range"},
                 Case{"colour 1 2 3 x 0 0 1", "\"x\" is not a number in range"},
                 Case{"raise 1 2 3 4x", "\"4x\" is not a whole number"}, Case{"shape oval", "round or square"},
                 Case{"place ghost 1 2", "no static of type \"ghost\""},
                 Case{"remove ghost 1 2", "no static of type \"ghost\""},
                 Case{"heightimage none.png 1", "\"none.png\" cannot be read"}}) {
    const std::string script = std::string("# a comment\n\nraise 20 20 0 7   # before the fault\n") + c.line + "\n";
    const uint32_t height = Height(10, 10);
    std::string error;
    EXPECT_FALSE(Run(script, error)) << c.line;
    EXPECT_NE(error.find(std::string("line 4: ")), std::string::npos) << error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(Height(10, 10), height + 7) << "the strokes before the fault stay";
  }
}

TEST_F(TerrainEditing, AScriptedEditSavesAndLoadsBackTheSameMap) {
  LoadDemo();
  std::string error;
  ASSERT_TRUE(Run(R"(
    raise 20 20 3 2000
    lower 40 20 2 50000     # deeper than the ground: stops at 0
    flatten 30 30 2 400
    target 50 50 1 300 1000
    shape square
    logic 20 30 1 1
    obstacle 60 20 0 50
    colour 20 20 2 1 0 0 5
    light 40 40 2 0.2 0.2 0.4 10
    eraseblend 30 30 2 40 10
    blend 30 30 1 3
    shape round
    tilelayer 100 100 2 3 4
    layer 60 60 3 2
    layer 90 90 0 1
    place pillar 60 60
    remove platform 40 33
  )",
                  error))
      << error;
  // What the map holds now.
  const CGAMapData& edited = terrain->GetMapData();
  const std::vector<uint32_t> heights = edited.Heights;
  const std::vector<uint8_t> obstacles = edited.Obstacles, logic = edited.Logic;
  const std::vector<uint8_t> colours = Bytes(*edited.ColourMap), light = Bytes(*edited.LightMap);
  const std::vector<uint8_t> blend = Bytes(*edited.Material->GetBlendMap());
  const std::vector<uint8_t> paint(edited.Material->GetPaintBuffer(),
                                   edited.Material->GetPaintBuffer() + edited.Material->GetPaintBufferSize());
  auto statics = [this] {
    std::multimap<std::string, Ogre::Vector3> placed;
    for (const auto& [name, record] : terrain->GetStatics())
      placed.emplace(record.TypeName, record.Node->getPosition());
    return placed;
  };
  const std::multimap<std::string, Ogre::Vector3> placed = statics();
  ASSERT_EQ(placed.count("pillar"), 2u);
  ASSERT_EQ(placed.count("platform"), 0u);

  TempDir saved;
  terrain->SetSaveFolder(saved.path() + "/");
  ASSERT_TRUE(terrain->SaveMap());
  std::filesystem::copy_file("maps/demo_full_static.xml", saved.file("demo_full_static.xml"));
  terrain->SetFileOpener(CGAMapReader::OpenFromFolder(saved.path()));
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();

  const CGAMapData& reloaded = terrain->GetMapData();
  EXPECT_EQ(reloaded.Heights, heights);
  EXPECT_EQ(reloaded.Obstacles, obstacles);
  EXPECT_EQ(reloaded.Logic, logic);
  EXPECT_EQ(Bytes(*reloaded.ColourMap), colours);
  EXPECT_EQ(Bytes(*reloaded.LightMap), light);
  EXPECT_EQ(Bytes(*reloaded.Material->GetBlendMap()), blend);
  EXPECT_TRUE(std::equal(paint.begin(), paint.end(), reloaded.Material->GetPaintBuffer(),
                         reloaded.Material->GetPaintBuffer() + reloaded.Material->GetPaintBufferSize()));
  const std::multimap<std::string, Ogre::Vector3> again = statics();
  ASSERT_EQ(again.size(), placed.size());
  for (auto a = again.begin(), p = placed.begin(); a != again.end(); ++a, ++p) {
    EXPECT_EQ(a->first, p->first);
    // Written with six significant digits.
    EXPECT_TRUE(a->second.positionEquals(p->second, 1e-3f)) << a->second << " against " << p->second;
  }
}

// Game mode: the operations that paint through a brush image have none.
using GameModeEditing = SceneFixture;

TEST_F(GameModeEditing, BrushImagesAreMissingButHeightsStillChange) {
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
  const std::vector<uint8_t> colours = Bytes(*terrain->GetColourMap());
  terrain->PaintColourMap(20, 20, 2, Ogre::ColourValue(1, 0, 0), 10);
  terrain->SetBrushShape(false);
  terrain->PaintColourMap(20, 20, 2, Ogre::ColourValue(1, 0, 0), 10);
  EXPECT_EQ(Bytes(*terrain->GetColourMap()), colours);
  const double height = terrain->GetRawHeight(10, 10);
  terrain->BrushRaise(20, 20, 0, 100);
  EXPECT_EQ(terrain->GetRawHeight(10, 10), height + 100);
}

// The see-through fading holds a static that stands in the view; removing
// it must leave no pointer behind for the next check or fading step.
TEST_F(GameModeEditing, RemovingAFadingStaticLeavesNothingPointingAtIt) {
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
  terrain->LoadPendingStatics();
  // The start view: the pillar stands between the camera and the pond.
  controller->SetPitchLimits(Ogre::Vector2(30, 50));
  controller->SetDistanceLimits(Ogre::Vector2(10, 25));
  controller->Zoom(4);
  controller->Rotate(0, -20);
  controller->SetLookAt(Ogre::Vector3(30, terrain->GetHeight(30, 40), 40));
  FrameTimeMs = 1000;
  terrain->Update();
  ASSERT_EQ(terrain->GetFades().size(), 1u);
  const Ogre::Entity* pillar = terrain->GetFades()[0].Entity;
  const Ogre::Vector3 at = pillar->getParentSceneNode()->getPosition();

  ASSERT_TRUE(terrain->RemoveStatic(pillar->getParentSceneNode()->getName()));
  EXPECT_TRUE(terrain->GetFades().empty());
  for (int list : {CGACollisionManager::kGroundList, CGACollisionManager::kTallList}) {
    std::vector<Ogre::Entity*> found;
    collision->GetObjectsAt(at, found, list);
    EXPECT_EQ(std::count(found.begin(), found.end(), pillar), 0) << "list " << list;
  }
  // More checks and fading steps run on what is left.
  for (int frame = 0; frame < 40; ++frame) {
    FrameTimeMs += 15;
    terrain->Update();
  }
  EXPECT_TRUE(terrain->GetFades().empty());
}

}  // namespace
