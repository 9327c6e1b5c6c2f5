// The things effects show, in a headless scene: material clones and their
// animations, meshes, billboards, engine particles, links, ribbons, ground
// decals and particle effects of the particle library, as the effect files
// make them.
#include "EffectTestSupport.h"

#include "effects/EffectBillboard.h"
#include "effects/EffectEntity.h"
#include "effects/EffectLink.h"
#include "effects/EffectParticle.h"
#include "effects/EffectParticleEX.h"
#include "effects/EffectProjection.h"
#include "effects/EffectRibbon.h"
#include "game/FrameClock.h"
#include "platform/Random.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/LogLines.h"

#include <Ogre.h>

#include <cmath>

namespace {

// A material with one pass and one texture unit, known colours.
Ogre::MaterialPtr TestMaterial() {
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  if (Ogre::MaterialPtr m = materials.getByName("fx_test", Ogre::RGN_DEFAULT)) return m;
  Ogre::MaterialPtr m = materials.create("fx_test", Ogre::RGN_DEFAULT);
  Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
  pass->setDiffuse(0.1f, 0.2f, 0.3f, 0.4f);
  pass->setAmbient(0.5f, 0.6f, 0.7f);
  pass->setSpecular(0.2f, 0.2f, 0.2f, 1.0f);
  pass->createTextureUnitState("fx_test.png");
  return m;
}

// A mesh of two sub-meshes: a quad (4 vertices, 2 triangles) and a
// triangle, both on the test material.
const char* TwoPartMesh() {
  static const char* name = [] {
    TestMaterial();
    Ogre::SceneManager* builder = HeadlessEngine().createSceneManager();
    Ogre::ManualObject* object = builder->createManualObject();
    object->begin("fx_test", Ogre::RenderOperation::OT_TRIANGLE_LIST, Ogre::RGN_DEFAULT);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
      object->position(c[0], c[1], 0);
      object->textureCoord((c[0] + 1) / 2, (c[1] + 1) / 2);
    }
    object->quad(0, 1, 2, 3);
    object->end();
    object->begin("fx_test", Ogre::RenderOperation::OT_TRIANGLE_LIST, Ogre::RGN_DEFAULT);
    for (int i = 0; i < 6; ++i) object->position(float(i), 5, 0);
    object->triangle(3, 4, 5);
    object->triangle(0, 1, 2);
    object->end();
    object->convertToMesh("fx_two_part.mesh", Ogre::RGN_DEFAULT);
    HeadlessEngine().destroySceneManager(builder);
    return "fx_two_part.mesh";
  }();
  return name;
}

// One vertex element (its first `size` floats) of every vertex of a manual
// object's first section.
std::vector<std::vector<float>> SectionElement(Ogre::ManualObject* object, Ogre::VertexElementSemantic semantic,
                                               size_t size) {
  std::vector<std::vector<float>> out;
  if (object->getSections().empty()) return out;
  Ogre::VertexData* data = object->getSections()[0]->getRenderOperation()->vertexData;
  const Ogre::VertexElement* element = data->vertexDeclaration->findElementBySemantic(semantic);
  Ogre::HardwareVertexBufferSharedPtr buffer = data->vertexBufferBinding->getBuffer(element->getSource());
  Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
  for (size_t v = 0; v < data->vertexCount; ++v) {
    float* f = nullptr;
    element->baseVertexPointerToElement(static_cast<unsigned char*>(lock.pData) + v * buffer->getVertexSize(), &f);
    out.emplace_back(f, f + size);
  }
  return out;
}

std::vector<Ogre::Vector3> SectionPositions(Ogre::ManualObject* object) {
  std::vector<Ogre::Vector3> out;
  for (const auto& f : SectionElement(object, Ogre::VES_POSITION, 3)) out.emplace_back(f[0], f[1], f[2]);
  return out;
}

std::vector<Ogre::Vector2> SectionUVs(Ogre::ManualObject* object) {
  std::vector<Ogre::Vector2> out;
  for (const auto& f : SectionElement(object, Ogre::VES_TEXTURE_COORDINATES, 2)) out.emplace_back(f[0], f[1]);
  return out;
}

class EffectObjectTest : public EffectFixture {
 protected:
  EffectObjectTest() {
    TestMaterial();
    TwoPartMesh();
  }

  // The first object of the first node of a new effect of that definition.
  template <class Object>
  Object* Make(const std::string& definition, CGAEffectNode** effect = nullptr) {
    Define("<EffectSystem EffectName=\"fx\">" + definition + "</EffectSystem>");
    CGAEffectNode* node = manager->CreateEffect("fx");
    if (effect) *effect = node;
    if (!node || node->GetObjects().empty()) return nullptr;
    return dynamic_cast<Object*>(node->GetObjects().front());
  }

