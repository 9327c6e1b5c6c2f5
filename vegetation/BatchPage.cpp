#include "vegetation/BatchPage.h"

#include "vegetation/BatchedGeometry.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/RenderQueries.h"
#include "vegetation/VertexPrograms.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreRenderQueue.h>
#include <OgreTechnique.h>

#include <algorithm>

namespace Verdure {

namespace {

const char* const kTransitionError =
    "Error configuring batched geometry transitions. If you're using materials with custom vertex shaders, they "
    "will need to implement fade transitions to be compatible with BatchPage.";

// "1" to "4" for one to four floats, nothing for any other type.
Ogre::String sizeDigit(Ogre::VertexElementType type) {
  return *hlslType(type) ? std::to_string(Ogre::VertexElement::getTypeCount(type)) : "";
}

const ColourLines kGlslColour = {
    "   vec3 light = normalize(objSpaceLight.xyz - (gl_Vertex.xyz * objSpaceLight.w)); \n"
    "   float diffuseFactor = max(dot(gl_Normal, light), 0.0); \n",
    "   gl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse) * gl_Color; \n",
    "   gl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse); \n",
    "   gl_FrontColor = gl_Color; \n",
    "   gl_FrontColor = vec4(1.0, 1.0, 1.0, 1.0); \n",
};

const ColourLines kHlslColour = {
    "\tfloat3 light = normalize(objSpaceLight.xyz - (iPosition.xyz * objSpaceLight.w)); \n"
    "\tfloat diffuseFactor = max(dot(normal, light), 0); \n",
    "oColor = (lightAmbient + diffuseFactor * lightDiffuse) * iColor; \n",
    "oColor = (lightAmbient + diffuseFactor * lightDiffuse); \n",
    "oColor = iColor; \n",
    "oColor = float4(1, 1, 1, 1); \n",
};

Ogre::String glslSource(const BatchPage::ShaderLayout& layout) {
  Ogre::String s = "uniform float fadeGap;        \nuniform float invisibleDist;   \n";
  if (layout.lit) s += "uniform vec4 objSpaceLight;   \nuniform vec4 lightDiffuse;\t   \nuniform vec4 lightAmbient;\t   \n";
  if (layout.fade) s += "uniform vec3 camPos;          \n";
  s += "void main() \n{ \n" + colourLines(layout.lit, layout.colour, kGlslColour);
  if (layout.fade)
    s += "   float dist = distance(camPos.xz, gl_Vertex.xz);\t\n"
         "   gl_FrontColor.a *= (invisibleDist - dist) / fadeGap;   \n";
  for (size_t t = 0; t < layout.texCoords.size(); ++t) {
    const Ogre::String n = std::to_string(t);
    s += "   gl_TexCoord[" + n + "] = gl_MultiTexCoord" + n + ";\t\n";
  }
  s += "   gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;  \n   gl_FogFragCoord = gl_Position.z; \n}";
  return s;
}

Ogre::String hlslSource(const BatchPage::ShaderLayout& layout) {
  Ogre::String s =
      "void main( \n\tfloat4 iPosition : POSITION, \n\tfloat3 normal    : NORMAL,\t\n"
      "\tout float4 oPosition : POSITION, \n";
  if (layout.colour) s += "\tfloat4 iColor    : COLOR, \n";
  for (size_t t = 0; t < layout.texCoords.size(); ++t) {
    const Ogre::String n = std::to_string(t), type = hlslType(layout.texCoords[t].second);
    s += "\t" + type + " iUV" + n + "\t\t\t: TEXCOORD" + n + ",\t\n\tout " + type + " oUV" + n + "\t\t: TEXCOORD" + n +
         ",\t\n";
  }
  s += "\tout float oFog : FOG,\t\n\tout float4 oColor : COLOR, \n";
  if (layout.lit)
    s += "\tuniform float4 objSpaceLight,\t\n\tuniform float4 lightDiffuse,\t\n\tuniform float4 lightAmbient,\t\n";
  if (layout.fade) s += "\tuniform float3 camPos, \n";
  s += "\tuniform float4x4 worldViewProj,\t\n\tuniform float fadeGap, \n   uniform float invisibleDist )\n{\t\n";
  s += colourLines(layout.lit, layout.colour, kHlslColour);
  if (layout.fade)
    s += "\tfloat dist = distance(camPos.xz, iPosition.xz);\t\n\toColor.a *= (invisibleDist - dist) / fadeGap;   \n";
  for (size_t t = 0; t < layout.texCoords.size(); ++t) {
    const Ogre::String n = std::to_string(t);
    s += "\toUV" + n + " = iUV" + n + ";\t\n";
  }
  s += "\toPosition = mul(worldViewProj, iPosition);  \n\toFog = oPosition.z; \n}";
  return s;
}

}  // namespace

int lodLevelOf(const Ogre::Any& data) { return data.has_value() ? Ogre::any_cast<int>(data) : 0; }

BatchPage::~BatchPage() { delete mBatch; }

void BatchPage::init(PagedVegetation* vegetation, const Ogre::Any& data) {
  const int lod = lodLevelOf(data);
  initPage(vegetation, lod, new BatchedGeometry(vegetation->getSceneManager(), vegetation->getSceneNode()),
           vegetation->getShadersEnabled());
}

void BatchPage::initPage(PagedVegetation* vegetation, int lodLevel, BatchedGeometry* batch, bool shadersWanted) {
  mGeom = vegetation;
  mLODLevel = lodLevel;
  mBatch = batch;
  mFadeEnabled = false;
  mShadersSupported = shadersWanted && RenderQueries::get().hasVertexPrograms();
}

void BatchPage::addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                          const Ogre::Vector3& scale, const Ogre::ColourValue& colour) {
  const size_t levels = ent->getNumManualLodLevels();
  if (mLODLevel > 0 && levels > 0) ent = ent->getManualLodLevel(std::min(size_t(mLODLevel), levels) - 1);
  mBatch->addEntity(ent, position, rotation, scale, colour);
}

