#include "FakeUnitWorld.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"
#include "units/UnitPartDef.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace {

class UnitTemplateFiles : public ::testing::Test {
 protected:
  LogLines log;
  CGAUnitManager manager{nullptr};

  UnitTemplate& Template(const std::string& name) {
    UnitTemplate* t = manager.GetUnitTemplate(name);
    EXPECT_NE(t, nullptr) << name;
    static UnitTemplate none;
    return t ? *t : none;
  }
};

const char* kRedefined = R"(<Units>
  <Unit Name="knight" NamePosition="0 2 0" Scale="1.5">
    <Actions>
      <Action Name="ready" Level="0" Probability="100"/>
      <Action Name="attack" Level="1" Probability="100"/>
    </Actions>
    <ChoiceParts>
      <Part PartName="body" PartType="body" ResName="knight.mesh"/>
      <Part PartName="body" PartType="cape" ResName="cape.mesh"/>
    </ChoiceParts>
    <SkeletonFiles><File>knight_a.skeleton</File></SkeletonFiles>
  </Unit>
  <Unit Name="knight" NamePosition="0 9 0">
    <Actions><Action Name="die" Level="10"/></Actions>
    <ChoiceParts>
      <Part PartName="weapon" PartType="sword" ResName="sword.mesh"/>
      <Part PartName="body" PartType="helmet" ResName="helmet.mesh"/>
    </ChoiceParts>
    <SkeletonFiles><File>knight_b.skeleton</File></SkeletonFiles>
  </Unit>
</Units>)";

TEST_F(UnitTemplateFiles, ASecondDefinitionReplacesActionsAndAddsPartsKeepingTheFirstNamePosition) {
  manager.ReadUnitTemplates(kRedefined, "knight.unt");
  UnitTemplate& t = Template("knight");
  ASSERT_EQ(t.actions.size(), 1u);
  EXPECT_EQ(t.actions[0]->GetName(), "die");
  EXPECT_EQ(t.actions[0]->GetLevel(), 10);
  EXPECT_EQ(t.NamePosition, Ogre::Vector3(0, 2, 0));
  ASSERT_EQ(t.choiceParts.size(), 2u);
  // Parts with the same PartName form one group in document order, across
  // both definitions.
  const auto& body = t.choiceParts["body"];
  ASSERT_EQ(body.size(), 3u);
  EXPECT_EQ(body[0]->GetPartType(), "body");
  EXPECT_EQ(body[1]->GetPartType(), "cape");
  EXPECT_EQ(body[2]->GetPartType(), "helmet");
  EXPECT_EQ(t.choiceParts["weapon"].size(), 1u);
  EXPECT_EQ(t.skeletonFiles, (std::vector<std::string>{"knight_a.skeleton", "knight_b.skeleton"}));
  // Creation reads the element of the later definition.
  EXPECT_EQ(std::string(t.unitElement->Attribute("NamePosition")), "0 9 0");
}

TEST_F(UnitTemplateFiles, ATemplateKeepsItsAddressWhenRedefined) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="a"/><Unit Name="b"/></U>)", "one.unt");
  UnitTemplate* before = manager.GetUnitTemplate("a");
  manager.ReadUnitTemplates(R"(<U><Unit Name="a"><Actions><Action Name="ready"/></Actions></Unit></U>)", "two.unt");
  EXPECT_EQ(manager.GetUnitTemplate("a"), before);
  EXPECT_EQ(before->actions.size(), 1u);
}