  // A frame with the frame clock moving on.
  void TimedFrame(float seconds = 0.05f) {
    FrameTimeMs += uint32_t(seconds * 1000.0f);
    Frame(seconds);
  }
};

size_t MaterialCount() {
  size_t count = 0;
  for (auto it = Ogre::MaterialManager::getSingleton().getResourceIterator(); it.hasMoreElements(); it.moveNext())
    ++count;
  return count;
}

Ogre::Pass* FirstPass(const CGAEffectMaterial& object) { return object.GetMaterial()->getTechnique(0)->getPass(0); }

// Material animations --------------------------------------------------------

TEST_F(EffectObjectTest, EachMaterialSlotWritesItsPassState) {
  struct Case {
    const char* type;
    const char* keys;
    std::function<void(Ogre::Pass&)> check;
  };
  const std::vector<Case> cases = {
      {"EMISSIVE", "<K Value=\"0.5 0\"/>",
       [](Ogre::Pass& p) { EXPECT_EQ(p.getSelfIllumination(), Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f)); }},
      {"EMISSIVE_RGB", "<K Value=\"0.1 0.2 0.3 0\"/>",
       [](Ogre::Pass& p) { EXPECT_EQ(p.getSelfIllumination(), Ogre::ColourValue(0.1f, 0.2f, 0.3f, 1.0f)); }},
      {"SCROLL_U", "<K Value=\"0.25 0\"/>",
       [](Ogre::Pass& p) { EXPECT_FLOAT_EQ(p.getTextureUnitState(0)->getTextureUScroll(), 0.25f); }},
      {"SCROLL_V", "<K Value=\"0.75 0\"/>",
       [](Ogre::Pass& p) { EXPECT_FLOAT_EQ(p.getTextureUnitState(0)->getTextureVScroll(), 0.75f); }},
      {"SCALE_U", "<K Value=\"2 0\"/>",
       [](Ogre::Pass& p) { EXPECT_FLOAT_EQ(p.getTextureUnitState(0)->getTextureUScale(), 2.0f); }},
      {"SCALE_V", "<K Value=\"3 0\"/>",
       [](Ogre::Pass& p) { EXPECT_FLOAT_EQ(p.getTextureUnitState(0)->getTextureVScale(), 3.0f); }},
      {"ROTATE", "<K Value=\"90 0\"/>",
       [](Ogre::Pass& p) {
         EXPECT_NEAR(p.getTextureUnitState(0)->getTextureRotate().valueDegrees(), 90.0f, 1e-3f);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    auto* object = Make<CGAEffectBillboard>(std::string("<EffectBillboard><SetMaterialName MaterialName=\"fx_test\" "
                                                        "MaterialCopy=\"false\"/><SetMaterialAnim Type=\"") +
                                            c.type + "\" Length=\"1\" Loop=\"true\" Linear=\"true\">" + c.keys +
                                            "</SetMaterialAnim></EffectBillboard>");
    ASSERT_TRUE(object && object->GetMaterial());
    EXPECT_NE(object->GetMaterial()->getName(), "fx_test");  // a clone of its own
    Frame();
    c.check(*FirstPass(*object));
    manager->DestroyAllEffects();
  }
  // The source material is left as it was.
  EXPECT_EQ(TestMaterial()->getTechnique(0)->getPass(0)->getSelfIllumination(), Ogre::ColourValue::Black);
}

TEST_F(EffectObjectTest, OpacityChangesOnlyTheAlphaOfThePassColours) {
  auto* object = Make<CGAEffectBillboard>(
      R"(<EffectBillboard><SetMaterialName MaterialName="fx_test" MaterialCopy="true"/>
           <SetMaterialAnim Type="OPACITY" Length="2" Loop="false" Linear="true">
             <K Value="1 0"/><K Value="0 1"/></SetMaterialAnim></EffectBillboard>)");
  ASSERT_TRUE(object);
  for (int i = 0; i < 10; ++i) Frame(0.1f);  // half way
  Frame(0.0f);                               // the value of the last rendered frame
  const Ogre::Pass* pass = FirstPass(*object);
  EXPECT_NEAR(pass->getDiffuse().a, 0.5f, 0.06f);
  EXPECT_FLOAT_EQ(pass->getAmbient().a, pass->getDiffuse().a);
  EXPECT_FLOAT_EQ(pass->getSpecular().a, pass->getDiffuse().a);
  EXPECT_FLOAT_EQ(pass->getSelfIllumination().a, pass->getDiffuse().a);
  EXPECT_EQ(Ogre::ColourValue(pass->getDiffuse().r, pass->getDiffuse().g, pass->getDiffuse().b),
            Ogre::ColourValue(0.1f, 0.2f, 0.3f));
  EXPECT_EQ(Ogre::ColourValue(pass->getAmbient().r, pass->getAmbient().g, pass->getAmbient().b),
            Ogre::ColourValue(0.5f, 0.6f, 0.7f));
}

TEST_F(EffectObjectTest, SettersIgnoreSlotsOfTheOtherKindAndReleaseRemovesOnlyTheClone) {
  auto* object = Make<CGAEffectBillboard>(
      R"(<EffectBillboard><SetMaterialName MaterialName="fx_test" MaterialCopy="false"/></EffectBillboard>)");
  ASSERT_TRUE(object);
  const SceneCounts before = CountScene(scene);
  object->SetMaterialAnim({{0.5f, 0.0f}}, kMatEmissiveRGB, 1.0f, true, true);
  object->SetMaterialAnim({{0.5f, 0.0f}}, 8, 1.0f, true, true);
  object->SetMaterialAnimRGB({{1, 1, 1, 0}}, kMatEmissive, 1.0f, true, true);
  EXPECT_EQ(CountScene(scene), before);  // no animation was made
  const std::string clone = object->GetMaterial()->getName();
  manager->DestroyAllEffects();
  EXPECT_FALSE(Ogre::MaterialManager::getSingleton().resourceExists(clone, Ogre::RGN_DEFAULT));
  EXPECT_TRUE(Ogre::MaterialManager::getSingleton().resourceExists("fx_test", Ogre::RGN_DEFAULT));
}

TEST_F(EffectObjectTest, UnknownMaterialsAndMeshesAreSkipped) {
  auto* billboard = Make<CGAEffectBillboard>(
      R"(<EffectBillboard><SetMaterialName MaterialName="no_such" MaterialCopy="1"/>
           <SetTexture Texture="t.png" Pass="3" Index="7"/>
           <SetMaterialAnim Type="EMISSIVE" Length="1" Loop="1" Linear="1"><K Value="1 0"/></SetMaterialAnim>
         </EffectBillboard>)");
  ASSERT_TRUE(billboard);
  EXPECT_FALSE(billboard->GetMaterial());
  Frames(2);
  CGAEffectNode* effect = nullptr;
  EXPECT_EQ(Make<CGAEffectEntity>(R"(<EffectEntity FileName="no_such.mesh"/>)", &effect), nullptr);
  ASSERT_TRUE(effect);
  EXPECT_TRUE(effect->GetObjects().empty());
}

// Entities, billboards, engine particles, links -------------------------------

// RQ values at the ends of int stay within the engine's groups (the sum
// with the base must not overflow).
TEST_F(EffectObjectTest, RenderQueueGroupsFollowRQ) {
  struct Case {
    const char* element;
    int group;
  };
  const Case cases[] = {
      {R"(<EffectEntity FileName="fx_two_part.mesh" RQ="5"/>)", 75},
      {R"(<EffectEntity FileName="fx_two_part.mesh"/>)", 70},
      {R"(<EffectBillboard RQ="2"/>)", 72},
      {R"(<EffectBillboard RQ="2147483647"/>)", 104},
      {R"(<EffectBillboard RQ="-2147483648"/>)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    CGAEffectObject* object = Make<CGAEffectObject>(c.element);
    ASSERT_TRUE(object);
    Ogre::MovableObject* movable = nullptr;
    if (auto* entity = dynamic_cast<CGAEffectEntity*>(object)) movable = entity->GetEntity();
    if (auto* billboard = dynamic_cast<CGAEffectBillboard*>(object)) movable = billboard->GetBillboardSet();
    EXPECT_EQ(movable->getRenderQueueGroup(), c.group);
    EXPECT_FALSE(movable->getCastShadows());
    manager->DestroyAllEffects();
  }
  auto* projection = Make<CGAEffectProjection>(R"(<EffectProjection MaterialName="fx_test" Density="1"/>)");
  ASSERT_TRUE(projection);
  EXPECT_EQ(projection->GetDecal()->getRenderQueueGroup(), 55);
  projection = Make<CGAEffectProjection>(R"(<EffectProjection MaterialName="fx_test" Density="1" RQ="2147483647"/>)");
  ASSERT_TRUE(projection);
  EXPECT_EQ(projection->GetDecal()->getRenderQueueGroup(), 104);
}

TEST_F(EffectObjectTest, EntitiesShareTheMeshMaterialUntilGivenTheirOwn) {
  CGAEffectNode* effect = nullptr;
  auto* shared = Make<CGAEffectEntity>(R"(<EffectEntity FileName="fx_two_part.mesh"/>)", &effect);
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->GetMaterial()->getName(), "fx_test");
  Frame();
  EXPECT_EQ(shared->GetEntity()->getParentSceneNode(), effect->GetSceneNode());  // attached at its first update
  auto* own = Make<CGAEffectEntity>(
      R"(<EffectEntity FileName="fx_two_part.mesh"><SetMaterialName MaterialName="fx_test" MaterialCopy="0"/>
         <SetTexture Texture="RttTex" Pass="0" Index="0"/></EffectEntity>)");
  ASSERT_TRUE(own);
  EXPECT_EQ(own->GetEntity()->getSubEntity(0)->getMaterialName(), own->GetMaterial()->getName());
  EXPECT_EQ(own->GetMaterial()->getTechnique(0)->getPass(0)->getTextureUnitState(0)->getTextureName(), "RttTex");
  manager->DestroyAllEffects();
  // The mesh's own material survives its entities.
  EXPECT_TRUE(Ogre::MaterialManager::getSingleton().resourceExists("fx_test", Ogre::RGN_DEFAULT));
}

TEST_F(EffectObjectTest, BillboardsTakeSizeFromAredAndKeepTheirCellWithinTheSet) {
  auto* object = Make<CGAEffectBillboard>(
      R"(<EffectBillboard><AddBillboard TextIndex="0" Ared="2 3 9" Position="1 2 3" Colour="1 0 0 1"/>
           <AddBillboard TextIndex="40" Ared="1 1 1" Position="0 0 0" Colour="1 1 1"/></EffectBillboard>)");
  ASSERT_TRUE(object);
  Ogre::BillboardSet* set = object->GetBillboardSet();
  ASSERT_EQ(set->getNumBillboards(), 2);
  EXPECT_FLOAT_EQ(set->getBillboard(0)->getOwnWidth(), 2.0f);
  EXPECT_FLOAT_EQ(set->getBillboard(0)->getOwnHeight(), 3.0f);
  EXPECT_EQ(set->getBillboard(0)->getPosition(), Ogre::Vector3(1, 2, 3));
  EXPECT_EQ(set->getBillboard(0)->getColour(), Ogre::ColourValue::Red);
  // The set has one cell; a cell beyond it would be read past its end.
  EXPECT_EQ(set->getBillboard(1)->getTexcoordIndex(), 0);
}

TEST_F(EffectObjectTest, ALinkStaysAtTheEffectRootWhereverItsNodeIs) {
  // The link mesh of the tests is the two-part mesh under the link's name.
  if (!Ogre::MeshManager::getSingleton().resourceExists("link.mesh", Ogre::RGN_DEFAULT))
    Ogre::MeshManager::getSingleton().getByName(TwoPartMesh())->clone("link.mesh");
  CGAEffectNode* effect = nullptr;
  auto* link = Make<CGAEffectLink>(R"(<SetPosition Position="5 6 7"/><EffectLink Repeat="true" VScale="2"/>)", &effect);
  ASSERT_TRUE(link);
  Frames(2);
  Ogre::SceneNode* node = link->GetEntity()->getParentSceneNode();
  EXPECT_EQ(node->getParentSceneNode(), manager->GetEffectRoot());
  EXPECT_EQ(node->_getDerivedPosition(), Ogre::Vector3::ZERO);
  EXPECT_EQ(link->GetName().rfind("Effect_", 0), 0u);
  const SceneCounts withLink = CountScene(scene);
  manager->DestroyAllEffects();
  EXPECT_LT(CountScene(scene).nodes, withLink.nodes);
}

// Engine particles need the engine's particle plug-in.
TEST_F(EffectObjectTest, EmissionRateCurveScalesEachEmitterAndStopsAtZero) {
  static bool loaded = [] {
    HeadlessEngine().loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/Plugin_ParticleFX");
    // The billboard renderer and the particles' time controller come with an
    // initialised engine, which this is not.
    if (!Ogre::ControllerManager::getSingletonPtr()) new Ogre::ControllerManager();
    Ogre::ParticleSystemManager::getSingleton()._initialise();
    Ogre::ParticleSystem* t = Ogre::ParticleSystemManager::getSingleton().createTemplate("fx_sparks", Ogre::RGN_DEFAULT);
    t->setMaterialName("fx_test");
    t->addEmitter("Point")->setEmissionRate(40.0f);
    t->addEmitter("Point")->setEmissionRate(10.0f);
    return true;
  }();
  ASSERT_TRUE(loaded);
  auto* object = Make<CGAEffectParticle>(
      R"(<EffectParticle FileName="fx_sparks"><SetParticleEmissionRateAnim Length="2" Loop="false" Linear="true">
           <K Value="1 0"/><K Value="-1 1"/></SetParticleEmissionRateAnim></EffectParticle>)");
  ASSERT_TRUE(object);
  EXPECT_EQ(object->GetMaterial()->getName(), "fx_test");  // the template's own
  Ogre::ParticleSystem* system = object->GetParticleSystem();
  Frame(0.5f);
  Frame(0.0f);
  EXPECT_NEAR(system->getEmitter(0)->getEmissionRate(), 40.0f * 0.5f, 0.5f);
  EXPECT_NEAR(system->getEmitter(1)->getEmissionRate(), 10.0f * 0.5f, 0.2f);
  Frames(10, 0.2f);
  EXPECT_EQ(system->getEmitter(0)->getEmissionRate(), 0.0f);  // a negative factor gives 0
  manager->DestroyAllEffects();
  EXPECT_TRUE(Ogre::MaterialManager::getSingleton().resourceExists("fx_test", Ogre::RGN_DEFAULT));
}

// Ribbons --------------------------------------------------------------------

TEST_F(EffectObjectTest, ARibbonDrawsFromItsThirdSampleAndJumpsStartItOver) {
  CGAEffectNode* effect = nullptr;
  auto* ribbon = Make<CGAEffectRibbon>(
      R"(<EffectRibbon MaterialName="fx_test" Sub="4" Sub_Time="10" Density="0" Colour="1 1 1 1"
                       Position_1="0 1 0" Position_2="0 -1 0"/>)",
      &effect);
  ASSERT_TRUE(ribbon);
  for (int i = 0; i < 2; ++i) {
    effect->SetPosition(Ogre::Vector3(float(i), 0, 0));
    TimedFrame();
  }
  EXPECT_EQ(ribbon->GetSegments().size(), 2u);
  EXPECT_TRUE(ribbon->GetStrip()->getSections().empty());  // nothing drawn yet
  effect->SetPosition(Ogre::Vector3(2, 0, 0));
  TimedFrame();
  ASSERT_EQ(ribbon->GetStrip()->getSections().size(), 1u);
  const std::vector<Ogre::Vector3> strip = SectionPositions(ribbon->GetStrip());
  ASSERT_EQ(strip.size(), 8u);  // two vertices per sample of "Sub"
  EXPECT_EQ(strip[0], Ogre::Vector3(2, 1, 0));  // the newest first
  EXPECT_EQ(strip[1], Ogre::Vector3(2, -1, 0));
  EXPECT_EQ(strip[6], strip[4]);  // missing samples repeat the oldest
  // The samples never outgrow "Sub".
  for (int i = 3; i < 9; ++i) {
    effect->SetPosition(Ogre::Vector3(float(i), 0, 0));
    ribbon->_updateRenderQueue(nullptr);
    TimedFrame();
  }
  EXPECT_EQ(ribbon->GetSegments().size(), 4u);
  // A jump of more than 5 units empties the trail.
  effect->SetPosition(Ogre::Vector3(20, 0, 0));
  ribbon->_updateRenderQueue(nullptr);
  TimedFrame();
  EXPECT_TRUE(ribbon->GetSegments().empty());
}

