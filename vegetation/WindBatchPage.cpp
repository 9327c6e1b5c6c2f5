#include "vegetation/WindBatchPage.h"

#include "vegetation/PagedVegetation.h"
#include "vegetation/WindBatchedGeometry.h"

#include <OgreException.h>

#include <algorithm>
#include <fstream>

namespace Verdure {

void WindBatchPage::init(PagedVegetation* vegetation, const Ogre::Any& data) {
  const int lod = lodLevelOf(data);
  auto* batch = new WindBatchedGeometry(vegetation->getSceneManager(), vegetation->getSceneNode());
  batch->setPagedVegetation(vegetation);
  initPage(vegetation, lod, batch, true);
  // The vegetation is the batch's, not the page's: a fading wind page draws
  // in queue 60 whatever the vegetation's render queue.
  mGeom = nullptr;
}

Ogre::String WindBatchPage::programSource(const ShaderLayout& layout) {
  // The wind data are the two texture coordinates of the highest indices.
  std::vector<unsigned short> indices;
  for (const auto& texCoord : layout.texCoords) indices.push_back(texCoord.first);
  std::sort(indices.begin(), indices.end());
  const int params = indices.size() >= 2 ? indices[indices.size() - 2] : -1;
  const int origin = indices.empty() ? -1 : indices.back();

  Ogre::String s;
  if (layout.lit) s += "uniform vec4 objSpaceLight; \nuniform vec4 lightDiffuse; \nuniform vec4 lightAmbient; \n";
  if (layout.fade) s += "uniform vec3 camPos; \nuniform float fadeGap; \nuniform float invisibleDist; \n";
  s += "uniform float time; \nvoid main() \n{ \n";
  for (const auto& texCoord : layout.texCoords) {
    const Ogre::String t = std::to_string(texCoord.first);
    if (texCoord.first == params)
      s += "\tvec4 params = gl_MultiTexCoord" + t + "; \n";
    else if (texCoord.first == origin)
      s += "\tvec4 originPos = gl_MultiTexCoord" + t + "; \n";
    else
      s += "\tgl_TexCoord[" + t + "]\t= gl_MultiTexCoord" + t + "; \n";
  }
  s += colourSource(layout, "\t");
  s += "\tfloat radiusCoeff = params.x; \n\tfloat heightCoeff = params.y; \n\tfloat factorX = params.z; \n"
       "\tfloat factorY = params.w; \n\tvec4 tmpPos = gl_Vertex; \n"
       "\ttmpPos.y += sin(time + originPos.z + tmpPos.y + tmpPos.x) * radiusCoeff * radiusCoeff * factorY; \n"
       "\ttmpPos.x += sin(time + originPos.z ) * heightCoeff * heightCoeff * factorX; \n"
       "\tgl_Position = gl_ModelViewProjectionMatrix * tmpPos; \n\tgl_FogFragCoord = gl_Position.z; \n}";
  return s;
}

void WindBatchPage::configurePass(Ogre::Pass* pass, const ShaderLayout& layout) const {
  try {
    setPassConstants(pass, layout);
  } catch (const Ogre::Exception& e) {
    // The page goes on; the file holds the last failure only.
    std::ofstream("exception.log", std::ios::out | std::ios::trunc) << e.getDescription();
  } catch (...) {
    throwTransitionError();
  }
}

}  // namespace Verdure