TEST_F(UnitTemplateFiles, ActionsReadTheirLevelProbabilityAndEventParameters) {
  manager.ReadUnitTemplates(R"(<Units><Unit Name="archer"><Actions>
      <Action Name="attack" Level="2" Probability="33.9">
        <ActionChild Time="0.1" Type="Anim" Name="attack" Speed="1.5" Loop="0"/>
        <ActionChild Time="0.4" Type="Effect" Name="arrow" Bone="release"/>
        <ActionChild Time="0.5" Type="Effect" Name="hit" Bone="" Target="1"/>
        <ActionChild Time="0.6" Type="Sound" Name="bow.wav"/>
        <ActionChild Time="0.7" Type="Action" Name="ready" Target="0"/>
        <ActionChild Time="0.8" Type="Space" Value0="hiding" Value1="3000"/>
      </Action>
      <Action Name="ready"/>
    </Actions></Unit></Units>)",
                            "archer.unt");
  const UnitTemplate& t = Template("archer");
  ASSERT_EQ(t.actions.size(), 2u);
  const UnitAction& attack = *t.actions[0];
  EXPECT_EQ(attack.GetLevel(), 2);
  EXPECT_EQ(attack.GetProbability(), 33.0f);
  // Defaults of an action that gives neither.
  EXPECT_EQ(t.actions[1]->GetLevel(), 0);
  EXPECT_EQ(t.actions[1]->GetProbability(), 1.0f);

  struct Expected {
    int type;
    float time;
    std::vector<std::string> parameters;
  };
  const Expected expected[] = {
      {kEventAnim, 0.1f, {"attack", "1.5", "0", ""}},
      {kEventEffect, 0.4f, {"arrow", "release"}},  // no Target: two parameters
      {kEventEffect, 0.5f, {"hit", "", "1"}},      // with Target: three
      {kEventSound, 0.6f, {"bow.wav"}},
      {kEventAction, 0.7f, {"ready", "0"}},
      {kEventSpace, 0.8f, {"hiding", "3000", ""}},
  };
  ASSERT_EQ(attack.GetEvents().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const UnitActionEvent& e = attack.GetEvents()[i];
    EXPECT_EQ(e.type, expected[i].type) << i;
    EXPECT_FLOAT_EQ(e.Time, expected[i].time) << i;
    EXPECT_EQ(e.parameters, expected[i].parameters) << i;
  }
}

TEST_F(UnitTemplateFiles, EventsOutOfTimeOrderAreSorted) {
  manager.ReadUnitTemplates(R"(<Units><Unit Name="u"><Actions><Action Name="attack">
        <ActionChild Time="0.9" Type="Sound" Name="late"/>
        <ActionChild Time="0.2" Type="Sound" Name="early"/>
        <ActionChild Time="0.5" Type="Sound" Name="middle"/>
        <ActionChild Time="0.5" Type="Sound" Name="middle2"/>
      </Action></Actions></Unit></Units>)",
                            "u.unt");
  std::vector<std::string> order;
  for (const UnitActionEvent& e : Template("u").actions[0]->GetEvents()) order.push_back(e.parameters[0]);
  EXPECT_EQ(order, (std::vector<std::string>{"early", "middle", "middle2", "late"}));
}

// An event due after the one that moves the unit on to another action never
// fires: the file is told so at the first such event's line, once for the
// action with the count. An action started on the target ends nothing.
TEST_F(UnitTemplateFiles, EventsAfterTheActionMovesOnAreReported) {
  std::string flood = "<Action Name=\"flood\">\n<ActionChild Time=\"0\" Type=\"Action\" Name=\"ready\" Target=\"0\"/>\n";
  for (int i = 0; i < 1000; ++i) flood += "<ActionChild Time=\"1\" Type=\"Sound\" Name=\"s\"/>\n";
  manager.ReadUnitTemplates(R"(<Units><Unit Name="u"><Actions>
      <Action Name="attack">
        <ActionChild Time="0" Type="Anim" Name="attack" Speed="1" Loop="0"/>
        <ActionChild Time="0.45" Type="Effect" Name="arrow" Bone="release"/>
        <ActionChild Time="0.4" Type="Action" Name="ready" Target="0"/>
      </Action>
      <Action Name="fine">
        <ActionChild Time="0.2" Type="Action" Name="injured" Target="1"/>
        <ActionChild Time="0.5" Type="Sound" Name="s"/>
        <ActionChild Time="0.6" Type="Action" Name="ready" Target="0"/>
      </Action>
)" + flood + "</Action></Actions></Unit></Units>",
                            "u.unt");
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_TRUE(log.Has("u.unt:4: action \"attack\" moves on to another action at Time 0.4, so this event "
                           "never fires"));
  EXPECT_TRUE(log.Has("u.unt:14: action \"flood\" moves on to another action at Time 0, so this event and the "
                           "999 after it never fire"))
      << log.All();
}

