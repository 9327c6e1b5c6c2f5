// The unit manager's grid, queries, placement test, picking and the
// one-frame-late deletion of finished units.
#include "UnitTestSupport.h"

#include "units/UnitPartDef.h"

#include <OgreRay.h>
#include <tinyxml.h>

#include <algorithm>
#include <functional>

#include <vector>

namespace {

using UnitManagerTest = UnitFixture;
using Units = std::vector<CGAUnit*>;

Units CellUnits(CGAUnitManager& manager, int x, int z) {
  Units out;
  manager.GetCellUnits(out, x, z);
  return out;
}

TEST_F(UnitManagerTest, UnitsAreFiledByTheirCellAndCellsOffTheGridHoldNothing) {
  CGAUnit* origin = Make(0.5f, 1.5f);
  // Filed at creation: a unit that never leaves cell (0, 0) is found there.
  EXPECT_EQ(CellUnits(manager, 0, 0), Units{origin});
  CGAUnit* west = Make(-3, 10);
  CGAUnit* edge = Make(511.9f, 3);
  CGAUnit* beyond = Make(512, 3);
  CGAUnit* walker = Make(10, 10);
  Frames(1);
  EXPECT_EQ(CellUnits(manager, 0, 0), Units{origin});
  EXPECT_EQ(CellUnits(manager, 255, 1), Units{edge});
  EXPECT_EQ(CellUnits(manager, 5, 5), Units{walker});
  EXPECT_EQ(CellUnits(manager, -1, 5), Units{});
  EXPECT_EQ(CellUnits(manager, 256, 1), Units{});
  EXPECT_EQ(west->GetGridCell(), std::make_pair(-1, 5));
  EXPECT_EQ(beyond->GetGridCell(), std::make_pair(256, 1));

  // A unit that moves is refiled; one that leaves the grid is in no cell.
  walker->SetPosition(Ogre::Vector3(12.5f, 0, 10));
  Frames(1);
  EXPECT_EQ(CellUnits(manager, 5, 5), Units{});
  EXPECT_EQ(CellUnits(manager, 6, 5), Units{walker});
  walker->SetPosition(Ogre::Vector3(-0.5f, 0, 10));  // truncation toward zero: cell 0
  Frames(1);
  EXPECT_EQ(CellUnits(manager, 0, 5), Units{walker});

  // Units standing on logic 0 are not reported.
  world.logic[{0, 1}] = 0;
  EXPECT_EQ(CellUnits(manager, 0, 0), Units{});
}

TEST_F(UnitManagerTest, AreaQueriesAppendInCellOrderAndStayOnTheGrid) {
  CGAUnit* a = Make(1, 1);
  CGAUnit* b = Make(1, 511);
  CGAUnit* c = Make(511, 1);
  CGAUnit* d = Make(300, 300);
  Frames(1);
  // A reach of 1,000 cells covers the whole grid, x outer and z inner.
  Units out{d};
  manager.GetUnitsAround(out, 128, 128, 1000);
  EXPECT_EQ(out, (Units{d, a, b, d, c}));
  out.clear();
  manager.GetUnitsInRect(out, -2, 0, 2, 255);
  EXPECT_EQ(out, (Units{a, b}));
  out.clear();
  manager.GetUnitsInRect(out, 150, 150, 0, 0);
  manager.GetUnitsInRect(out, 0, 0, -1, 3);
  manager.GetUnitsAround(out, 2147483647, 0, 1);
  manager.GetUnitsAround(out, 300, 0, 45);
  EXPECT_EQ(out, (Units{d, c}));
}

TEST_F(UnitManagerTest, PlacementNeedsPlaceableCellsAndRoomAmongTheSameSide) {
  struct Case {
    const char* what;
    float radius;
    float otherX;  // another unit at (otherX, 10); 0: none
    int otherSide, otherType, otherHp;
    std::vector<std::pair<int, int>> unplaceable;
    bool blocked;
  };
  const Case cases[] = {
      {"free", 0.5f, 0, 1, 0, 100, {}, false},
      {"a footprint cell not placeable", 0.5f, 0, 1, 0, 100, {{9, 9}}, true},
      {"a cell just outside the footprint", 0.5f, 0, 1, 0, 100, {{11, 10}}, false},
      {"a radius of 2 covers four cells a side", 2.0f, 0, 1, 0, 100, {{8, 11}}, true},
      {"a unit of its side overlapping", 0.5f, 11.5f, 1, 0, 100, {}, true},
      {"a unit of its side one unit clear", 0.5f, 12.1f, 1, 0, 100, {}, false},
      {"an enemy overlapping", 0.5f, 11, 0, 0, 100, {}, false},
      {"a passive enemy overlapping", 0.5f, 11, 0, 4, 100, {}, true},
      {"a dead unit of its side", 0.5f, 11, 1, 0, 0, {}, false},
      {"a tiny preview is never blocked by units", 0.05f, 10, 1, 0, 100, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    manager.ClearUnits();
    world.logic.clear();
    for (const auto& cell : c.unplaceable) world.logic[cell] = 0;
    if (c.otherX > 0) {
      CGAUnit* other = Make(c.otherX, 10, c.otherSide, c.otherType);
      other->SetInt(kSlotHp, c.otherHp);
      manager.RefileUnit(other);
    }
    CGAUnit* preview = Make(10, 10, 1, kUnitPreview);
    preview->SetRadius(c.radius);
    manager.RefileUnit(preview);
    EXPECT_EQ(manager.IsPlaceBlocked(preview), c.blocked);
  }
}

TEST_F(UnitManagerTest, PickingAtAPointSkipsEnemiesAndTheDyingAndPrefersPickUps) {
  CGAUnit* first = Make(10, 10);
  CGAUnit* pickUp = Make(10.5f, 10.5f, 1, kUnitPickUp);
  CGAUnit* later = Make(9.5f, 9.5f);
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10, 0, 10)), pickUp);
  pickUp->SetFadeOut(true, 200);
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10, 0, 10)), first);
  first->SetAction("die");
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10, 0, 10)), later);
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10.5f, 0, 10.5f)), nullptr);  // 1.0 away from "later"
  later->SetInt(kSlotSide, 0);
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10, 0, 10)), nullptr);
  CGAUnit* preview = Make(10, 10, 1, kUnitPreview);
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10, 0, 10)), nullptr);
  // A pick-up found before an ordinary unit keeps the pick.
  preview->SetType(kUnitPickUp);
  Make(10, 10);
  EXPECT_EQ(manager.PickUnitAt(Ogre::Vector3(10, 0, 10)), preview);
}