// A ribbon samples on time wherever the frame clock stands: days into a
// run, where a float of ms counts in steps of 32, and across the clock's
// wrap, after which it used to sample never again.
TEST_F(EffectObjectTest, ARibbonSamplesOnTimeLateInARunAndAcrossTheClocksWrap) {
  for (const uint32_t start : {1000u, 500000000u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(start);
    auto* ribbon = Make<CGAEffectRibbon>(
        R"(<EffectRibbon MaterialName="fx_test" Sub="10" Sub_Time="10" Density="0" Colour="1 1 1 1"
                         Position_1="0 1 0" Position_2="0 -1 0"/>)");
    ASSERT_TRUE(ribbon);
    // Frames 4 ms apart: a sample at the first and then every 12 ms.
    for (uint32_t ms = 0; ms <= 24; ms += 4) {
      FrameTimeMs = start + ms;
      Frame(0.004f);
    }
    EXPECT_EQ(ribbon->GetSegments().size(), 3u);
    manager->DestroyAllEffects();
  }
}

TEST_F(EffectObjectTest, RibbonStylesNarrowAndFadeTowardTheOldestSample) {
  struct Case {
    int style;
    bool narrows;
    bool fades;
  };
  for (const Case& c : {Case{1, false, true}, Case{2, true, false}, Case{3, true, true}, Case{7, false, false}}) {
    SCOPED_TRACE(c.style);
    CGAEffectNode* effect = nullptr;
    auto* ribbon = Make<CGAEffectRibbon>(
        "<EffectRibbon MaterialName=\"fx_test\" Sub=\"3\" Sub_Time=\"0\" Density=\"" + std::to_string(c.style) +
            "\" Colour=\"1 1 1 1\" Position_1=\"0 1 0\" Position_2=\"0 -1 0\"/>",
        &effect);
    ASSERT_TRUE(ribbon);
    for (int i = 0; i < 3; ++i) {
      effect->SetPosition(Ogre::Vector3(float(i), 0, 0));
      TimedFrame();
    }
    const std::vector<Ogre::Vector3> strip = SectionPositions(ribbon->GetStrip());
    ASSERT_EQ(strip.size(), 6u);
    // The oldest sample, at x = 0.
    EXPECT_EQ(strip[4], c.narrows ? Ogre::Vector3(0, 0, 0) : Ogre::Vector3(0, 1, 0));
    EXPECT_EQ(strip[0], Ogre::Vector3(2, 1, 0));
    manager->DestroyAllEffects();
  }
}

// Ground decals --------------------------------------------------------------

TEST_F(EffectObjectTest, ADecalCoversAGridAroundItsEvenSnappedNodeOnTheTerrain) {
  world.terrainHeight = [](float x, float z) { return x + z; };
  CGAEffectNode* effect = nullptr;
  auto* decal = Make<CGAEffectProjection>(
      R"(<SetPosition Position="10.5 0 20.5"/><EffectProjection MaterialName="fx_test" Density="1">
           <SetDriveUp DriveUp="0.5"/></EffectProjection>)",
      &effect);
  ASSERT_TRUE(decal);
  Frame();
  const std::vector<Ogre::Vector3> grid = SectionPositions(decal->GetDecal());
  ASSERT_EQ(grid.size(), 16u);  // 4 x 4, two units apart
  EXPECT_EQ(grid.front().x, 8.0f);
  EXPECT_EQ(grid.front().z, 18.0f);
  EXPECT_EQ(grid.back().x, 14.0f);
  EXPECT_EQ(grid.back().z, 24.0f);
  for (const Ogre::Vector3& v : grid) EXPECT_FLOAT_EQ(v.y, v.x + v.z + 0.5f + 0.1f);
  // Unmoved, it is not rebuilt; over a static object it lies flat.
  decal->_updateRenderQueue(nullptr);
  EXPECT_FALSE(decal->RebuildDecal(effect->GetSceneNode()->_getDerivedPosition(), 1.0f));
  world.onStatic = true;
  world.groundHeight = 3.0f;
  effect->SetPosition(Ogre::Vector3(12, 0, 20));
  Frame();
  for (const Ogre::Vector3& v : SectionPositions(decal->GetDecal())) EXPECT_FLOAT_EQ(v.y, 3.0f + 0.5f + 0.1f);
}

