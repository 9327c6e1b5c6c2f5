#include "terrain/TerrainMaterial.h"

#include <algorithm>

namespace {

// Texture 0 erases: painting it removes a layer from a vertex.
const char* const kEraserTexture = "清理细节层";

}  // namespace

CGATerrainMaterial::CGATerrainMaterial(unsigned w, unsigned h)
    : mCellLayers(size_t(w + 1) * (h + 1)),
      mPaint(2 * size_t(w + 1) * (h + 1), kUnpainted),
      mBlendMap("BlendTerrain", "General", 4 * w + 4, 4 * h + 4, 4),
      mW(w),
      mH(h) {
  ResetTextures();
  // The whole map shows its blend textures; the last four texel columns and
  // rows lie past the last vertex and stay clear.
  uint8_t* texels = mBlendMap.GetData();
  for (size_t y = 0; y < 4 * size_t(h); ++y)
    for (size_t x = 0; x < 4 * size_t(w); ++x) texels[(y * mBlendMap.GetWidth() + x) * 4 + 3] = 255;
}

void CGATerrainMaterial::AddTexture(const std::string& name, int heightRepeat, int widthRepeat) {
  TerrainTextureRecord t;
  t.Name = name;
  t.HeightRepeat = heightRepeat;
  t.WidthRepeat = widthRepeat;
  mTextures.push_back(t);
}

void CGATerrainMaterial::AddBlendTexture(const std::string& name, int layer) {
  TerrainTextureRecord t;
  t.Name = name;
  t.LayerSlot = std::clamp(layer, 0, 3);
  mBlendTextures.push_back(t);
}

std::string CGATerrainMaterial::GetTextureName(size_t index) const {
  return index < mTextures.size() ? mTextures[index].Name : std::string();
}

const TerrainTextureRecord* CGATerrainMaterial::GetTexture(size_t index) const {
  return index < mTextures.size() ? &mTextures[index] : nullptr;
}

bool CGATerrainMaterial::GetBlendTexture(size_t index, std::string& name, int& layerSlot) const {
  if (index >= mBlendTextures.size()) return false;
  name = mBlendTextures[index].Name;
  layerSlot = mBlendTextures[index].LayerSlot;
  return true;
}

void CGATerrainMaterial::ResetTextures() {
  mTextures.clear();
  AddTexture(kEraserTexture, 1, 1);
}

void CGATerrainMaterial::SetTileLayers(unsigned tile, int l0, int l1, int l2, int l3) {
  mTileLayers.emplace(tile, std::array<int, 4>{l0, l1, l2, l3});
}

bool CGATerrainMaterial::GetTileLayers(unsigned tile, int& l0, int& l1, int& l2, int& l3) const {
  auto it = mTileLayers.find(tile);
  if (it == mTileLayers.end()) return false;
  l0 = it->second[0];
  l1 = it->second[1];
  l2 = it->second[2];
  l3 = it->second[3];
  return true;
}

size_t CGATerrainMaterial::GetVertexIndex(int x, int z) const {
  const long long cx = std::clamp<long long>(x, 0, mH);
  const long long cz = std::clamp<long long>(z, 0, mW);
  return size_t(cz * mH + cx);
}

long long CGATerrainMaterial::PaintOffset(int x, int z) const {
  const long long entry = (long long)z * mH + x;
  if (entry < 0 || 2 * entry + 1 >= (long long)mPaint.size()) return -1;
  return 2 * entry;
}

void CGATerrainMaterial::SetVertexLayer(int x, int z, int layer) {
  const long long at = PaintOffset(x, z);
  if (at >= 0) mPaint[at] = uint8_t(layer);
  // The four cells whose corner the vertex is.
  const int corners[4][2] = {{x - 1, z - 1}, {x - 1, z}, {x, z - 1}, {x, z}};
  for (const auto& c : corners) {
    std::vector<TerrainLayerEntry>& list = mCellLayers[GetVertexIndex(c[0], c[1])];
    const bool present = std::any_of(list.begin(), list.end(),
                                     [&](const TerrainLayerEntry& e) { return e.LayerId == layer; });
    if (!present) {
      TerrainLayerEntry e;
      e.LayerId = layer;
      e.AtlasIndex = 0;
      list.push_back(e);
      std::sort(list.begin(), list.end(),
                [](const TerrainLayerEntry& a, const TerrainLayerEntry& b) { return a.LayerId < b.LayerId; });
      if (list.size() > kMaxCellLayers) list.erase(list.begin());
    }
    for (TerrainLayerEntry& e : list) e.AtlasIndex = -1;
  }
}

void CGATerrainMaterial::SetVertexVariant(int x, int z, uint8_t variant) {
  const long long at = PaintOffset(x, z);
  if (at >= 0) mPaint[at + 1] = variant;
}

uint8_t CGATerrainMaterial::GetPaintByte(int x, int z, int k) const {
  const long long at = PaintOffset(x, z);
  if (at < 0 || k < 0 || k > 1) return kUnpainted;
  return mPaint[at + k];
}
