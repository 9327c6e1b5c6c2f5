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

  // The GLSL source of a wind page program: the last two texture
  // coordinates of the layout are the wind parameters and the origin.
  static Ogre::String programSource(const ShaderLayout& layout);

 protected:
  bool windProgram() const override { return true; }
  Ogre::String generatedSource(const ShaderLayout& layout) const override { return programSource(layout); }
  void configurePass(Ogre::Pass* pass, const ShaderLayout& layout) const override;
};

}  // namespace Verdure