TEST_F(EffectObjectTest, ADecalOfDensityZeroIsStillAGridWithFiniteTextureCoordinates) {
  auto* decal = Make<CGAEffectProjection>(
      R"(<SetPosition Position="3 0 3"/><EffectProjection MaterialName="fx_test" Density="0"/>)");
  ASSERT_TRUE(decal);
  EXPECT_EQ(decal->GetDensity(), 1);
  Frame();
  ASSERT_EQ(SectionPositions(decal->GetDecal()).size(), 16u);
  for (const Ogre::Vector2& uv : SectionUVs(decal->GetDecal())) {
    EXPECT_TRUE(std::isfinite(uv.x));
    EXPECT_TRUE(std::isfinite(uv.y));
  }
}

// Particle effects ------------------------------------------------------------

TEST_F(EffectObjectTest, PositionsReachTheLibraryInItsAxesButSizesDoNot) {
  auto* particles = Make<CGAEffectParticleEX>(
      R"(<EffectParticleEX Type="Billboard" WorldAxis="false" Amount="10" Mesh="">
           <SourcePoint Rate="1000" PositionA="1 2 3"/><SetSize SizeA="1 2 3" SizeB="1 2 3"/>
           <SetColour Colour="1 0.5 0 1"/></EffectParticleEX>)");
  ASSERT_TRUE(particles);
  Frame(0.002f);  // two particles
  PSim::PSystem& system = particles->GetParticleSystem();
  ASSERT_GT(system.GetGroupCount(), 0u);
  float position[3], size[3];
  system.GetParticles(0, 1, position, nullptr, nullptr, size);
  EXPECT_EQ(Ogre::Vector3(position[0], position[1], position[2]), Ogre::Vector3(1, 3, 2));
  EXPECT_EQ(Ogre::Vector3(size[0], size[1], size[2]), Ogre::Vector3(1, 2, 3));
  // Drawn in scene axes, at the birth point plus its second position.
  const ParticleRenderRecord& drawn = particles->GetRecords().front();
  EXPECT_EQ(drawn.position, Ogre::Vector3(2, 4, 6));
  EXPECT_EQ(drawn.size, Ogre::Vector3(1, 3, 2));
  EXPECT_EQ(drawn.colour, Ogre::ColourValue(1, 0.5f, 0, 1));
  // The bounds hold every particle where it is drawn, so none is culled.
  for (const ParticleRenderRecord& r : particles->GetRecords()) EXPECT_TRUE(particles->getBoundingBox().contains(r.position));
}

