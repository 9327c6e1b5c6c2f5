#pragma once
// The batch page whose vertices sway: its geometry is a WindBatchedGeometry
// and its generated programs move every vertex sideways and up and down
// with a sine of the engine time, by the wind data of the vertex. A pass
// whose constants cannot be set costs one line in "exception.log" and the
// page goes on.
#include "vegetation/BatchPage.h"

namespace Verdure {

class WindBatchPage : public BatchPage {
 public:
  // Programs are generated wherever they run, whatever the paged
  // vegetation's shaders flag says; fading pages draw in queue 60, whatever
  // its render queue.
  void init(PagedVegetation* vegetation, const Ogre::Any& data) override;

  // The source of a wind page program in the language (GLSL for "glsl",
  // else the one HLSL and Cg text): the texture coordinates of the two
  // highest indices are the wind parameters and the origin; the others are
  // passed on, numbered in declaration order from 0.
  static Ogre::String programSource(const ShaderLayout& layout, const Ogre::String& language);

 protected:
  bool windProgram() const override { return true; }
  // The vegetation is the batch's, not the page's: a fading wind page draws
  // in queue 60 whatever the vegetation's render queue.
  Ogre::uint8 fadeQueue() const override { return 60; }
  Ogre::String generatedSource(const ShaderLayout& layout, const Ogre::String& language) const override {
    return programSource(layout, language);
  }
  void configurePass(Ogre::Pass* pass, const ShaderLayout& layout, const Ogre::String& language) const override;
};

}  // namespace Verdure
