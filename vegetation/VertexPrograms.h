#pragma once
// The vertex programs the vegetation writes at run time, and the shader
// constants of its generated materials.
#include <OgreGpuProgramParams.h>
#include <OgrePrerequisites.h>

#include <sstream>

namespace Verdure {

// Makes a GLSL vertex program of that name from the source, unless one
// exists; equal requests share one program.
void ensureVertexProgram(const Ogre::String& name, const Ogre::String& source);

// A float as the standard stream writes it ("40", "42.5"), for the names
// of generated materials.
Ogre::String floatName(float value);

}  // namespace Verdure
