// One unit's frame: fading, parts, tint, the z-leg pause, timers, death,
// income, healing, targets, attacks, the defeat cell and the march.
#include "UnitTestSupport.h"
#include "units/UnitPartDef.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using UnitUpdate = UnitFixture;

int Count(const std::vector<std::string>& names, const std::string& name) {
  return static_cast<int>(std::count(names.begin(), names.end(), name));
}

// Bugfix: a unit that faded out entirely used to stay hidden for good, even
// when the unit manager brought it back by creating its name again.
TEST_F(UnitUpdate, AUnitFadesInAndIsShownAgainWhenItFadesBackIn) {
  CGAUnit* unit = Make(10, 10);
  Frames(1);
  EXPECT_FLOAT_EQ(unit->GetAlpha().first, 0.015f);
  Frames(70);
  EXPECT_EQ(unit->GetAlpha().first, 1.0f);
  unit->SetFadeOut(true, 100000);
  Frames(290);  // 0.2 a second: below 0.1 after 4.5 s
  EXPECT_TRUE(Model(unit).visible);
  Frames(15);
  EXPECT_FALSE(Model(unit).visible);
  EXPECT_EQ(unit->GetAlpha(), std::make_pair(0.0f, 0.0f));
  EXPECT_EQ(manager.CreateNamedUnit("soldier", unit->GetName()), unit);
  Frames(1);
  EXPECT_TRUE(Model(unit).visible);
  EXPECT_FLOAT_EQ(unit->GetAlpha().first, 0.015f);
}

TEST_F(UnitUpdate, TheTintShowsStunSlowAndHiding) {
  struct Case {
    const char* what;
    int stun, slow, hidden;
    Ogre::Vector4 tint;
  };
  const float a = 0.015f;  // the alpha after one frame of fading in
  for (const Case& c : {Case{"plain", 1, 1, 1, {1, 1, 1, a}}, Case{"stunned", 500, 500, 1, {0, 1, 0, a}},
                        Case{"slowed", 1, 500, 500, {0, 0, 1, a}}, Case{"hidden", 1, 1, 500, {1, 1, 1, 0.5f}}}) {
    SCOPED_TRACE(c.what);
    CGAUnit* unit = Make(10, 10);
    unit->SetInt(kSlotStunTimer, c.stun);
    unit->SetInt(kSlotSlowTimer, c.slow);
    unit->SetInt(kSlotHiddenTimer, c.hidden);
    Frames(1);
    EXPECT_EQ(Model(unit).tint, c.tint);
    manager.ClearUnits();
  }
  // The hidden timer runs down only while the tint shows it.
  CGAUnit* unit = Make(10, 10);
  unit->SetInt(kSlotHiddenTimer, 500);
  Frames(2);
  EXPECT_EQ(unit->GetInt(kSlotHiddenTimer), 470);
  unit->SetInt(kSlotStunTimer, 500);
  Frames(2);
  EXPECT_EQ(unit->GetInt(kSlotHiddenTimer), 470);
}

// The tint reaches the model's parts only when it changes or a part came
// (a new part starts untinted), so each part shows what setting it every
// frame showed.
TEST_F(UnitUpdate, TheTintIsGivenToThePartsOnlyWhenItChangesOrAPartComes) {
  manager.ReadUnitTemplates(R"(<Units><Unit Name="knight" Scale="1"><Part Name="body"/>
      <ChoiceParts><Part PartName="body" PartType="body" ResName="knight.mesh"/></ChoiceParts></Unit></Units>)",
                            "knight.unt");
  manager.ReadUnitXml(R"(<u><unit id="knight" type="0" hp="100" price="10" gold="0" release_dis="4"
      attack_time="1000" attack_value="-10" radius="0.5" speed="2"/></u>)",
                      "unit.xml");
  CGAUnit* unit = manager.CreateUnit("knight");
  unit->SetInt(kSlotSide, 1);
  unit->SetPosition(Ogre::Vector3(10, 0, 10));
  FakeModel& model = Model(unit);
  Frames(70);  // faded in, the alpha growing each frame
  EXPECT_EQ(model.tint, Ogre::Vector4(1, 1, 1, 1));
  const int fadingIn = model.tintsSet;
  EXPECT_GE(fadingIn, 60);
  Frames(10);
  EXPECT_EQ(model.tintsSet, fadingIn);
  unit->SetInt(kSlotStunTimer, 45);  // three frames of green, then back
  Frames(5);
  EXPECT_EQ(model.tintsSet, fadingIn + 2);
  EXPECT_EQ(model.tint, Ogre::Vector4(1, 1, 1, 1));
  // A part that arrives gets the unchanged tint on the model's next frame
  // (this fake model never has a main entity, which ends the frame a part
  // joins).
  unit->AddPartGroup("body");
  Frames(1);
  EXPECT_EQ(model.calls.back(), "part body knight.mesh");
  Frames(1);
  EXPECT_EQ(model.tintsSet, fadingIn + 3);
  Frames(3);
  EXPECT_EQ(model.tintsSet, fadingIn + 3);
  // The hidden timer still counts down every frame while the tint rests.
  unit->SetInt(kSlotHiddenTimer, 500);
  Frames(3);
  EXPECT_EQ(model.tintsSet, fadingIn + 4);
  EXPECT_EQ(unit->GetInt(kSlotHiddenTimer), 455);
}

