// Batch pages: the names and texts of their generated programs, the faded
// materials they share, their fading and render queues, and what a wind
// page does when the engine rejects a pass's constants. Here the GLSL
// programs are not compiled (the rendered tests compile them), but their
// uniforms are their constants as on the OpenGL render system.
#include "VegetationTestSupport.h"
#include "support/HeadlessEngine.h"
#include "support/TempDir.h"
#include "vegetation/BatchedGeometry.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/WindBatchPage.h"

#include <Ogre.h>
#include <gtest/gtest.h>

namespace {

using Verdure::BatchPage;
using Layout = BatchPage::ShaderLayout;

Layout MakeLayout(bool wind, bool fade, bool lit, bool colour,
                  std::vector<std::pair<unsigned short, Ogre::VertexElementType>> texCoords) {
  Layout layout;
  layout.wind = wind;
  layout.fade = fade;
  layout.lit = lit;
  layout.colour = colour;
  layout.texCoords = std::move(texCoords);
  return layout;
}

TEST(BatchPageNames, ProgramNamesSayEverythingThatShapesTheProgram) {
  const struct {
    Layout layout;
    const char* name;
  } cases[] = {
      {MakeLayout(false, true, true, true, {{0, Ogre::VET_FLOAT2}}), "BatchPage_fade_lit_clr_2_vp"},
      {MakeLayout(false, false, false, false, {}), "BatchPage_vp"},
      {MakeLayout(true, false, false, false, {{0, Ogre::VET_FLOAT2}, {1, Ogre::VET_FLOAT4}, {2, Ogre::VET_FLOAT4}}),
       "BatchPage_wind_2_4_4_vp"},
      // A plain page of the same digits is another program.
      {MakeLayout(false, false, false, false, {{0, Ogre::VET_FLOAT2}, {1, Ogre::VET_FLOAT4}, {2, Ogre::VET_FLOAT4}}),
       "BatchPage_2_4_4_vp"},
      {MakeLayout(false, false, true, false, {{0, Ogre::VET_FLOAT1}, {1, Ogre::VET_FLOAT3}, {2, Ogre::VET_SHORT2}}),
       "BatchPage_lit_1_3__vp"},
  };
  for (const auto& c : cases) EXPECT_EQ(BatchPage::programName(c.layout), c.name);

  EXPECT_EQ(BatchPage::materialName("X", "BatchPage_2_vp", false, 40, 45), "BatchMat|X|BatchPage_2_vp|");
  EXPECT_EQ(BatchPage::materialName("X", "BatchPage_fade_2_vp", true, 40, 42.5f),
            "BatchMat|X|BatchPage_fade_2_vp|40|42.5|");
}

TEST(BatchPageNames, ProgramsComputeOnlyWhatTheirLayoutHolds) {
  const Ogre::String bare = BatchPage::programSource(MakeLayout(false, false, false, false, {}));
  EXPECT_NE(bare.find("gl_FrontColor = vec4(1.0, 1.0, 1.0, 1.0);"), Ogre::String::npos);
  EXPECT_EQ(bare.find("gl_Color"), Ogre::String::npos);
  EXPECT_EQ(bare.find("gl_TexCoord"), Ogre::String::npos);
  EXPECT_EQ(bare.find("camPos"), Ogre::String::npos);

  const Ogre::String full = BatchPage::programSource(MakeLayout(false, true, true, true, {{0, Ogre::VET_FLOAT2}}));
  for (const char* part : {"uniform vec3 camPos;", "* gl_Color;", "gl_TexCoord[0] = gl_MultiTexCoord0;",
                           "(invisibleDist - dist) / fadeGap", "objSpaceLight.w"})
    EXPECT_NE(full.find(part), Ogre::String::npos) << part;

  // Wind: the last two coordinates are the wind data, read not passed on;
  // the fade constants exist only when fading.
  const Layout windy = MakeLayout(true, false, false, false,
                                  {{0, Ogre::VET_FLOAT2}, {1, Ogre::VET_FLOAT4}, {2, Ogre::VET_FLOAT4}});
  const Ogre::String wind = Verdure::WindBatchPage::programSource(windy);
  for (const char* part : {"vec4 params = gl_MultiTexCoord1;", "vec4 originPos = gl_MultiTexCoord2;",
                           "gl_TexCoord[0]\t= gl_MultiTexCoord0;", "uniform float time;"})
    EXPECT_NE(wind.find(part), Ogre::String::npos) << part;
  EXPECT_EQ(wind.find("gl_TexCoord[1]"), Ogre::String::npos);
  EXPECT_EQ(wind.find("fadeGap"), Ogre::String::npos);
}

class Pages : public ::testing::Test {
 protected:
  Pages() : root(HeadlessEngine()), scene(root.createSceneManager()) {
    InstallGlslConstants();
    camera = scene->createCamera("veg_pages");
    vegetation = std::make_unique<Verdure::PagedVegetation>(camera, 16, 70);
  }
  ~Pages() override {
    pages.clear();
    vegetation.reset();
    root.destroySceneManager(scene);
  }
  // A page of the type, initialised as a detail level would.
  template <class PageType>
  PageType* NewPage() {
    pages.push_back(std::make_unique<PageType>());
    pages.back()->init(vegetation.get(), Ogre::Any());
    return static_cast<PageType*>(pages.back().get());
  }
  void Fill(BatchPage* page, const std::string& mesh, const MeshSpec& spec = MeshSpec()) {
    MakeMesh(mesh, spec);
    page->addEntity(scene->createEntity(mesh), Ogre::Vector3(3, 0, 3), Ogre::Quaternion::IDENTITY,
                    Ogre::Vector3::UNIT_SCALE, Ogre::ColourValue::White);
    page->build();
  }
  // A material named after the mesh whose pass has its own program.
  static void OwnProgram(const std::string& material, bool lit, const std::string& source) {
    MakeVertexProgram(material + "_vp", source);
    Ogre::MaterialPtr m = Ogre::MaterialManager::getSingleton().create(material, "General");
    Ogre::Pass* pass = m->getNumTechniques() ? m->getTechnique(0)->getPass(0) : m->createTechnique()->createPass();
    pass->setLightingEnabled(lit);
    pass->setVertexProgram(material + "_vp");
  }
  static Ogre::String MaterialOf(BatchPage* page) {
    return page->getBatch()->getSubBatchIterator().getNext()->getMaterial()->getName();
  }

