// The demo effects with the demo units: an arrow hits on arrival, and a
// battle of the unit manager's units plays out from attack to reward.
#include "EffectTestSupport.h"

#include "game/FrameClock.h"
#include "platform/Random.h"
#include "units/UnitManager.h"

#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>

#include <algorithm>

namespace {

// The game's unit and effect files in group "Main", once.
void DemoData() {
  static const bool ready = [] {
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    groups.createResourceGroup("Main");
    groups.addResourceLocation(YVEK_DATA_DIR "/units", "FileSystem", "Main");
    groups.addResourceLocation(YVEK_DATA_DIR "/effects", "FileSystem", "Main");
    groups.initialiseResourceGroup("Main");
    return true;
  }();
  (void)ready;
}

// Units whose effects are the effect manager's, as in the game.
struct BattleUnitWorld : SceneUnitWorld {
  std::vector<std::string> effects;  // the names asked for
  CGAEffectNode* CreateEffect(const std::string& name) override {
    effects.push_back(name);
    return CGAEffectManager::getSingleton().CreateEffect(name);
  }
  void SetEffectPosition(CGAEffectNode* e, const Ogre::Vector3& p) override { e->SetPosition(p); }
  void SetEffectLinkBone(CGAEffectNode* e, const std::string& bone) override { e->SetLinkBone(bone); }
  void AttachEffectToOwner(CGAEffectNode* e, CGAUnit* owner) override { e->AttachToOwner(owner, true); }
  void AddEffectTarget(CGAEffectNode* e, CGAUnit* target) override { e->AddTarget(target); }
  void SetEffectTargetPosition(CGAEffectNode* e, const Ogre::Vector3& p) override { e->SetTargetPosition(p); }
  bool IsEffectEndless(CGAEffectNode* e) override { return e->IsEndless(); }
  void SetEffectLifeTime(CGAEffectNode* e, float seconds) override {
    if (IsEffectLive(e)) e->SetLifeTime(seconds);
  }
  bool IsEffectLive(CGAEffectNode* e) override { return CGAEffectManager::getSingleton().IsLive(e); }
};

// Effects whose units are the unit manager's.
struct BattleEffectWorld : FakeEffectWorld {
  CGAUnitManager* units = nullptr;
  bool IsUnitLive(const CGAUnit* unit) override { return units->IsLive(unit); }
  std::vector<CGAUnit*> GetUnitsAround(int x, int z, int r) override {
    std::vector<CGAUnit*> around;
    units->GetUnitsAround(around, x, z, r);
    return around;
  }
  CGAUnit* CreateUnit(const std::string& name) override {
    created.push_back(name);
    return units->CreateUnit(name);
  }
};

class DemoBattle : public EffectFixture {
 protected:
  DemoBattle() {
    DemoData();
    platform::SeedRand(7);
    manager->LoadEffectFiles("Main");
    battleWorld.scene = scene;
    battleWorld.manager = &units;
    units.SetUnitWorld(&battleWorld);
    units.LoadUnitTemplates("Main");
    units.LoadUnitXml("unit.xml");
    effectWorld.units = &units;
    manager->SetWorld(&effectWorld);
  }
  ~DemoBattle() override {
    manager->DestroyAllEffects();
    units.ClearUnits();
  }
  // A unit of the unit manager, placed.
  CGAUnit* Place(const std::string& name, float x, float z, int side) {
    CGAUnit* unit = units.CreateUnit(name);
    unit->SetInt(kSlotSide, side);
    unit->SetPosition({x, 0, z});
    return unit;
  }
  // One game frame: units (unless paused), then effects.
  void GameFrame() {
    FrameDeltaSeconds = 0.015f;
    FrameDeltaMs = 15;
    if (!BattlePaused) units.Update();
    scene->_applySceneAnimations();
    manager->Update();
  }