TEST_F(UnitUpdate, PartsJoinTheModelWhenReadyAndNothingElseRunsBeforeItHasABody) {
  manager.ReadUnitTemplates(R"(<Units><Unit Name="knight" Scale="1"><Part Name="body"/>
      <ChoiceParts>
        <Part PartName="body" PartType="body" ResName="knight.mesh"/>
        <Part PartName="body" PartType="Bone16" ResName="sword.mesh" Bone="hand" Effect="glow"/>
      </ChoiceParts></Unit></Units>)",
                            "knight.unt");
  CGAUnit* unit = manager.CreateUnit("knight");
  FakeModel& model = Model(unit);
  model.calls.clear();
  world.partsNotReady = {unit->GetPendingParts()[0].part};
  Frames(2);
  EXPECT_EQ(unit->GetPendingParts().size(), 2u);
  EXPECT_EQ(model.updates, 0);
  EXPECT_EQ(unit->GetAlpha().first, 0.0f);
  world.partsNotReady.clear();
  Frames(2);  // one part a frame while the model has no main entity
  EXPECT_TRUE(unit->GetPendingParts().empty());
  EXPECT_EQ(model.calls, (std::vector<std::string>{"remove body", "part body knight.mesh", "remove Bone16",
                                                   "part Bone16 sword.mesh on hand", "effect Bone16 glow"}));
  EXPECT_EQ(model.updates, 0);
  Frames(1);
  EXPECT_EQ(model.updates, 1);
}

TEST_F(UnitUpdate, TimersAndDeathWaitWhileTheUnitWalksALegAlongZ) {
  CGAUnit* unit = Make(10, 10);
  unit->SetInt(kSlotLifeTimer, 1000);
  unit->AddWaypoint(Ogre::Vector3(10, 0, 10));
  unit->AddWaypoint(Ogre::Vector3(10, 0, 20));
  Frames(5);
  EXPECT_EQ(unit->GetInt(kSlotLifeTimer), 1000);
  unit->StopMoving();
  unit->AddWaypoint(unit->GetPosition());
  unit->AddWaypoint(Ogre::Vector3(20, 0, unit->GetPosition().z));
  Frames(5);
  EXPECT_EQ(unit->GetInt(kSlotLifeTimer), 925);
}

TEST_F(UnitUpdate, TheLifeTimerKillsAndPickUpsAgeOut) {
  CGAUnit* mortal = Make(10, 10);
  mortal->SetInt(kSlotLifeTimer, 100);
  Frames(6);
  EXPECT_EQ(mortal->GetInt(kSlotHp), 100);
  Frames(1);
  EXPECT_EQ(mortal->GetInt(kSlotHp), 0);
  EXPECT_TRUE(mortal->IsFading());

  CGAUnit* coin = Make(20, 10, 1, kUnitPickUp);
  coin->SetInt(kSlotHp, 0);  // pick-ups never die
  Frames(333);
  EXPECT_EQ(coin->GetInt(kSlotPickUpAge), 4996);
  EXPECT_FALSE(coin->IsFading());
  Frames(1);
  EXPECT_TRUE(coin->IsFading());
  EXPECT_EQ(coin->GetFadeCountdown(), 100);
  EXPECT_EQ(ActionOf(coin), "ready");
}