void BatchPage::build() {
  // The vegetation's scene of now: it may have got its camera, and so its scene, after the page was made.
  mBatch->setScene(mGeom->getSceneManager(), mGeom->getSceneNode());
  mBatch->build();
  for (auto it = mBatch->getSubBatchIterator(); it.hasMoreElements();) {
    const Ogre::MaterialPtr& material = it.getNext()->getMaterial();
    // Passes without a program of their own lose their specular, which the
    // generated programs do not compute.
    for (Ogre::Technique* technique : material->getTechniques())
      for (Ogre::Pass* pass : technique->getPasses())
        if (!pass->hasVertexProgram()) pass->setSpecular(0, 0, 0, 1);
    mUnfadedMaterials.push_back(material);
  }
  _updateShaders();
}

void BatchPage::removeEntities() {
  mBatch->clear();
  mUnfadedMaterials.clear();
  mFadeEnabled = false;
}

void BatchPage::setVisible(bool visible) { mBatch->setVisible(visible); }

const Ogre::AxisAlignedBox& BatchPage::getBoundingBox() { return mBatch->getBoundingBox(); }

void BatchPage::setFade(bool enabled, Ogre::Real visibleDist, Ogre::Real invisibleDist) {
  if (!mShadersSupported || mFadeEnabled == enabled) return;
  mFadeEnabled = enabled;
  // Fading pages draw after the opaque ones.
  mBatch->setRenderQueueGroup(enabled ? fadeQueue() : Ogre::uint8(Ogre::RENDER_QUEUE_MAIN));
  mVisibleDist = visibleDist;
  mInvisibleDist = invisibleDist;
  _updateShaders();
}

Ogre::uint8 BatchPage::fadeQueue() const { return mGeom->getRenderQueue(); }

BatchPage::ShaderLayout BatchPage::layoutOf(const Ogre::VertexDeclaration* decl,
                                            const Ogre::MaterialPtr& material) const {
  ShaderLayout layout;
  layout.wind = windProgram();
  layout.fade = mFadeEnabled;
  for (Ogre::Technique* technique : material->getTechniques())
    for (Ogre::Pass* pass : technique->getPasses())
      if (pass->getLightingEnabled()) layout.lit = true;
  layout.colour = decl->findElementBySemantic(Ogre::VES_DIFFUSE) != nullptr;
  for (const Ogre::VertexElement& e : decl->getElements())
    if (e.getSemantic() == Ogre::VES_TEXTURE_COORDINATES) layout.texCoords.emplace_back(e.getIndex(), e.getType());
  return layout;
}

