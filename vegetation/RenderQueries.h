#pragma once
// What the vegetation asks of the active render system: whether it runs
// vertex programs, its name (which picks the program language) and its
// packed vertex colour order. Everything goes through this one seam, so the
// paging and batching run (and are tested) with no render system at all.
#include <OgreHardwareVertexBuffer.h>
#include <OgrePrerequisites.h>

namespace Verdure {

class RenderQueries {
 public:
  virtual ~RenderQueries() = default;
  virtual bool hasVertexPrograms() const;
  // Empty without a render system.
  virtual const Ogre::String& getName() const;
  // VET_COLOUR_ARGB or VET_COLOUR_ABGR.
  virtual Ogre::VertexElementType getColourVertexType() const;
  // The language of the generated vertex programs, by the render system's
  // name: "hlsl" on Direct3D 9, "glsl" on OpenGL, "cg" on any other.
  Ogre::String programLanguage() const;

  // The queries in use: the engine's active render system unless a
  // replacement is installed.
  static const RenderQueries& get();
  // Installs a replacement (not owned); null goes back to the engine's.
  // Returns the replacement installed before.
  static const RenderQueries* set(const RenderQueries* queries);
};

}  // namespace Verdure