// Bugfix: death used to run again every frame for a unit whose "die" was
// missing or refused by the Level of its current action (a coin drop and a
// lost level each frame). One without any action (no "ready" in its
// template) only stops, as ever.
TEST_F(UnitUpdate, DeathRunsOnceWhateverTheTemplate) {
  manager.ReadUnitTemplates(R"(<Units>
      <Unit Name="nodie" Scale="1"><Actions><Action Name="ready"/></Actions></Unit>
      <Unit Name="stubborn" Scale="1"><Actions><Action Name="ready" Level="10"/><Action Name="die"/></Actions></Unit>
      <Unit Name="blank" Scale="1"/>
    </Units>)",
                            "more.unt");
  struct Case {
    const char* templateName;
    int side, type;
    int coins, gameState;
    const char* action;
    bool dies = true;
  };
  for (const Case& c :
       {Case{"soldier", 0, 0, 1, 0, "die"}, Case{"soldier", 1, 0, 0, 0, "die"}, Case{"soldier", 2, 0, 1, 0, "die"},
        Case{"soldier", 1, kUnitMustSurvive, 0, 1, "die"}, Case{"nodie", 0, 0, 1, 0, "ready"},
        Case{"stubborn", 0, 0, 1, 0, "die"}, Case{"blank", 0, kUnitMustSurvive, 0, 0, "", false}}) {
    SCOPED_TRACE(std::string(c.templateName) + " side " + std::to_string(c.side));
    world.effects.clear();
    world.gameState = 0;
    CGAUnit* unit = manager.CreateUnit(c.templateName);
    unit->SetType(c.type);
    unit->SetInt(kSlotSide, c.side);
    unit->SetInt(kSlotHp, 0);
    unit->SetPosition(Ogre::Vector3(10, 0, 10));
    Frames(1);
    EXPECT_EQ(unit->IsFading(), c.dies);
    if (c.dies) {
      EXPECT_EQ(unit->GetFadeCountdown(), 2000);
    }
    EXPECT_EQ(world.gameState, c.gameState);
    world.gameState = 0;
    Frames(100);
    EXPECT_EQ(Count(world.EffectNames(), "money2"), c.coins);
    EXPECT_EQ(world.gameState, 0);  // not set again
    EXPECT_EQ(ActionOf(unit), c.action);
    if (c.coins) {
      EXPECT_EQ(world.effects.front().owner, unit);
    }
    manager.ClearUnits();
  }
}

TEST_F(UnitUpdate, SlowHalvesWalkingAndAttacksAndStunStopsBoth) {
  CGAUnit* slowed = Make(10, 10);
  slowed->SetInt(kSlotSlowTimer, 300);
  slowed->AddWaypoint(slowed->GetPosition());
  slowed->AddWaypoint(Ogre::Vector3(100, 0, 10));
  Frames(2);  // the slow takes hold after the first frame's walk
  EXPECT_EQ(Model(slowed).speed, 0.5f);
  const float x = slowed->GetPosition().x;
  Frames(10);
  EXPECT_NEAR(slowed->GetPosition().x - x, 10 * 0.015f * 2 * 0.5f, 1e-4f);
  Frames(10);
  EXPECT_EQ(Model(slowed).speed, 1.0f);

  manager.ClearUnits();
  CGAUnit* stunned = Make(10, 10);
  Make(12, 10, 0, kUnitPassive);
  stunned->SetInt(kSlotStunTimer, 300);
  stunned->AddWaypoint(Ogre::Vector3(100, 0, 10));
  Frames(20);
  EXPECT_FALSE(stunned->HasWaypoints());
  EXPECT_EQ(stunned->GetTarget(), nullptr);
  EXPECT_EQ(stunned->GetInt(kSlotStunTimer), 0);
  Frames(1);
  EXPECT_NE(stunned->GetTarget(), nullptr);
  EXPECT_EQ(ActionOf(stunned), "attack");
}

