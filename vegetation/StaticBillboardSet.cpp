#include "vegetation/StaticBillboardSet.h"

#include "vegetation/Indices.h"
#include "vegetation/RenderQueries.h"
#include "vegetation/VertexPrograms.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreHardwareBufferManager.h>
#include <OgreLogManager.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>

#include <cstring>
#include <limits>

namespace Verdure {

unsigned StaticBillboardSet::sUniqueCounter = 0;
unsigned StaticBillboardSet::sSelfInstances = 0;
std::map<Ogre::Material*, StaticBillboardSet::MaterialRefRecord> StaticBillboardSet::sMaterialRefs;
std::map<Ogre::String, Ogre::MaterialPtr> StaticBillboardSet::sFadedMaterials;

namespace {

// Corner c of a billboard sits at centre + quad[c] x (half width, half
// height, half width).
const char* const kSpriteGlsl =
    "uniform float uScroll; \nuniform float vScroll; \nuniform vec4  preRotatedQuad[4]; \nvoid main() { \n"
    "\tvec4 vCenter = vec4( gl_Vertex.x, gl_Vertex.y, gl_Vertex.z, 1.0 ); \n"
    "\tvec4 vScale = vec4( gl_Normal.x, gl_Normal.y, gl_Normal.x , 1.0 ); \n"
    "\tgl_Position = gl_ModelViewProjectionMatrix * (vCenter + (preRotatedQuad[int(gl_Normal.z)] * vScale) ); \n"
    "\tgl_FrontColor = gl_Color; \n\tgl_TexCoord[0] = gl_MultiTexCoord0; \n\tgl_TexCoord[0].x += uScroll; \n"
    "\tgl_TexCoord[0].y += vScroll; \n\tgl_FogFragCoord = gl_Position.z; \n}";

const char* const kSpriteHlsl =
    "void Sprite_vp(\t\n\tfloat4 position : POSITION,\t\n\tfloat3 normal   : NORMAL,\t\n\tfloat4 color\t: COLOR,\t\n"
    "\tfloat2 uv       : TEXCOORD0,\t\n\tout float4 oPosition : POSITION,\t\n\tout float2 oUv       : TEXCOORD0,\t\n"
    "\tout float4 oColor    : COLOR, \n\tout float oFog       : FOG,\t\n\tuniform float4x4 worldViewProj,\t\n"
    "\tuniform float    uScroll, \n\tuniform float    vScroll, \n\tuniform float4   preRotatedQuad[4] )\t\n{\t\n"
    "\tfloat4 vCenter = float4( position.x, position.y, position.z, 1.0f );\t\n"
    "\tfloat4 vScale = float4( normal.x, normal.y, normal.x, 1.0f );\t\n"
    "\toPosition = mul( worldViewProj, vCenter + (preRotatedQuad[normal.z] * vScale) );  \n"
    "\toColor = color;   \n\toUv = uv;\t\n\toUv.x += uScroll; \n\toUv.y += vScroll; \n\toFog = oPosition.z; \n}";

// The same with the alpha faded by the horizontal distance to the camera.
const char* const kSpriteFadeGlsl =
    "uniform vec3  camPos; \nuniform float fadeGap; \nuniform float invisibleDist; \nuniform float uScroll; \n"
    "uniform float vScroll; \nuniform vec4  preRotatedQuad[4]; \nvoid main() { \n"
    "\tvec4 vCenter = vec4( gl_Vertex.x, gl_Vertex.y, gl_Vertex.z, 1.0 ); \n"
    "\tvec4 vScale = vec4( gl_Normal.x, gl_Normal.y, gl_Normal.x , 1.0 ); \n"
    "\tgl_Position = gl_ModelViewProjectionMatrix * (vCenter + (preRotatedQuad[int(gl_Normal.z)] * vScale) ); \n"
    "\tgl_FrontColor.xyz = gl_Color.xyz; \n\tvec4 position = gl_Vertex; \n"
    "\tfloat dist = distance(camPos.xz, position.xz); \n\tgl_FrontColor.w = (invisibleDist - dist) / fadeGap; \n"
    "\tgl_TexCoord[0] = gl_MultiTexCoord0; \n\tgl_TexCoord[0].x += uScroll; \n\tgl_TexCoord[0].y += vScroll; \n"
    "\tgl_FogFragCoord = gl_Position.z; \n}";

const char* const kSpriteFadeHlsl =
    "void SpriteFade_vp(\t\n\tfloat4 position : POSITION,\t\n\tfloat3 normal   : NORMAL,\t\n\tfloat4 color\t: COLOR,\t\n"
    "\tfloat2 uv       : TEXCOORD0,\t\n\tout float4 oPosition : POSITION,\t\n\tout float2 oUv       : TEXCOORD0,\t\n"
    "\tout float4 oColor    : COLOR, \n\tout float oFog       : FOG,\t\n\tuniform float4x4 worldViewProj,\t\n"
    "\tuniform float3 camPos, \n\tuniform float fadeGap, \n   uniform float invisibleDist, \n"
    "\tuniform float    uScroll, \n\tuniform float    vScroll, \n\tuniform float4   preRotatedQuad[4] )\t\n{\t\n"
    "\tfloat4 vCenter = float4( position.x, position.y, position.z, 1.0f );\t\n"
    "\tfloat4 vScale = float4( normal.x, normal.y, normal.x, 1.0f );\t\n"
    "\toPosition = mul( worldViewProj, vCenter + (preRotatedQuad[normal.z] * vScale) );  \n"
    "\toColor.rgb = color.rgb;   \n\tfloat dist = distance(camPos.xz, position.xz);\t\n"
    "\toColor.a = (invisibleDist - dist) / fadeGap;   \n"
    "\toUv = uv;\t\n\toUv.x += uScroll; \n\toUv.y += vScroll; \n\toFog = oPosition.z; \n}";

const size_t kVertexSize = 36;

// The sprite programs' camera-facing corners and texture scroll, written
// by updateCameraQuads.
const std::initializer_list<const char*> kSpriteConstants = {
    "uScroll", "vScroll", "preRotatedQuad[0]", "preRotatedQuad[1]", "preRotatedQuad[2]", "preRotatedQuad[3]"};

Ogre::Pass* firstPass(const Ogre::MaterialPtr& material) {
  if (!material || material->getNumTechniques() == 0) return nullptr;
  Ogre::Technique* technique = material->getTechnique(0);
  return technique->getNumPasses() ? technique->getPass(0) : nullptr;
}

// The scroll of the first texture unit of the first pass.
Ogre::Vector2 scrollOf(const Ogre::MaterialPtr& material) {
  Ogre::Pass* pass = firstPass(material);
  if (!pass || pass->getNumTextureUnitStates() == 0) return Ogre::Vector2::ZERO;
  const Ogre::TextureUnitState* unit = pass->getTextureUnitState(0);
  return Ogre::Vector2(unit->getTextureUScroll(), unit->getTextureVScroll());
}

// Loads a mesh with nothing but critical messages in the engine log; the
// log is at normal detail afterwards, whatever it was before.
void loadQuietly(Ogre::Mesh& mesh) {
  struct QuietLog {
    Ogre::LogManager* logs = Ogre::LogManager::getSingletonPtr();
    QuietLog() {
      if (logs) logs->setLogDetail(Ogre::LoggingLevel(0));
    }
    ~QuietLog() {
      if (logs) logs->setLogDetail(Ogre::LL_NORMAL);
    }
  } quiet;
  mesh.load();
}

void writeFloat(Ogre::uchar*& out, float v) {
  std::memcpy(out, &v, 4);
  out += 4;
}

}  // namespace

const char* StaticBillboardSet::spriteProgramSource(bool fade, const Ogre::String& language) {
  if (language == "glsl") return fade ? kSpriteFadeGlsl : kSpriteGlsl;
  return fade ? kSpriteFadeHlsl : kSpriteHlsl;
}

Ogre::String StaticBillboardSet::makeUniqueName(const Ogre::String& prefix) {
  return prefix + std::to_string(++sUniqueCounter);
}

StaticBillboardSet::StaticBillboardSet(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode, SpriteMethod method)
    : mSceneMgr(mgr), mRenderMethod(method) {
  if (mRenderMethod == SPRITE_ACCELERATED && !RenderQueries::get().hasVertexPrograms())
    mRenderMethod = SPRITE_COMPATIBLE;
  mNode = rootSceneNode->createChildSceneNode();
  mEntityName = makeUniqueName("SBSentity");
  if (mRenderMethod == SPRITE_ACCELERATED) {
    if (++sSelfInstances == 1) {
      const Ogre::String language = RenderQueries::get().programLanguage();
      ensureVertexProgram("Sprite_vp", language, spriteProgramSource(false, language), "Sprite_vp");
      ensureVertexProgram("SpriteFade_vp", language, spriteProgramSource(true, language), "SpriteFade_vp");
    }
  } else {
    mUFactor = mVFactor = 0;
    mFallbackSet = mgr->createBillboardSet(makeUniqueName("SBS"), 100);
    mNode->attachObject(mFallbackSet);
  }
}

StaticBillboardSet::~StaticBillboardSet() {
  if (mRenderMethod == SPRITE_ACCELERATED) {
    clear();
    mSceneMgr->destroySceneNode(mNode);
    if (materialInUse()) dropMaterialRef(materialInUse());
    if (--sSelfInstances == 0) sFadedMaterials.clear();
  } else {
    mSceneMgr->destroySceneNode(mNode);
    mSceneMgr->destroyBillboardSet(mFallbackSet);
  }
}

void StaticBillboardSet::createBillboard(const Ogre::Vector3& position, float width, float height,
                                         const Ogre::ColourValue& colour, Ogre::uint16 texcoordIndexU,
                                         Ogre::uint16 texcoordIndexV) {
  if (mRenderMethod == SPRITE_ACCELERATED) {
    PendingBillboard b;
    b.position[0] = position.x;
    b.position[1] = position.y;
    b.position[2] = position.z;
    b.colour = RenderQueries::get().getColourVertexType() == Ogre::VET_COLOUR_ARGB ? colour.getAsARGB()
                                                                                  : colour.getAsABGR();
    b.width = width;
    b.height = height;
    b.texcoordIndexU = texcoordIndexU;
    b.texcoordIndexV = texcoordIndexV;
    mBillboardBuffer.push_back(b);
  } else {
    Ogre::Billboard* b = mFallbackSet->createBillboard(position, colour);
    b->setDimensions(width, height);
    b->setTexcoordIndex(Ogre::uint16(texcoordIndexV * mSlices + texcoordIndexU));
  }
}

void StaticBillboardSet::removeMesh() {
  if (!mEntity) return;
  mNode->detachAllObjects();
  mSceneMgr->destroyEntity(mEntity);
  mEntity = nullptr;
  const Ogre::String name = mMesh->getName();
  mMesh.reset();
  if (Ogre::MeshManager* meshes = Ogre::MeshManager::getSingletonPtr())
    meshes->remove(name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
}

void StaticBillboardSet::build() {
  if (mRenderMethod != SPRITE_ACCELERATED) return;
  removeMesh();
  if (mBillboardBuffer.empty()) return;

  const size_t count = mBillboardBuffer.size();
  mMesh = Ogre::MeshManager::getSingleton().createManual(makeUniqueName("SBSmesh"),
                                                        Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
  mSubMesh = mMesh->createSubMesh();
  mSubMesh->useSharedVertices = false;
  auto* vertexData = new Ogre::VertexData();
  mSubMesh->vertexData = vertexData;
  vertexData->vertexStart = 0;
  vertexData->vertexCount = 4 * count;
  // The normal holds (half width, half height, corner number).
  Ogre::VertexDeclaration* decl = vertexData->vertexDeclaration;
  decl->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
  decl->addElement(0, 12, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
  decl->addElement(0, 24, RenderQueries::get().getColourVertexType(), Ogre::VES_DIFFUSE);
  decl->addElement(0, 28, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES);

  Ogre::HardwareBufferManager& buffers = Ogre::HardwareBufferManager::getSingleton();
  auto vertices = buffers.createVertexBuffer(kVertexSize, vertexData->vertexCount,
                                             Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, false);
  Ogre::Vector3 lo(std::numeric_limits<float>::infinity()), hi(-std::numeric_limits<float>::infinity());
  {
    auto* out = static_cast<Ogre::uchar*>(vertices->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (const PendingBillboard& b : mBillboardBuffer) {
      for (int corner = 0; corner < 4; ++corner) {
        const float du = float(corner & 1), dv = float(corner >> 1);
        for (float p : b.position) writeFloat(out, p);
        writeFloat(out, b.width / 2);
        writeFloat(out, b.height / 2);
        writeFloat(out, float(corner));
        std::memcpy(out, &b.colour, 4);
        out += 4;
        writeFloat(out, (b.texcoordIndexU + du) * mUFactor);
        writeFloat(out, (b.texcoordIndexV + dv) * mVFactor);
      }
      const Ogre::Vector3 p(b.position[0], b.position[1], b.position[2]);
      const Ogre::Vector3 half(b.width / 2, b.height / 2, b.width / 2);
      lo.makeFloor(p - half);
      hi.makeCeil(p + half);
    }
    vertices->unlock();
  }
  vertexData->vertexBufferBinding->setBinding(0, vertices);

  // 16-bit indices reach 16,384 billboards; more take 32-bit ones.
  const bool use32 = 4 * count > 65536;
  Ogre::IndexData* indexData = mSubMesh->indexData;
  indexData->indexStart = 0;
  indexData->indexCount = 6 * count;
  indexData->indexBuffer = buffers.createIndexBuffer(
      use32 ? Ogre::HardwareIndexBuffer::IT_32BIT : Ogre::HardwareIndexBuffer::IT_16BIT, indexData->indexCount,
      Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, false);
  {
    auto* out = static_cast<Ogre::uchar*>(indexData->indexBuffer->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (size_t i = 0; i < count; ++i) {
      const Ogre::uint32 b = Ogre::uint32(4 * i);
      for (Ogre::uint32 index : {b, b + 2, b + 1, b + 1, b + 2, b + 3}) writeIndex(out, index, use32);
    }
    indexData->indexBuffer->unlock();
  }

  mMesh->_setBounds(Ogre::AxisAlignedBox(lo, hi));
  mMesh->_setBoundingSphereRadius((hi - lo).length() / 2);
  loadQuietly(*mMesh);
  mBillboardBuffer.clear();

  mEntity = mSceneMgr->createEntity(mEntityName, mMesh->getName());
  mEntity->setCastShadows(false);
  if (materialInUse()) mEntity->setMaterial(materialInUse());
  mNode->attachObject(mEntity);
  mEntity->setVisible(mVisible);
}

void StaticBillboardSet::clear() {
  if (mRenderMethod == SPRITE_ACCELERATED) {
    removeMesh();
    mBillboardBuffer.clear();
  } else {
    mFallbackSet->clear();
  }
}

void StaticBillboardSet::setVisible(bool visible) {
  mVisible = visible;
  if (mEntity) mEntity->setVisible(visible);
  if (mFallbackSet) mFallbackSet->setVisible(visible);
}

void StaticBillboardSet::addMaterialRef(const Ogre::MaterialPtr& material, Ogre::BillboardOrigin origin) {
  auto it = sMaterialRefs.find(material.get());
  if (it != sMaterialRefs.end()) ++it->second.refCount;
  else sMaterialRefs.emplace(material.get(), MaterialRefRecord{1, material, origin});
}

void StaticBillboardSet::dropMaterialRef(const Ogre::MaterialPtr& material) {
  auto it = sMaterialRefs.find(material.get());
  if (it != sMaterialRefs.end() && --it->second.refCount == 0) sMaterialRefs.erase(it);
}

unsigned StaticBillboardSet::getMaterialRefCount(const Ogre::MaterialPtr& material) {
  auto it = sMaterialRefs.find(material.get());
  return it == sMaterialRefs.end() ? 0 : it->second.refCount;
}

void StaticBillboardSet::setMaterial(const Ogre::String& materialName) {
  if (mMaterial && mMaterial->getName() == materialName) return;
  Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(materialName);
  if (!material)
    OGRE_EXCEPT(Ogre::Exception::ERR_ITEM_NOT_FOUND, "No material named \"" + materialName + "\"",
                "StaticBillboardSet::setMaterial()");
  if (mRenderMethod != SPRITE_ACCELERATED) {
    mMaterial = material;
    mFallbackSet->setMaterial(material);
    return;
  }
  if (materialInUse()) dropMaterialRef(materialInUse());
  mMaterial = material;
  if (mFadeEnabled) mFadeMaterial = findOrMakeFadeMaterial(mFadeVisibleDist, mFadeInvisibleDist);
  addMaterialRef(materialInUse(), mBBOrigin);
  if (mEntity) mEntity->setMaterial(materialInUse());
}

void StaticBillboardSet::setFade(bool enabled, Ogre::Real visibleDist, Ogre::Real invisibleDist) {
  if (mRenderMethod != SPRITE_ACCELERATED) return;
  if (enabled) {
    if (!mMaterial)
      OGRE_EXCEPT(Ogre::Exception::ERR_ITEM_NOT_FOUND,
                  "Billboard fading cannot be enabled without a material applied first",
                  "StaticBillboardSet::setFade()");
    dropMaterialRef(materialInUse());
    mFadeMaterial = findOrMakeFadeMaterial(visibleDist, invisibleDist);
    addMaterialRef(mFadeMaterial, mBBOrigin);
    if (mEntity) mEntity->setMaterial(mFadeMaterial);
    mFadeEnabled = true;
  } else if (mFadeEnabled) {
    dropMaterialRef(mFadeMaterial);
    addMaterialRef(mMaterial, mBBOrigin);
    if (mEntity) mEntity->setMaterial(mMaterial);
    mFadeEnabled = false;
  } else {
    return;
  }
  mFadeVisibleDist = visibleDist;
  mFadeInvisibleDist = invisibleDist;
}

Ogre::MaterialPtr StaticBillboardSet::findOrMakeFadeMaterial(Ogre::Real visibleDist, Ogre::Real invisibleDist) {
  // One copy per set, material, distances and scroll: a set given another
  // material while fading fades that one.
  const Ogre::Vector2 scroll = scrollOf(mMaterial);
  const Ogre::String key = mEntityName + "|" + mMaterial->getName() + "|" + floatName(visibleDist) + "|" +
                           floatName(invisibleDist) + "|" + floatName(scroll.x) + "|" + floatName(scroll.y) + "|";
  if (auto it = sFadedMaterials.find(key); it != sFadedMaterials.end()) return it->second;

  Ogre::MaterialPtr fade = mMaterial->clone(makeUniqueName("ImpostorFade"));
  const Ogre::String language = RenderQueries::get().programLanguage();
  for (Ogre::Technique* technique : fade->getTechniques()) {
    for (Ogre::Pass* pass : technique->getPasses()) {
      pass->setVertexProgram("SpriteFade_vp", true);
      Ogre::GpuProgramParametersSharedPtr params = pass->getVertexProgramParameters();
      bindWorldViewProj(*params, language);
      bindCustomConstants(*params, kSpriteConstants);
      params->setNamedAutoConstant("camPos", Ogre::GpuProgramParameters::ACT_CAMERA_POSITION_OBJECT_SPACE);
      bindCustomConstants(*params, {"fadeGap", "invisibleDist"});
      params->setNamedConstant("invisibleDist", invisibleDist);
      params->setNamedConstant("fadeGap", invisibleDist - visibleDist);
      pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
    }
  }
  sFadedMaterials[key] = fade;
  return fade;
}

void StaticBillboardSet::setBillboardOrigin(Ogre::BillboardOrigin origin) {
  if (origin != Ogre::BBO_CENTER && origin != Ogre::BBO_BOTTOM_CENTER)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS,
                "Invalid origin - only BBO_CENTER and BBO_BOTTOM_CENTER is supported",
                "StaticBillboardSet::setBillboardOrigin()");
  mBBOrigin = origin;
  if (mFallbackSet) mFallbackSet->setBillboardOrigin(origin);
}

void StaticBillboardSet::setTextureStacksAndSlices(Ogre::uint16 stacks, Ogre::uint16 slices) {
  mUFactor = 1.0f / slices;
  mVFactor = 1.0f / stacks;
  mSlices = slices;
  if (mFallbackSet) mFallbackSet->setTextureStacksAndSlices(Ogre::uchar(stacks), Ogre::uchar(slices));
}

void StaticBillboardSet::updateCameraQuads(const Ogre::Vector3& cameraDirection) {
  if (sSelfInstances == 0) return;
  const Ogre::Vector3 right = cameraDirection.crossProduct(Ogre::Vector3::UNIT_Y).normalisedCopy();
  Ogre::Vector3 up = cameraDirection.crossProduct(right).normalisedCopy();
  if (up.y < 0) up = -up;

  for (auto& [address, record] : sMaterialRefs) {
    Ogre::Pass* pass = firstPass(record.material);
    if (!pass) continue;
    const Ogre::Vector3 lift = record.origin == Ogre::BBO_BOTTOM_CENTER ? up * 2 : up;
    const Ogre::Vector3 base = record.origin == Ogre::BBO_BOTTOM_CENTER ? Ogre::Vector3::ZERO : -up;
    const Ogre::Vector3 corners[4] = {-right + lift, right + lift, -right + base, right + base};
    float quad[16];
    for (int c = 0; c < 4; ++c) {
      quad[c * 4] = corners[c].x;
      quad[c * 4 + 1] = corners[c].y;
      quad[c * 4 + 2] = corners[c].z;
      quad[c * 4 + 3] = 0;
    }
    if (!pass->hasVertexProgram()) {
      pass->setVertexProgram("Sprite_vp", true);
      bindWorldViewProj(*pass->getVertexProgramParameters(), RenderQueries::get().programLanguage());
      bindCustomConstants(*pass->getVertexProgramParameters(), kSpriteConstants);
    }
    const Ogre::Vector2 scroll = scrollOf(record.material);
    Ogre::GpuProgramParametersSharedPtr params = pass->getVertexProgramParameters();
    params->setNamedConstant("preRotatedQuad[0]", quad, 4, 4);
    params->setNamedConstant("uScroll", scroll.x);
    params->setNamedConstant("vScroll", scroll.y);
  }
}

}  // namespace Verdure