// The twelve triangles of a box from (-0.5, 0, -0.5) to (0.5, 1, 0.5).
std::vector<Ogre::Vector3> UnitBox() {
  std::vector<Ogre::Vector3> corners;
  const auto quad = [&](Ogre::Vector3 a, Ogre::Vector3 b, Ogre::Vector3 c, Ogre::Vector3 d) {
    for (const Ogre::Vector3& v : {a, b, c, a, c, d}) corners.push_back(v);
  };
  const float l = -0.5f, h = 0.5f;
  quad({l, 0, l}, {h, 0, l}, {h, 1, l}, {l, 1, l});
  quad({l, 0, h}, {h, 0, h}, {h, 1, h}, {l, 1, h});
  quad({l, 0, l}, {l, 0, h}, {l, 1, h}, {l, 1, l});
  quad({h, 0, l}, {h, 0, h}, {h, 1, h}, {h, 1, l});
  quad({l, 1, l}, {h, 1, l}, {h, 1, h}, {l, 1, h});
  quad({l, 0, l}, {h, 0, l}, {h, 0, h}, {l, 0, h});
  return corners;
}

TEST_F(UnitManagerTest, PickingByRayTakesTheFirstUnitHitUnlessALaterPickUpIsHit) {
  manager.SetPickingShape(UnitBox());
  // Looking down -z along x = 10, y = 0.5.
  const auto rayAt = [](float x) { return Ogre::Ray(Ogre::Vector3(x, 0.5f, 100), Ogre::Vector3(0, 0, -1)); };
  CGAUnit* far = Make(10, 10);
  CGAUnit* near = Make(10, 20);
  far->SetHeading(0);
  near->SetHeading(0);
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10)), far);  // nearness along the ray does not count
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10.6f)), nullptr);
  // The collide box and the scale size the shape.
  near->SetCollideBox(Ogre::Vector3(2, 1, 1));
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10.6f)), near);
  near->SetScale(0.5f, 1, 1);
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10.6f)), nullptr);
  // The scene node's turn turns it: a corner of the turned box reaches out.
  near->SetScale(1, 1, 1);
  near->SetCollideBox(Ogre::Vector3(1, 1, 1));
  near->SetHeading(45);
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10.6f)), near);
  CGAUnit* pickUp = Make(10, 30, 1, kUnitPickUp);
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10)), pickUp);
  pickUp->SetInt(kSlotSide, 0);
  EXPECT_EQ(manager.PickUnitByRay(rayAt(10)), far);
  // Behind the ray's origin nothing is hit.
  EXPECT_EQ(manager.PickUnitByRay(Ogre::Ray(Ogre::Vector3(10, 0.5f, 0), Ogre::Vector3(0, 0, -1))), nullptr);
}

