#include "FakeUnitWorld.h"
#include "platform/CodePage.h"
#include "platform/Random.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <gtest/gtest.h>

namespace {

class UnitCreation : public ::testing::Test {
 protected:
  LogLines log;
  FakeUnitWorld world;
  CGAUnitManager manager{nullptr};

  void SetUp() override {
    manager.SetUnitWorld(&world);
    platform::SeedRand(7);
  }
};

const char* kKnight = R"(<Units>
  <Unit Name="knight" NamePosition="0 2.5 0" Scale="1.5">
    <SetTerrain Terrain="1"/>
    <SetPosition Position="0 0.2 0"/>
    <CollideBox Scale="1 2 1"/>
    <Part Name="body"/>
    <Part Name="nothing"/>
    <Anim Name="idle" AnimName="stand2" Skeleton="" Sound="" Effect=""/>
    <Bone Name="release" BoneName="Bip01 R Hand"/>
    <Custom><motto>forward</motto><empty/></Custom>
    <Actions>
      <Action Name="ready"><ActionChild Time="0" Type="Anim" Name="stand" Speed="1" Loop="1"/></Action>
      <Action Name="attack"/>
    </Actions>
    <ChoiceParts><Part PartName="body" PartType="body" ResName="knight.mesh" Bone=""/></ChoiceParts>
    <SkeletonFiles><File>knight_extra.skeleton</File></SkeletonFiles>
  </Unit>
  <Unit Name="archer"/>
</Units>)";

TEST_F(UnitCreation, WithoutAnyTemplateAnErrorBoxIsShownAndNoUnitMade) {
  EXPECT_EQ(manager.CreateUnit("knight"), nullptr);
  const std::string title = platform::GbkToUtf8("错误");
  ASSERT_FALSE(log.lines.empty());
  EXPECT_EQ(log.lines.back().rfind("[" + title + "] knight ", 0), 0u) << log.lines.back();
  EXPECT_NE(log.lines.back().find("ID:1 "), std::string::npos) << log.lines.back();
  EXPECT_TRUE(manager.GetUnits().empty());
}

TEST_F(UnitCreation, UnitsTakeTheirTemplatesValues) {
  manager.ReadUnitTemplates(kKnight, "knight.unt");
  manager.ReadUnitXml(R"(<u><unit id="knight" type="3" hp="80" price="40" gold="12.5" release_dis="6"
      attack_time="1200" attack_value="-15" radius="0.75" speed="1.5"><att type="14" value="2"/>
      <att type="1" value="50"/></unit></u>)",
                      "unit.xml");
  CGAUnit* unit = manager.CreateUnit("knight");
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->GetName(), "Unit_1");
  EXPECT_EQ(unit->GetId(), 1u);
  EXPECT_EQ(*unit->GetType(), 3);
  struct Slot {
    unsigned slot;
    int value;
  };
  for (const Slot& s : {Slot{kSlotMaxHp, 80}, Slot{kSlotHp, 50}, Slot{kSlotPeriod, 1200}, Slot{kSlotCountdown, 0},
                        Slot{kSlotSide, 1}, Slot{kSlotRange, 6}, Slot{kSlotValue, -15}, Slot{kSlotPrice, 40},
                        Slot{kSlotGold, 12}, Slot{kSlotLaneSpan, 2}, Slot{kSlotStunTimer, 1}})
    EXPECT_EQ(unit->GetInt(s.slot), s.value) << s.slot;
  EXPECT_FLOAT_EQ(unit->GetRadius(), 0.75f);
  EXPECT_FLOAT_EQ(unit->GetSpeed(), 1.5f);
  EXPECT_EQ(unit->GetScale(), Ogre::Vector3(1.5f, 1.5f, 1.5f));
  EXPECT_EQ(unit->GetCollideBox(), Ogre::Vector3(1, 2, 1));
  Ogre::Vector3 tag;
  unit->GetTagPosition(tag, true);
  EXPECT_EQ(tag, Ogre::Vector3(0, 2.5f, 0));
  EXPECT_EQ(unit->GetString("motto"), "forward");
  EXPECT_EQ(unit->GetString("empty"), "");
  ASSERT_EQ(unit->GetPendingParts().size(), 1u);
  EXPECT_EQ(unit->GetPendingParts()[0].key, "body");
  ASSERT_NE(unit->GetCurrentAction(), nullptr);
  EXPECT_EQ(unit->GetCurrentAction()->GetName(), "ready");
  EXPECT_EQ(unit->GetActions().size(), 2u);
  EXPECT_GE(unit->GetHeading(), 0.0f);
  EXPECT_LT(unit->GetHeading(), 360.0f);
  unit->SetPosition(Ogre::Vector3(5, 0, 5));
  EXPECT_EQ(world.ModelOf(*unit).nodePosition, Ogre::Vector3(5, 0.2f, 5));
  EXPECT_EQ(world.ModelOf(*unit).calls,
            (std::vector<std::string>{"effect shadow shadow", "anim group idle stand2", "bone target Bip01 Spine",
                                      "bone release Bip01 R Hand", "skeleton knight_extra.skeleton"}));
}

TEST_F(UnitCreation, AnUnknownTemplateGivesTheFirstByNameAndNamesRecreateTheSameUnit) {
  manager.ReadUnitTemplates(kKnight, "knight.unt");
  CGAUnit* first = manager.CreateUnit("dragon");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetTemplateName(), "archer");
  CGAUnit* second = manager.CreateUnit("knight");
  EXPECT_EQ(second->GetName(), "Unit_2");
  // A fighter (type 0) gets no shadow effect.
  EXPECT_EQ(world.ModelOf(*first).calls, std::vector<std::string>{"bone target Bip01 Spine"});

  second->SetFadeOut(true, 2000);
  testing::internal::CaptureStdout();
  EXPECT_EQ(manager.CreateNamedUnit("archer", "Unit_2"), second);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), u8"重建对象 \n");  // UTF-8 on the terminal
  EXPECT_FALSE(second->IsFading());
  EXPECT_EQ(second->GetAlpha().second, 1.0f);
  EXPECT_EQ(manager.GetUnits().size(), 2u);
}

TEST_F(UnitCreation, FadingAndTargets) {
  manager.ReadUnitTemplates(kKnight, "knight.unt");
  CGAUnit* a = manager.CreateUnit("knight");
  CGAUnit* b = manager.CreateUnit("knight");
  a->SetTarget(b);
  EXPECT_EQ(a->GetTarget(), b);
  EXPECT_FALSE(b->IsFinished());
  b->SetFadeOut(true, 0);
  EXPECT_EQ(a->GetTarget(), nullptr);
  EXPECT_FALSE(b->IsFinished());  // finished once the countdown is below 0
  a->SetFadeOut(false, -5);
  EXPECT_FALSE(a->IsFinished());  // a unit that is not fading is never finished
}

}  // namespace