TEST_F(UnitUpdate, IncomeUnitsEarnSilverEachPeriodAndSayHowMuch) {
  CGAUnit* mine = Make(10, 10, 1, kUnitIncome);
  mine->SetInt(kSlotValue, 10);
  Frames(1);
  ASSERT_EQ(world.labels.size(), 1u);
  EXPECT_GE(world.silver, 5);
  EXPECT_LE(world.silver, 10);
  EXPECT_EQ(world.labels[0], "{colour,FFFFFFFF}+$" + std::to_string(world.silver) + " 3 simhei-10");
  Frames(66);
  EXPECT_EQ(world.labels.size(), 1u);
  Frames(1);
  EXPECT_EQ(world.labels.size(), 2u);
  EXPECT_TRUE(world.effects.empty());  // it does not fight

  // A value of 1 earns nothing but still says so.
  mine->SetInt(kSlotValue, 1);
  mine->SetInt(kSlotCountdown, 0);
  const int before = world.silver;
  Frames(1);
  EXPECT_EQ(world.silver, before);
  EXPECT_EQ(world.labels.back(), "{colour,FFFFFFFF}+$0 3 simhei-10");
}

TEST_F(UnitUpdate, HealersTendTheNearestHurtUnitOfTheirSideInTheirLane) {
  CGAUnit* healer = Make(10, 10, 1, kUnitHealer);
  healer->SetInt(kSlotCountdown, 20);  // everyone is filed before it looks
  CGAUnit* far = Make(13, 10);
  CGAUnit* hurt = Make(12, 10);
  CGAUnit* healthy = Make(11, 10);
  CGAUnit* offLane = Make(10, 11);
  CGAUnit* enemy = Make(10.5f, 10, 0, kUnitPassive);
  CGAUnit* sameDistance = Make(8, 10);
  for (CGAUnit* u : {far, hurt, offLane, enemy}) u->SetInt(kSlotHp, 20);
  Frames(2);
  EXPECT_EQ(healer->GetTarget(), hurt);
  EXPECT_EQ(ActionOf(healer), "attack");
  EXPECT_NEAR(healer->GetHeading(), 90 / 3.14f * 3.14159f, 0.1f);
  (void)healthy;
  // Of two at the same distance the later one in the grid's order is taken.
  sameDistance->SetInt(kSlotHp, 20);
  healer->SetInt(kSlotCountdown, 0);
  Frames(1);
  EXPECT_EQ(healer->GetTarget(), hurt);
  healer->SetInt(kSlotRange, 2);  // reach is strict: 2.0 away is too far
  healer->SetInt(kSlotCountdown, 0);
  Frames(1);
  EXPECT_EQ(healer->GetTarget(), nullptr);
}