TEST_F(UnitManagerTest, AFinishedUnitIsDeletedAtTheStartOfTheFrameAfterItLeftTheList) {
  CGAUnit* enemy = Make(20, 10, 0);
  CGAUnit* watcher = Make(10, 10, 1, kUnitPassive);
  watcher->SetTarget(enemy);
  Frames(1);
  EXPECT_TRUE(manager.HasSideZeroUnits());
  enemy->SetFadeOut(true, 10);  // finished once its countdown is below 0
  Frames(1);                    // its own update counts it down to -5
  EXPECT_EQ(manager.GetUnits().size(), 2u);
  Frames(1);  // finished: off the list, in memory until the next frame
  EXPECT_EQ(manager.GetUnits(), Units{watcher});
  EXPECT_TRUE(manager.IsLive(enemy));
  EXPECT_FALSE(manager.HasSideZeroUnits());
  EXPECT_EQ(watcher->GetTarget(), nullptr);
  Frames(1);
  EXPECT_FALSE(manager.IsLive(enemy));
  EXPECT_EQ(CellUnits(manager, 10, 5), Units{});
  EXPECT_TRUE(manager.IsLive(watcher));
}

TEST_F(UnitManagerTest, ClearingUnitsEmptiesTheListAndTheGrid) {
  CGAUnit* a = Make(10, 10);
  CGAUnit* b = Make(0, 0);
  manager.SetSelection(a);
  Frames(1);
  manager.ClearUnits();
  EXPECT_TRUE(manager.GetUnits().empty());
  EXPECT_FALSE(manager.IsLive(a));
  EXPECT_FALSE(manager.IsLive(b));
  EXPECT_EQ(CellUnits(manager, 5, 5), Units{});
  EXPECT_EQ(CellUnits(manager, 0, 0), Units{});
  manager.SetSelection(nullptr);  // forgets the deleted unit rather than touching it
  // The counter goes on.
  EXPECT_EQ(Make(1, 1)->GetName(), "Unit_3");
}

TEST_F(UnitManagerTest, SelectionMovesItsEffectAndSkipsTheDying) {
  CGAUnit* a = Make(10, 10);
  CGAUnit* b = Make(20, 10);
  manager.SetSelection(a);
  manager.SetSelection(b);
  EXPECT_EQ(Model(a).calls.back(), "remove Selection");
  EXPECT_EQ(Model(b).calls.back(), "effect Selection Selection");
  b->SetAction("die");
  manager.SetSelection(b);
  EXPECT_EQ(Model(b).calls.back(), "remove Selection");
  manager.FadeOutAllUnits();
  EXPECT_TRUE(a->IsFading() && b->IsFading());
}

// The members below are never called by the game.

TEST_F(UnitManagerTest, UnitsFadeOutByNameOrById) {
  const std::function<void(CGAUnitManager&, CGAUnit*)> ways[] = {
      [](CGAUnitManager& m, CGAUnit* u) { m.FadeOutUnit(u->GetName()); },
      [](CGAUnitManager& m, CGAUnit* u) { m.FadeOutUnitById(u->GetId()); },
  };
  for (const auto& fadeOut : ways) {
    CGAUnit* chosen = Make(10, 10);
    CGAUnit* other = Make(20, 10);
    fadeOut(manager, chosen);
    EXPECT_TRUE(chosen->IsFading());
    EXPECT_EQ(chosen->GetFadeCountdown(), 1000);
    EXPECT_FALSE(other->IsFading());
  }
  manager.FadeOutUnit("nobody");
  manager.FadeOutUnitById(999);
  EXPECT_EQ(std::count_if(manager.GetUnits().begin(), manager.GetUnits().end(),
                          [](CGAUnit* u) { return u->IsFading(); }),
            2);
}