  BattleUnitWorld battleWorld;
  BattleEffectWorld effectWorld;
  CGAUnitManager units{nullptr};
};

TEST_F(DemoBattle, AnArrowHitsOnlyOnArrival) {
  CGAUnit* archer = Place("dark_archer", 10, 10, 0);
  CGAUnit* target = Place("swordsman", 20, 10, 1);
  const int hp = target->GetInt(kSlotHp);
  CGAEffectNode* arrow = Start("arrow", archer, target);
  ASSERT_NE(arrow, nullptr);
  // Its hit is due 0.05 s into its life, but its clock stands still in
  // flight: 10 units at 25 a second take 0.4 s.
  for (int frame = 0; frame < 20; ++frame) {
    Frame(0.015f);
    ASSERT_EQ(target->GetInt(kSlotHp), hp) << frame;
  }
  Frames(20, 0.015f);
  EXPECT_EQ(target->GetInt(kSlotHp), hp + archer->GetInt(kSlotValue));
  EXPECT_FALSE(manager->IsLive(arrow));
}

TEST_F(DemoBattle, ABattlePlaysOutFromAttackToReward) {
  effectWorld.goldRate = 100;
  CGAUnit* swordsman = Place("swordsman", 10, 10, 1);
  CGAUnit* goblin = Place("goblin", 11.5f, 10, 0);
  const int goblinHp = goblin->GetInt(kSlotHp);
  int frames = 0;
  while (units.IsLive(goblin) && frames < 4000) {
    GameFrame();
    ++frames;
  }
  ASSERT_FALSE(units.IsLive(goblin)) << "the goblin (" << goblin->GetInt(kSlotHp) << " of " << goblinHp
                                     << ") still stands";
  EXPECT_FALSE(effectWorld.sounds.empty());
  // Its coin: gold at the rate of 100, worth its price.
  ASSERT_EQ(effectWorld.created, std::vector<std::string>{"gold"});
  CGAUnit* coin = units.GetUnits().back();
  EXPECT_EQ(coin->GetTemplateName(), "gold");
  EXPECT_EQ(coin->GetInt(kSlotPrice), units.GetUnitTemplate("goblin")->price);
  EXPECT_TRUE(units.IsLive(swordsman));
}

// Both archer types shoot through their own "attack" action, as in a
// battle: the action's arrow flies and hits the enemy in the archer's lane,
// out of that enemy's reach.
TEST_F(DemoBattle, AnArchersAttackActionShootsAnArrowThatHits) {
  const struct {
    const char* archer;
    int side;
    const char* enemy;
  } cases[] = {{"archer", 1, "goblin"}, {"dark_archer", 0, "swordsman"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archer);
    CGAUnit* archer = Place(c.archer, 10, 11, c.side);
    CGAUnit* enemy = Place(c.enemy, 16, 11, 1 - c.side);
    const int hp = enemy->GetInt(kSlotHp);
    battleWorld.effects.clear();
    // An attack comes every 1.5 to 1.8 s: 5 s of frames see the first hit.
    for (int frame = 0; frame < 340 && enemy->GetInt(kSlotHp) == hp; ++frame) GameFrame();
    EXPECT_EQ(enemy->GetInt(kSlotHp), hp + archer->GetInt(kSlotValue));
    EXPECT_EQ(std::count(battleWorld.effects.begin(), battleWorld.effects.end(), "arrow"), 1);
    manager->DestroyAllEffects();
    units.ClearUnits();
  }
}

TEST_F(DemoBattle, EffectsGoOnWhileTheBattleIsPaused) {
  CGAUnit* archer = Place("dark_archer", 10, 10, 0);
  CGAUnit* target = Place("swordsman", 14, 10, 1);
  const int hp = target->GetInt(kSlotHp);
  Start("arrow", archer, target);
  BattlePaused = 1;
  for (int frame = 0; frame < 40; ++frame) GameFrame();
  BattlePaused = 0;
  EXPECT_LT(target->GetInt(kSlotHp), hp);
}

}  // namespace