Ogre::String BatchPage::programName(const ShaderLayout& layout) {
  Ogre::String name = "BatchPage_";
  // A wind program reads its last two coordinates as wind data: without the
  // mark it would share a name with a plain program of the same digits.
  if (layout.wind) name += "wind_";
  if (layout.fade) name += "fade_";
  if (layout.lit) name += "lit_";
  if (layout.colour) name += "clr_";
  for (const auto& texCoord : layout.texCoords) name += sizeDigit(texCoord.second) + "_";
  return name + "vp";
}

Ogre::String BatchPage::materialName(const Ogre::String& source, const Ogre::String& program, bool fade,
                                     float visibleDist, float invisibleDist) {
  // The program is in the name: sub-batches of one material but different
  // layouts each get a copy that runs the program written for them.
  Ogre::String name = "BatchMat|" + source + "|" + program + "|";
  if (fade) name += floatName(visibleDist) + "|" + floatName(invisibleDist) + "|";
  return name;
}

Ogre::String BatchPage::programSource(const ShaderLayout& layout, const Ogre::String& language) {
  return language == "glsl" ? glslSource(layout) : hlslSource(layout);
}

void BatchPage::setPassConstants(Ogre::Pass* pass, const ShaderLayout& layout, const Ogre::String& language) const {
  Ogre::GpuProgramParametersSharedPtr params = pass->getVertexProgramParameters();
  if (layout.lit) {
    params->setNamedAutoConstant("objSpaceLight", Ogre::GpuProgramParameters::ACT_LIGHT_POSITION_OBJECT_SPACE);
    params->setNamedAutoConstant("lightDiffuse", Ogre::GpuProgramParameters::ACT_DERIVED_LIGHT_DIFFUSE_COLOUR);
    params->setNamedAutoConstant("lightAmbient", Ogre::GpuProgramParameters::ACT_DERIVED_AMBIENT_LIGHT_COLOUR);
  }
  if (layout.wind) params->setNamedConstantFromTime("time", 1.0f);
  bindWorldViewProj(*params, language);
  if (layout.fade) {
    params->setNamedAutoConstant("camPos", Ogre::GpuProgramParameters::ACT_CAMERA_POSITION_OBJECT_SPACE);
    bindCustomConstants(*params, {"invisibleDist", "fadeGap"});
    params->setNamedConstant("invisibleDist", mInvisibleDist);
    params->setNamedConstant("fadeGap", mInvisibleDist - mVisibleDist);
    if (pass->getAlphaRejectFunction() == Ogre::CMPF_ALWAYS_PASS) pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
  }
}

void BatchPage::throwTransitionError() {
  OGRE_EXCEPT(Ogre::Exception::ERR_INTERNAL_ERROR, kTransitionError, "BatchPage::_updateShaders()");
}

void BatchPage::configurePass(Ogre::Pass* pass, const ShaderLayout& layout, const Ogre::String& language) const {
  try {
    setPassConstants(pass, layout, language);
  } catch (...) {
    throwTransitionError();
  }
}

void BatchPage::_updateShaders() {
  if (!mShadersSupported) return;
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  const Ogre::String language = RenderQueries::get().programLanguage();
  size_t i = 0;
  for (auto it = mBatch->getSubBatchIterator(); it.hasMoreElements(); ++i) {
    BatchedGeometry::SubBatch* sub = it.getNext();
    const Ogre::MaterialPtr& base = mUnfadedMaterials[i];
    const ShaderLayout layout = layoutOf(sub->vertexData->vertexDeclaration, base);
    const Ogre::String program = programName(layout);
    ensureVertexProgram(program, language, generatedSource(layout, language), "main");

    const Ogre::String name = materialName(base->getName(), program, mFadeEnabled, mVisibleDist, mInvisibleDist);
    Ogre::MaterialPtr material = materials.getByName(name);
    if (!material) {
      material = base->clone(name);
      for (Ogre::Technique* technique : material->getTechniques()) {
        for (Ogre::Pass* pass : technique->getPasses()) {
          if (!pass->hasVertexProgram()) pass->setVertexProgram(program, true);
          configurePass(pass, layout, language);
        }
      }
    }
    sub->setMaterial(material);
  }
}

}  // namespace Verdure