TEST_F(UnitTemplateFiles, PartsReadTheirFieldsAndAtMostTwoEffectTextures) {
  manager.ReadUnitTemplates(R"(<Units><Unit Name="u"><ChoiceParts>
      <Part PartName="weapon" PartType="Bone16" ResName="axe.mesh" Texture="axe.png" Bone="Bip01 R Hand"
            Effect="glow" AttackType="axe" Angle="0 90 0" Position="1 2 3">
        <EffectTexture textue="fire.png" mask="fire_mask.png" uv="0.5 0.25" flash="3"/>
        <EffectTexture textue="ice.png" mask="ice_mask.png" uv="1 2" flash="1"/>
        <EffectTexture textue="third.png" mask="m.png" uv="1 1" flash="1"/>
      </Part>
      <Part PartName="plain" PartType="body" ResName="plain.mesh"/>
    </ChoiceParts></Unit></Units>)",
                            "u.unt");
  UnitTemplate& t = Template("u");
  const UnitPartDef& axe = *t.choiceParts["weapon"][0];
  EXPECT_EQ(axe.GetPartType(), "Bone16");
  EXPECT_EQ(axe.GetResName(), "axe.mesh");
  EXPECT_EQ(axe.GetTexture(), "axe.png");
  EXPECT_EQ(axe.GetBone(), "Bip01 R Hand");
  EXPECT_EQ(axe.GetEffect(), "glow");
  EXPECT_EQ(axe.GetAttackType(), "axe");
  EXPECT_EQ(axe.GetPosition(), Ogre::Vector3(1, 2, 3));
  // A quarter turn about Y takes +z to +x.
  EXPECT_TRUE((axe.GetOrientation() * Ogre::Vector3::UNIT_Z).positionEquals(Ogre::Vector3::UNIT_X, 1e-5f));
  EXPECT_EQ(axe.GetEffectTexture(0).texture, "fire.png");
  EXPECT_EQ(axe.GetEffectTexture(0).mask, "fire_mask.png");
  EXPECT_EQ(axe.GetEffectTexture(0).parameter, Ogre::Vector4(0.5f, 0.25f, 3.0f, 1.0f));
  EXPECT_EQ(axe.GetEffectTexture(1).texture, "ice.png");
  const UnitPartDef& plain = *t.choiceParts["plain"][0];
  EXPECT_EQ(plain.GetOrientation(), Ogre::Quaternion::IDENTITY);
  EXPECT_TRUE(plain.GetEffectTexture(0).texture.empty());
  EXPECT_EQ(plain.GetEffectTexture(1).parameter, Ogre::Vector4::ZERO);
}

TEST_F(UnitTemplateFiles, BadInputIsLoggedWithTheFileAndTheRestStillLoads) {
  manager.ReadUnitTemplates(R"(<Units><Unit Name="good"/><Unit Name="broken"><Actions></Units>)", "broken.unt");
  EXPECT_TRUE(log.Has("broken.unt:"));
  manager.ReadUnitTemplates(R"(<Units>
      <Unit NamePosition="0 1 0"/>
      <Unit Name="fine"><Actions><Action Name="ready">
        <ActionChild Time="0" Type="Dance" Name="x"/>
        <ActionChild Time="0.1" Type="Anim" Name="stand" Speed="1" Loop="1"/>
      </Action></Actions>
      <SkeletonFiles><File/></SkeletonFiles></Unit>
    </Units>)",
                            "odd.unt");
  EXPECT_TRUE(log.Has("odd.unt:2: a Unit without a Name"));
  EXPECT_TRUE(log.Has("odd.unt:4: action \"ready\" has an event of unknown Type \"Dance\""));
  EXPECT_TRUE(log.Has("odd.unt:7: a skeleton File without a name"));
  EXPECT_EQ(manager.GetUnitTemplate("broken"), nullptr);
  EXPECT_EQ(manager.GetUnitTemplates().size(), 1u);
  ASSERT_EQ(Template("fine").actions[0]->GetEvents().size(), 1u);
  EXPECT_TRUE(Template("fine").skeletonFiles.empty());
}

}  // namespace
