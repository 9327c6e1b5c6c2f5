#pragma once
// Helpers of the vegetation tests: meshes of chosen vertex layouts built in
// software buffers, answers of a render system that is not there, and a
// page type that records what the page manager asks of it.
#include "vegetation/BatchPage.h"
#include "vegetation/GeometryPage.h"
#include "vegetation/RenderQueries.h"

#include <OgreHardwareVertexBuffer.h>
#include <OgreMesh.h>

#include <string>
#include <vector>

// A mesh's vertex layout: a position first, then what is asked, all in one
// buffer; `quads` upright quads one unit wide and `top` high, standing on
// y = 0, indexed per quad (0, 1, 2, 0, 2, 3).
struct MeshSpec {
  bool normals = true;
  bool colour = false;  // a packed ABGR diffuse of (200, 100, 50, 255)
  std::vector<Ogre::VertexElementType> texCoords = {Ogre::VET_FLOAT2};
  unsigned short firstTexCoord = 0;  // the index of the first texture coordinate set; the others follow
  bool blend = false;  // blend indices and weights after the position
  bool shared = false;
  bool index32 = false;
  size_t quads = 1;
  float top = 1;
  unsigned subMeshes = 1;  // all of the same layout and material
  std::string material = "veg_blades";
};

// Makes (or returns) the mesh of that name in "General", with its
// material, in the engine running.
Ogre::MeshPtr MakeMesh(const std::string& name, const MeshSpec& spec);

// A mesh whose one sub-mesh has `vertices` vertices (on a line) indexed by
// a triangle fan over all of them.
Ogre::MeshPtr MakeBigMesh(const std::string& name, size_t vertices);

// Lets the headless engine make GLSL, HLSL and Cg programs whose uniforms
// become their named constants and which keep their compiler settings
// (nothing is compiled), as the render systems' programs do; once per
// process.
void InstallParsedPrograms();

// A generated program's layout: wind, fade, lit, colour and the texture
// coordinates (own index, type) in declaration order.
Verdure::BatchPage::ShaderLayout MakeLayout(bool wind, bool fade, bool lit, bool colour,
                                            std::vector<std::pair<unsigned short, Ogre::VertexElementType>> texCoords);

// Makes a GLSL vertex program of the source under the name, unless one
// exists.
void MakeVertexProgram(const std::string& name, const std::string& source);

// The answers of a render system, installed while the object lives (the
// answers installed before come back after it).
class FakeRenderSystem : public Verdure::RenderQueries {
 public:
  FakeRenderSystem(bool programs = true, const Ogre::String& name = "OpenGL Rendering Subsystem",
                   Ogre::VertexElementType colour = Ogre::VET_COLOUR_ABGR);
  ~FakeRenderSystem() override;
  bool hasVertexPrograms() const override { return mPrograms; }
  const Ogre::String& getName() const override { return mName; }
  Ogre::VertexElementType getColourVertexType() const override { return mColour; }

 private:
  bool mPrograms;
  Ogre::String mName;
  Ogre::VertexElementType mColour;
  const Verdure::RenderQueries* mPrevious;
};

// Everything the page manager does to a page, counted.
class RecordingPage : public Verdure::GeometryPage {
 public:
  struct Placed {
    Ogre::Entity* entity;
    Ogre::Vector3 position;
    Ogre::Quaternion rotation;
    Ogre::Vector3 scale;
    Ogre::ColourValue colour;
  };

  void init(Verdure::PagedVegetation*, const Ogre::Any&) override { ++inits; }
  void addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                 const Ogre::Vector3& scale, const Ogre::ColourValue& colour) override {
    placed.push_back({ent, position, rotation, scale, colour});
  }
  // Entities here are keys only: no box to read.
  void addEntityToBoundingBox(Ogre::Entity*, const Ogre::Vector3&, const Ogre::Quaternion&,
                              const Ogre::Vector3&) override {}
  void build() override { ++builds; }
  void removeEntities() override {
    ++removals;
    placed.clear();
  }
  void setFade(bool enabled, Ogre::Real visibleDist, Ogre::Real invisibleDist) override {
    fades.push_back({enabled, visibleDist, invisibleDist});
  }
  void setVisible(bool visible) override { shows.push_back(visible); }
  const Ogre::AxisAlignedBox& getBoundingBox() override { return box ? *box : GeometryPage::getBoundingBox(); }

  struct Fade {
    bool enabled;
    Ogre::Real visible, invisible;
  };
  int inits = 0, builds = 0, removals = 0;
  std::vector<Placed> placed;
  std::vector<Fade> fades;
  std::vector<bool> shows;
  const Ogre::AxisAlignedBox* box = nullptr;  // the content's box, when a test sets one
};
