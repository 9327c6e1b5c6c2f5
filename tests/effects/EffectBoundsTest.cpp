// Effect files with hostile values: texture names that are empty or missing,
// and numbers read as "inf" (the largest float) where they become positions,
// sizes, particle speeds or animation keys. Nothing throws, and what the
// engine culls and draws with stays finite and within the effects' bounds.
#include "EffectTestSupport.h"

#include "effects/EffectBillboard.h"
#include "effects/EffectLimits.h"
#include "effects/EffectParticleEX.h"
#include "effects/EffectProjection.h"
#include "tests/support/LogLines.h"

#include <Ogre.h>

#include <cmath>

namespace {

// A material with one pass and one texture unit.
void TexturedMaterial() {
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  if (materials.resourceExists("fx_bounds", Ogre::RGN_DEFAULT)) return;
  Ogre::MaterialPtr m = materials.create("fx_bounds", Ogre::RGN_DEFAULT);
  m->getTechnique(0)->getPass(0)->createTextureUnitState("fx_bounds.png");
}

bool Within(const Ogre::Vector3& v, float limit) {
  return IsFinite(v) && std::fabs(v.x) <= limit && std::fabs(v.y) <= limit && std::fabs(v.z) <= limit;
}

// Finite, or infinite as a whole (never culled); never a box of NaNs.
bool Sound(const Ogre::AxisAlignedBox& box) {
  return box.isNull() || box.isInfinite() || (IsFinite(box.getMinimum()) && IsFinite(box.getMaximum()));
}

const std::string& FirstTexture(const Ogre::MaterialPtr& material) {
  return material->getTechnique(0)->getPass(0)->getTextureUnitState(0)->getTextureName();
}

class EffectBoundsTest : public EffectFixture {
 protected:
  EffectBoundsTest() {
    TexturedMaterial();
    scene->destroyEntity(MakeEntity(scene));  // the test mesh exists from here on
  }

