// Batch pages: the names and texts of their generated programs, the faded
// materials they share, their fading and render queues, and what a wind
// page does when the engine rejects a pass's constants. Here the GLSL
// programs are not compiled (the rendered tests compile them), but their
// uniforms are their constants as on the OpenGL render system.
#include "VegetationTestSupport.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"
#include "vegetation/BatchedGeometry.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/WindBatchPage.h"

#include <Ogre.h>
#include <gtest/gtest.h>

namespace {

using Verdure::BatchPage;
using Layout = BatchPage::ShaderLayout;

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

// The GLSL texts whole, for layouts whose texture coordinates skip an index:
// the coordinates passed on are numbered in declaration order from 0; the
// wind data are read where the wind geometry puts them, after the highest
// index.
TEST(BatchPageTexts, GlslTextsAreWrittenAsTheGameHasThem) {
  const Layout plain = MakeLayout(false, true, true, true, {{0, Ogre::VET_FLOAT2}, {2, Ogre::VET_FLOAT3}});
  EXPECT_EQ(BatchPage::programSource(plain, "glsl"),
            "uniform float fadeGap;        \nuniform float invisibleDist;   \n"
            "uniform vec4 objSpaceLight;   \nuniform vec4 lightDiffuse;\t   \nuniform vec4 lightAmbient;\t   \n"
            "uniform vec3 camPos;          \n"
            "void main() \n{ \n"
            "   vec3 light = normalize(objSpaceLight.xyz - (gl_Vertex.xyz * objSpaceLight.w)); \n"
            "   float diffuseFactor = max(dot(gl_Normal, light), 0.0); \n"
            "   gl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse) * gl_Color; \n"
            "   float dist = distance(camPos.xz, gl_Vertex.xz);\t\n"
            "   gl_FrontColor.a *= (invisibleDist - dist) / fadeGap;   \n"
            "   gl_TexCoord[0] = gl_MultiTexCoord0;\t\n"
            "   gl_TexCoord[1] = gl_MultiTexCoord1;\t\n"
            "   gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;  \n   gl_FogFragCoord = gl_Position.z; \n}");

  const Layout windy = MakeLayout(
      true, true, true, true, {{0, Ogre::VET_FLOAT2}, {2, Ogre::VET_FLOAT2}, {3, Ogre::VET_FLOAT4}, {4, Ogre::VET_FLOAT4}});
  EXPECT_EQ(Verdure::WindBatchPage::programSource(windy, "glsl"),
            "uniform vec4 objSpaceLight; \nuniform vec4 lightDiffuse; \nuniform vec4 lightAmbient; \n"
            "uniform vec3 camPos; \nuniform float fadeGap; \nuniform float invisibleDist; \n"
            "uniform float time; \nvoid main() \n{ \n"
            "\tgl_TexCoord[0]\t= gl_MultiTexCoord0; \n"
            "\tgl_TexCoord[1]\t= gl_MultiTexCoord1; \n"
            "\tvec4 params = gl_MultiTexCoord3; \n"
            "\tvec4 originPos = gl_MultiTexCoord4; \n"
            "\tvec3 light = normalize(objSpaceLight.xyz - (gl_Vertex.xyz * objSpaceLight.w)); \n"
            "\tfloat diffuseFactor = max(dot(gl_Normal.xyz, light), 0.0); \n"
            "\tgl_FrontColor = (lightAmbient + diffuseFactor * lightDiffuse) * gl_Color; \n"
            "\tfloat dist = distance(camPos.xz, gl_Vertex.xz);\t\n"
            "\tgl_FrontColor.a *= (invisibleDist - dist) / fadeGap; \n"
            "\tfloat radiusCoeff = params.x; \n\tfloat heightCoeff = params.y; \n\tfloat factorX = params.z; \n"
            "\tfloat factorY = params.w; \n\tvec4 tmpPos = gl_Vertex; \n"
            "\ttmpPos.y += sin(time + originPos.z + tmpPos.y + tmpPos.x) * radiusCoeff * radiusCoeff * factorY; \n"
            "\ttmpPos.x += sin(time + originPos.z ) * heightCoeff * heightCoeff * factorX; \n"
            "\tgl_Position = gl_ModelViewProjectionMatrix * tmpPos; \n\tgl_FogFragCoord = gl_Position.z; \n}");

  // Unlike a plain page's, a wind program declares the fade constants only
  // when fading.
  const Ogre::String still = Verdure::WindBatchPage::programSource(
      MakeLayout(true, false, false, false, {{0, Ogre::VET_FLOAT2}, {1, Ogre::VET_FLOAT4}, {2, Ogre::VET_FLOAT4}}),
      "glsl");
  EXPECT_EQ(still.find("fadeGap"), Ogre::String::npos);
  EXPECT_NE(still.find("\tgl_FrontColor = vec4(1.0, 1.0, 1.0, 1.0); \n"), Ogre::String::npos);
}

TEST(BatchPageTexts, HlslAndCgShareOneTextThatDeclaresOnlyWhatTheLayoutHolds) {
  const Layout bare = MakeLayout(false, false, false, false, {});
  const Ogre::String plain = BatchPage::programSource(bare, "hlsl");
  EXPECT_EQ(plain.rfind("void main( \n", 0), 0u);
  EXPECT_EQ(plain.find("iColor"), Ogre::String::npos);
  EXPECT_EQ(plain.find("iUV"), Ogre::String::npos);
  EXPECT_NE(plain.find("{\t\noColor = float4(1, 1, 1, 1); \n"), Ogre::String::npos);
  EXPECT_EQ(BatchPage::programSource(bare, "cg"), plain);

  const Layout windy =
      MakeLayout(true, false, false, false, {{0, Ogre::VET_FLOAT2}, {1, Ogre::VET_FLOAT4}, {2, Ogre::VET_FLOAT4}});
  const Ogre::String wind = Verdure::WindBatchPage::programSource(windy, "hlsl");
  for (const char* part : {"\tfloat2 iUV0\t\t\t: TEXCOORD0, \n\tout float2 oUV0\t\t: TEXCOORD0, \n",
                           "\tfloat4 params \t: TEXCOORD1, \n", "\tfloat4 originPos \t: TEXCOORD2, \n", "\toUV0 = iUV0; \n"})
    EXPECT_NE(wind.find(part), Ogre::String::npos) << part;
  EXPECT_EQ(wind.find("oUV1"), Ogre::String::npos);
  EXPECT_EQ(Verdure::WindBatchPage::programSource(windy, "cg"), wind);
}

class Pages : public ::testing::Test {
 protected:
  Pages() : root(HeadlessEngine()), scene(root.createSceneManager()) {
    InstallParsedPrograms();
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
  // Wind pages do not ask the flag; vertex programs decide, whatever the
  // render system.
  EXPECT_TRUE(NewPage<Verdure::WindBatchPage>()->getShadersUsable());
  {
    FakeRenderSystem direct3d(true, "Direct3D9 Rendering Subsystem", Ogre::VET_COLOUR_ARGB);
    EXPECT_TRUE(NewPage<Verdure::WindBatchPage>()->getShadersUsable());
  }
  FakeRenderSystem noPrograms(false);
  EXPECT_FALSE(NewPage<Verdure::WindBatchPage>()->getShadersUsable());
}

// Off OpenGL the programs are HLSL (Direct3D 9) or Cg (any other render
// system), made with their compiler settings, and their materials hand them
// the projection, which GLSL programs take from the fixed-function state.
TEST_F(Pages, OffOpenGLProgramsAreHlslOrCgAndTakeTheProjection) {
  const struct {
    const char* renderSystem;
    const char* language;
    const char* setting;
    const char* value;
    Ogre::VertexElementType first, second;  // programs are found by name: layouts no other test makes
    const char* program;
  } cases[] = {{"Direct3D9 Rendering Subsystem", "hlsl", "target", "vs_1_1", Ogre::VET_FLOAT3, Ogre::VET_FLOAT1,
                "BatchPage_fade_lit_3_1_vp"},
               {"Metal Rendering Subsystem", "cg", "profiles", "vs_1_1 arbvp1", Ogre::VET_FLOAT1, Ogre::VET_FLOAT3,
                "BatchPage_fade_lit_1_3_vp"}};
  for (const auto& c : cases) {
    FakeRenderSystem system(true, c.renderSystem);
    MeshSpec spec;
    spec.texCoords = {c.first, c.second};
    spec.material = std::string("veg_") + c.language;
    BatchPage* page = NewPage<BatchPage>();
    Fill(page, spec.material + ".mesh", spec);
    page->setFade(true, 40, 45);

    const Ogre::Pass* pass =
        Ogre::MaterialManager::getSingleton().getByName(MaterialOf(page))->getTechnique(0)->getPass(0);
    auto* program = static_cast<Ogre::HighLevelGpuProgram*>(pass->getVertexProgram().get());
    EXPECT_EQ(program->getName(), c.program);
    EXPECT_EQ(program->getLanguage(), c.language);
    EXPECT_EQ(program->getParameter(c.setting), c.value) << c.language;
    EXPECT_EQ(program->getParameter("entry_point"), "main") << c.language;
    EXPECT_EQ(program->getSource(), BatchPage::programSource(
                                        MakeLayout(false, true, true, false, {{0, c.first}, {1, c.second}}),
                                        c.language));
    const Ogre::GpuProgramParametersSharedPtr params = pass->getVertexProgramParameters();
    const auto* projection = params->findAutoConstantEntry("worldViewProj");
    ASSERT_TRUE(projection) << c.language;
    EXPECT_EQ(projection->paramType, Ogre::GpuProgramParameters::ACT_WORLDVIEWPROJ_MATRIX);
    EXPECT_TRUE(params->findAutoConstantEntry("objSpaceLight"));
    EXPECT_EQ(params->getFloatConstantList()[params->getConstantDefinition("fadeGap").physicalIndex], 5.0f);
    pages.clear();
  }
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
    for (const char* name : {"invisibleDist", "fadeGap"}) {  // custom parameters that keep these values
      const auto* entry = params->findAutoConstantEntry(name);
      ASSERT_TRUE(entry) << name;
      EXPECT_EQ(entry->paramType, Ogre::GpuProgramParameters::ACT_CUSTOM);
    }
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
