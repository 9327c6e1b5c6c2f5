#pragma once
// The texture painter of the loaded map: the terrain and blend texture
// lists, the four blend textures of each tile, the per-vertex paint (the
// "_paint" side file is a copy of its buffer) with the layer list of every
// cell and the atlas cell each layer draws, the four-channel blend map, and
// one material per combination of a tile's blend textures and a cell
// group's terrain textures, cloned from the templates "Newterrain_" + n.
//
// A layer draws a transition shape of the atlas (0..14) only against lower
// layers; against higher or unpainted neighbours it covers its cell (15),
// and where it holds all four corners it shows a full-cover variant 15..31,
// kept in the paint so a reloaded map shows the same ones.
#include "terrain/CoverageMap.h"

#include <OgrePrerequisites.h>
#include <OgreSharedPtr.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct TerrainTextureRecord {
  std::string Name;
  int LayerSlot = 0;    // blend textures: 0..3
  int HeightRepeat = 0;
  int WidthRepeat = 0;  // terrain textures: 0 the 8 x 4 atlas, -1 the 4 x 4 atlas, else repeats
};

// One layer of one cell; entries compare by layer id only.
struct TerrainLayerEntry {
  int LayerId = 0;
  int AtlasIndex = -1;  // -1: not worked out yet
  int HeightRepeat = 0;
  int WidthRepeat = 0;
};

class CGATerrainMaterial {
 public:
  // Byte value of a paint byte that was never painted.
  static constexpr uint8_t kUnpainted = 0x80;
  static constexpr size_t kMaxCellLayers = 4;
  static constexpr int kFullCover = 15;
  static constexpr int kLastVariant = 31;
  // Bits of the blend map's red, green and blue weights.
  static constexpr int kAllBlendWeights = 7;
  // Added to the weights of cells that no point light reaches: their program
  // leaves the point lights out (what they would add there is zero).
  static constexpr int kNoPointLights = 8;

  // w and h are the paint grid's extents, the map's Width - 1 and Height - 1.
  CGATerrainMaterial(unsigned w, unsigned h);
  // Removes the materials it cloned.
  ~CGATerrainMaterial();
  CGATerrainMaterial(const CGATerrainMaterial&) = delete;
  CGATerrainMaterial& operator=(const CGATerrainMaterial&) = delete;

  void AddTexture(const std::string& name, int heightRepeat, int widthRepeat);
  void AddBlendTexture(const std::string& name, int layer);
  size_t GetTextureCount() const { return mTextures.size(); }
  std::string GetTextureName(size_t index) const;
  // Rename or remove a terrain texture; an index past the list does nothing.
  // Removing one moves every later texture one id down. The cell materials
  // that showed a texture whose id now names another are forgotten, and made
  // anew when asked for.
  void SetTextureName(size_t index, const std::string& name);
  void RemoveTexture(size_t index);
  const TerrainTextureRecord* GetTexture(size_t index) const;
  size_t GetBlendTextureCount() const { return mBlendTextures.size(); }
  bool GetBlendTexture(size_t index, std::string& name, int& layerSlot) const;
  // Empties the terrain textures but for the eraser texture 0.
  void ResetTextures();

  // The first value given for a tile stays.
  void SetTileLayers(unsigned tile, int l0, int l1, int l2, int l3);
  bool GetTileLayers(unsigned tile, int& l0, int& l1, int& l2, int& l3) const;

  // Paint entry of vertex (x, z): z x h + x. The row stride is h, not h + 1,
  // so the last vertex of a row shares its entry with the first of the next;
  // stored paint files rely on this layout. This index (for the cell layer
  // lists) clamps x to [0, h] and z to [0, w].
  size_t GetVertexIndex(int x, int z) const;

  // Paints a vertex with a layer and adds the layer to the lists of the four
  // cells around it (at most four layers a cell, the lowest id dropped).
  void SetVertexLayer(int x, int z, int layer);
  void SetVertexVariant(int x, int z, uint8_t variant);
  // Byte k (0 layer, 1 variant) of the paint entry of (x, z); an entry
  // outside the buffer reads as unpainted and is never written, whatever the
  // map's sizes.
  uint8_t GetPaintByte(int x, int z, int k) const;
  // Whether the entry of (x, z) lies inside the paint buffer.
  bool HasPaintEntry(int x, int z) const { return PaintOffset(x, z) >= 0; }

  const std::vector<TerrainLayerEntry>& GetCellLayerList(int x, int z) const {
    return mCellLayers[GetVertexIndex(x, z)];
  }

  // Erases a vertex (layer 0) and drops every layer of the four cells round
  // it at their next GetCellLayers.
  void EraseVertex(int x, int z);

  // The atlas cell of a layer in the cell whose first corner is (x, z).
  int GetAtlasIndex(int x, int z, int layer) const;
  // The pruned layer list of the cell whose first corner is (x, z): layers
  // that reach no corner and the eraser drop out, and a layer that covers
  // the whole cell or repeats removes every layer below it. A cell left with
  // one layer keeps its atlas cell as its stored variant.
  const std::vector<TerrainLayerEntry>& GetCellLayers(int x, int z);
  // The entry of a layer in that cell (atlas 0 when the cell lacks it),
  // with the texture's repeats; false when the cell lacks it.
  bool GetLayerInfo(int x, int z, int layer, TerrainLayerEntry& out) const;

