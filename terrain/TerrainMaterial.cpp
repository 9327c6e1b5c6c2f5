#include "terrain/TerrainMaterial.h"

#include "game/GameLog.h"
#include "platform/Random.h"

#include <OgreHighLevelGpuProgram.h>
#include <OgreHighLevelGpuProgramManager.h>
#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>

#include <algorithm>
#include <cmath>

namespace {

// Texture 0 erases: painting it removes a layer from a vertex. Its name is
// "清理细节层" in the game's GBK bytes, spelt out because clang, which builds
// this file into a fuzz target, has no GBK execution character set.
const char* const kEraserTexture = "\xC7\xE5\xC0\xED\xCF\xB8\xBD\xDA\xB2\xE3";

// A texture the map does not name leaves the template's in place.
void SetUnitTexture(Ogre::Pass* pass, size_t unit, const std::string& texture) {
  if (!texture.empty() && unit < pass->getNumTextureUnitStates())
    pass->getTextureUnitState(unit)->setTextureName(texture);
}

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

CGATerrainMaterial::~CGATerrainMaterial() {
  if (auto* materials = Ogre::MaterialManager::getSingletonPtr())
    for (const Clone& clone : mClones) materials->remove(clone.Material);
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

void CGATerrainMaterial::SetTextureName(size_t index, const std::string& name) {
  if (index >= mTextures.size()) return;
  mTextures[index].Name = name;
  // The cached materials of this id show the old texture.
  DropCellMaterials(index, index);
}

void CGATerrainMaterial::RemoveTexture(size_t index) {
  if (index >= mTextures.size()) return;
  const size_t last = mTextures.size() - 1;
  mTextures.erase(mTextures.begin() + long(index));
  // From this id on every id names another texture, or none.
  DropCellMaterials(index, last);
}

void CGATerrainMaterial::DropCellMaterials(size_t first, size_t last) {
  auto stale = [first, last](const Clone& clone) {
    return std::any_of(clone.TextureIds.begin(), clone.TextureIds.end(),
                       [first, last](int id) { return id >= 0 && size_t(id) >= first && size_t(id) <= last; });
  };
  auto* materials = Ogre::MaterialManager::getSingletonPtr();
  for (const Clone& clone : mClones) {
    if (!stale(clone)) continue;
    mMaterials.erase(clone.Key);
    if (materials) materials->remove(clone.Material);
  }
  mClones.erase(std::remove_if(mClones.begin(), mClones.end(), stale), mClones.end());
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

void CGATerrainMaterial::EraseVertex(int x, int z) {
  const long long at = PaintOffset(x, z);
  if (at >= 0) mPaint[at] = 0;
  const int corners[4][2] = {{x - 1, z - 1}, {x - 1, z}, {x, z - 1}, {x, z}};
  for (const auto& c : corners)
    for (TerrainLayerEntry& e : mCellLayers[GetVertexIndex(c[0], c[1])]) e.AtlasIndex = 0;
}

int CGATerrainMaterial::GetAtlasIndex(int x, int z, int layer) const {
  enum { kEqual, kHigher, kLower } state = kEqual;
  int mask = 0;
  // Corners (x, z), (x + 1, z), (x, z + 1), (x + 1, z + 1) weigh 8, 4, 2, 1.
  // Corner reads stay inside the paint; one beyond it reads as unpainted.
  const int corners[4][2] = {{x, z}, {x + 1, z}, {x, z + 1}, {x + 1, z + 1}};
  for (int k = 0; k < 4; ++k) {
    const int painted = GetPaintByte(corners[k][0], corners[k][1], 0);
    if (painted == layer) mask |= 8 >> k;
    else if (painted < layer) state = kLower;
    else if (state != kLower) state = kHigher;
  }
  if (state == kHigher) return kFullCover;
  if (layer != 0 && mask != 15) return mask;
  if (!mUseStoredVariants) return kFullCover + platform::Rand() % (kLastVariant - kFullCover);
  // A stored byte that is no full-cover variant (the preset 128, or a shape
  // stored before the cell was filled) shows the plain full cover.
  const int stored = GetPaintByte(x, z, 1);
  return stored >= kFullCover && stored <= kLastVariant ? stored : kFullCover;
}

const std::vector<TerrainLayerEntry>& CGATerrainMaterial::GetCellLayers(int x, int z) {
  std::vector<TerrainLayerEntry>& list = mCellLayers[GetVertexIndex(x, z)];
  for (size_t i = 0; i < list.size();) {
    TerrainLayerEntry& e = list[i];
    if (e.AtlasIndex == -1) e.AtlasIndex = GetAtlasIndex(x, z, e.LayerId);
    if (e.AtlasIndex == 0 || e.LayerId == 0) {
      list.erase(list.begin() + long(i));
      continue;
    }
    if (e.AtlasIndex >= kFullCover && i > 0) {
      list.erase(list.begin());
      i = 0;
      continue;
    }
    const TerrainTextureRecord* texture = GetTexture(size_t(e.LayerId));
    e.HeightRepeat = texture ? texture->HeightRepeat : 0;
    e.WidthRepeat = texture ? texture->WidthRepeat : 0;
    if ((e.HeightRepeat > 0 || e.WidthRepeat > 0) && i > 0) {
      list.erase(list.begin());
      i = 0;
      continue;
    }
    ++i;
  }
  if (list.size() == 1) SetVertexVariant(x, z, uint8_t(list[0].AtlasIndex));
  return list;
}

bool CGATerrainMaterial::GetLayerInfo(int x, int z, int layer, TerrainLayerEntry& out) const {
  const TerrainTextureRecord* texture = GetTexture(size_t(layer));
  out.HeightRepeat = texture ? texture->HeightRepeat : 0;
  out.WidthRepeat = texture ? texture->WidthRepeat : 0;
  for (const TerrainLayerEntry& e : mCellLayers[GetVertexIndex(x, z)]) {
    if (e.LayerId == layer) {
      out.AtlasIndex = e.AtlasIndex;
      return true;
    }
  }
  out.AtlasIndex = 0;
  return false;
}

std::array<int, 4> CGATerrainMaterial::TileBlendTextures(unsigned tile) const {
  std::array<int, 4> l = {0, 1, 2, 3};
  GetTileLayers(tile, l[0], l[1], l[2], l[3]);
  const int last = int(mBlendTextures.size()) - 1;
  for (int& v : l) v = std::clamp(v, std::min(0, last), last);
  return l;
}

std::string CGATerrainMaterial::CellMaterialKey(const std::vector<int>& ids, unsigned tile, int blendWeights) const {
  std::string key = "terrainmat_";
  for (int l : TileBlendTextures(tile)) key += "_" + std::to_string(l);
  for (int id : ids) key += "_" + std::to_string(id);
  if (blendWeights != kAllBlendWeights) key += "_w" + std::to_string(blendWeights);
  return key;
}

int CGATerrainMaterial::UsedBlendWeights(float u0, float v0, float u1, float v1) const {
  // Bilinear filtering reads the texels on both sides of a coordinate; one
  // more each way keeps rounding out of it.
  auto texel = [](float at, unsigned size, float extra) {
    return unsigned(std::clamp(std::floor(at * float(size)) + extra, 0.0f, float(size) - 1.0f));
  };
  const unsigned width = mBlendMap.GetWidth(), height = mBlendMap.GetHeight();
  const unsigned x0 = texel(std::min(u0, u1), width, -2), x1 = texel(std::max(u0, u1), width, 2);
  const unsigned y0 = texel(std::min(v0, v1), height, -2), y1 = texel(std::max(v0, v1), height, 2);
  int used = 0;
  for (unsigned y = y0; y <= y1 && used != kAllBlendWeights; ++y)
    for (unsigned x = x0; x <= x1; ++x)
      for (unsigned c = 0; c < 3; ++c)
        if (mBlendMap.GetValue(x, y, c) != 0) used |= 1 << c;
  return used;
}

namespace {

// The template's fragment program without the blend textures of the weights
// not in blendWeights (its source leaves them out by BLEND_R, BLEND_G and
// BLEND_B), and without the point lights when blendWeights holds
// kNoPointLights (POINT_LIGHTS), made on first use.
std::string BlendVariant(const std::string& program, int blendWeights) {
  if (blendWeights == CGATerrainMaterial::kAllBlendWeights) return program;
  const std::string name = program + "_w" + std::to_string(blendWeights);
  Ogre::HighLevelGpuProgramManager& programs = Ogre::HighLevelGpuProgramManager::getSingleton();
  if (programs.resourceExists(name)) return name;
  Ogre::HighLevelGpuProgramPtr base = programs.getByName(program);
  if (!base) return program;
  Ogre::HighLevelGpuProgramPtr variant =
      programs.createProgram(name, base->getGroup(), base->getLanguage(), Ogre::GPT_FRAGMENT_PROGRAM);
  variant->setSourceFile(base->getSourceFile());
  std::string defines = base->getParameter("preprocessor_defines");
  const char* const weights[] = {"BLEND_R", "BLEND_G", "BLEND_B"};
  for (int c = 0; c < 3; ++c)
    defines += std::string(defines.empty() ? "" : ",") + weights[c] + "=" + ((blendWeights >> c & 1) ? "1" : "0");
  if (blendWeights & CGATerrainMaterial::kNoPointLights) defines += ",POINT_LIGHTS=0";
  variant->setParameter("preprocessor_defines", defines);
  variant->load();
  return name;
}

}  // namespace

void CGATerrainMaterial::UseBlendWeights(Clone& clone, int blendWeights) {
  clone.BlendWeights = blendWeights;
  Ogre::Pass* pass = clone.Material->getTechnique(0)->getPass(0);
  if (clone.Program.empty()) return;
  const Ogre::GpuProgramParametersSharedPtr old = pass->getFragmentProgramParameters();
  pass->setFragmentProgram(BlendVariant(clone.Program, blendWeights));
  if (old) pass->getFragmentProgramParameters()->copyMatchingNamedConstantsFrom(*old);
}

Ogre::MaterialPtr CGATerrainMaterial::CellTemplate(const std::string& name) const {
  Ogre::MaterialPtr base = Ogre::MaterialManager::getSingleton().getByName(name);
  if (base && base->getNumTechniques() > 0 && base->getTechnique(0)->getNumPasses() > 0) return base;
  GameLog("Terrain material \"" + name + "\" is missing; the cells made from it draw plain");
  return nullptr;
}

Ogre::MaterialPtr CGATerrainMaterial::KeepPlain(const std::string& key) {
  return mMaterials[key] = Ogre::MaterialManager::getSingleton().getByName("BaseWhiteNoLighting");
}

void CGATerrainMaterial::SetBlendScale(Ogre::Pass* pass) const {
  if (!pass->hasFragmentProgram()) return;
  Ogre::GpuProgramParametersSharedPtr params = pass->getFragmentProgramParameters();
  if (params && params->_findNamedConstantDefinition("scale")) params->setNamedConstant("scale", float(mH) * 0.5f);
}

void CGATerrainMaterial::SetBlendUnits(Ogre::Pass* pass, unsigned tile) const {
  const std::array<int, 4> blends = TileBlendTextures(tile);
  for (size_t k = 0; k < 4; ++k)
    if (blends[k] >= 0) SetUnitTexture(pass, 1 + k, mBlendTextures[size_t(blends[k])].Name);
}

Ogre::MaterialPtr CGATerrainMaterial::GetCellMaterial(const std::vector<int>& ids, unsigned tile, int blendWeights) {
  const std::string key = CellMaterialKey(ids, tile, blendWeights);
  auto cached = mMaterials.find(key);
  if (cached != mMaterials.end()) return cached->second;

  Ogre::MaterialPtr base = CellTemplate("Newterrain_" + std::to_string(ids.size()));
  if (!base) return KeepPlain(key);
  Ogre::MaterialPtr material = base->clone("terrain_mat_" + key);
  Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
  // The blend textures repeat every two grid steps across the map. Unit 0
  // shows the blend map, which the map itself makes.
  SetBlendScale(pass);
  SetUnitTexture(pass, 0, mBlendMap.GetTextureName());
  SetBlendUnits(pass, tile);
  for (size_t j = 0; j < ids.size(); ++j) SetUnitTexture(pass, 5 + j, GetTextureName(size_t(ids[j])));
  mClones.push_back(
      {material, pass->hasFragmentProgram() ? pass->getFragmentProgramName() : "", kAllBlendWeights, key, ids});
  if (blendWeights != kAllBlendWeights) UseBlendWeights(mClones.back(), blendWeights);
  material->load();
  return mMaterials[key] = material;
}

Ogre::MaterialPtr CGATerrainMaterial::GetCellMaterialByCode(const std::string& code, int n, unsigned tile) {
  std::string key = code + "_";
  for (int l : TileBlendTextures(tile)) key += "c" + std::to_string(l);
  auto cached = mMaterials.find(key);
  if (cached != mMaterials.end()) return cached->second;

  const bool blended = code.empty() || code.compare(0, 2, "_0") == 0;
  const std::string templateName =
      blended ? "terrain_b_" + std::to_string(code.empty() ? n : n - 1) : "terrain_a_" + std::to_string(n);
  Ogre::MaterialPtr base = CellTemplate(templateName);
  if (!base) return KeepPlain(key);
  // The repeat goes into the template, so its later clones have it too.
  if (blended) SetBlendScale(base->getTechnique(0)->getPass(0));
  Ogre::MaterialPtr material = base->clone("terrain_mat_" + key);
  if (blended) SetBlendUnits(material->getTechnique(0)->getPass(0), tile);
  mClones.push_back({material, "", kAllBlendWeights, key, {}});
  material->load();
  return mMaterials[key] = material;
}

void CGATerrainMaterial::SetPrefixMaterialTexture(const std::string& texture) {
  Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(mMaterialPrefix);
  Ogre::Technique* technique = material && material->getNumTechniques() > 0 ? material->getTechnique(0) : nullptr;
  Ogre::Pass* pass = technique && technique->getNumPasses() > 1 ? technique->getPass(1) : nullptr;
  if (!pass || pass->getNumTextureUnitStates() == 0) {
    GameLog("Terrain material \"" + mMaterialPrefix + "\" has no second pass with a texture unit; \"" + texture +
            "\" is not set");
    return;
  }
  pass->getTextureUnitState(0)->setTextureName(texture, Ogre::TEX_TYPE_2D);
}

bool CGATerrainMaterial::PaintBlend(int x, int y, int blendTexture, int amount, unsigned tile) {
  if (blendTexture < 0 || size_t(blendTexture) >= mBlendTextures.size() || x < 0 || y < 0) return false;
  bool changed = false;
  int slot = blendTexture;
  auto entry = mTileLayers.find(tile);
  if (entry != mTileLayers.end()) {
    slot = mBlendTextures[size_t(blendTexture)].LayerSlot;
    if (entry->second[size_t(slot)] != blendTexture) {
      entry->second[size_t(slot)] = blendTexture;
      changed = true;
    }
  }
  slot = std::clamp(slot, 0, 3);
  // Red, green and blue weigh slots 1, 2 and 3 against slot 0: slot 0 lowers
  // all three, any other slot raises its own channel and lowers the others.
  int risen = 0;
  for (unsigned c = 0; c < 3; ++c) {
    const int raise = slot != 0 && int(c) == slot - 1 ? amount : -amount;
    const int old = mBlendMap.GetValue(unsigned(x), unsigned(y), c);
    const int v = std::clamp(old + raise, 0, 255);
    mBlendMap.SetValue(unsigned(x), unsigned(y), c, uint8_t(v));
    if (old == 0 && v != 0) risen |= 1 << c;
  }
  for (Clone& clone : mClones)
    if ((clone.BlendWeights | risen) != clone.BlendWeights) UseBlendWeights(clone, clone.BlendWeights | risen);
  return changed;
}
