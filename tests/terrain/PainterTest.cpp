// The painter's cells and materials: atlas cells of painted layers, the
// pruned layer lists, stored variants, the blend brush and the material
// cache.
#include "tests/support/HeadlessEngine.h"
#include "tests/support/LogLines.h"
#include "terrain/TerrainMaterial.h"

#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <gtest/gtest.h>

namespace {

std::vector<int> Ids(const std::vector<TerrainLayerEntry>& list) {
  std::vector<int> ids;
  for (const TerrainLayerEntry& e : list) ids.push_back(e.LayerId);
  return ids;
}

// A 17 x 17 vertex painter (16 x 16 cells) with atlas textures 1 and 2 and
// a repeating texture 3.
struct Painter {
  Painter() : material(16, 16) {
    material.AddTexture("low.png", 0, 0);    // 1: 8 x 4 atlas
    material.AddTexture("high.png", 0, -1);  // 2: 4 x 4 atlas
    material.AddTexture("grass.png", 4, 4);  // 3: repeated
  }
  CGATerrainMaterial material;
};

TEST(Painter, ALayerOverUnpaintedGroundCoversTheFourCellsRoundIt) {
  Painter p;
  p.material.SetVertexLayer(5, 5, 1);
  // Its neighbours read as unpainted, a layer above every real one.
  for (auto [x, z] : {std::pair{4, 4}, {5, 4}, {4, 5}, {5, 5}}) {
    const std::vector<TerrainLayerEntry>& layers = p.material.GetCellLayers(x, z);
    ASSERT_EQ(Ids(layers), std::vector<int>{1});
    EXPECT_EQ(layers[0].AtlasIndex, CGATerrainMaterial::kFullCover);
  }
  EXPECT_TRUE(p.material.GetCellLayers(6, 6).empty());
}

TEST(Painter, TransitionsAreDrawnOnlyAgainstLowerLayers) {
  Painter p;
  for (int z = 0; z <= 16; ++z)
    for (int x = 0; x <= 16; ++x) p.material.SetVertexLayer(x, z, x < 8 ? 1 : 2);
  // The cell from x = 7 to 8: layer 2 holds its right corners (mask 4 + 1)
  // against the lower layer 1, which covers the whole cell under it.
  const std::vector<TerrainLayerEntry>& layers = p.material.GetCellLayers(7, 3);
  ASSERT_EQ(Ids(layers), (std::vector<int>{1, 2}));
  EXPECT_GE(layers[0].AtlasIndex, CGATerrainMaterial::kFullCover);
  EXPECT_EQ(layers[1].AtlasIndex, 4 + 1);
  EXPECT_EQ(p.material.GetAtlasIndex(7, 3, 1), CGATerrainMaterial::kFullCover);
  // Where a layer holds all four corners it shows a full-cover variant.
  const int variant = p.material.GetAtlasIndex(2, 2, 1);
  EXPECT_GE(variant, 15);
  EXPECT_LE(variant, 30);
  // A repeating texture removes every layer below it, even where it holds
  // a single corner.
  p.material.SetVertexLayer(7, 3, 3);
  EXPECT_EQ(Ids(p.material.GetCellLayers(7, 3)), std::vector<int>{3});
}

TEST(Painter, ACellKeepsFourLayersAndNeverTheEraser) {
  Painter p;
  for (const char* name : {"d.png", "e.png", "f.png", "g.png"}) p.material.AddTexture(name, 0, 0);
  // Five layers meet at the corners of cell (2, 2).
  p.material.SetVertexLayer(2, 2, 3);
  p.material.SetVertexLayer(3, 2, 4);
  p.material.SetVertexLayer(2, 3, 5);
  p.material.SetVertexLayer(3, 3, 6);
  p.material.SetVertexLayer(3, 3, 7);
  EXPECT_EQ(Ids(p.material.GetCellLayerList(2, 2)), (std::vector<int>{4, 5, 6, 7}));
  // Painting 0 erases: the eraser never survives pruning.
  p.material.SetVertexLayer(9, 9, 0);
  EXPECT_TRUE(p.material.GetCellLayers(9, 9).empty());
  p.material.SetVertexLayer(12, 12, 1);
  p.material.EraseVertex(12, 12);
  EXPECT_EQ(p.material.GetPaintByte(12, 12, 0), 0);
  EXPECT_TRUE(p.material.GetCellLayers(12, 12).empty());
  EXPECT_TRUE(p.material.GetCellLayers(11, 11).empty());
}

TEST(Painter, StoredVariantsComeBackAndBadOnesCoverPlainly) {
  Painter p;
  for (int z = 0; z <= 16; ++z)
    for (int x = 0; x <= 16; ++x) p.material.SetVertexLayer(x, z, 1);
  p.material.SetUseStoredVariants(true);
  // (1, 1): a stored variant; (2, 1): the preset 128; (3, 1): a shape.
  p.material.SetVertexVariant(1, 1, 23);
  p.material.SetVertexVariant(2, 1, 128);
  p.material.SetVertexVariant(3, 1, 6);
  EXPECT_EQ(p.material.GetAtlasIndex(1, 1, 1), 23);
  EXPECT_EQ(p.material.GetAtlasIndex(2, 1, 1), CGATerrainMaterial::kFullCover);
  EXPECT_EQ(p.material.GetAtlasIndex(3, 1, 1), CGATerrainMaterial::kFullCover);
  // A cell left with one layer keeps its atlas cell as its variant.
  p.material.SetUseStoredVariants(false);
  const int drawn = p.material.GetCellLayers(5, 5)[0].AtlasIndex;
  EXPECT_EQ(p.material.GetPaintByte(5, 5, 1), drawn);
  // The corners of the last cells read inside the paint: one beyond the
  // buffer counts as unpainted.
  EXPECT_EQ(p.material.GetAtlasIndex(16, 16, 1), CGATerrainMaterial::kFullCover);
  EXPECT_EQ(p.material.GetAtlasIndex(1000, -5, 1), CGATerrainMaterial::kFullCover);
}

TEST(Painter, BlendBrushMovesTheWeightsTowardItsSlot) {
  CGATerrainMaterial material(15, 15);
  material.AddBlendTexture("meadow", 0);
  material.AddBlendTexture("soil", 1);
  material.AddBlendTexture("stone", 2);
  material.AddBlendTexture("moss", 3);
  material.AddBlendTexture("sand", 2);  // a second texture for slot 2
  CGACoverageMap& blend = *material.GetBlendMap();
  for (unsigned c = 0; c < 3; ++c) blend.SetValue(3, 4, c, 100);
  material.SetTileLayers(0, 0, 1, 2, 3);
  EXPECT_FALSE(material.PaintBlend(3, 4, 1, 30, 0));  // soil: red up
  EXPECT_EQ(blend.GetValue(3, 4, 0), 130);
  EXPECT_EQ(blend.GetValue(3, 4, 1), 70);
  EXPECT_EQ(blend.GetValue(3, 4, 2), 70);
  EXPECT_EQ(blend.GetValue(3, 4, 3), 255);  // alpha untouched
  EXPECT_FALSE(material.PaintBlend(3, 4, 0, 200, 0));  // meadow: all down, clamped
  EXPECT_EQ(blend.GetValue(3, 4, 0), 0);
  // Sand takes slot 2 of the tile: its materials must be rebuilt.
  EXPECT_TRUE(material.PaintBlend(3, 4, 4, 10, 0));
  int l[4];
  ASSERT_TRUE(material.GetTileLayers(0, l[0], l[1], l[2], l[3]));
  EXPECT_EQ(l[2], 4);
  EXPECT_EQ(blend.GetValue(3, 4, 1), 10);
  EXPECT_FALSE(material.PaintBlend(3, 4, 9, 10, 0));  // no such texture
}

TEST(Painter, TerrainTexturesAreRenamedAndRemovedByTheirIds) {
  Painter p;
  p.material.SetTextureName(2, "cliff.png");
  p.material.SetTextureName(9, "none.png");  // no such id: nothing
  p.material.RemoveTexture(1);
  p.material.RemoveTexture(9);
  ASSERT_EQ(p.material.GetTextureCount(), 3u);
  // The later textures move one id down.
  EXPECT_EQ(p.material.GetTextureName(1), "cliff.png");
  EXPECT_EQ(p.material.GetTextureName(2), "grass.png");
  EXPECT_EQ(p.material.GetTexture(2)->WidthRepeat, 4);
}

class PainterMaterials : public ::testing::Test {
 protected:
  void SetUp() override {
    HeadlessEngine();
    auto& materials = Ogre::MaterialManager::getSingleton();
    // A template of two layers: units 0..6.
    if (!materials.resourceExists("Newterrain_2")) {
      Ogre::Pass* pass = materials.create("Newterrain_2", "General")->getTechnique(0)->getPass(0);
      for (int unit = 0; unit < 7; ++unit) pass->createTextureUnitState("template.png");
    }
  }
};

TEST_F(PainterMaterials, OneMaterialPerBlendTexturesAndLayers) {
  {
    CGATerrainMaterial material(31, 31);
    for (const char* name : {"meadow.png", "soil.png", "stone.png", "moss.png"}) material.AddBlendTexture(name, 0);
    for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"}) material.AddTexture(name, 0, 0);
    material.SetTileLayers(7, 0, 1, 2, 3);
    EXPECT_EQ(material.CellMaterialKey({2, 5}, 7), "terrainmat__0_1_2_3_2_5");
    Ogre::MaterialPtr made = material.GetCellMaterial({2, 5}, 7);
    EXPECT_EQ(made->getName(), "terrain_mat_terrainmat__0_1_2_3_2_5");
    const Ogre::Pass* pass = made->getTechnique(0)->getPass(0);
    EXPECT_EQ(pass->getTextureUnitState(0)->getTextureName(), "BlendTerrain");
    EXPECT_EQ(pass->getTextureUnitState(1)->getTextureName(), "meadow.png");
    EXPECT_EQ(pass->getTextureUnitState(4)->getTextureName(), "moss.png");
    EXPECT_EQ(pass->getTextureUnitState(5)->getTextureName(), "b.png");
    EXPECT_EQ(pass->getTextureUnitState(6)->getTextureName(), "e.png");
    EXPECT_EQ(material.GetCellMaterial({2, 5}, 7), made);  // cached
    EXPECT_EQ(material.GetCachedMaterialCount(), 1u);
    // Without a template for three layers the cells draw plain.
    EXPECT_EQ(material.GetCellMaterial({1, 2, 3}, 7)->getName(), "BaseWhiteNoLighting");
    EXPECT_EQ(material.GetCachedMaterialCount(), 2u);
  }
  // The painter removes the materials it made.
  EXPECT_FALSE(Ogre::MaterialManager::getSingleton().resourceExists("terrain_mat_terrainmat__0_1_2_3_2_5", "General"));
}

// A renamed texture, and after a removal every later one, shows in the cell
// materials asked for next; materials of the other ids stay as they were.
TEST_F(PainterMaterials, CellMaterialsFollowRenamedAndRemovedTextures) {
  CGATerrainMaterial material(31, 31);
  for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"}) material.AddTexture(name, 0, 0);
  material.SetTileLayers(0, 0, 1, 2, 3);
  auto shown = [&material](const std::vector<int>& ids) {
    const Ogre::Pass* pass = material.GetCellMaterial(ids, 0)->getTechnique(0)->getPass(0);
    return std::vector<std::string>{pass->getTextureUnitState(5)->getTextureName(),
                                    pass->getTextureUnitState(6)->getTextureName()};
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(shown({2, 5}), (Names{"b.png", "e.png"}));
  EXPECT_EQ(shown({3, 4}), (Names{"c.png", "d.png"}));
  const Ogre::MaterialPtr untouched = material.GetCellMaterial({1, 2}, 0);

  material.SetTextureName(5, "cliff.png");
  EXPECT_EQ(shown({2, 5}), (Names{"b.png", "cliff.png"}));
  material.RemoveTexture(3);
  EXPECT_EQ(shown({3, 4}), (Names{"d.png", "cliff.png"}));
  EXPECT_EQ(shown({2, 5}), (Names{"b.png", "template.png"}));  // no id 5 any more
  EXPECT_EQ(material.GetCellMaterial({1, 2}, 0), untouched);
  EXPECT_EQ(material.GetCachedMaterialCount(), 3u);
}

TEST_F(PainterMaterials, TilesNamingMissingBlendTexturesRepeatTheLast) {
  CGATerrainMaterial material(31, 31);
  material.AddBlendTexture("meadow.png", 0);
  material.AddBlendTexture("soil.png", 1);
  material.SetTileLayers(0, 0, 1, 2, 9);
  EXPECT_EQ(material.CellMaterialKey({1, 2}, 0), "terrainmat__0_1_1_1_1_2");
  const Ogre::Pass* pass = material.GetCellMaterial({1, 2}, 0)->getTechnique(0)->getPass(0);
  EXPECT_EQ(pass->getTextureUnitState(3)->getTextureName(), "soil.png");
  // With no blend texture at all, and layers the map does not list, the
  // template's textures stay.
  CGATerrainMaterial bare(31, 31);
  EXPECT_EQ(bare.CellMaterialKey({7}, 0), "terrainmat__-1_-1_-1_-1_7");
  EXPECT_EQ(bare.GetCellMaterial({7, 8}, 0)->getTechnique(0)->getPass(0)->getTextureUnitState(5)->getTextureName(),
            "template.png");
}

// Makes a material of one technique whose passes each have the given
// number of texture units, unit 0 of pass 0 showing a texture named after
// the material, unless one of that name exists.
void MakeMaterial(const std::string& name, const std::vector<int>& unitsPerPass) {
  auto& materials = Ogre::MaterialManager::getSingleton();
  if (materials.resourceExists(name)) return;
  Ogre::Technique* technique = materials.create(name, "General")->getTechnique(0);
  for (size_t p = 0; p < unitsPerPass.size(); ++p) {
    Ogre::Pass* pass = p == 0 ? technique->getPass(0) : technique->createPass();
    for (int unit = 0; unit < unitsPerPass[p]; ++unit) pass->createTextureUnitState(name + ".png");
  }
}

std::string UnitTexture(const Ogre::MaterialPtr& material, unsigned short pass, unsigned short unit) {
  return material->getTechnique(0)->getPass(pass)->getTextureUnitState(unit)->getTextureName();
}

TEST_F(PainterMaterials, TheOlderBuilderTakesItsTemplateFromTheCode) {
  for (const char* name : {"terrain_b_1", "terrain_b_2", "terrain_a_2"}) MakeMaterial(name, {5});
  {
    CGATerrainMaterial material(31, 31);
    for (const char* name : {"meadow.png", "soil.png", "stone.png", "moss.png"}) material.AddBlendTexture(name, 0);
    material.SetTileLayers(3, 3, 2, 1, 0);
    struct Case {
      std::string code;
      const char* from;  // the template
      bool blended;      // the tile's blend textures on units 1 to 4
    };
    const Case cases[] = {{"_0x", "terrain_b_1", true}, {"", "terrain_b_2", true}, {"x1", "terrain_a_2", false}};
    for (const Case& c : cases) {
      Ogre::MaterialPtr made = material.GetCellMaterialByCode(c.code, 2, 3);
      EXPECT_EQ(made->getName(), "terrain_mat_" + c.code + "_c3c2c1c0") << c.code;
      EXPECT_EQ(UnitTexture(made, 0, 0), std::string(c.from) + ".png") << c.code;
      EXPECT_EQ(UnitTexture(made, 0, 1), c.blended ? "moss.png" : std::string(c.from) + ".png") << c.code;
      EXPECT_EQ(UnitTexture(made, 0, 4), c.blended ? "meadow.png" : std::string(c.from) + ".png") << c.code;
      EXPECT_EQ(material.GetCellMaterialByCode(c.code, 2, 3), made) << c.code;  // cached
    }
    EXPECT_EQ(material.GetCellMaterialByCode("x2", 7, 3)->getName(), "BaseWhiteNoLighting");
  }
  // The painter removes the materials it made.
  EXPECT_FALSE(Ogre::MaterialManager::getSingleton().resourceExists("terrain_mat_x1_c3c2c1c0", "General"));
}

TEST_F(PainterMaterials, ThePrefixNamesTheMaterialWhoseSecondPassTakesTheTexture) {
  MakeMaterial("terrain_", {1, 1});
  MakeMaterial("ground_", {1, 2});
  auto& materials = Ogre::MaterialManager::getSingleton();
  LogLines log;
  CGATerrainMaterial material(15, 15);
  material.SetPrefixMaterialTexture("sand.png");
  EXPECT_EQ(UnitTexture(materials.getByName("terrain_"), 1, 0), "sand.png");
  EXPECT_EQ(UnitTexture(materials.getByName("terrain_"), 0, 0), "terrain_.png");
  material.SetMaterialPrefix("ground_");
  material.SetPrefixMaterialTexture("mud.png");
  EXPECT_EQ(UnitTexture(materials.getByName("ground_"), 1, 0), "mud.png");
  EXPECT_EQ(UnitTexture(materials.getByName("terrain_"), 1, 0), "sand.png");
  // A prefix that names no material changes nothing.
  material.SetMaterialPrefix("none_");
  material.SetPrefixMaterialTexture("x.png");
  EXPECT_TRUE(log.Has({"\"none_\"", "\"x.png\" is not set"})) << log.All();
}

}  // namespace