  // The material of a cell group: the tile's four blend textures and the
  // group's terrain textures (ids as given, the tiles pass them sorted).
  // Cached by CellMaterialKey. Without the template a group draws plain.
  // blendWeights holds the weights that are not zero where the group lies
  // (UsedBlendWeights): the others' blend textures are left out of its
  // program, the same picture for fewer texture samples.
  Ogre::MaterialPtr GetCellMaterial(const std::vector<int>& ids, unsigned tile,
                                    int blendWeights = kAllBlendWeights);
  std::string CellMaterialKey(const std::vector<int>& ids, unsigned tile,
                              int blendWeights = kAllBlendWeights) const;
  // The weights (bits as above) that are not zero anywhere the terrain
  // samples the blend map between texture coordinates (u0, v0) and (u1, v1).
  int UsedBlendWeights(float u0, float v0, float u1, float v1) const;
  size_t GetCachedMaterialCount() const { return mMaterials.size(); }
  // The older builder, keyed by a code of its caller's: the code, "_", and
  // "c" before each of the tile's four blend textures ("x1_c3c2c1c0"), the
  // clone named "terrain_mat_" + that key. A code beginning "_0" clones
  // "terrain_b_" + (n - 1), an empty one "terrain_b_" + n, each with the
  // tile's blend textures on units 1 to 4 and the template's "scale" set;
  // any other code clones "terrain_a_" + n unchanged. Without the template
  // the cells draw plain.
  Ogre::MaterialPtr GetCellMaterialByCode(const std::string& code, int n, unsigned tile);

  // The material the prefix names ("terrain_" at first) gets the texture on
  // technique 0, pass 1, texture unit 0.
  void SetMaterialPrefix(const std::string& prefix) { mMaterialPrefix = prefix; }
  void SetPrefixMaterialTexture(const std::string& texture);

  // The blend brush: moves the weights of blend texel (x, y) toward blend
  // texture t by amount, making t the tile's texture of t's slot. True when
  // the tile's textures changed (its materials must be rebuilt). A weight
  // that rises from zero is put back into every material that left it out.
  bool PaintBlend(int x, int y, int blendTexture, int amount, unsigned tile);
  void UploadBlendMap() { mBlendMap.Upload(); }
  void UploadBlendRect(int x0, int y0, int x1, int y1) { mBlendMap.UploadRect(x0, y0, x1, y1); }

  void SetUseStoredVariants(bool use) { mUseStoredVariants = use; }
  bool GetUseStoredVariants() const { return mUseStoredVariants; }

  uint8_t* GetPaintBuffer() { return mPaint.data(); }
  const uint8_t* GetPaintBuffer() const { return mPaint.data(); }
  size_t GetPaintBufferSize() const { return mPaint.size(); }
  CGACoverageMap* GetBlendMap() { return &mBlendMap; }
  const CGACoverageMap* GetBlendMap() const { return &mBlendMap; }
  unsigned GetPaintWidth() const { return mW; }
  unsigned GetPaintHeight() const { return mH; }

 private:
  // Byte offset of the entry of (x, z) in the paint buffer, -1 outside it.
  long long PaintOffset(int x, int z) const;
  // The tile's four blend textures, each an index of the blend list; one
  // beyond the list becomes its last (-1 with an empty list).
  std::array<int, 4> TileBlendTextures(unsigned tile) const;
  // The template of cell materials, or null (logged) when the material
  // manager lacks it or it has no pass.
  Ogre::MaterialPtr CellTemplate(const std::string& name) const;
  // What cells draw with when their template is missing, cached under key.
  Ogre::MaterialPtr KeepPlain(const std::string& key);
  // The blend textures' repeat, "scale", when the pass's fragment program
  // has it; the tile's blend textures on units 1 to 4.
  void SetBlendScale(Ogre::Pass* pass) const;
  void SetBlendUnits(Ogre::Pass* pass, unsigned tile) const;

  std::vector<TerrainTextureRecord> mTextures;
  std::vector<TerrainTextureRecord> mBlendTextures;
  std::vector<std::vector<TerrainLayerEntry>> mCellLayers;
  std::map<unsigned, std::array<int, 4>> mTileLayers;
  // A material made here, with the weights its program samples.
  struct Clone {
    Ogre::MaterialPtr Material;
    std::string Program;  // the template's fragment program
    int BlendWeights;
    std::string Key;              // in mMaterials
    std::vector<int> TextureIds;  // the terrain textures it shows
  };
  void UseBlendWeights(Clone& clone, int blendWeights);
  // Forgets, and removes from the material manager, the cell materials that
  // show a terrain texture of an id from first to last.
  void DropCellMaterials(size_t first, size_t last);

  std::map<std::string, Ogre::MaterialPtr> mMaterials;
  std::vector<Clone> mClones;
  std::vector<uint8_t> mPaint;
  std::string mMaterialPrefix = "terrain_";
  CGACoverageMap mBlendMap;
  unsigned mW;
  unsigned mH;
  bool mUseStoredVariants = false;
};
