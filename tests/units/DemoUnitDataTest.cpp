// The unit set shipped in data/units loads through the resource system
// without a log line, and has what the battles need.
#include "FakeUnitWorld.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <OgreResourceGroupManager.h>
#include <gtest/gtest.h>

#include <set>

namespace {

TEST(DemoUnitData, LoadsCleanlyWithEveryActionTheGameAsksFor) {
  LogLines log;
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.createResourceGroup("Main");
  groups.addResourceLocation(YVEK_DATA_DIR "/units", "FileSystem", "Main");
  groups.initialiseResourceGroup("Main");

  CGAUnitManager manager(nullptr);
  manager.LoadUnitTemplates("Main");
  manager.LoadUnitXml("unit.xml");
  manager.LoadCritterNames();
  manager.LoadNpcNames();
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();

  std::set<int> types;
  for (const auto& entry : manager.GetUnitTemplates()) {
    const UnitTemplate& t = entry.second;
    SCOPED_TRACE(t.Name);
    EXPECT_FALSE(t.name.empty());
    EXPECT_GT(t.hp, 0);
    types.insert(t.type);
    std::set<std::string> actions;
    int dieLevel = -1, highest = -1;
    for (const UnitAction* a : t.actions) {
      actions.insert(a->GetName());
      if (a->GetName() == "die") dieLevel = a->GetLevel();
      highest = std::max(highest, a->GetLevel());
    }
    EXPECT_TRUE(actions.count("ready"));
    EXPECT_TRUE(actions.count("die"));
    EXPECT_EQ(dieLevel, highest);  // nothing interrupts dying
    if (t.type != kUnitPickUp) {
      for (const char* name : {"run", "attack", "injured"}) EXPECT_TRUE(actions.count(name)) << name;
      EXPECT_FALSE(t.choiceParts.empty());
    }
  }
  for (int type : {kUnitFighter, kUnitIncome, kUnitHealer, kUnitPickUp}) EXPECT_TRUE(types.count(type)) << type;
  // Texts are GBK, the same bytes as the game's own literals.
  EXPECT_EQ(manager.GetUnitTemplate("swordsman")->name, "剑士");
  for (const char* name : {"gold", "goldA"}) {
    ASSERT_NE(manager.GetUnitTemplate(name), nullptr) << name;
    EXPECT_EQ(manager.GetUnitTemplate(name)->type, kUnitPickUp);
    EXPECT_TRUE(manager.GetUnitTemplate(name)->unlocked);
  }
  // Every display table entry names a template.
  for (const auto* table : {&manager.GetCritterNames(), &manager.GetNpcNames()}) {
    EXPECT_FALSE(table->empty());
    for (const auto& entry : *table) EXPECT_NE(manager.GetUnitTemplate(entry.second), nullptr) << entry.second;
  }

  // Units of every type can be made and run their timelines for a while.
  FakeUnitWorld world;
  manager.SetUnitWorld(&world);
  for (const auto& entry : manager.GetUnitTemplates()) {
    CGAUnit* unit = manager.CreateNamedUnit(entry.first, "demo_" + entry.first);
    ASSERT_NE(unit, nullptr);
    SetFrame(0.05f);
    // Attacks and hit reactions chain back to "ready" by themselves.
    for (const char* action : {"attack", "injured"}) {
      unit->SetAction(action);
      for (int i = 0; i < 60; ++i) unit->RunAction();
      EXPECT_EQ(unit->GetCurrentAction()->GetName(), "ready") << entry.first << " " << action;
    }
    unit->SetAction("die");
    unit->SetAction("ready");
    EXPECT_EQ(unit->GetCurrentAction()->GetName(), "die") << entry.first;
  }
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

}  // namespace
