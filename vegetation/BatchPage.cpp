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
const char* sizeDigit(Ogre::VertexElementType type) {
  switch (type) {
    case Ogre::VET_FLOAT1:
      return "1";
    case Ogre::VET_FLOAT2:
      return "2";
    case Ogre::VET_FLOAT3:
      return "3";
    case Ogre::VET_FLOAT4:
      return "4";
    default:
      return "";
  }
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
  mSceneMgr = vegetation->getSceneManager();
  mBatch = batch;
  mFadeEnabled = false;
  mShadersSupported = shadersWanted && RenderQueries::get().runsGeneratedPrograms();
}

void BatchPage::addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                          const Ogre::Vector3& scale, const Ogre::ColourValue& colour) {
  const size_t levels = ent->getNumManualLodLevels();
  if (mLODLevel > 0 && levels > 0) ent = ent->getManualLodLevel(std::min(size_t(mLODLevel), levels) - 1);
  mBatch->addEntity(ent, position, rotation, scale, colour);
}

void BatchPage::build() {
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
  mBatch->setRenderQueueGroup(enabled ? (mGeom ? Ogre::uint8(mGeom->getRenderQueue()) : Ogre::uint8(60))
                                      : Ogre::uint8(Ogre::RENDER_QUEUE_MAIN));
  mVisibleDist = visibleDist;
  mInvisibleDist = invisibleDist;
  _updateShaders();
}

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
  if (layout.wind) name += "wind_";
  if (layout.fade) name += "fade_";
  if (layout.lit) name += "lit_";
  if (layout.colour) name += "clr_";
  for (const auto& texCoord : layout.texCoords) name += Ogre::String(sizeDigit(texCoord.second)) + "_";
  return name + "vp";
}

Ogre::String BatchPage::materialName(const Ogre::String& source, const Ogre::String& program, bool fade,
                                     float visibleDist, float invisibleDist) {
  Ogre::String name = "BatchMat|" + source + "|" + program + "|";
  if (fade) name += floatName(visibleDist) + "|" + floatName(invisibleDist) + "|";
  return name;
}

Ogre::String BatchPage::programSource(const ShaderLayout& layout) {
  Ogre::String s = "uniform float fadeGap;        \nuniform float invisibleDist;   \n";
  if (layout.lit) s += "uniform vec4 objSpaceLight;   \nuniform vec4 lightDiffuse;\t   \nuniform vec4 lightAmbient;\t   \n";
  if (layout.fade) s += "uniform vec3 camPos;          \n";
  s += "void main() \n{ \n" + colourSource(layout, "   ");
  for (const auto& texCoord : layout.texCoords) {
    const Ogre::String t = std::to_string(texCoord.first);
    s += "   gl_TexCoord[" + t + "] = gl_MultiTexCoord" + t + ";\t\n";
  }
  s += "   gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;  \n   gl_FogFragCoord = gl_Position.z; \n}";
  return s;
}

Ogre::String BatchPage::colourSource(const ShaderLayout& layout, const Ogre::String& indent) {
  Ogre::String s;
  if (layout.lit) {
    s += indent + "vec3 light = normalize(objSpaceLight.xyz - (gl_Vertex.xyz * objSpaceLight.w)); \n" + indent +
         "float diffuseFactor = max(dot(gl_Normal, light), 0.0); \n" + indent;
    s += layout.colour ? "gl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse) * gl_Color; \n"
                       : "gl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse); \n";
  } else {
    s += indent + (layout.colour ? "gl_FrontColor = gl_Color; \n" : "gl_FrontColor = vec4(1.0, 1.0, 1.0, 1.0); \n");
  }
  if (layout.fade)
    s += indent + "float dist = distance(camPos.xz, gl_Vertex.xz);\t\n" + indent +
         "gl_FrontColor.a *= (invisibleDist - dist) / fadeGap; \n";
  return s;
}

void BatchPage::setPassConstants(Ogre::Pass* pass, const ShaderLayout& layout) const {
  Ogre::GpuProgramParametersSharedPtr params = pass->getVertexProgramParameters();
  if (layout.lit) {
    params->setNamedAutoConstant("objSpaceLight", Ogre::GpuProgramParameters::ACT_LIGHT_POSITION_OBJECT_SPACE);
    params->setNamedAutoConstant("lightDiffuse", Ogre::GpuProgramParameters::ACT_DERIVED_LIGHT_DIFFUSE_COLOUR);
    params->setNamedAutoConstant("lightAmbient", Ogre::GpuProgramParameters::ACT_DERIVED_AMBIENT_LIGHT_COLOUR);
  }
  if (layout.wind) params->setNamedConstantFromTime("time", 1.0f);
  if (layout.fade) {
    params->setNamedAutoConstant("camPos", Ogre::GpuProgramParameters::ACT_CAMERA_POSITION_OBJECT_SPACE);
    params->setNamedConstant("invisibleDist", mInvisibleDist);
    params->setNamedConstant("fadeGap", mInvisibleDist - mVisibleDist);
    if (pass->getAlphaRejectFunction() == Ogre::CMPF_ALWAYS_PASS) pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
  }
}

void BatchPage::throwTransitionError() {
  OGRE_EXCEPT(Ogre::Exception::ERR_INTERNAL_ERROR, kTransitionError, "BatchPage::_updateShaders()");
}

void BatchPage::configurePass(Ogre::Pass* pass, const ShaderLayout& layout) const {
  try {
    setPassConstants(pass, layout);
  } catch (...) {
    throwTransitionError();
  }
}

void BatchPage::_updateShaders() {
  if (!mShadersSupported) return;
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  size_t i = 0;
  for (auto it = mBatch->getSubBatchIterator(); it.hasMoreElements(); ++i) {
    BatchedGeometry::SubBatch* sub = it.getNext();
    const Ogre::MaterialPtr& base = mUnfadedMaterials[i];
    const ShaderLayout layout = layoutOf(sub->vertexData->vertexDeclaration, base);
    const Ogre::String program = programName(layout);
    ensureVertexProgram(program, generatedSource(layout));

    const Ogre::String name = materialName(base->getName(), program, mFadeEnabled, mVisibleDist, mInvisibleDist);
    Ogre::MaterialPtr material = materials.getByName(name);
    if (!material) {
      material = base->clone(name);
      for (Ogre::Technique* technique : material->getTechniques()) {
        for (Ogre::Pass* pass : technique->getPasses()) {
          if (!pass->hasVertexProgram()) pass->setVertexProgram(program, true);
          configurePass(pass, layout);
        }
      }
    }
    sub->setMaterial(material);
  }
}

}  // namespace Verdure