  // A new effect of a definition named "fx".
  CGAEffectNode* Make(const std::string& definition) {
    Define("<EffectSystem EffectName=\"fx\">" + definition + "</EffectSystem>");
    return manager->CreateEffect("fx");
  }
  template <class Object>
  Object* First(CGAEffectNode* effect) {
    return effect && !effect->GetObjects().empty() ? dynamic_cast<Object*>(effect->GetObjects().front()) : nullptr;
  }
};

// The engine throws on an empty texture name, which ended the game: such a
// "SetTexture" is skipped, logged at its line, and the unit keeps its texture.
TEST_F(EffectBoundsTest, SetTextureWithoutATextureNameIsSkippedWithItsLine) {
  for (const char* texture : {R"(Texture="")", ""}) {
    const std::string set = std::string("<SetTexture ") + texture + R"( Pass="0" Index="0"/>)";
    const std::string material = R"(<SetMaterialName MaterialName="fx_bounds" MaterialCopy="1"/>)";
    const std::string objects[] = {
        "<EffectBillboard>" + material + set + "</EffectBillboard>",
        R"(<EffectParticleEX Type="Billboard" WorldAxis="0" Amount="5" Mesh="">)" + material + set +
            "</EffectParticleEX>",
        R"(<EffectParticleEX Type="Mesh" WorldAxis="0" Amount="2" Mesh="effect_test.mesh">)" + material + set +
            "</EffectParticleEX>",
    };
    for (const std::string& object : objects) {
      SCOPED_TRACE(object);
      LogLines log;
      CGAEffectNode* effect = nullptr;
      ASSERT_NO_THROW(effect = Make("\n" + object));
      EXPECT_TRUE(log.Has({"test.eff:2: <SetTexture> without a \"Texture\" name skipped"})) << log.All();
      auto* drawn = First<CGAEffectMaterial>(effect);
      ASSERT_TRUE(drawn);
      auto* particles = dynamic_cast<CGAEffectParticleEX*>(drawn);
      if (particles && !particles->GetMeshParticles().empty()) {
        for (const MeshParticleRecord& mesh : particles->GetMeshParticles())
          EXPECT_EQ(FirstTexture(mesh.material), "fx_bounds.png");
      } else {
        EXPECT_EQ(FirstTexture(drawn->GetMaterial()), "fx_bounds.png");
      }
      // The object's own setter ignores an empty name too.
      EXPECT_NO_THROW(drawn->SetTexture("", 0, 0));
      manager->DestroyAllEffects();
    }
  }
}

// "inf" saturates to the largest float, which overflows once a transform or
// the ground height is added: node transforms, animation keys and billboards
// are held within the effects' bounds, and that is logged at the line.
TEST_F(EffectBoundsTest, TransformsKeysAndBillboardsOfInfStayWithinTheBounds) {
  const struct {
    const char* definition;
    const char* logged;
  } cases[] = {
      {R"(<SetPosition Position="inf -inf 1e38"/>)", "test.eff:2: Position beyond"},
      {R"(<SetScale Scale="inf 1e30 -inf"/>)", "test.eff:2: Scale beyond"},
      {R"(<SetNodeAnim Type="POS_XYZ" Length="1" Loop="true" Linear="true">
            <K Value="-inf 0 0 0"/><K Value="inf 1e38 0 1"/></SetNodeAnim>)",
       "test.eff:3: Value beyond"},
      {R"(<SetNodeAnim Type="SCALE_X" Length="inf" Loop="true" Linear="false">
            <K Value="-inf -inf"/><K Value="inf inf"/><K Value="1 0.5"/></SetNodeAnim>)",
       "test.eff:3: Value beyond"},
      {R"(<SetNodeAnim Type="ROTATE_Y" Length="1" Loop="true" Linear="true">
            <K Value="-inf 0"/><K Value="inf 1"/></SetNodeAnim>)",
       "test.eff:3: Value beyond"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.definition);
    LogLines log;
    CGAEffectNode* effect = Make(std::string("\n") + c.definition);
    ASSERT_TRUE(effect);
    Frames(3);
    Ogre::SceneNode* node = effect->GetSceneNode();
    EXPECT_TRUE(Within(node->getPosition(), kMaxEffectDistance)) << node->getPosition();
    EXPECT_TRUE(Within(node->getScale(), kMaxEffectDistance)) << node->getScale();
    EXPECT_FALSE(node->getOrientation().isNaN());
    EXPECT_TRUE(log.Has({c.logged})) << log.All();
    manager->DestroyAllEffects();
  }
  auto* billboards = First<CGAEffectBillboard>(Make(
      R"(<EffectBillboard><AddBillboard Ared="inf inf 0" Position="0 inf 0" Colour="1 1 1 1"/></EffectBillboard>)"));
  ASSERT_TRUE(billboards);
  Ogre::Billboard* billboard = billboards->GetBillboardSet()->getBillboard(0);
  EXPECT_LE(billboard->getOwnWidth(), kMaxEffectSize);
  EXPECT_TRUE(Within(billboard->getPosition(), kMaxEffectDistance));
}

// Scales within the bounds still multiply down nested nodes and down effects
// started inside effects: each node keeps the product within the bounds, or
// the transforms and bounds the engine derives overflow (and it aborts).
TEST_F(EffectBoundsTest, NestedScalesKeepTheirProductWithinTheBounds) {
  std::string nested = R"(<EffectBillboard><AddBillboard Ared="1 1 0" Position="0 1 0" Colour="1 1 1 1"/>
                          </EffectBillboard>)";
  for (int i = 0; i < 10; ++i) nested = "<EffectNode>" + nested + R"(<SetScale Scale="1e4 -1e4 1e4"/></EffectNode>)";
  Define(R"(<EffectSystem EffectName="doll"><SetScale Scale="1e4 1e4 1e4"/>
              <Message><At Time="0"><M Type="effect" Name="doll"/></At></Message></EffectSystem>)");
  for (CGAEffectNode* effect : {Make(nested + R"(<SetScale Scale="1e4 1e4 1e4"/>)"), manager->CreateEffect("doll")}) {
    ASSERT_TRUE(effect);
    Frames(5);
    const CGAEffectNode* deepest = effect;
    while (!deepest->GetChildren().empty()) deepest = deepest->GetChildren().front();
    EXPECT_GE(deepest->GetDepth(), 4u);
    EXPECT_TRUE(Within(deepest->GetSceneNode()->_getDerivedScale(), kMaxEffectSize))
        << deepest->GetSceneNode()->_getDerivedScale();
    scene->getRootSceneNode()->_update(true, false);
    EXPECT_TRUE(Sound(scene->getRootSceneNode()->_getWorldAABB()));
  }
}

