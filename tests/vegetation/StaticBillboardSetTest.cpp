// Static billboard sets: their mesh, its indices past 16,384 billboards,
// the shared material records that the per-frame update turns to the
// camera, fading, and the engine billboard set where programs cannot run.
#include "VegetationTestSupport.h"
#include "tests/support/HeadlessEngine.h"
#include "vegetation/StaticBillboardSet.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using Verdure::StaticBillboardSet;

class Billboards : public ::testing::Test {
 protected:
  Billboards() : root(HeadlessEngine()), scene(root.createSceneManager()) {
    InstallParsedPrograms();
    auto& materials = Ogre::MaterialManager::getSingleton();
    for (const char* name : {"veg_leaf", "veg_bark"})
      if (!materials.resourceExists(name, "General")) materials.create(name, "General");
  }
  ~Billboards() override { root.destroySceneManager(scene); }
  std::unique_ptr<StaticBillboardSet> NewSet(Verdure::SpriteMethod method = Verdure::SPRITE_ACCELERATED) {
    return std::make_unique<StaticBillboardSet>(scene, scene->getRootSceneNode(), method);
  }

  FakeRenderSystem renderSystem;
  Ogre::Root& root;
  Ogre::SceneManager* scene;
};

// The quad corners the update wrote into a material's first pass.
std::vector<float> Quad(const Ogre::MaterialPtr& material) {
  const auto params = material->getTechnique(0)->getPass(0)->getVertexProgramParameters();
  const size_t at = params->getConstantDefinition("preRotatedQuad").physicalIndex;
  return std::vector<float>(params->getFloatConstantList().begin() + at, params->getFloatConstantList().begin() + at + 16);
}

TEST_F(Billboards, NamesCountOnFromOneCounter) {
  auto set = NewSet();
  const std::string entity = set->getEntityName();
  ASSERT_EQ(entity.rfind("SBSentity", 0), 0u);
  const unsigned number = std::stoul(entity.substr(9));
  EXPECT_EQ(StaticBillboardSet::makeUniqueName("veg"), "veg" + std::to_string(number + 1));
  set->createBillboard(Ogre::Vector3::ZERO);
  set->build();
  EXPECT_EQ(set->getMesh()->getName(), "SBSmesh" + std::to_string(number + 2));
  EXPECT_EQ(set->getEntity()->getName(), entity);
}

TEST_F(Billboards, TheMeshHoldsFourCornersABillboard) {
  auto set = NewSet();
  set->setBillboardOrigin(Ogre::BBO_BOTTOM_CENTER);
  set->setTextureStacksAndSlices(2, 4);
  set->createBillboard(Ogre::Vector3(1, 2, 3), 4, 6, Ogre::ColourValue(1, 0, 0), 1, 1);
  set->build();
  EXPECT_EQ(set->getPendingCount(), 0u);
  const Ogre::SubMesh* sub = set->getMesh()->getSubMesh(0);
  ASSERT_EQ(sub->vertexData->vertexCount, 4u);
  const auto& buffer = sub->vertexData->vertexBufferBinding->getBuffer(0);
  ASSERT_EQ(buffer->getVertexSize(), 36u);
  float corner3[9];
  const auto* data = static_cast<const Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
  std::memcpy(corner3, data + 3 * 36, 24);
  std::memcpy(corner3 + 6, data + 3 * 36 + 28, 8);
  Ogre::uint32 colour;
  std::memcpy(&colour, data + 3 * 36 + 24, 4);
  buffer->unlock();
  // Position, (half width, half height, corner), the cell's far corner.
  EXPECT_EQ(std::vector<float>(corner3, corner3 + 8), (std::vector<float>{1, 2, 3, 2, 3, 3, 0.5f, 1}));
  EXPECT_EQ(colour, 0xFF0000FFu);  // red first in memory
  EXPECT_EQ(set->getMesh()->getBounds().getCenter(), Ogre::Vector3(1, 2, 3));
  EXPECT_THROW(set->setBillboardOrigin(Ogre::BBO_TOP_LEFT), Ogre::InvalidParametersException);
}