  FakeRenderSystem renderSystem;
  Ogre::Root& root;
  Ogre::SceneManager* scene;
  Ogre::Camera* camera;
  std::unique_ptr<Verdure::PagedVegetation> vegetation;
  std::vector<std::unique_ptr<Verdure::GeometryPage>> pages;
};

TEST_F(Pages, EqualLayoutsShareProgramsAndMaterialsOtherLayoutsDoNot) {
  MeshSpec unlit;
  unlit.material = "veg_unlit";
  Ogre::MaterialManager::getSingleton().createOrRetrieve("veg_unlit", "General");
  Ogre::MaterialManager::getSingleton().getByName("veg_unlit")->setLightingEnabled(false);
  BatchPage* first = NewPage<BatchPage>();
  BatchPage* second = NewPage<BatchPage>();
  BatchPage* coloured = NewPage<BatchPage>();
  ASSERT_TRUE(first->getShadersUsable());
  Fill(first, "veg_unlit.mesh", unlit);
  Fill(second, "veg_unlit.mesh", unlit);
  unlit.colour = true;
  Fill(coloured, "veg_unlit_clr.mesh", unlit);

  EXPECT_EQ(MaterialOf(first), "BatchMat|veg_unlit_Batched|BatchPage_2_vp|");
  EXPECT_EQ(MaterialOf(second), MaterialOf(first));
  // Same batched material, another layout: a material of its own, with the
  // program written for its layout.
  EXPECT_EQ(MaterialOf(coloured), "BatchMat|veg_unlit_Batched|BatchPage_clr_2_vp|");
  const Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(MaterialOf(coloured));
  EXPECT_EQ(material->getTechnique(0)->getPass(0)->getVertexProgramName(), "BatchPage_clr_2_vp");
  EXPECT_TRUE(Ogre::HighLevelGpuProgramManager::getSingleton().getByName("BatchPage_2_vp"));
  // Passes without programs of their own lost their specular.
  EXPECT_EQ(Ogre::MaterialManager::getSingleton().getByName("veg_unlit_Batched")->getTechnique(0)->getPass(0)->getSpecular(),
            Ogre::ColourValue(0, 0, 0, 1));
}

// A batch page fades in the vegetation's queue; a wind page, which hands
// the vegetation to its batch alone, always in 60.
TEST_F(Pages, FadingPagesDrawInTheirQueue) {
  const std::pair<BatchPage*, int> pages[] = {{NewPage<BatchPage>(), 70}, {NewPage<Verdure::WindBatchPage>(), 60}};
  for (const auto& [page, fadingQueue] : pages) {
    page->setFade(true, 40, 45);  // nothing built yet: nothing generated
    EXPECT_TRUE(page->getFadeEnabled());
    EXPECT_EQ(page->getBatch()->getRenderQueueGroup(), fadingQueue);
    page->setFade(false, 0, 0);
    EXPECT_EQ(page->getBatch()->getRenderQueueGroup(), Ogre::RENDER_QUEUE_MAIN);
  }
}

TEST_F(Pages, WithoutRunnableProgramsPagesDrawTheirBatchedMaterials) {
  vegetation->setShadersEnabled(false);
  BatchPage* plain = NewPage<BatchPage>();
  EXPECT_FALSE(plain->getShadersUsable());
  Fill(plain, "veg_blade.mesh");
  EXPECT_EQ(MaterialOf(plain), "veg_blades_Batched");
  plain->setFade(true, 40, 45);
  EXPECT_FALSE(plain->getFadeEnabled());
  EXPECT_EQ(plain->getBatch()->getRenderQueueGroup(), Ogre::RENDER_QUEUE_MAIN);
  // Wind pages do not ask the flag; the render system decides.
  EXPECT_TRUE(NewPage<Verdure::WindBatchPage>()->getShadersUsable());
  FakeRenderSystem direct3d(true, "Direct3D9 Rendering Subsystem", Ogre::VET_COLOUR_ARGB);
  EXPECT_FALSE(NewPage<Verdure::WindBatchPage>()->getShadersUsable());
}

TEST_F(Pages, GeneratedProgramsDeclareEveryConstantTheirPagesSet) {
  TempDir folder;
  ScopedWorkingDir inFolder(folder.path());
  MeshSpec coloured;
  coloured.colour = true;
  for (BatchPage* page : {NewPage<BatchPage>(), static_cast<BatchPage*>(NewPage<Verdure::WindBatchPage>())}) {
    Fill(page, "veg_blade_clr.mesh", coloured);
    page->setFade(true, 40, 45);
    const Ogre::MaterialPtr faded = Ogre::MaterialManager::getSingleton().getByName(MaterialOf(page));
    const Ogre::GpuProgramParametersSharedPtr params = faded->getTechnique(0)->getPass(0)->getVertexProgramParameters();
    const auto& floats = params->getFloatConstantList();
    EXPECT_EQ(floats[params->getConstantDefinition("invisibleDist").physicalIndex], 45.0f);
    EXPECT_EQ(floats[params->getConstantDefinition("fadeGap").physicalIndex], 5.0f);
    EXPECT_TRUE(params->_findNamedConstantDefinition("camPos"));
    EXPECT_EQ(faded->getTechnique(0)->getPass(0)->getSourceBlendFactor(), Ogre::SBF_SOURCE_ALPHA);
  }
  EXPECT_EQ(ReadFileOrEmpty(folder.file("exception.log")), "");
}

TEST_F(Pages, ARejectedPassStopsABatchPage) {
  // Its own program knows nothing of fading.
  OwnProgram("veg_plain", false, "void main() { gl_Position = ftransform(); }");
  MeshSpec own;
  own.material = "veg_plain";
  BatchPage* page = NewPage<BatchPage>();
  Fill(page, "veg_plain.mesh", own);
  try {
    page->setFade(true, 40, 45);
    FAIL() << "no exception";
  } catch (const Ogre::InternalErrorException& e) {
    EXPECT_EQ(e.getSource(), "BatchPage::_updateShaders()");
    EXPECT_NE(e.getDescription().find("implement fade transitions"), Ogre::String::npos);
  }
  EXPECT_TRUE(page->getFadeEnabled());
}

TEST_F(Pages, ARejectedPassCostsAWindPageOneLineOfItsLog) {
  TempDir folder;
  ScopedWorkingDir inFolder(folder.path());
  // No "time" in its own program: logged, and the page goes on with its
  // material.
  OwnProgram("veg_still", false, "void main() { gl_Position = ftransform(); }");
  MeshSpec still;
  still.material = "veg_still";
  Verdure::WindBatchPage* page = NewPage<Verdure::WindBatchPage>();
  Fill(page, "veg_still.mesh", still);
  EXPECT_EQ(MaterialOf(page), "BatchMat|veg_still_Batched|BatchPage_wind_2_4_4_vp|");
  const std::string first = ReadFileOrEmpty(folder.file("exception.log"));
  EXPECT_NE(first.find("time"), std::string::npos) << first;
  EXPECT_EQ(first.find('\n'), std::string::npos);

  // A lit one fails on its light first; the file holds that failure only.
  OwnProgram("veg_lit_still", true, "uniform float time; void main() { gl_Position = ftransform(); }");
  still.material = "veg_lit_still";
  Fill(NewPage<Verdure::WindBatchPage>(), "veg_lit_still.mesh", still);
  const std::string second = ReadFileOrEmpty(folder.file("exception.log"));
  EXPECT_NE(second.find("objSpaceLight"), std::string::npos) << second;
  EXPECT_EQ(second.find("time"), std::string::npos) << second;
}

TEST_F(Pages, PageDataOtherThanALevelNumberIsRefused) {
  EXPECT_ANY_THROW(vegetation->addDetailLevel<BatchPage>(40, 5, Ogre::Any(std::string("near"))));
  EXPECT_TRUE(vegetation->getDetailLevels().empty());
  EXPECT_EQ(vegetation->addDetailLevel<BatchPage>(40, 5, Ogre::Any(0))->getGridSize(), 9);
}

}  // namespace
