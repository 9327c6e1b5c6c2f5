// The generated vertex programs on the real OpenGL render system (Mesa's
// software GL under the test run's X server): every program-name variant
// of the batch and wind pages compiles, and setting their constants
// writes nothing to "exception.log". Skipped without a display.
#include "VegetationTestSupport.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"
#include "vegetation/BatchedGeometry.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/WindBatchPage.h"

#include <Ogre.h>
#include <gtest/gtest.h>


namespace {

class OpenGL : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OpenGLEngine("vegetation_gl.log")) GTEST_SKIP() << "no display";
    scene = Ogre::Root::getSingleton().createSceneManager();
    vegetation = std::make_unique<Verdure::PagedVegetation>(scene->createCamera("eye"), 16, 60);
  }
  void TearDown() override {
    if (!scene) return;
    pages.clear();
    vegetation.reset();
    Ogre::Root::getSingleton().destroySceneManager(scene);
  }

  Ogre::SceneManager* scene = nullptr;
  std::unique_ptr<Verdure::PagedVegetation> vegetation;
  std::vector<std::unique_ptr<Verdure::BatchPage>> pages;
};

TEST_F(OpenGL, EveryProgramVariantCompilesAndTakesItsConstants) {
  ASSERT_TRUE(Verdure::RenderQueries::get().hasVertexPrograms());
  ASSERT_EQ(Verdure::RenderQueries::get().programLanguage(), "glsl");
  TempDir folder;
  ScopedWorkingDir inFolder(folder.path());
  auto& materials = Ogre::MaterialManager::getSingleton();
  materials.create("veg_gl_lit", "General")->setLightingEnabled(true);
  materials.create("veg_gl_unlit", "General")->setLightingEnabled(false);

  // Layouts: with and without colour, no texture coordinates up to three
  // of one to four floats; materials lit and unlit; pages plain and windy,
  // fading and not.
  const std::vector<std::vector<Ogre::VertexElementType>> coordinates = {
      {}, {Ogre::VET_FLOAT1}, {Ogre::VET_FLOAT2}, {Ogre::VET_FLOAT3, Ogre::VET_FLOAT4},
      {Ogre::VET_FLOAT2, Ogre::VET_FLOAT2, Ogre::VET_FLOAT1}};
  int made = 0;
  for (size_t c = 0; c < coordinates.size(); ++c) {
    for (bool colour : {false, true}) {
      for (const char* material : {"veg_gl_lit", "veg_gl_unlit"}) {
        MeshSpec spec;
        spec.texCoords = coordinates[c];
        spec.colour = colour;
        spec.material = material;
        const std::string mesh = std::string(material) + std::to_string(c) + (colour ? "c" : "") + ".mesh";
        MakeMesh(mesh, spec);
        for (bool wind : {false, true}) {
          pages.push_back(wind ? std::make_unique<Verdure::WindBatchPage>() : std::make_unique<Verdure::BatchPage>());
          Verdure::BatchPage* page = pages.back().get();
          page->init(vegetation.get(), Ogre::Any());
          page->addEntity(scene->createEntity(mesh), Ogre::Vector3(1, 0, 1), Ogre::Quaternion::IDENTITY,
                          Ogre::Vector3::UNIT_SCALE, Ogre::ColourValue::White);
          page->build();
          page->setFade(true, 40, 45);
          made += 2;
        }
      }
    }
  }

  int programs = 0;
  for (const auto& [handle, resource] : Ogre::HighLevelGpuProgramManager::getSingleton().getResourceIterator()) {
    if (resource->getName().rfind("BatchPage_", 0) != 0) continue;
    auto* program = static_cast<Ogre::HighLevelGpuProgram*>(resource.get());
    EXPECT_FALSE(program->hasCompileError()) << program->getName() << "\n" << program->getSource();
    EXPECT_TRUE(program->isSupported()) << program->getName();
    ++programs;
  }
  EXPECT_EQ(programs, made);  // every variant its own program
  EXPECT_EQ(ReadFileOrEmpty(folder.file("exception.log")), "");
}

}  // namespace
