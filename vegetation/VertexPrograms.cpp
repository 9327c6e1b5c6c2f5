#include "vegetation/VertexPrograms.h"

#include <OgreHighLevelGpuProgram.h>
#include <OgreHighLevelGpuProgramManager.h>
#include <OgreResourceGroupManager.h>

namespace Verdure {

void ensureVertexProgram(const Ogre::String& name, const Ogre::String& language, const Ogre::String& source,
                         const Ogre::String& entryPoint) {
  Ogre::HighLevelGpuProgramManager& programs = Ogre::HighLevelGpuProgramManager::getSingleton();
  if (programs.getByName(name)) return;
  Ogre::HighLevelGpuProgramPtr program = programs.createProgram(
      name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, language, Ogre::GPT_VERTEX_PROGRAM);
  program->setSource(source);
  if (language == "hlsl") {
    program->setParameter("target", "vs_1_1");
    program->setParameter("entry_point", entryPoint);
  } else if (language == "cg") {
    program->setParameter("profiles", "vs_1_1 arbvp1");
    program->setParameter("entry_point", entryPoint);
  }
  program->load();
}

void bindWorldViewProj(Ogre::GpuProgramParameters& params, const Ogre::String& language) {
  if (language != "glsl")
    params.setNamedAutoConstant("worldViewProj", Ogre::GpuProgramParameters::ACT_WORLDVIEWPROJ_MATRIX);
}

void bindCustomConstants(Ogre::GpuProgramParameters& params, std::initializer_list<const char*> names) {
  // The engine lists an array's elements past the first only on request: a
  // name it does not list is left unbound.
  for (const char* name : names)
    if (params._findNamedConstantDefinition(name))
      params.setNamedAutoConstant(name, Ogre::GpuProgramParameters::ACT_CUSTOM, 0);
}

const char* hlslType(Ogre::VertexElementType type) {
  switch (type) {
    case Ogre::VET_FLOAT1:
      return "float";
    case Ogre::VET_FLOAT2:
      return "float2";
    case Ogre::VET_FLOAT3:
      return "float3";
    case Ogre::VET_FLOAT4:
      return "float4";
    default:
      return "";
  }
}

Ogre::String colourLines(bool lit, bool colour, const ColourLines& lines) {
  if (lit) return Ogre::String(lines.light) + (colour ? lines.litColour : lines.litWhite);
  return colour ? lines.colour : lines.white;
}

Ogre::String floatName(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace Verdure