TEST_F(EffectObjectTest, ParticleEffectsWithoutSourceOrRateShowNothing) {
  for (const char* children : {"", R"(<SourcePoint Rate="0" PositionA="0 0 0"/>)"}) {
    SCOPED_TRACE(children);
    auto* particles = Make<CGAEffectParticleEX>(std::string("<EffectParticleEX Type=\"Billboard\" WorldAxis=\"0\" "
                                                            "Amount=\"10\" Mesh=\"\">") +
                                                children + "</EffectParticleEX>");
    ASSERT_TRUE(particles);
    Frames(5);
    EXPECT_TRUE(particles->GetRecords().empty());
    EXPECT_TRUE(particles->getBoundingBox().isNull());
    manager->DestroyAllEffects();
  }
}

TEST_F(EffectObjectTest, BadLibraryValuesSkipTheChildAndSecondSourcesReplaceTheFirst) {
  auto* particles = Make<CGAEffectParticleEX>(
      R"(<EffectParticleEX Type="Billboard" WorldAxis="0" Amount="10" Mesh="">
           <SourceSphere Rate="5" PositionA="0 0 0" In="-1" Out="2"/>
           <SourcePoint Rate="7" PositionA="0 0 0"/><SourcePoint Rate="9" PositionA="1 1 1"/>
           <SetBillboard Type="billboard"/></EffectParticleEX>)");
  ASSERT_TRUE(particles);
  EXPECT_FLOAT_EQ(particles->GetEmissionRate(), 9.0f);
  EXPECT_EQ(particles->GetBillboardSet()->getBillboardType(), Ogre::BBT_ORIENTED_COMMON);
}

