#include "vegetation/VertexPrograms.h"

#include <OgreHighLevelGpuProgram.h>
#include <OgreHighLevelGpuProgramManager.h>
#include <OgreResourceGroupManager.h>

namespace Verdure {

void ensureVertexProgram(const Ogre::String& name, const Ogre::String& source) {
  Ogre::HighLevelGpuProgramManager& programs = Ogre::HighLevelGpuProgramManager::getSingleton();
  if (programs.getByName(name)) return;
  Ogre::HighLevelGpuProgramPtr program = programs.createProgram(
      name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, "glsl", Ogre::GPT_VERTEX_PROGRAM);
  program->setSource(source);
  program->load();
}

Ogre::String floatName(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace Verdure