TEST_F(Billboards, ManyBillboardsTakeWideIndices) {
  for (size_t count : {16384u, 16385u}) {
    auto set = NewSet();
    for (size_t i = 0; i < count; ++i) set->createBillboard(Ogre::Vector3(float(i), 0, 0));
    set->build();
    const Ogre::IndexData* indices = set->getMesh()->getSubMesh(0)->indexData;
    ASSERT_EQ(indices->indexCount, 6 * count);
    const bool wide = indices->indexBuffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT;
    EXPECT_EQ(wide, count > 16384) << count;
    // The last billboard's last corner.
    Ogre::uint32 last = 0;
    const auto* data = static_cast<const Ogre::uchar*>(indices->indexBuffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
    std::memcpy(&last, data + (indices->indexCount - 1) * (wide ? 4 : 2), wide ? 4 : 2);
    indices->indexBuffer->unlock();
    EXPECT_EQ(last, 4 * count - 1) << count;
  }
}

TEST_F(Billboards, SetsOfOneMaterialShareItsCameraQuad) {
  Ogre::MaterialPtr leaf = Ogre::MaterialManager::getSingleton().getByName("veg_leaf");
  auto first = NewSet();
  auto second = NewSet();
  first->setMaterial("veg_leaf");
  second->setMaterial("veg_leaf");
  second->setMaterial("veg_leaf");  // the same name again changes nothing
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(leaf), 2u);

  // Looking north: right is west (-x), up is +y.
  StaticBillboardSet::updateCameraQuads(Ogre::Vector3(0, 0, 1));
  EXPECT_EQ(leaf->getTechnique(0)->getPass(0)->getVertexProgramName(), "Sprite_vp");
  EXPECT_EQ(Quad(leaf), (std::vector<float>{1, 1, 0, 0, -1, 1, 0, 0, 1, -1, 0, 0, -1, -1, 0, 0}));
  second.reset();
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(leaf), 1u);

  // Fading takes the set's reference to a copy of its own and back.
  first->setFade(true, 40, 50);
  const Ogre::MaterialPtr fade = first->getFadeMaterial();
  ASSERT_TRUE(fade);
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(leaf), 0u);
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(fade), 1u);
  EXPECT_EQ(fade->getTechnique(0)->getPass(0)->getVertexProgramName(), "SpriteFade_vp");
  first->setMaterial("veg_bark");
  EXPECT_NE(first->getFadeMaterial(), fade);
  first->setMaterial("veg_leaf");
  EXPECT_EQ(first->getFadeMaterial(), fade);  // the copy made before
  first->setFade(false, 0, 0);
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(leaf), 1u);
  first.reset();
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(leaf), 0u);
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(fade), 0u);

  EXPECT_THROW(NewSet()->setFade(true, 1, 2), Ogre::ItemIdentityException);
}

// The sprite programs' corners and scroll, and the fade's distances, are
// bound to the renderable's custom parameter 0 while keeping the values the
// sets write: the update writes them after the binding and the fade copy
// gives its distances after binding them.
TEST_F(Billboards, SpriteConstantsAreCustomParametersThatKeepTheirValues) {
  auto set = NewSet();
  set->setMaterial("veg_leaf");
  StaticBillboardSet::updateCameraQuads(Ogre::Vector3(0, 0, 1));
  const Ogre::MaterialPtr leaf = Ogre::MaterialManager::getSingleton().getByName("veg_leaf");
  const auto custom = [](const Ogre::MaterialPtr& material, const char* name) {
    const auto* entry =
        material->getTechnique(0)->getPass(0)->getVertexProgramParameters()->findAutoConstantEntry(name);
    return entry && entry->paramType == Ogre::GpuProgramParameters::ACT_CUSTOM && entry->data == 0;
  };
  for (const char* name : {"uScroll", "vScroll", "preRotatedQuad[0]"}) EXPECT_TRUE(custom(leaf, name)) << name;
  EXPECT_EQ(Quad(leaf), (std::vector<float>{1, 1, 0, 0, -1, 1, 0, 0, 1, -1, 0, 0, -1, -1, 0, 0}));

  set->setFade(true, 40, 50);
  const Ogre::MaterialPtr fade = set->getFadeMaterial();
  ASSERT_TRUE(fade);
  for (const char* name : {"uScroll", "vScroll", "preRotatedQuad[0]", "fadeGap", "invisibleDist"})
    EXPECT_TRUE(custom(fade, name)) << name;
  const auto params = fade->getTechnique(0)->getPass(0)->getVertexProgramParameters();
  EXPECT_EQ(params->getFloatConstantList()[params->getConstantDefinition("invisibleDist").physicalIndex], 50.0f);
  EXPECT_EQ(params->getFloatConstantList()[params->getConstantDefinition("fadeGap").physicalIndex], 10.0f);
}

