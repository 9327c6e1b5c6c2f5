#include "vegetation/RenderQueries.h"

#include <OgreRenderSystem.h>
#include <OgreRenderSystemCapabilities.h>
#include <OgreRoot.h>

namespace Verdure {

namespace {

const RenderQueries* gInstalled = nullptr;

Ogre::RenderSystem* activeRenderSystem() {
  Ogre::Root* root = Ogre::Root::getSingletonPtr();
  return root ? root->getRenderSystem() : nullptr;
}

}  // namespace

bool RenderQueries::hasVertexPrograms() const {
  Ogre::RenderSystem* system = activeRenderSystem();
  const Ogre::RenderSystemCapabilities* caps = system ? system->getCapabilities() : nullptr;
  return caps && caps->hasCapability(Ogre::RSC_VERTEX_PROGRAM);
}

const Ogre::String& RenderQueries::getName() const {
  Ogre::RenderSystem* system = activeRenderSystem();
  return system ? system->getName() : Ogre::BLANKSTRING;
}

Ogre::VertexElementType RenderQueries::getColourVertexType() const {
  // Only Direct3D 9 keeps its colours as ARGB.
  return getName() == "Direct3D9 Rendering Subsystem" ? Ogre::VET_COLOUR_ARGB : Ogre::VET_COLOUR_ABGR;
}

const RenderQueries& RenderQueries::get() {
  static const RenderQueries engine;
  return gInstalled ? *gInstalled : engine;
}

const RenderQueries* RenderQueries::set(const RenderQueries* queries) {
  const RenderQueries* previous = gInstalled;
  gInstalled = queries;
  return previous;
}

Ogre::String RenderQueries::programLanguage() const {
  const Ogre::String& name = getName();
  if (name == "Direct3D9 Rendering Subsystem") return "hlsl";
  return name == "OpenGL Rendering Subsystem" ? "glsl" : "cg";
}

}  // namespace Verdure