TEST_F(UnitUpdate, FightersTakeTheNearestEnemyAlongXInTheirLane) {
  struct Enemy {
    float x, z;
    int side = 0, type = kUnitPassive, hp = 100, hidden = 1;
    float radius = 0.5f;
  };
  struct Case {
    const char* what;
    std::vector<Enemy> enemies;
    int span;
    int expected;  // index of the chosen enemy, -1 none
  };
  const Case cases[] = {
      {"the nearer", {{13, 10}, {11, 10}}, 1, 1},
      {"of two as near, the later", {{8, 10}, {12, 10}}, 1, 1},
      {"a tiny one ends the search", {{7, 10, 0, kUnitPassive, 100, 1, 0.05f}, {9, 10}}, 1, 0},
      {"out of reach", {{14, 10}}, 1, -1},
      {"out of its lane", {{11, 10.5f}}, 1, -1},
      {"in a wider lane", {{11, 11.5f}}, 2, 0},
      {"its own side", {{11, 10, 1}}, 1, -1},
      {"a preview", {{11, 10, 0, kUnitPreview}}, 1, -1},
      {"dead", {{11, 10, 0, kUnitPassive, 0}}, 1, -1},
      {"hidden", {{11, 10, 0, kUnitPassive, 100, 500}}, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<CGAUnit*> enemies;
    for (const Enemy& e : c.enemies) {
      CGAUnit* enemy = Make(e.x, e.z, e.side, e.type);
      enemy->SetInt(kSlotHp, e.hp);
      enemy->SetInt(kSlotHiddenTimer, e.hidden);
      enemy->SetRadius(e.radius);
      manager.RefileUnit(enemy);
      enemies.push_back(enemy);
    }
    CGAUnit* fighter = Make(10, 10);
    fighter->SetInt(kSlotLaneSpan, c.span);
    manager.RefileUnit(fighter);
    EXPECT_EQ(fighter->FindTarget(2), c.expected < 0 ? nullptr : enemies[c.expected]);
    world.logic[{10, 10}] = 0;  // a fighter off the playing field looks for nobody
    EXPECT_EQ(fighter->FindTarget(2), nullptr);
    world.logic.clear();
    manager.ClearUnits();
  }
}

TEST_F(UnitUpdate, FightersAttackEachPeriodAndDropATargetThatGoes) {
  struct Case {
    const char* what;
    void (*end)(CGAUnit*);
  };
  for (const Case& c : {Case{"fading", [](CGAUnit* u) { u->SetFadeOut(true, 5000); }},
                        Case{"dead", [](CGAUnit* u) { u->SetInt(kSlotHp, 0); }},
                        Case{"hidden", [](CGAUnit* u) { u->SetInt(kSlotHiddenTimer, 5000); }}}) {
    SCOPED_TRACE(c.what);
    world.effects.clear();
    CGAUnit* fighter = Make(10, 10);
    CGAUnit* enemy = Make(12, 10, 0, kUnitPassive);
    // The first frame's search comes before the enemy is filed; the narrow
    // search of the next finds it, and the attack waits for the countdown.
    Frames(2);
    EXPECT_EQ(fighter->GetTarget(), enemy);
    EXPECT_EQ(ActionOf(fighter), "ready");
    Frames(66);
    EXPECT_EQ(ActionOf(fighter), "attack");
    Frames(10);  // the hit leaves at 0.1 s of the attack
    ASSERT_EQ(world.EffectNames(), std::vector<std::string>{"hit"});
    EXPECT_EQ(world.effects[0].owner, fighter);
    EXPECT_EQ(world.effects[0].targets, std::vector<CGAUnit*>{enemy});
    Frames(67);
    EXPECT_EQ(world.EffectNames().size(), 2u);
    c.end(enemy);
    Frames(1);
    EXPECT_EQ(fighter->GetTarget(), nullptr);
    EXPECT_EQ(ActionOf(fighter), "ready");
    manager.ClearUnits();
  }
}

TEST_F(UnitUpdate, AnAttackerOnADefeatCellLosesTheLevel) {
  world.logic[{20, 10}] = 3;
  CGAUnit* defender = Make(20.5f, 10.5f, 1);
  CGAUnit* leaving = Make(20.5f, 10.5f, 0);
  leaving->SetFadeOut(true, 5000);
  Frames(1);
  EXPECT_EQ(world.gameState, 0);
  CGAUnit* attacker = Make(20.5f, 10.5f, 0);
  attacker->SetGoal(1, 10);
  Frames(1);
  EXPECT_EQ(world.gameState, 1);
  (void)defender;
}

TEST_F(UnitUpdate, AttackersMarchToTheirGoalAndLeaveThere) {
  CGAUnit* direct = Make(30.5f, 20, 0);
  direct->SetGoal(25, 20);
  CGAUnit* alongX = Make(20.5f, 10, 0);
  alongX->SetGoal(5, 0);  // z 0: straight along x at its own z
  CGAUnit* alongZ = Make(40.5f, 10, 0);
  alongZ->SetGoal(0, 30);  // x 0: straight along z at its own x
  Frames(2);
  EXPECT_EQ(ActionOf(alongX), "run");
  EXPECT_EQ(alongX->GetWaypoints().back(), Ogre::Vector3(5, 0, 10));
  EXPECT_EQ(alongZ->GetWaypoints().back(), Ogre::Vector3(40, 0, 30));
  Frames(200);  // 5.5 units at 2 a second
  EXPECT_EQ(direct->GetPosition(), Ogre::Vector3(25, 0, 20));
  EXPECT_TRUE(direct->IsFading());
  EXPECT_GT(direct->GetFadeCountdown(), 0);
  EXPECT_EQ(world.gameState, 0);  // arriving does not lose the level
  EXPECT_EQ(Count(world.EffectNames(), "money2"), 0);
  // The goal's 0 only chose the way: the unit arrives within 2 of the goal
  // itself, which a unit walking along x at z 10 never does.
  Frames(400);
  EXPECT_EQ(alongX->GetPosition(), Ogre::Vector3(5, 0, 10));
  EXPECT_FALSE(alongX->IsFading());
}

// Riding is never used by the game, but a mount and its rider must not
// reach each other once one of them is deleted.
TEST_F(UnitUpdate, AMountCarriesItsRiderAndEitherMayGoFirst) {
  CGAUnit* rider = Make(10, 10);
  CGAUnit* mount = Make(10, 10);
  rider->RideOn(mount);
  EXPECT_EQ(mount->GetRider(), rider);
  rider->AddWaypoint(rider->GetPosition());
  rider->AddWaypoint(Ogre::Vector3(20, 0, 10));
  Frames(10);
  EXPECT_GT(rider->GetPosition().x, 10.0f);
  EXPECT_EQ(mount->GetPosition(), rider->GetPosition());
  mount->SetFadeOut(true, 0);
  Frames(3);
  EXPECT_FALSE(manager.IsLive(mount));
  EXPECT_EQ(rider->GetMount(), nullptr);
  Frames(2);

  CGAUnit* horse = Make(30, 10);
  CGAUnit* knight = Make(30, 10);
  knight->RideOn(horse);
  knight->SetFadeOut(true, 0);
  Frames(3);
  EXPECT_FALSE(manager.IsLive(knight));
  EXPECT_TRUE(horse->IsFading());
  EXPECT_EQ(horse->GetRider(), nullptr);
}

// Riding and dismounting, which the game never does: the rider asks its
// model for "ride", and on dismounting for "stand", and is put back on the
// ground; the mount is left fading out.
TEST_F(UnitUpdate, ADismountedRiderStandsOnTheGroundAndItsMountFadesOut) {
  CGAUnit* rider = Make(10, 10);
  CGAUnit* mount = Make(10, 10);
  rider->RideOn(mount);
  EXPECT_EQ(Model(rider).requests, std::vector<std::string>{"ride -1 1 0"});
  rider->SetTerrainFollow(true);
  world.groundHeight = 3;
  rider->Dismount();
  EXPECT_EQ(rider->GetMount(), nullptr);
  EXPECT_EQ(mount->GetRider(), nullptr);
  EXPECT_TRUE(mount->IsFading());
  EXPECT_EQ(mount->GetFadeCountdown(), 1000);
  EXPECT_EQ(Model(rider).requests, (std::vector<std::string>{"ride -1 1 0", "stand -1 1 0"}));
  EXPECT_EQ(rider->GetPosition(), Ogre::Vector3(10, 3, 10));
  EXPECT_EQ(Model(rider).nodePosition, Ogre::Vector3(10, 3, 10));
  // Without a mount nothing happens.
  world.groundHeight = 5;
  rider->Dismount();
  EXPECT_EQ(rider->GetPosition().y, 3);
  EXPECT_EQ(Model(rider).requests.size(), 2u);
}

// The weapon attack, which the game never starts: a unit with one weapon
// strikes with it (an effect from its hand's bone at the target), with both
// or none by chance; the animation is asked of the model, which plays
// nothing.
TEST_F(UnitUpdate, TheWeaponAttackStrikesWithTheHandThatHoldsAWeapon) {
  UnitPartDef sword, dagger;
  sword.SetAttackType("slash");
  const struct {
    const char* held;
    UnitPartDef *main, *off;
    const char* request;
    const char* bone;  // of the effect "main_attack"; null: none
  } cases[] = {
      {"main hand", &sword, nullptr, "attack_main_slash 1 1 0", "Bone16"},
      {"off hand", nullptr, &dagger, "attack_off 1 1 0", "Bone20"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.held);
    world.effects.clear();
    CGAUnit* fighter = Make(10, 10);
    CGAUnit* enemy = Make(14, 10, 0);
    if (c.main) fighter->AddWeapon(c.main, true);
    if (c.off) fighter->AddWeapon(c.off, false);
    fighter->SetTarget(enemy);
    fighter->SetAttackMode(true);
    EXPECT_EQ(Model(fighter).requests, std::vector<std::string>{c.request});
    EXPECT_NEAR(fighter->GetHeading(), 90.0f, 0.1f);  // faces the enemy at once
    ASSERT_EQ(world.effects.size(), 1u);
    EXPECT_EQ(world.effects[0].name, "main_attack");
    EXPECT_EQ(world.effects[0].owner, fighter);
    EXPECT_EQ(world.effects[0].targets, std::vector<CGAUnit*>{enemy});
    EXPECT_EQ(world.effects[0].bone, c.bone);
  }

  // Both hands or none: either hand by chance; an effect only from a hand
  // that holds a weapon.
  CGAUnit* both = Make(10, 20);
  CGAUnit* none = Make(10, 30);
  both->AddWeapon(&sword, true);
  both->AddWeapon(&dagger, false);
  for (CGAUnit* fighter : {both, none}) {
    fighter->SetTarget(Make(14, fighter->GetPosition().z, 0));
    fighter->SetAttackMode(true);
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
      world.effects.clear();
      fighter->Attack();
      const std::string request = Model(fighter).requests.back();
      seen.insert(request);
      const bool main = request.rfind("attack_main", 0) == 0;
      EXPECT_TRUE(main || request == "attack_off 1 1 0") << request;
      if (fighter == none) {
        EXPECT_TRUE(world.effects.empty());
        EXPECT_EQ(request, main ? "attack_main 1 1 0" : "attack_off 1 1 0");
      } else {
        ASSERT_EQ(world.effects.size(), 1u);
        EXPECT_EQ(world.effects[0].bone, main ? "Bone16" : "Bone20");
      }
    }
    EXPECT_EQ(seen.size(), 2u);
  }
}