TEST_F(EffectObjectTest, MeshParticlesAreOneEntityEachWithAMaterialOfTheirOwn) {
  platform::SeedRand(5);
  auto* particles = Make<CGAEffectParticleEX>(
      R"(<EffectParticleEX Type="Mesh" WorldAxis="false" Amount="5" Mesh="fx_two_part.mesh">
           <SourceLine Rate="2000" PositionA="0 0 0" PositionB="4 0 0"/>
           <SetColour Colour="1 1 1 1"/><SetSize SizeA="1 1 1" SizeB="1 1 1"/></EffectParticleEX>)");
  ASSERT_TRUE(particles);
  ASSERT_EQ(particles->GetMeshParticles().size(), 6u);
  Frame(0.002f);  // four particles
  const size_t count = particles->GetRecords().size();
  ASSERT_GE(count, 2u);
  // Drawing tints each particle's material (the static mesh has no
  // animation to play).
  particles->_updateRenderQueue(nullptr);
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i) {
    const MeshParticleRecord& mesh = particles->GetMeshParticles()[i];
    ASSERT_TRUE(mesh.material);
    names.push_back(mesh.material->getName());
    EXPECT_TRUE(mesh.node->getParentSceneNode());
    EXPECT_EQ(mesh.node->getPosition(), particles->GetRecords()[i].position);
    EXPECT_EQ(mesh.material->getTechnique(0)->getPass(0)->getDiffuse(), Ogre::ColourValue::White);
  }
  EXPECT_NE(names[0], names[1]);
  EXPECT_FALSE(particles->GetMeshParticles()[5].node->getParentSceneNode());  // beyond the live count
  EXPECT_EQ(TestMaterial()->getTechnique(0)->getPass(0)->getDiffuse(), Ogre::ColourValue(0.1f, 0.2f, 0.3f, 0.4f));
  manager->DestroyAllEffects();
  // The clones go; the mesh's own material stays.
  EXPECT_FALSE(Ogre::MaterialManager::getSingleton().resourceExists(names[0], Ogre::RGN_DEFAULT));
  EXPECT_TRUE(Ogre::MaterialManager::getSingleton().resourceExists("fx_test", Ogre::RGN_DEFAULT));
}

