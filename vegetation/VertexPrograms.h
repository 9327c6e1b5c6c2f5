#pragma once
// The vertex programs the vegetation writes at run time, and the shader
// constants of its generated materials.
#include <OgreGpuProgramParams.h>
#include <OgreHardwareVertexBuffer.h>
#include <OgrePrerequisites.h>

#include <initializer_list>
#include <sstream>

namespace Verdure {

// Makes a vertex program of that name in the language ("glsl", "hlsl" or
// "cg") from the source, unless one exists; equal requests share one
// program. HLSL and Cg programs start at the entry point.
void ensureVertexProgram(const Ogre::String& name, const Ogre::String& language, const Ogre::String& source,
                         const Ogre::String& entryPoint);

// HLSL and Cg programs take their projection as the constant
// "worldViewProj"; GLSL ones read the fixed-function matrix.
void bindWorldViewProj(Ogre::GpuProgramParameters& params, const Ogre::String& language);

// Binds each named constant the program declares to custom parameter 0 of
// the renderable drawn, as the generated materials have always done. Our
// renderables carry no custom parameters, so the values the pages and sets
// write into these constants are what the program reads.
void bindCustomConstants(Ogre::GpuProgramParameters& params, std::initializer_list<const char*> names);

// The HLSL and Cg type of a texture coordinate: "float" to "float4" for one
// to four floats, empty for any other type.
const char* hlslType(Ogre::VertexElementType type);

// The lines of a generated program that colour its vertex, in one
// language's words: the light terms and then the colour when lit, the
// colour alone when not, from the vertex colour or white.
struct ColourLines {
  const char* light;
  const char* litColour;
  const char* litWhite;
  const char* colour;
  const char* white;
};
Ogre::String colourLines(bool lit, bool colour, const ColourLines& lines);

// A float as the standard stream writes it ("40", "42.5"), for the names
// of generated materials.
Ogre::String floatName(float value);

}  // namespace Verdure
