// Units on the "collide" statics of a map without terrain, through the
// game's own map and unit worlds: the ground there is flat at 0 and a
// static's top is ground all the same. A static that comes lifts the units
// over it, one that is removed lets them down.
#include "tests/terrain/SceneTestSupport.h"
#include "tests/units/FakeUnitWorld.h"
#include "game/app/GameMapWorld.h"
#include "game/app/GameUnitWorld.h"
#include "tests/support/TempDir.h"

#include <Ogre.h>

namespace {

// The game's unit world with models that draw nothing.
struct ModelFreeUnitWorld : GameUnitWorld {
  UnitModelBase* CreateModel(CGAUnit&) override { return new FakeModel; }
};

class UnitsOnStatics : public SceneFixture {
 protected:
  UnitsOnStatics() {
    MakeBoxMesh("landing", Ogre::Vector3(6, 3, 6), 3.0f);
    dir.write("statics.xml", R"(<Static><Object Name="landing" Mesh="landing.mesh" Scale="1 1 1"/></Static>)");
    MapXml xml;
    xml.Scene["Terrain"] = "false";
    xml.Scene["StaticList"] = "statics.xml";
    xml.Statics = R"(<Object Name="landing" Position="20 0 20" Scale="1 1 1" Quaternion="1 0 0 0"/>)";
    dir.write("test.map", xml.Text());
    terrain->SetFileOpener(CGAMapReader::OpenFromFolder(dir.path()));
    terrain->SetMapWorld(&mapWorld);
    units.SetUnitWorld(&unitWorld);
    units.ReadUnitTemplates(R"(<Units><Unit Name="walker"><SetTerrain Terrain="1"/></Unit></Units>)", "walker.unt");
    units.ReadUnitXml(R"(<u><unit id="walker" type="0" hp="100" radius="0.5" speed="2"/></u>)", "unit.xml");
  }
  ~UnitsOnStatics() override {
    units.ClearUnits();
    terrain->SetMapWorld(nullptr);
  }

  CGAUnit* Walker(float x, float z) {
    CGAUnit* unit = units.CreateUnit("walker");
    if (unit) unit->SetPosition(Ogre::Vector3(x, 0, z));
    return unit;
  }

  TempDir dir;
  GameMapWorld mapWorld;
  ModelFreeUnitWorld unitWorld;
  CGAUnitManager units{nullptr};
};

TEST_F(UnitsOnStatics, AMapWithoutTerrainPutsUnitsOnItsStaticsUntilTheyGo) {
  ASSERT_TRUE(terrain->LoadMap("test.map", 16)) << log.All();
  CGAUnit* early = Walker(20, 20);  // there before the landing is made
  ASSERT_TRUE(early);
  EXPECT_EQ(early->GetPosition().y, 0.0f);
  terrain->LoadPendingStatics();
  EXPECT_FLOAT_EQ(early->GetPosition().y, 3.0f);
  CGAUnit* onDeck = Walker(21, 19);
  CGAUnit* beside = Walker(30, 20);
  EXPECT_FLOAT_EQ(onDeck->GetPosition().y, 3.0f);
  EXPECT_EQ(beside->GetPosition().y, 0.0f);

  ASSERT_EQ(terrain->GetStatics().size(), 1u);
  ASSERT_TRUE(terrain->RemoveStatic(terrain->GetStatics().begin()->first));
  for (CGAUnit* unit : {early, onDeck, beside}) EXPECT_EQ(unit->GetPosition().y, 0.0f);
}

}  // namespace
