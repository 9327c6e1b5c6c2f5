#include "tests/support/HeadlessEngine.h"
#include "terrain/CoverageMap.h"
#include "terrain/TerrainMaterial.h"

#include <OgreColourValue.h>
#include <OgreImage.h>
#include <gtest/gtest.h>

namespace {

TEST(CoverageMap, ReadsAndWritesOnlyInsideItsLayer) {
  CGACoverageMap map("m", "g", 4, 3, 3);
  EXPECT_EQ(map.GetSize(), 36u);
  map.SetValue(1, 2, 2, 9);
  EXPECT_EQ(map.GetValue(1, 2, 2), 9);
  EXPECT_EQ(map.GetData()[(2 * 4 + 1) * 3 + 2], 9);
  // A read tests only the byte index: one past the last column is the next
  // row's first pixel, past the last byte reads 0. A write outside the
  // image does nothing, so a brush over the right edge leaves the next row.
  map.SetValue(0, 1, 0, 7);
  EXPECT_EQ(map.GetValue(4, 0, 0), 7);
  map.SetValue(4, 0, 0, 8);
  map.SetValue(0, 0, 3, 8);
  EXPECT_EQ(map.GetValue(0, 1, 0), 7);
  EXPECT_EQ(map.GetValue(1, 0, 0), 0);
  map.SetValue(0, 3, 0, 5);
  EXPECT_EQ(map.GetValue(0, 3, 0), 0);
  EXPECT_EQ(map.GetValue(1000000, 1000000, 0), 0);

  map.AddLayer(200);
  EXPECT_EQ(map.GetValue(1, 2, 2), 9);  // adding keeps the current layer
  map.SelectLayer(1);
  EXPECT_EQ(map.GetValue(1, 2, 2), 200);
  map.SelectLayer(7);
  EXPECT_EQ(map.GetValue(1, 2, 2), 200);

  CGACoverageMap odd("odd", "g", 4, 4, 5);
  EXPECT_EQ(odd.GetSize(), 0u);
  EXPECT_EQ(odd.GetValue(0, 0, 0), 0);
}

TEST(CoverageMap, ImagesConvertIntoTheLayerOrder) {
  HeadlessEngine();
  CGACoverageMap map("m", "g", 2, 2, 3);
  // Blue-first bytes (B, G, R per pixel) end red-first in the layer.
  uint8_t bgr[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  Ogre::Image image;
  image.loadDynamicImage(bgr, 2, 2, 1, Ogre::PF_BYTE_BGR, false);
  ASSERT_TRUE(map.LoadFromImage(image));
  EXPECT_EQ(map.GetValue(0, 0, 0), 3);
  EXPECT_EQ(map.GetValue(0, 0, 2), 1);
  EXPECT_EQ(map.GetValue(1, 1, 0), 12);
  // Four bytes a pixel into a three-byte layer: converted, not overrun; an
  // image of another size is refused.
  uint8_t rgba[2 * 2 * 4] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};
  Ogre::Image four;
  four.loadDynamicImage(rgba, 2, 2, 1, Ogre::PF_BYTE_RGBA, false);
  ASSERT_TRUE(map.LoadFromImage(four));
  EXPECT_EQ(map.GetValue(1, 1, 0), 130);
  EXPECT_EQ(map.GetValue(1, 1, 2), 150);
  EXPECT_EQ(map.GetValue(2, 1, 0), 0);  // past the last byte of the layer
  uint8_t big[3 * 3 * 4] = {};
  Ogre::Image larger;
  larger.loadDynamicImage(big, 3, 3, 1, Ogre::PF_BYTE_RGBA, false);
  EXPECT_FALSE(map.LoadFromImage(larger));
  EXPECT_EQ(map.GetValue(0, 0, 0), 10);

  Ogre::Image saved;
  ASSERT_TRUE(map.SaveToImage(saved));
  map.SetValue(0, 0, 0, 99);  // the image shares the layer
  EXPECT_EQ(saved.getColourAt(0, 0, 0).r, 99 / 255.0f);
}

TEST(TerrainMaterial, PresetsOfThePainter) {
  CGATerrainMaterial material(99, 63);  // a 100 x 64 map
  EXPECT_EQ(material.GetPaintBufferSize(), 12800u);
  EXPECT_EQ(material.GetPaintByte(0, 0, 0), CGATerrainMaterial::kUnpainted);
  ASSERT_EQ(material.GetTextureCount(), 1u);
  EXPECT_EQ(material.GetTextureName(0), "清理细节层");
  const CGACoverageMap* blend = material.GetBlendMap();
  EXPECT_EQ(blend->GetWidth(), 400u);
  EXPECT_EQ(blend->GetHeight(), 256u);
  EXPECT_EQ(blend->GetValue(395, 251, 3), 255);
  EXPECT_EQ(blend->GetValue(396, 251, 3), 0);
  EXPECT_EQ(blend->GetValue(395, 252, 3), 0);
  material.AddBlendTexture("hi", 7);
  material.AddBlendTexture("lo", -2);
  std::string name;
  int slot;
  ASSERT_TRUE(material.GetBlendTexture(0, name, slot));
  EXPECT_EQ(slot, 3);
  ASSERT_TRUE(material.GetBlendTexture(1, name, slot));
  EXPECT_EQ(slot, 0);
  material.SetTileLayers(2, 1, 2, 3, 0);
  material.SetTileLayers(2, 9, 9, 9, 9);
  int l[4] = {};
  ASSERT_TRUE(material.GetTileLayers(2, l[0], l[1], l[2], l[3]));
  EXPECT_EQ(l[0], 1);
  EXPECT_FALSE(material.GetTileLayers(3, l[0], l[1], l[2], l[3]));
}

TEST(TerrainMaterial, PaintKeepsItsLayoutAndItsBuffer) {
  CGATerrainMaterial material(15, 63);  // 16 x 64: deeper than wide
  // The entry of (x, z) is z x 63 + x, so the last vertex of a row shares
  // its entry with the first vertex of the next.
  material.SetVertexVariant(63, 0, 21);
  EXPECT_EQ(material.GetPaintByte(0, 1, 1), 21);
  EXPECT_EQ(material.GetVertexIndex(70, -3), 63u);  // x clamped to 63, z to 0
  EXPECT_EQ(material.GetVertexIndex(0, 99), 15u * 63);
  // Entries past the buffer are neither written nor read.
  EXPECT_FALSE(material.HasPaintEntry(15, 63));
  material.SetVertexLayer(15, 63, 2);
  material.SetVertexVariant(15, 63, 2);
  EXPECT_EQ(material.GetPaintByte(15, 63, 0), CGATerrainMaterial::kUnpainted);
  EXPECT_EQ(material.GetPaintByte(-1, 0, 0), CGATerrainMaterial::kUnpainted);
  EXPECT_EQ(material.GetPaintByte(0, 0, 2), CGATerrainMaterial::kUnpainted);
}

TEST(TerrainMaterial, ACellKeepsItsFourHighestLayers) {
  CGATerrainMaterial material(31, 31);
  for (int layer : {5, 2, 7, 4, 6}) material.SetVertexLayer(10, 10, layer);
  // The four cells round (10, 10) hold 4, 5, 6, 7: the fifth layer pushed
  // out the lowest, 2.
  for (auto [x, z] : {std::pair{9, 9}, {9, 10}, {10, 9}, {10, 10}}) {
    const auto& list = material.GetCellLayerList(x, z);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.front().LayerId, 4);
    EXPECT_EQ(list.back().LayerId, 7);
    EXPECT_EQ(list.back().AtlasIndex, -1);  // to be worked out again
  }
  EXPECT_TRUE(material.GetCellLayerList(11, 11).empty());
  EXPECT_EQ(material.GetPaintByte(10, 10, 0), 6);
  // On the first row and column the clamped neighbours are the vertex's own cell.
  material.SetVertexLayer(0, 0, 3);
  EXPECT_EQ(material.GetCellLayerList(0, 0).size(), 1u);
}

}  // namespace
