#include "vegetation/WindBatchPage.h"

#include "vegetation/PagedVegetation.h"
#include "vegetation/VertexPrograms.h"
#include "vegetation/WindBatchedGeometry.h"

#include <OgreException.h>

#include <algorithm>
#include <fstream>

namespace Verdure {

namespace {

const ColourLines kGlslColour = {
    "\tvec3 light = normalize(objSpaceLight.xyz - (gl_Vertex.xyz * objSpaceLight.w)); \n"
    "\tfloat diffuseFactor = max(dot(gl_Normal.xyz, light), 0.0); \n",
    "\tgl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse) * gl_Color; \n",
    "\tgl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse); \n",
    "\tgl_FrontColor = gl_Color; \n",
    "\tgl_FrontColor = vec4(1.0, 1.0, 1.0, 1.0); \n",
};

const ColourLines kHlslColour = {
    "\tfloat3 light = normalize(objSpaceLight.xyz - (iPosition.xyz * objSpaceLight.w)); \n"
    "\tfloat diffuseFactor = max(dot(normal, light), 0); \n",
    "\toColor = (lightAmbient + diffuseFactor * lightDiffuse) * iColor; \n",
    "\toColor = (lightAmbient + diffuseFactor * lightDiffuse); \n",
    "\toColor = iColor; \n",
    "\toColor = float4(1, 1, 1, 1); \n",
};

// The wind moves the vertex from its parameters and its entity's origin.
const char* const kGlslWind =
    "\tfloat radiusCoeff = params.x; \n\tfloat heightCoeff = params.y; \n\tfloat factorX = params.z; \n"
    "\tfloat factorY = params.w; \n\tvec4 tmpPos = gl_Vertex; \n"
    "\ttmpPos.y += sin(time + originPos.z + tmpPos.y + tmpPos.x) * radiusCoeff * radiusCoeff * factorY; \n"
    "\ttmpPos.x += sin(time + originPos.z ) * heightCoeff * heightCoeff * factorX; \n"
    "\tgl_Position = gl_ModelViewProjectionMatrix * tmpPos; \n\tgl_FogFragCoord = gl_Position.z; \n}";

const char* const kHlslWind =
    "\tfloat radiusCoeff = params.x; \n\tfloat heightCoeff = params.y; \n\tfloat factorX = params.z; \n"
    "\tfloat factorY = params.w; \n\tfloat4 tmpPos = iPosition; \n"
    "\ttmpPos.y += sin(time + originPos.z + tmpPos.y + tmpPos.x) * radiusCoeff * radiusCoeff * factorY; \n"
    "\ttmpPos.x += sin(time + originPos.z ) * heightCoeff * heightCoeff * factorX ; \n"
    "\toPosition = mul(worldViewProj, tmpPos); \n\toFog = oPosition.z; \n}";

// The texture coordinates of a wind layout, in declaration order: the wind
// data are those of the two highest indices, where the wind geometry puts
// them; the others are numbered from 0.
struct WindCoordinate {
  enum Role { PASSED, PARAMS, ORIGIN } role;
  Ogre::String index;  // the element's own index for the wind data, else its number
  Ogre::String type;   // HLSL
};

std::vector<WindCoordinate> windCoordinates(const BatchPage::ShaderLayout& layout) {
  std::vector<unsigned short> indices;
  for (const auto& texCoord : layout.texCoords) indices.push_back(texCoord.first);
  std::sort(indices.begin(), indices.end());
  const int params = indices.size() >= 2 ? indices[indices.size() - 2] : -1;
  const int origin = indices.empty() ? -1 : indices.back();
  std::vector<WindCoordinate> coordinates;
  int passed = 0;
  for (const auto& [index, type] : layout.texCoords) {
    const WindCoordinate::Role role =
        index == params ? WindCoordinate::PARAMS : index == origin ? WindCoordinate::ORIGIN : WindCoordinate::PASSED;
    coordinates.push_back({role, std::to_string(role == WindCoordinate::PASSED ? passed++ : index), hlslType(type)});
  }
  return coordinates;
}

Ogre::String glslSource(const BatchPage::ShaderLayout& layout) {
  Ogre::String s;
  if (layout.lit) s += "uniform vec4 objSpaceLight; \nuniform vec4 lightDiffuse; \nuniform vec4 lightAmbient; \n";
  if (layout.fade) s += "uniform vec3 camPos; \nuniform float fadeGap; \nuniform float invisibleDist; \n";
  s += "uniform float time; \nvoid main() \n{ \n";
  for (const WindCoordinate& c : windCoordinates(layout)) {
    switch (c.role) {
      case WindCoordinate::PARAMS:
        s += "\tvec4 params = gl_MultiTexCoord" + c.index + "; \n";
        break;
      case WindCoordinate::ORIGIN:
        s += "\tvec4 originPos = gl_MultiTexCoord" + c.index + "; \n";
        break;
      case WindCoordinate::PASSED:
        s += "\tgl_TexCoord[" + c.index + "]\t= gl_MultiTexCoord" + c.index + "; \n";
        break;
    }
  }
  s += colourLines(layout.lit, layout.colour, kGlslColour);
  if (layout.fade)
    s += "\tfloat dist = distance(camPos.xz, gl_Vertex.xz);\t\n\tgl_FrontColor.a *= (invisibleDist - dist) / fadeGap; \n";
  return s + kGlslWind;
}

Ogre::String hlslSource(const BatchPage::ShaderLayout& layout) {
  Ogre::String s =
      "void main( \n\tfloat4 iPosition : POSITION, \n\tfloat3 normal\t : NORMAL, \n\tout float4 oPosition : POSITION, \n";
  if (layout.colour) s += "\tfloat4 iColor\t : COLOR, \n";
  int passed = 0;
  for (const WindCoordinate& c : windCoordinates(layout)) {
    switch (c.role) {
      case WindCoordinate::PARAMS:
        s += "\tfloat4 params \t: TEXCOORD" + c.index + ", \n";
        break;
      case WindCoordinate::ORIGIN:
        s += "\tfloat4 originPos \t: TEXCOORD" + c.index + ", \n";
        break;
      case WindCoordinate::PASSED:
        s += "\t" + c.type + " iUV" + c.index + "\t\t\t: TEXCOORD" + c.index + ", \n\tout " + c.type + " oUV" + c.index +
             "\t\t: TEXCOORD" + c.index + ", \n";
        ++passed;
        break;
    }
  }
  s += "\tout float oFog : FOG, \n\tout float4 oColor : COLOR, \n";
  if (layout.lit) s += "\tuniform float4 objSpaceLight, \n\tuniform float4 lightDiffuse, \n\tuniform float4 lightAmbient, \n";
  if (layout.fade) s += "\tuniform float3 camPos, \n\tuniform float fadeGap, \n\tuniform float invisibleDist, \n";
  s += "\tuniform float4x4 worldViewProj,\n\tuniform float time) \n {\t\n";
  s += colourLines(layout.lit, layout.colour, kHlslColour);
  if (layout.fade)
    s += "\tfloat dist = distance(camPos.xz, iPosition.xz); \n\toColor.a *= (invisibleDist - dist) / fadeGap; \n";
  for (int t = 0; t < passed; ++t) s += "\toUV" + std::to_string(t) + " = iUV" + std::to_string(t) + "; \n";
  return s + kHlslWind;
}

}  // namespace

void WindBatchPage::init(PagedVegetation* vegetation, const Ogre::Any& data) {
  const int lod = lodLevelOf(data);
  auto* batch = new WindBatchedGeometry(vegetation->getSceneManager(), vegetation->getSceneNode());
  batch->setPagedVegetation(vegetation);
  initPage(vegetation, lod, batch, true);
}

Ogre::String WindBatchPage::programSource(const ShaderLayout& layout, const Ogre::String& language) {
  return language == "glsl" ? glslSource(layout) : hlslSource(layout);
}

void WindBatchPage::configurePass(Ogre::Pass* pass, const ShaderLayout& layout, const Ogre::String& language) const {
  try {
    setPassConstants(pass, layout, language);
  } catch (const Ogre::Exception& e) {
    // The page goes on; the file holds the last failure only.
    std::ofstream("exception.log", std::ios::out | std::ios::trunc) << e.getDescription();
  } catch (...) {
    throwTransitionError();
  }
}

}  // namespace Verdure