TEST_F(UnitUpdate, NoWeaponAttackWithoutTheModeATargetOrWhileWalking) {
  UnitPartDef sword;
  CGAUnit* fighter = Make(10, 10);
  CGAUnit* enemy = Make(14, 10, 0);
  fighter->AddWeapon(&sword, true);
  fighter->SetTarget(enemy);
  fighter->SetAttackMode(false);
  fighter->Attack();
  fighter->SetTarget(nullptr);
  fighter->SetAttackMode(true);
  fighter->SetTarget(enemy);
  fighter->AddWaypoint(Ogre::Vector3(20, 0, 10));
  fighter->Attack();
  EXPECT_TRUE(Model(fighter).requests.empty());
  EXPECT_TRUE(world.effects.empty());
}

// A weapon removed leaves its hand: the model drops the part of its bone
// and the other hand strikes.
TEST_F(UnitUpdate, ARemovedWeaponLeavesItsHand) {
  UnitPartDef sword, dagger;
  CGAUnit* fighter = Make(10, 10);
  fighter->AddWeapon(&sword, true);
  fighter->AddWeapon(&dagger, false);
  EXPECT_EQ(fighter->GetPendingParts().size(), 2u);
  EXPECT_EQ(fighter->GetPendingParts()[0].key, "Bone16");
  EXPECT_EQ(fighter->GetPendingParts()[1].bone, "Bone20");
  fighter->RemoveWeapon(true);
  EXPECT_EQ(Model(fighter).calls.back(), "remove Bone16");
  fighter->SetTarget(Make(14, 10, 0));
  for (int i = 0; i < 10; ++i) fighter->SetAttackMode(true);
  EXPECT_EQ(Model(fighter).requests, std::vector<std::string>(10, "attack_off 1 1 0"));
  fighter->RemoveWeapon(false);
  EXPECT_EQ(Model(fighter).calls.back(), "remove Bone20");
}