TEST_F(EffectObjectTest, BatchedMeshParticlesCopyOnlyTheFirstSubMesh) {
  auto* particles = Make<CGAEffectParticleEX>(
      R"(<EffectParticleEX Type="Mesh2" WorldAxis="false" Amount="3" Mesh="fx_two_part.mesh">
           <SourcePoint Rate="3000" PositionA="1 0 0"/><SetSize SizeA="2 2 2" SizeB="2 2 2"/>
           <SetMaterialName MaterialName="fx_test" MaterialCopy="0"/></EffectParticleEX>)");
  ASSERT_TRUE(particles);
  const ParticleMeshShape& shape = particles->GetMeshShape();
  EXPECT_EQ(shape.positions.size(), 4u);
  ASSERT_EQ(shape.indices.size(), 6u);
  for (uint32_t index : shape.indices) EXPECT_LT(index, shape.positions.size());
  EXPECT_EQ(SectionPositions(particles->GetManualObject()).size(), 12u);  // Amount copies at creation
  Frame(0.001f);  // three particles
  particles->_updateRenderQueue(nullptr);
  const std::vector<Ogre::Vector3> drawn = SectionPositions(particles->GetManualObject());
  ASSERT_EQ(drawn.size(), 4u * particles->GetRecords().size());
  // Corner (-1, -1, 0) of the quad, doubled, around the particle drawn at (2, 0, 0).
  EXPECT_EQ(drawn[0], Ogre::Vector3(0, -2, 0));
  EXPECT_EQ(particles->GetManualObject()->getSections()[0]->getMaterialName(), particles->GetMaterial()->getName());
}

