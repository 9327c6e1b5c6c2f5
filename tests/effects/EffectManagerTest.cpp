// The effect manager: managed and unmanaged effects, their liveness, mass
// destruction in either order with units, and the objects hidden while
// "RttTex" renders.
#include "EffectTestSupport.h"

#include "tests/support/LogLines.h"

#include <OgreEntity.h>
#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <tinyxml.h>

#include <algorithm>

namespace {

class EffectManagerTest : public EffectFixture {};

size_t Count(const LogLines& log, const std::string& part) {
  return size_t(std::count_if(log.lines.begin(), log.lines.end(),
                              [&part](const std::string& line) { return line.find(part) != std::string::npos; }));
}

TEST_F(EffectManagerTest, NamesCountUpFromOne) {
  EXPECT_EQ(manager->MakeEffectName(), "Effect_1");
  EXPECT_EQ(manager->MakeEffectName(), "Effect_2");
}

// A data file may give its objects the names effects are made with: a name
// any object of the scene or a material bears is passed over.
TEST_F(EffectManagerTest, NamesPassOverThoseTheSceneHolds) {
  Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().create("Effect_1", "General");
  scene->createManualObject("Effect_2");
  scene->getRootSceneNode()->createChildSceneNode("Effect_3");
  EXPECT_EQ(manager->MakeEffectName(), "Effect_4");
  EXPECT_EQ(manager->MakeEffectName(), "Effect_5");
  scene->destroyManualObject("Effect_2");
  scene->destroySceneNode("Effect_3");
  Ogre::MaterialManager::getSingleton().remove(material);
}

TEST_F(EffectManagerTest, DestroyingAllEndsManagedEffectsOnlyAndLeavesNothingBehind) {
  Define(R"(<EffectSystem EffectName="a"><EffectNode><SetLifeTime Time="1"/></EffectNode>
              <SetNodeAnim Type="SCALE_XYZ" Length="1" Loop="true" Linear="true"><K Value="1 1 1 0"/></SetNodeAnim>
            </EffectSystem>)");
  const SceneCounts empty = CountScene(scene);
  CGAEffectNode* managed = manager->CreateEffect("a", "named");
  CGAEffectNode* mine = manager->CreateEffect("a", "", true);
  EXPECT_EQ(managed->GetName(), "named");
  EXPECT_TRUE(manager->IsManaged(managed));
  EXPECT_FALSE(manager->IsManaged(mine));
  manager->DestroyAllEffects();
  EXPECT_FALSE(manager->IsLive(managed));
  ASSERT_TRUE(manager->IsLive(mine));
  mine->Destroy();
  delete mine;
  EXPECT_TRUE(CountScene(scene) == empty);
}

// A node built from an element has a generated name all the same: naming
// makes the scene node that hangs under the effect root.
TEST_F(EffectManagerTest, CreateEffectFromElementBuildsTheGivenElementManagedUnderTheRoot) {
  Define(R"(<EffectSystem EffectName="a"><SetLifeTime Time="1"/></EffectSystem>)");
  TiXmlDocument other;
  other.Parse(R"(<EffectSystem EffectName="b"><SetLifeTime Time="7"/>
                   <EffectNode><SetLifeTime Time="2"/></EffectNode></EffectSystem>)");
  EffectMessage request;
  request.name = "a";
  CGAEffectNode* effect = manager->CreateEffectFromElement(request, other.RootElement());
  ASSERT_NE(effect, nullptr);
  EXPECT_FLOAT_EQ(effect->GetLife(), 7.0f);
  EXPECT_EQ(effect->GetChildren().size(), 1u);
  EXPECT_EQ(effect->GetEffectName(), "a");
  EXPECT_EQ(effect->GetName().rfind("Effect_", 0), 0u);
  EXPECT_TRUE(manager->IsManaged(effect));
  EXPECT_EQ(effect->GetSceneNode()->getParent(), manager->GetEffectRoot());
  // A name that is not indexed, or no element, gives none.
  request.name = "b";
  EXPECT_EQ(manager->CreateEffectFromElement(request, other.RootElement()), nullptr);
  request.name = "a";
  EXPECT_EQ(manager->CreateEffectFromElement(request, nullptr), nullptr);
  EXPECT_EQ(manager->GetManagedCount(), 1u);
}

TEST_F(EffectManagerTest, DestroyEffectEndsTheFirstManagedEffectOfThatName) {
  Define(R"(<EffectSystem EffectName="a"/>)");
  CGAEffectNode* first = manager->CreateEffect("a", "x");
  CGAEffectNode* second = manager->CreateEffect("a", "x");
  manager->DestroyEffect("x");
  manager->DestroyEffect("unknown");
  EXPECT_FALSE(manager->IsLive(first));
  EXPECT_TRUE(manager->IsLive(second));
}

// A level reset clears units and effects back to back; either order leaves
// nothing that touches the other side.
TEST_F(EffectManagerTest, UnitsAndEffectsMayGoInEitherOrder) {
  Define(R"(<EffectSystem EffectName="aura"><SetLink Bone="release"/></EffectSystem>)");
  for (bool unitsFirst : {true, false}) {
    CGAUnit* a = MakeUnit({4, 0, 4});
    CGAUnit* b = MakeUnit({6, 0, 4});
    Start("aura", a, b);
    Start("aura", b, a);
    Frame();
    if (unitsFirst) {
      DeleteUnit(a);
      DeleteUnit(b);
      manager->DestroyAllEffects();
    } else {
      manager->DestroyAllEffects();
      DeleteUnit(a);
      DeleteUnit(b);
    }
    Frame();
    EXPECT_EQ(manager->GetManagedCount(), 0u);
  }
}

TEST_F(EffectManagerTest, AParentOwnsItsChildEffects) {
  Define(R"(<EffectSystem EffectName="a"><SetLifeTime Time="1"/></EffectSystem>
            <EffectSystem EffectName="b"><SetLifeTime Time="0.1"/></EffectSystem>)");
  CGAEffectNode* parent = manager->CreateEffect("a");
  CGAEffectNode* child = manager->CreateEffect("b", "", true, parent);
  EXPECT_EQ(child->GetSceneNode()->getParent(), parent->GetSceneNode());
  EXPECT_EQ(manager->GetManagedCount(), 1u);
  Frames(4);
  EXPECT_FALSE(manager->IsLive(child));
  EXPECT_TRUE(manager->IsLive(parent));
}

// Measured: an effect that starts itself grew by 1000 a frame without end
// (35,751 live after 40 frames, a warning every frame), and one whose
// "effect" message starts its own definition nested a level deeper every
// frame. Both stop at their bound, each bound logged once.
TEST_F(EffectManagerTest, EffectsThatStartThemselvesStopAtTheirBoundsAndSayItOnce) {
  Define(R"(<EffectSystem EffectName="rabbit"><AutoDischargeEffect Time="0" Name="rabbit"/></EffectSystem>
            <EffectSystem EffectName="doll"><Message><At Time="0"><M Type="effect" Name="doll"/></At></Message>
            </EffectSystem>)");
  LogLines log;
  manager->CreateEffect("rabbit");
  Frames(25);
  EXPECT_EQ(manager->GetEffectCount(), 10000u);
  EXPECT_EQ(manager->GetManagedCount(), 10000u);
  EXPECT_EQ(Count(log, "effects alive"), 1u) << log.All();
  EXPECT_EQ(Count(log, "started in one frame"), 1u) << log.All();
  manager->DestroyAllEffects();
  EXPECT_EQ(manager->GetEffectCount(), 0u);

  const CGAEffectNode* doll = manager->CreateEffect("doll");
  Frames(80);
  size_t depth = 0;
  while (!doll->GetChildren().empty()) {
    doll = doll->GetChildren().front();
    ++depth;
  }
  EXPECT_EQ(depth, 63u);
  EXPECT_EQ(doll->GetDepth(), 63u);
  EXPECT_EQ(Count(log, "nested 64 deep"), 1u) << log.All();
}

// Objects that sample "RttTex" are hidden while it renders; afterwards each
// gets back the visibility it had (a hidden object used to come back shown).
TEST_F(EffectManagerTest, RttRenderingHidesListedObjectsAndRestoresTheirVisibility) {
  Ogre::Entity* shown = MakeEntity(scene);
  Ogre::Entity* hidden = MakeEntity(scene);
  hidden->setVisible(false);
  manager->AddRttHidden(shown);
  manager->AddRttHidden(hidden);
  manager->AddRttHidden(shown);  // its texture set twice
  const Ogre::RenderTargetEvent event{};
  manager->preRenderTargetUpdate(event);
  EXPECT_FALSE(shown->getVisible());
  EXPECT_FALSE(hidden->getVisible());
  manager->postRenderTargetUpdate(event);
  EXPECT_TRUE(shown->getVisible());
  EXPECT_FALSE(hidden->getVisible());
  // Removal takes every entry of an object.
  manager->RemoveRttHidden(shown);
  manager->preRenderTargetUpdate(event);
  EXPECT_TRUE(shown->getVisible());
  manager->postRenderTargetUpdate(event);
}

}  // namespace
