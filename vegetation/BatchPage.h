#pragma once
// A page type that draws all of a page's entities as one BatchedGeometry
// and, where the generated vertex programs run, fades in and out with the
// camera distance. The program of each merged mesh is written from its
// vertex layout, lighting and fade state, and named after all three, so
// merged meshes alike share one program; the faded materials are copies
// named after their source material, program and fade distances.
#include "vegetation/GeometryPage.h"

#include <OgreHardwareVertexBuffer.h>
#include <OgreMaterial.h>

#include <utility>
#include <vector>

namespace Verdure {

class BatchedGeometry;

class BatchPage : public GeometryPage {
 public:
  // What shapes a generated program.
  struct ShaderLayout {
    bool wind = false;
    bool fade = false;
    bool lit = false;
    bool colour = false;
    // Texture coordinate index and type, in declaration order.
    std::vector<std::pair<unsigned short, Ogre::VertexElementType>> texCoords;
  };

  BatchPage() = default;
  ~BatchPage() override;

  void init(PagedVegetation* vegetation, const Ogre::Any& data) override;
  void addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                 const Ogre::Vector3& scale, const Ogre::ColourValue& colour) override;
  void build() override;
  void removeEntities() override;
  // Only where the generated programs run; a switch to the current state
  // changes nothing, not even the distances.
  void setFade(bool enabled, Ogre::Real visibleDist, Ogre::Real invisibleDist) override;
  void setVisible(bool visible) override;
  // The batch's bounds, which it keeps itself.
  const Ogre::AxisAlignedBox& getBoundingBox() override;
  void clearBoundingBox() override {}

  BatchedGeometry* getBatch() const { return mBatch; }
  bool getFadeEnabled() const { return mFadeEnabled; }
  bool getShadersUsable() const { return mShadersSupported; }

  // "BatchPage_", then "wind_", "fade_", "lit_", "clr_" as they apply,
  // a size digit and "_" per texture coordinate, and "vp".
  static Ogre::String programName(const ShaderLayout& layout);
  // "BatchMat|" + source material + "|" + program + "|", and when fading
  // the two distances, each followed by "|".
  static Ogre::String materialName(const Ogre::String& source, const Ogre::String& program, bool fade,
                                   float visibleDist, float invisibleDist);
  // The source of a plain batch page program in the language: GLSL for
  // "glsl", else the one text that serves HLSL and Cg (entry point "main").
  // Texture coordinates are numbered in declaration order from 0.
  static Ogre::String programSource(const ShaderLayout& layout, const Ogre::String& language);

 protected:
  // Takes the page's batch (owned). shadersWanted: whether the page may use
  // generated programs (a batch page asks the paged vegetation's shaders
  // flag, a wind page does not); they also need a render system that runs
  // them.
  void initPage(PagedVegetation* vegetation, int lodLevel, BatchedGeometry* batch, bool shadersWanted);
  // Installs the generated programs and materials for the fade state.
  virtual void _updateShaders();
  // The layout of a merged mesh and the lighting of its material.
  ShaderLayout layoutOf(const Ogre::VertexDeclaration* decl, const Ogre::MaterialPtr& material) const;
  virtual bool windProgram() const { return false; }
  // The render queue of a fading page.
  virtual Ogre::uint8 fadeQueue() const;
  virtual Ogre::String generatedSource(const ShaderLayout& layout, const Ogre::String& language) const {
    return programSource(layout, language);
  }
  // Sets the constants of a pass of a fresh material; a failure stops the
  // update with an engine exception.
  virtual void configurePass(Ogre::Pass* pass, const ShaderLayout& layout, const Ogre::String& language) const;
  // The constants the generated programs read, on the pass's own program.
  void setPassConstants(Ogre::Pass* pass, const ShaderLayout& layout, const Ogre::String& language) const;
  [[noreturn]] static void throwTransitionError();

  bool mFadeEnabled = false;
  bool mShadersSupported = false;
  Ogre::Real mVisibleDist = 0, mInvisibleDist = 0;
  std::vector<Ogre::MaterialPtr> mUnfadedMaterials;
  BatchedGeometry* mBatch = nullptr;
  int mLODLevel = 0;
  PagedVegetation* mGeom = nullptr;
};

// The manual level of detail a page's data asks for (0 when empty).
int lodLevelOf(const Ogre::Any& data);

}  // namespace Verdure