TEST_F(UnitManagerTest, PartsAndWeaponsJoinUnitsByNameOrFromThePartFiles) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="knight"><ChoiceParts>
      <Part PartName="armour" PartType="body" ResName="plate.mesh"/>
      <Part PartName="armour" PartType="helm" ResName="helm.mesh" Bone="head"/>
    </ChoiceParts></Unit></U>)",
                            "knight.unt");
  TiXmlDocument parts;
  parts.Parse(R"(<Parts><Part PartName="sword" PartType="weapon" ResName="sword.mesh"/></Parts>)");
  manager.ParsePartDef(parts.RootElement()->FirstChildElement("Part"), "parts.xml");
  CGAUnit* knight = manager.CreateNamedUnit("knight", "sir");
  manager.AttachPartByName("sir", "armour");
  manager.AttachPartByName("nobody", "armour");
  ASSERT_EQ(knight->GetPendingParts().size(), 2u);
  EXPECT_EQ(knight->GetPendingParts()[1].key, "helm");
  EXPECT_EQ(knight->GetPendingParts()[1].bone, "head");
  // A weapon only from the part files, in the hand's bone.
  manager.AttachWeapon(knight, "armour", true);
  manager.AttachWeapon(nullptr, "sword", true);
  EXPECT_EQ(knight->GetPendingParts().size(), 2u);
  manager.AttachWeapon(knight, "sword", false);
  ASSERT_EQ(knight->GetPendingParts().size(), 3u);
  EXPECT_EQ(knight->GetPendingParts()[2].key, "Bone20");
  EXPECT_EQ(knight->GetPendingParts()[2].part->GetResName(), "sword.mesh");
}

TEST_F(UnitManagerTest, MonstersAreMadeFromTheTemplateOfTheirNumber) {
  manager.ReadUnitTemplates(R"(<U><Unit Name="m7"/><Unit Name="aaa"/></U>)", "monsters.unt");
  CGAUnit* boss = manager.CreateMonster(7, "boss");
  EXPECT_EQ(boss->GetName(), "boss");
  EXPECT_EQ(boss->GetTemplateName(), "m7");
  // No template of that number: the first by name.
  EXPECT_EQ(manager.CreateMonster(4, "imp")->GetTemplateName(), "aaa");
  // The counter of generated names did not move.
  EXPECT_EQ(Make(1, 1)->GetName(), "Unit_1");
}

TEST_F(UnitManagerTest, ReloadingAUnitsActionsTakesThoseOfItsTemplate) {
  CGAUnit* unit = Make(10, 10);
  const std::vector<UnitAction*> all = manager.GetUnitTemplate("soldier")->actions;
  unit->RemoveAction(0);
  manager.ReloadUnitActions(unit);
  EXPECT_EQ(unit->GetActions(), all);
  unit->SetTemplateName("gone");
  manager.ReloadUnitActions(unit);
  EXPECT_TRUE(unit->GetActions().empty());
}

TEST_F(UnitManagerTest, UnitDistanceIsTheGroundEstimateOfTruncatedDifferences) {
  CGAUnit* a = Make(10, 10);
  CGAUnit* b = Make(13.9f, 14.5f);
  b->SetPosition(Ogre::Vector3(13.9f, 5, 14.5f));
  // (-3, -4): 3 + 4 - 1 - 0 + 0.
  EXPECT_EQ(CGAUnitManager::GetUnitDistance(a, b), 6.0f);
  EXPECT_EQ(CGAUnitManager::GetUnitDistance(b, a), 6.0f);
  EXPECT_EQ(CGAUnitManager::GetUnitDistance(a, nullptr), 0.0f);
}

TEST_F(UnitManagerTest, GroundHeightsAreTakenAgainByUnitsThatStand) {
  CGAUnit* standing = Make(10, 10);
  CGAUnit* walking = Make(20, 10);
  standing->SetTerrainFollow(true);
  walking->SetTerrainFollow(true);
  walking->AddWaypoint(Ogre::Vector3(30, 0, 10));
  world.groundHeight = 3;
  manager.RefreshUnitHeights();
  EXPECT_EQ(standing->GetPosition().y, 3);
  EXPECT_EQ(walking->GetPosition().y, 0);
}

}  // namespace