// Bugfix: a unit kept handles of its running effects and set their life
// after the effect manager had destroyed them (a level reset destroys every
// effect, and clears units before or after it), or once a new effect had
// taken the address of the one it kept.
TEST_F(UnitUpdate, EffectsTheEffectManagerEndedAreNotTouched) {
  world.endlessEffects = {"hit"};
  for (const char* order : {"effects destroyed first", "address taken by a new effect", "units cleared first"}) {
    SCOPED_TRACE(order);
    world.effects.clear();
    CGAUnit* fighter = Make(10, 10);
    Make(12, 10, 0, kUnitPassive);
    Frames(80);  // the first attack's effect runs
    ASSERT_EQ(world.effects.size(), 1u);
    EXPECT_EQ(world.effects[0].owner, fighter);
    if (order[0] == 'e') {
      world.effects[0].live = false;
      manager.ClearUnits();
      EXPECT_EQ(world.effects[0].lifeTime, 5.0f);
    } else if (order[0] == 'a') {
      world.ReuseEffect(0, "hit");
      manager.ClearUnits();
      EXPECT_EQ(world.effects[0].lifeTime, 5.0f);
    } else {
      manager.ClearUnits();
      EXPECT_FLOAT_EQ(world.effects[0].lifeTime, 0.1f);
      world.effects[0].live = false;
    }
  }
}

}  // namespace