// Measured: DriveUp="inf" put the decal at the largest float, and the
// engine's bounds of it overflowed (an assertion in checked builds).
TEST_F(EffectBoundsTest, AHugeDriveUpLiftsTheDecalOnlyAsFarAsTheBounds) {
  world.terrainHeight = [](float, float) { return 5.0f; };
  for (const char* driveUp : {"inf", "-inf", "1e38"}) {
    SCOPED_TRACE(driveUp);
    LogLines log;
    CGAEffectNode* effect = Make(std::string(R"(<SetPosition Position="3 0 3"/>)") +
                                 R"(<EffectProjection MaterialName="fx_bounds" Density="1">)" +
                                 "\n<SetDriveUp DriveUp=\"" + driveUp + "\"/></EffectProjection>");
    auto* decal = First<CGAEffectProjection>(effect);
    ASSERT_TRUE(decal);
    Frame();
    ASSERT_FALSE(decal->GetDecal()->getSections().empty());
    EXPECT_GT(decal->GetDecal()->getSections()[0]->getRenderOperation()->vertexData->vertexCount, 0u);
    EXPECT_TRUE(Within(decal->GetDecal()->getBoundingBox().getMaximum(), 2 * kMaxEffectDistance));
    EXPECT_TRUE(Within(decal->GetDecal()->getBoundingBox().getMinimum(), 2 * kMaxEffectDistance));
    scene->getRootSceneNode()->_update(true, false);
    EXPECT_TRUE(Sound(decal->GetDecal()->getWorldBoundingBox(true)));
    EXPECT_TRUE(Within(decal->GetDecal()->getWorldBoundingBox(true).getMaximum(), 2 * kMaxEffectDistance));
    EXPECT_TRUE(log.Has({"test.eff:2: DriveUp beyond"})) << log.All();
    manager->DestroyAllEffects();
  }
}

// Measured: particles flung at "inf" speed in world axes gave bounds that
// were not finite (an assertion in checked builds); a node scaled to nothing
// has no inverse to take world bounds into.
TEST_F(EffectBoundsTest, ParticleBoundsStayFiniteWhateverTheSpeedOrTheNodeScale) {
  const char* cases[] = {
      R"(<EffectParticleEX Type="Billboard" WorldAxis="true" Amount="20" Mesh="">
           <SourcePoint Rate="1000" PositionA="0 0 0"/><VelocitySphere PositionA="0 0 0" Out="inf" In="0"/>
           <SetSize SizeA="inf inf inf" SizeB="1 1 1"/></EffectParticleEX>)",
      R"(<EffectParticleEX Type="Billboard" WorldAxis="false" Amount="20" Mesh="">
           <SourcePoint Rate="1000" PositionA="0 0 0"/><VelocitySphere PositionA="inf 0 0" Out="inf" In="0"/>
           <Gravity Direction="0 -inf 0"/></EffectParticleEX>)",
      R"(<SetScale Scale="0 0 0"/><EffectParticleEX Type="Billboard" WorldAxis="true" Amount="20" Mesh="">
           <SourcePoint Rate="1000" PositionA="1 2 3"/></EffectParticleEX>)",
  };
  for (const char* definition : cases) {
    SCOPED_TRACE(definition);
    auto* particles = First<CGAEffectParticleEX>(Make(definition));
    ASSERT_TRUE(particles);
    for (int frame = 0; frame < 20; ++frame) {
      Frame();
      ASSERT_TRUE(Sound(particles->getBoundingBox())) << "frame " << frame;
      ASSERT_TRUE(std::isfinite(particles->getBoundingRadius())) << "frame " << frame;
    }
    ASSERT_FALSE(particles->GetRecords().empty());
    for (const ParticleRenderRecord& record : particles->GetRecords()) {
      EXPECT_TRUE(Within(record.position, kMaxEffectDistance)) << record.position;
      EXPECT_TRUE(Within(record.size, kMaxEffectSize)) << record.size;
    }
    manager->DestroyAllEffects();
  }
}

}  // namespace
