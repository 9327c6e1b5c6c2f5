#include "FakeUnitWorld.h"
#include "game/PlayerRecord.h"
#include "units/UnitManager.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class UnitDataFiles : public ::testing::Test {
 protected:
  LogLines log;
  CGAUnitManager manager{nullptr};

  void SetUp() override { std::memset(&PlayerRecord, 0, sizeof PlayerRecord); }
  void TearDown() override { std::memset(&PlayerRecord, 0, sizeof PlayerRecord); }

  // Templates "u0" .. "u<count-1>" and a unit.xml listing them all, with gold.
  std::string DefineUnits(int count) {
    std::string units = "<Units>", xml = "<root>";
    for (int i = 0; i < count; ++i) {
      units += "<Unit Name=\"u" + std::to_string(i) + "\"/>";
      xml += "<unit id=\"u" + std::to_string(i) + "\" gold=\"100\"/>";
    }
    manager.ReadUnitTemplates(units + "</Units>", "many.unt");
    return xml + "</root>";
  }
  UnitTemplate& T(const std::string& name) { return *manager.GetUnitTemplate(name); }
};

TEST_F(UnitDataFiles, UnitXmlFillsTheTemplateFields) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="archer"/></U>)", "a.unt");
  manager.ReadUnitXml(R"(<units>
      <unit id="archer" name="弓手" icon="UnitIcons/archer" type="3" hp="120" price="50" need="archer_need"
            release_dis="8" attack_time="1500" attack_value="-20" ready="4000" radius="0.5" speed="1.25"
            gold="300.7" lock_0="archer_lock">
        <text>远程攻击</text><text></text>
        <att type="14" value="2"/>
      </unit>
    </units>)",
                     "unit.xml");
  const UnitTemplate& t = T("archer");
  EXPECT_EQ(t.name, "弓手");
  EXPECT_EQ(t.text, "远程攻击");  // an empty text changes nothing
  EXPECT_EQ(t.icon, "UnitIcons/archer");
  EXPECT_EQ(t.need, "archer_need");
  EXPECT_EQ(t.lock_0, "archer_lock");
  EXPECT_EQ(t.type, 3);
  EXPECT_EQ(t.hp, 120);
  EXPECT_EQ(t.price, 50);
  EXPECT_EQ(t.release_dis, 8);
  EXPECT_EQ(t.attack_time, 1500);
  EXPECT_EQ(t.attack_value, -20);
  EXPECT_EQ(t.ready, 4000);
  EXPECT_FLOAT_EQ(t.radius, 0.5f);
  EXPECT_FLOAT_EQ(t.speed, 1.25f);
  EXPECT_EQ(t.gold, 300);
  EXPECT_EQ(t.attributes, (std::vector<std::pair<int, int>>{{14, 2}}));
  EXPECT_FALSE(t.unlocked);
}

TEST_F(UnitDataFiles, OnlyTheFirstFiftyKnownTypesGetUnlockFlags) {
  std::string xml = DefineUnits(52);
  // Unknown ids do not count.
  xml.insert(xml.find("<unit"), R"(<unit id="nobody" gold="1"/>)");
  PlayerRecord.Unlocked[3] = 1;
  PlayerRecord.Unlocked[49] = 1;
  manager.ReadUnitXml(xml, "unit.xml");
  struct Case {
    const char* name;
    int index;
    bool unlocked;
  };
  for (const Case& c : {Case{"u0", 0, false}, Case{"u3", 3, true}, Case{"u48", 48, false}, Case{"u49", 49, true},
                        Case{"u50", 50, false}, Case{"u51", 50, false}}) {
    EXPECT_EQ(T(c.name).index, c.index) << c.name;
    EXPECT_EQ(T(c.name).unlocked, c.unlocked) << c.name;
  }
}

TEST_F(UnitDataFiles, TypesWithoutAFlagCannotBeUnlocked) {
  manager.ReadUnitXml(DefineUnits(52), "unit.xml");
  const SPlayerRecord before = PlayerRecord;
  EXPECT_FALSE(UnlockUnitType(T("u51"), PlayerRecord));
  EXPECT_FALSE(T("u51").unlocked);
  EXPECT_EQ(std::memcmp(&before, &PlayerRecord, sizeof before), 0);
  EXPECT_TRUE(log.Has("u51"));

  EXPECT_TRUE(UnlockUnitType(T("u49"), PlayerRecord));
  EXPECT_EQ(PlayerRecord.Unlocked[49], 1);
  EXPECT_TRUE(T("u49").unlocked);
  // Types past the flags keep the unlocked value they had (a free type is
  // always unlocked).
  T("u50").unlocked = true;
  manager.ReadUnitXml(DefineUnits(52), "unit.xml");
  EXPECT_TRUE(T("u50").unlocked);
  EXPECT_TRUE(T("u49").unlocked);
}