// A batched mesh of no particles has no section to take a material: its
// "SetMaterialName" used to throw out of the effect's creation and end the
// game. The object is left out with a log line; the rest of the effect plays.
TEST_F(EffectObjectTest, ABatchedMeshOfNoParticlesIsLeftOutAndTheEffectPlays) {
  for (const char* type : {"Mesh2", "Effect"}) {
    for (const char* amount : {"0", "-5"}) {
      SCOPED_TRACE(std::string(type) + " Amount " + amount);
      LogLines log;
      CGAEffectNode* effect = nullptr;
      auto* billboard = Make<CGAEffectBillboard>(
          std::string("<SetLifeTime Time=\"0.2\"/><EffectParticleEX Type=\"") + type +
              "\" WorldAxis=\"0\" Amount=\"" + amount + "\" Mesh=\"fx_two_part.mesh\">"
              "<SourcePoint Rate=\"100\" PositionA=\"0 0 0\"/>"
              "<SetMaterialName MaterialName=\"fx_test\" MaterialCopy=\"1\"/></EffectParticleEX>"
              "<EffectBillboard><AddBillboard TextIndex=\"0\" Ared=\"1 1 1\" Position=\"0 0 0\" Colour=\"1 1 1 1\"/>"
              "</EffectBillboard>",
          &effect);
      ASSERT_TRUE(billboard);
      EXPECT_EQ(effect->GetObjects().size(), 1u);
      EXPECT_TRUE(log.Has({"fx_two_part.mesh", "not shown: Amount " + std::string(amount)})) << log.All();
      for (int i = 0; i < 3; ++i) TimedFrame();
      EXPECT_TRUE(manager->IsLive(effect));
      for (int i = 0; i < 3; ++i) TimedFrame();
      EXPECT_FALSE(manager->IsLive(effect));  // its life ran out
    }
  }
}

TEST_F(EffectObjectTest, EffectObjectsLeaveNothingBehind) {
  if (!Ogre::MeshManager::getSingleton().resourceExists("link.mesh", Ogre::RGN_DEFAULT))
    Ogre::MeshManager::getSingleton().getByName(TwoPartMesh())->clone("link.mesh");
  const SceneCounts empty = CountScene(scene);
  const size_t materials = MaterialCount();
  Define(R"(<EffectSystem EffectName="all"><SetLifeTime Time="0.3"/>
      <EffectEntity FileName="fx_two_part.mesh"><SetMaterialName MaterialName="fx_test" MaterialCopy="1"/>
        <SetMaterialAnim Type="OPACITY" Length="1" Loop="1" Linear="1"><K Value="1 0"/></SetMaterialAnim></EffectEntity>
      <EffectBillboard><AddBillboard TextIndex="0" Ared="1 1 1" Position="0 0 0" Colour="1 1 1 1"/></EffectBillboard>
      <EffectLink Repeat="0" VScale="1"/>
      <EffectRibbon MaterialName="fx_test" Sub="5" Sub_Time="0" Density="3" Colour="1 1 1 1"
                    Position_1="0 1 0" Position_2="0 -1 0"/>
      <EffectProjection MaterialName="fx_test" Density="2"><SetProjectionAnim Length="1" Loop="0" Linear="0">
        <K Value="1 1 0"/></SetProjectionAnim></EffectProjection>
      <EffectParticleEX Type="Mesh" WorldAxis="1" Amount="3" Mesh="fx_two_part.mesh">
        <SourcePoint Rate="100" PositionA="0 0 0"/><SetParticleEmissionRateAnim Length="1" Loop="1" Linear="1">
        <K Value="100 0"/></SetParticleEmissionRateAnim></EffectParticleEX>
      <EffectParticleEX Type="Mesh2" WorldAxis="1" Amount="3" Mesh="fx_two_part.mesh">
        <SourcePoint Rate="100" PositionA="0 0 0"/></EffectParticleEX>
      <EffectParticleEX Type="Billboard" WorldAxis="1" Amount="3" Mesh="">
        <SourcePoint Rate="100" PositionA="0 0 0"/></EffectParticleEX>
    </EffectSystem>)");
  for (int round = 0; round < 3; ++round) {
    CGAEffectNode* effect = manager->CreateEffect("all");
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->GetObjects().size(), 8u);
    for (int i = 0; i < 10; ++i) {
      if (manager->IsLive(effect)) effect->SetPosition(Ogre::Vector3(float(i) * 0.5f, 0, 0));
      TimedFrame();
    }
  }
  EXPECT_EQ(manager->GetManagedCount(), 0u);
  EXPECT_EQ(CountScene(scene), empty);
  EXPECT_EQ(MaterialCount(), materials);
}

}  // namespace