// The mesh loads with the engine log quiet, and the log is at normal
// detail afterwards whatever it was before.
TEST_F(Billboards, BuildingLeavesTheEngineLogAtNormalDetail) {
  Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog();
  ASSERT_TRUE(log);
  const Ogre::LoggingLevel before = log->getLogDetail();
  for (Ogre::LoggingLevel level : {Ogre::LL_BOREME, Ogre::LL_LOW}) {
    log->setLogDetail(level);
    auto set = NewSet();
    set->createBillboard(Ogre::Vector3::ZERO);
    set->build();
    EXPECT_EQ(log->getLogDetail(), Ogre::LL_NORMAL) << level;
  }
  log->setLogDetail(before);
}

// Off OpenGL the sprite programs are HLSL (Direct3D 9) or Cg (any other
// render system), each starting at its own name, and the materials hand
// them the projection, which GLSL programs take from the fixed-function
// state.
TEST_F(Billboards, OffOpenGLSpritesAreHlslOrCgAndTakeTheProjection) {
  const struct {
    const char* renderSystem;
    const char* language;
    const char* setting;
    const char* value;
  } cases[] = {{"Direct3D9 Rendering Subsystem", "hlsl", "target", "vs_1_1"},
               {"Metal Rendering Subsystem", "cg", "profiles", "vs_1_1 arbvp1"}};
  // The first accelerated set makes the programs unless the engine has
  // them by name: this process has made them before, in GLSL, and makes
  // them again after.
  struct ForgetSprites {
    ForgetSprites() { Forget(); }
    ~ForgetSprites() { Forget(); }
    static void Forget() {
      auto& programs = Ogre::HighLevelGpuProgramManager::getSingleton();
      for (const char* name : {"Sprite_vp", "SpriteFade_vp"})
        if (Ogre::HighLevelGpuProgramPtr program = programs.getByName(name)) programs.remove(program);
    }
  };
  auto hasProjection = [](const Ogre::MaterialPtr& material) {
    const auto* entry =
        material->getTechnique(0)->getPass(0)->getVertexProgramParameters()->findAutoConstantEntry("worldViewProj");
    return entry && entry->paramType == Ogre::GpuProgramParameters::ACT_WORLDVIEWPROJ_MATRIX;
  };
  for (const auto& c : cases) {
    FakeRenderSystem system(true, c.renderSystem);
    ForgetSprites fresh;
    const std::string material = std::string("veg_sprite_") + c.language;
    Ogre::MaterialManager::getSingleton().create(material, "General");
    auto set = NewSet();
    for (const auto& [name, fade] : {std::pair("Sprite_vp", false), std::pair("SpriteFade_vp", true)}) {
      Ogre::HighLevelGpuProgramPtr program = Ogre::HighLevelGpuProgramManager::getSingleton().getByName(name);
      ASSERT_TRUE(program) << name;
      EXPECT_EQ(program->getLanguage(), c.language);
      EXPECT_EQ(program->getParameter(c.setting), c.value) << c.language;
      EXPECT_EQ(program->getParameter("entry_point"), name);
      EXPECT_EQ(program->getSource(), StaticBillboardSet::spriteProgramSource(fade, c.language));
    }
    set->setMaterial(material);
    StaticBillboardSet::updateCameraQuads(Ogre::Vector3(0, 0, 1));
    EXPECT_TRUE(hasProjection(set->getMaterial())) << c.language;
    set->setFade(true, 40, 50);
    EXPECT_TRUE(hasProjection(set->getFadeMaterial())) << c.language;
  }
}

TEST_F(Billboards, WithoutRunnableProgramsTheEngineDrawsThem) {
  FakeRenderSystem noPrograms(false);
  auto set = NewSet();
  EXPECT_EQ(set->getRenderMethod(), Verdure::SPRITE_COMPATIBLE);
  set->createBillboard(Ogre::Vector3(1, 0, 1));
  set->build();
  EXPECT_FALSE(set->getEntity());
  set->setMaterial("veg_leaf");
  set->setFade(true, 1, 2);  // ignored
  EXPECT_FALSE(set->getFadeMaterial());
  EXPECT_EQ(StaticBillboardSet::getMaterialRefCount(set->getMaterial()), 0u);
}

}  // namespace