// A negative unlock gold reads as 0: a type that would pay to unlock is free.
TEST_F(UnitDataFiles, GoldIsTruncatedAndFreeTypesAreUnlocked) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="gold"/><Unit Name="goldA"/><Unit Name="paid"/></U>)", "pick.unt");
  manager.ReadUnitXml(R"(<u><unit id="gold" gold="0.9"/><unit id="goldA" gold="-1.5"/><unit id="paid" gold="1.5"/></u>)",
                      "unit.xml");
  EXPECT_EQ(T("gold").gold, 0);
  EXPECT_TRUE(T("gold").unlocked);
  EXPECT_EQ(T("goldA").gold, 0);
  EXPECT_TRUE(T("goldA").unlocked);
  EXPECT_EQ(T("paid").gold, 1);
  EXPECT_FALSE(T("paid").unlocked);
}

TEST_F(UnitDataFiles, AttPairsOutsideTheSlotsAreIgnoredWithALogLine) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="u"/></U>)", "u.unt");
  const std::string xml = R"(<u><unit id="u">
      <att type="17" value="5"/>
      <att type="18" value="9"/>
      <att type="-1" value="9"/>
      <att type="many" value="9"/>
      <att type="0" value="7"/>
    </unit></u>)";
  manager.ReadUnitXml(xml, "unit.xml");
  EXPECT_EQ(T("u").attributes, (std::vector<std::pair<int, int>>{{17, 5}, {0, 7}}));
  EXPECT_TRUE(log.Has("unit.xml:3: unit u: att type \"18\" is not a slot"));
  EXPECT_TRUE(log.Has("unit.xml:4: unit u: att type \"-1\""));
  EXPECT_TRUE(log.Has("unit.xml:5: unit u: att type \"many\""));
  // Every reading appends the pairs again.
  manager.ReadUnitXml(xml, "unit.xml");
  EXPECT_EQ(T("u").attributes.size(), 4u);
}

TEST_F(UnitDataFiles, AMalformedUnitXmlIsLoggedAndChangesNothing) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="u"/></U>)", "u.unt");
  manager.ReadUnitXml(R"(<u><unit id="u" hp="5"></u>)", "unit.xml");
  EXPECT_TRUE(log.Has("unit.xml:"));
  EXPECT_EQ(T("u").hp, 0);
}

TEST_F(UnitDataFiles, CreatureListsNameEachTypeOnceInByteOrderOfTheirIds) {
  manager.ReadCritterNames(R"(<critters>
      <critter id="7" display="goblin"/><critter id="12" display="brute"/>
      <critter id="3" display="old"/><critter id="3" display="wolf"/>
    </critters>)",
                           "critter.xml");
  const std::string list = R"(<Units>
      <Unit CritterId="7"/><Unit CritterId="12"/><Unit CritterId="7"/><Unit CritterId="99"/><Unit CritterId="3"/>
    </Units>)";
  EXPECT_EQ(manager.ReadCreatureList(list, "mob_field.unit"), (std::vector<std::string>{"brute", "wolf", "goblin"}));
  // An id without a display name is skipped alone.
  EXPECT_TRUE(log.Has("mob_field.unit: creature id 99 has no display name"));
  EXPECT_TRUE(manager.ReadCreatureList(list, "boss_field.unit").empty());
  EXPECT_TRUE(manager.ReadCreatureList("<Units/>", "mob_field.unit").empty());
}

TEST_F(UnitDataFiles, NpcListsUseTheirOwnElementsAndTable) {
  manager.ReadNpcNames(R"(<npcs><npc id="b" display="healer"/><npc id="a" display="swordsman"/><npc id="c"/></npcs>)",
                       "npc.xml");
  EXPECT_TRUE(log.Has("npc.xml:1: a npc without id or display is skipped"));
  const std::string list =
      R"(<npc_accounts><npc_account npc_id="b"/><npc_account npc_id="a"/></npc_accounts>)";
  EXPECT_EQ(manager.ReadCreatureList(list, "npc_field.unit"), (std::vector<std::string>{"swordsman", "healer"}));
  manager.ReadCritterNames("<critter/>", "critter.xml");
  EXPECT_TRUE(log.Has("critter.xml: has no \"critters\" element"));
}

}  // namespace
