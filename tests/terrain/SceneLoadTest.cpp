// Maps into the scene and out again: the demo map's scene, repeated loads,
// faulty maps, grass records and the map writer's round trip.
#include "SceneTestSupport.h"
#include "tests/support/TempDir.h"
#include "game/LoadingProgress.h"
#include "game/Parse.h"
#include "terrain/TerrainTile.h"
#include "terrain/TerrainWater.h"
#include "vegetation/TreeLoader2D.h"
#include "vegetation/WindBatchPage.h"

#include <Ogre.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

namespace {

size_t EntityCount(Ogre::SceneManager* scene) {
  size_t count = 0;
  for (const auto& entry : scene->getMovableObjects("Entity")) count += entry.second != nullptr;
  return count;
}

const StaticRecord* FindStatic(const CGATerrainManager& terrain, const std::string& type) {
  for (const auto& [name, record] : terrain.GetStatics())
    if (record.TypeName == type) return &record;
  return nullptr;
}

// A grass tuft as the map stores it: its kind's name and its place.
struct Tuft {
  std::string kind;
  float x, z, yaw, scale;
  bool operator<(const Tuft& other) const { return std::tie(kind, x, z) < std::tie(other.kind, other.x, other.z); }
};

// The grass loader's tufts by kind and place: the loader walks its kinds in
// an order of its own, which differs from one load to the next.
std::vector<Tuft> SortedGrass(CGATerrainManager& terrain) {
  std::vector<Tuft> grass;
  for (Verdure::TreeIterator it = terrain.GetGrassLoader()->getTrees(); it.hasMoreElements();) {
    const Verdure::TreeRecord tuft = it.getNext();
    grass.push_back({tuft.getEntity()->getName(), tuft.getPosition().x, tuft.getPosition().z,
                     tuft.getYaw().valueDegrees(), tuft.getScale()});
  }
  std::sort(grass.begin(), grass.end());
  return grass;
}

// The kind of each tuft of grass, by its x.
std::map<int, std::string> GrassByX(const CGATerrainManager& terrain) {
  std::map<int, std::string> drawn;
  for (Verdure::TreeIterator it = terrain.GetGrassLoader()->getTrees(); it.hasMoreElements();) {
    const Verdure::TreeRecord tree = it.getNext();
    drawn[int(std::lround(tree.getPosition().x))] = tree.getEntity()->getName();
  }
  return drawn;
}

using SceneLoading = SceneFixture;

TEST_F(SceneLoading, TheFullDemoMapBuildsItsScene) {
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
  EXPECT_EQ(LoadingPercent, 100);
  EXPECT_EQ(LoadingText, "读物完毕");
  ASSERT_EQ(terrain->GetTiles().size(), 16u);
  EXPECT_EQ(terrain->GetTiles()[5]->GetManualObject()->getName(), "terrain_demo_full5");
  EXPECT_EQ(terrain->GetTileAt(20, 5), terrain->GetTiles()[1]);
  EXPECT_EQ(terrain->GetTileAt(64, 5), nullptr);  // past the last column: no tile
  EXPECT_TRUE(scene->hasSceneNode("demo_full_root_node"));
  EXPECT_EQ(scene->getFogMode(), Ogre::FOG_NONE);
  ASSERT_TRUE(terrain->GetMainLight());
  EXPECT_EQ(terrain->GetMainLight()->getName(), "mainlight");

  // Statics wait in the buckets of their tiles until the level start makes
  // them all.
  EXPECT_EQ(terrain->GetPendingStaticCount(), 2u);
  EXPECT_TRUE(terrain->GetStatics().empty());
  terrain->LoadPendingStatics();
  EXPECT_EQ(terrain->GetPendingStaticCount(), 0u);
  const StaticRecord* platform = FindStatic(*terrain, "platform");
  const StaticRecord* pillar = FindStatic(*terrain, "pillar");
  ASSERT_TRUE(platform && pillar);
  EXPECT_TRUE(platform->HasCollide);
  EXPECT_EQ(platform->Entity->getRenderQueueGroup(), CGATerrainManager::kGroundQueue);
  EXPECT_FALSE(pillar->HasCollide);
  EXPECT_EQ(pillar->Entity->getRenderQueueGroup(), CGATerrainManager::kStaticQueue);
  std::vector<Ogre::Entity*> tall;
  collision->GetObjectsAt(pillar->Node->getPosition(), tall, CGACollisionManager::kTallList);
  EXPECT_EQ(tall, std::vector<Ogre::Entity*>{pillar->Entity});
  // Their materials took the statics' programs and the colours of
  // "unit_build", blended by alpha.
  const Ogre::Pass* pass = pillar->Entity->getSubEntity(0)->getMaterial()->getTechnique(0)->getPass(0);
  const Ogre::Pass* build = Ogre::MaterialManager::getSingleton().getByName("unit_build")->getTechnique(0)->getPass(0);
  EXPECT_EQ(pass->getVertexProgramName(), "unit_vs");
  EXPECT_EQ(pass->getFragmentProgramName(), "unit_ps");
  EXPECT_EQ(pass->getDiffuse(), build->getDiffuse());
  EXPECT_FALSE(pass->getLightingEnabled());
  EXPECT_TRUE(pass->isTransparent());
  // The walkable top of the platform is ground for a probe from above.
  Ogre::Vector3 onPlatform(40, 1, 33);
  EXPECT_TRUE(terrain->GetGroundHeight(onPlatform, true));
  EXPECT_NEAR(onPlatform.y, platform->Node->getPosition().y + 1.5f, 1e-3);

  ASSERT_EQ(terrain->GetPointLights().size(), 1u);
  EXPECT_EQ(terrain->GetPointLights().begin()->first, "lantern");
  ASSERT_TRUE(CGATerrainWater::getSingletonPtr());
  EXPECT_FLOAT_EQ(CGATerrainWater::getSingleton().GetWaterHeight(), 31.6f);
  // Low quality without the "Water" setting.
  EXPECT_EQ(CGATerrainWater::getSingleton().GetEntity()->getSubEntity(0)->getMaterialName(), "LowQuality_Water");
}

TEST_F(SceneLoading, TheWaterSettingChoosesHighQualityWater) {
  TempDir dir;
  dir.write("game.cfg", "[system]\nWater=1\n");
  ScopedWorkingDir cwd(dir.path());
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
  EXPECT_EQ(CGATerrainWater::getSingleton().GetEntity()->getSubEntity(0)->getMaterialName(), "HighQuality_Water");
}

TEST_F(SceneLoading, TheSameMapLoadsThreeTimesAndClearsWhole) {
  for (int round = 0; round < 3; ++round) {
    terrain->ClearMap();
    ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
    terrain->LoadPendingStatics();
    EXPECT_EQ(terrain->GetStatics().size(), 2u);
    EXPECT_TRUE(scene->hasLight("lantern"));
  }
  // A load without a clear first clears by itself.
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16));
  terrain->LoadPendingStatics();
  // Names keep counting over the run.
  EXPECT_TRUE(scene->hasEntity("platform_ent_7"));

  terrain->ClearMap();
  EXPECT_TRUE(terrain->GetTiles().empty());
  EXPECT_TRUE(terrain->GetStatics().empty());
  EXPECT_TRUE(terrain->GetPointLights().empty());
  EXPECT_FALSE(scene->hasLight("lantern"));
  EXPECT_TRUE(scene->hasLight("mainlight"));  // kept for the run
  EXPECT_EQ(EntityCount(scene), 0u);
  EXPECT_FALSE(scene->hasSceneNode("demo_full_root_node"));
  EXPECT_FALSE(scene->hasSceneNode("demo_full_static_root_node"));
  EXPECT_EQ(CGATerrainWater::getSingletonPtr(), nullptr);
  EXPECT_EQ(terrain->GetPathFinder(), nullptr);
  EXPECT_EQ(terrain->GetHeight(40, 40), 0.0f);
  EXPECT_EQ(terrain->GetWorldSizeX(), 128.0f);  // the last map's layout stays
  EXPECT_FALSE(Ogre::MeshManager::getSingleton().getByName("platform.mesh")->isLoaded());
  std::vector<Ogre::Entity*> ground;
  collision->GetObjectsAt(Ogre::Vector3(40, 0, 33), ground, CGACollisionManager::kGroundList);
  EXPECT_TRUE(ground.empty());
  terrain->ClearMap();  // nothing left to clear
}

class FaultyMaps : public SceneFixture {
 protected:
  FaultyMaps() {
    terrain->SetFileOpener(CGAMapReader::OpenFromFolder(dir.path()));
    dir.write("statics.xml",
              "<Static><Object Name=\"platform\" Mesh=\"platform.mesh\" Scale=\"1 1 1\"/>"
              "<Object Name=\"ghost\" Mesh=\"no_such.mesh\" Scale=\"1 1 1\"/></Static>");
  }
  bool Load(MapXml xml) {
    xml.Scene["StaticList"] = "statics.xml";
    dir.write("test.map", xml.Text());
    return terrain->LoadMap("test.map", 16);
  }
  TempDir dir;
};

TEST_F(FaultyMaps, AMissingPaintFileLeavesTheMapUnpaintedButWhole) {
  MapXml xml;
  xml.Terrain["PaintData"] = "gone.dat";
  xml.Terrain["Water"] = "true";
  ASSERT_TRUE(Load(xml));
  EXPECT_TRUE(log.Has({"test.map", "gone.dat", "not found"})) << log.All();
  EXPECT_EQ(terrain->GetTiles().size(), 4u);
  EXPECT_TRUE(CGATerrainWater::getSingletonPtr());
  EXPECT_TRUE(terrain->GetPathFinder());
  // Fewer than four blend textures are reported, and the tiles still draw.
  EXPECT_TRUE(log.Has({"test.map", "lists 0 blend textures"})) << log.All();
}

TEST_F(FaultyMaps, StaticsOffTheMapOrWithoutAMeshAreLeftOutWithALogLine) {
  MapXml xml;
  xml.Scene["StaticList"] = "statics.xml";
  std::string statics =
      "<StaticObjects>"
      "<Object Name=\"platform\" Position=\"20 0 20\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
      "<Object Name=\"platform\" Position=\"40 0 50\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
      "<Object Name=\"platform\" Position=\"-3 0 20\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
      "<Object Name=\"platform\" Position=\"70 0 5\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
      "<Object Name=\"ghost\" Position=\"10 0 10\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
      "<Object Name=\"unknown\" Position=\"10 0 10\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
      "</StaticObjects>";
  std::string text = xml.Text();
  text.replace(text.find("<StaticObjects/>"), 16, statics);
  dir.write("test.map", text);
  ASSERT_TRUE(terrain->LoadMap("test.map", 16));
  EXPECT_EQ(terrain->GetPendingStaticCount(), 3u);  // two on the map and the ghost
  EXPECT_TRUE(log.Has({"static \"platform\" at -3", "off the map"})) << log.All();
  EXPECT_TRUE(log.Has({"static \"platform\" at 70", "off the map"})) << log.All();
  terrain->LoadPendingStatics();
  EXPECT_EQ(terrain->GetStatics().size(), 2u);
  EXPECT_TRUE(log.Has({"\"ghost\"", "no_such.mesh", "left out"})) << log.All();
  // Two statics of one mesh: every entity goes before the mesh is unloaded.
  terrain->ClearMap();
  EXPECT_FALSE(scene->hasEntity("platform_ent_0"));
  EXPECT_FALSE(scene->hasEntity("platform_ent_1"));
  EXPECT_FALSE(Ogre::MeshManager::getSingleton().getByName("platform.mesh")->isLoaded());
}

TEST_F(FaultyMaps, GrassKindsAndRecords) {
  MapXml xml;
  xml.Children = "<Grass><Object Name=\"tuft\" Image=\"grass_blade.png\"/><Object Name=\"reed\" Image=\"x.png\"/>"
                 "<Records><Record id=\"0\" position=\"10 0 12\" yaw=\"45\" scale=\"1.5\"/>"
                 "<Record id=\"1\" position=\"30 0 40\" yaw=\"0\" scale=\"2\"/>"
                 "<Record id=\"2\" position=\"3 0 3\" yaw=\"0\" scale=\"1\"/></Records></Grass>";
  ASSERT_TRUE(Load(xml));
  ASSERT_EQ(terrain->GetGrassKinds().size(), 2u);
  Ogre::Entity* tuft = terrain->GetGrassKinds()[0];
  EXPECT_EQ(tuft->getName(), "tuft");
  EXPECT_EQ(tuft->getSubEntity(0)->getMaterialName(), "tuft");  // its own clone of "grass_mat"
  EXPECT_EQ(tuft->getRenderQueueGroup(), CGATerrainManager::kStaticQueue);
  ASSERT_TRUE(terrain->GetGrass());
  EXPECT_EQ(terrain->GetGrass()->getCamera(), camera);
  // One detail level of 9 x 9 wind pages, shaders off, scales 0 to 10 (no
  // fading between levels without vertex programs, as here).
  ASSERT_EQ(terrain->GetGrass()->getDetailLevels().size(), 1u);
  const Verdure::GeometryPageManager* level = terrain->GetGrass()->getDetailLevels().front();
  EXPECT_TRUE(dynamic_cast<Verdure::WindBatchPage*>(level->getGridPage(0, 0)));
  EXPECT_EQ(level->getGridSize(), 9);
  EXPECT_EQ(level->getFarRange(), 40.0f);
  EXPECT_EQ(level->getTransition(), 0.0f);
  EXPECT_FALSE(terrain->GetGrass()->getShadersEnabled());
  EXPECT_EQ(terrain->GetGrassLoader()->getBounds().right, 64.0f);
  EXPECT_EQ(terrain->GetGrassLoader()->getScaleRange(), 10.0f);
  EXPECT_EQ(terrain->GetGrassLoader()->getMinimumScale(), 0.0f);
  terrain->AddGrass(2, Ogre::Vector3(5, 0, 5), 0, 1);  // no such kind
  std::vector<Verdure::TreeRecord> records;
  for (Verdure::TreeIterator it = terrain->GetGrassLoader()->getTrees(); it.hasMoreElements();)
    records.push_back(it.getNext());
  ASSERT_EQ(records.size(), 2u);
  // Kept compact: yaw in 1/255 of a turn, scale in 1/255 of the range.
  const Verdure::TreeRecord& first = terrain->GetGrassKindIndex(records[0].getEntity()) == 0 ? records[0] : records[1];
  EXPECT_NEAR(first.getPosition().x, 10.0f, 0.01f);
  EXPECT_NEAR(first.getPosition().z, 12.0f, 0.01f);
  EXPECT_NEAR(first.getYaw().valueDegrees(), 45.0f, 360.0f / 255);
  EXPECT_NEAR(first.getScale(), 1.5f, 10.0f / 255);
  terrain->ClearMap();
  EXPECT_EQ(terrain->GetGrass(), nullptr);
  EXPECT_FALSE(scene->hasEntity("tuft"));
}

// A static scaled far past the map (a hostile or broken map) is filed in
// the collision cells the grid has and the map loads at once.
TEST_F(FaultyMaps, AStaticScaledFarPastTheGridLoadsAtOnce) {
  MapXml xml;
  xml.Statics = "<Object Name=\"platform\" Position=\"20 0 20\" Scale=\"1e8 1 1\" Quaternion=\"1 0 0 0\"/>";
  ASSERT_TRUE(Load(xml)) << log.All();
  terrain->LoadPendingStatics();
  ASSERT_EQ(terrain->GetStatics().size(), 1u);
  for (float x : {0.5f, 511.5f}) {
    std::vector<Ogre::Entity*> ground;
    collision->GetObjectsAt(Ogre::Vector3(x, 0, 20), ground, CGACollisionManager::kGroundList);
    EXPECT_EQ(ground.size(), 1u) << x;
  }
}

// A grass kind that repeats a name draws as the first kind of that name:
// every record stays on the kind its id names (the later kinds do not shift
// down), and the writer writes ids that draw the same.
TEST_F(FaultyMaps, ARepeatedGrassKindNameKeepsEveryRecordOnItsKind) {
  MapXml xml;
  xml.Children = "<Grass><Object Name=\"tuft\" Image=\"a.png\"/><Object Name=\"tuft\" Image=\"b.png\"/>"
                 "<Object Name=\"reed\" Image=\"c.png\"/><Records>"
                 "<Record id=\"0\" position=\"10 0 10\" yaw=\"0\" scale=\"1\"/>"
                 "<Record id=\"1\" position=\"20 0 20\" yaw=\"0\" scale=\"1\"/>"
                 "<Record id=\"2\" position=\"30 0 30\" yaw=\"0\" scale=\"1\"/></Records></Grass>";
  ASSERT_TRUE(Load(xml));
  const std::vector<Ogre::Entity*>& kinds = terrain->GetGrassKinds();
  ASSERT_EQ(kinds.size(), 3u);
  EXPECT_EQ(kinds[1], kinds[0]);
  EXPECT_EQ(kinds[2]->getName(), "reed");
  EXPECT_TRUE(log.Has({"test.map", "grass kind 1 \"tuft\"", "first kind of that name"})) << log.All();
  EXPECT_EQ(GrassByX(*terrain), (std::map<int, std::string>{{10, "tuft"}, {20, "tuft"}, {30, "reed"}}));

  TempDir saved;
  terrain->SetSaveFolder(saved.path() + "/");
  ASSERT_TRUE(terrain->SaveMap());
  TiXmlDocument doc;
  doc.Parse(ReadFileOrEmpty(saved.path() + "/" + terrain->GetMapData().Name + ".map").c_str());
  std::map<int, std::string> ids;  // by x
  const TiXmlElement* records = doc.FirstChildElement("Scene")->FirstChildElement("Grass")->FirstChildElement("Records");
  for (const TiXmlElement* e = records->FirstChildElement("Record"); e; e = e->NextSiblingElement("Record"))
    ids[int(std::lround(ParseVector3(e->Attribute("position")).x))] = e->Attribute("id");
  EXPECT_EQ(ids, (std::map<int, std::string>{{10, "0"}, {20, "0"}, {30, "2"}}));
  terrain->ClearMap();  // the shared entity goes once
  EXPECT_FALSE(scene->hasEntity("tuft"));
}

// A grass kind with an empty image, or none, has no texture to draw with
// (the engine refuses an empty texture name), and one without a name can
// name neither its entity nor its material: the kind and its grass are left
// out with a log line, and every other kind keeps its records.
TEST_F(FaultyMaps, AGrassKindWithoutImageOrNameIsLeftOut) {
  MapXml xml;
  xml.Children = "<Grass><Object Name=\"tuft\" Image=\"a.png\"/><Object Name=\"bare\" Image=\"\"/>"
                 "<Object Name=\"blank\"/><Object Name=\"\" Image=\"b.png\"/><Object Name=\"reed\" Image=\"c.png\"/>"
                 "<Records><Record id=\"0\" position=\"10 0 10\" yaw=\"0\" scale=\"1\"/>"
                 "<Record id=\"1\" position=\"20 0 20\" yaw=\"0\" scale=\"1\"/>"
                 "<Record id=\"2\" position=\"30 0 30\" yaw=\"0\" scale=\"1\"/>"
                 "<Record id=\"3\" position=\"50 0 50\" yaw=\"0\" scale=\"1\"/>"
                 "<Record id=\"4\" position=\"40 0 40\" yaw=\"0\" scale=\"1\"/></Records></Grass>";
  ASSERT_TRUE(Load(xml));
  const std::vector<Ogre::Entity*>& kinds = terrain->GetGrassKinds();
  ASSERT_EQ(kinds.size(), 5u);
  EXPECT_EQ(kinds[1], nullptr);
  EXPECT_EQ(kinds[2], nullptr);
  EXPECT_EQ(kinds[3], nullptr);
  EXPECT_FALSE(scene->hasEntity("bare"));
  EXPECT_FALSE(scene->hasEntity("blank"));
  EXPECT_TRUE(log.Has({"test.map", "grass kind 1 \"bare\"", "no image"})) << log.All();
  EXPECT_TRUE(log.Has({"test.map", "grass kind 2 \"blank\"", "no image"})) << log.All();
  EXPECT_TRUE(log.Has({"test.map", "grass kind 3 has no name", "left out"})) << log.All();
  EXPECT_EQ(GrassByX(*terrain), (std::map<int, std::string>{{10, "tuft"}, {40, "reed"}}));
  terrain->ClearMap();
}

// A grass kind named as a static's entity will be ("rock_ent_0", the first
// static of type "rock"): the static that would take the name is left out
// with a log line, and the next one takes a name of its own.
TEST_F(FaultyMaps, AStaticWhoseNameIsTakenIsLeftOut) {
  dir.write("statics.xml", "<Static><Object Name=\"rock\" Mesh=\"platform.mesh\" Scale=\"1 1 1\"/></Static>");
  MapXml xml;
  xml.Statics = "<Object Name=\"rock\" Position=\"20 0 20\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
                "<Object Name=\"rock\" Position=\"40 0 40\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>";
  xml.Children = "<Grass><Object Name=\"rock_ent_0\" Image=\"a.png\"/><Records/></Grass>";
  ASSERT_TRUE(Load(xml));
  terrain->LoadPendingStatics();
  ASSERT_EQ(terrain->GetStatics().size(), 1u);
  EXPECT_EQ(terrain->GetStatics().begin()->second.Entity->getName(), "rock_ent_1");
  EXPECT_EQ(scene->getEntity("rock_ent_0"), terrain->GetGrassKinds()[0]);
  EXPECT_TRUE(log.Has({"test.map", "static \"rock\"", "\"rock_ent_0\"", "left out"})) << log.All();
  terrain->ClearMap();
  EXPECT_FALSE(scene->hasEntity("rock_ent_0"));
}

// A map without terrain is flat ground at 0, and the "collide" tops of its
// statics are ground all the same, down to a top just above 0.
TEST_F(FaultyMaps, AMapWithoutTerrainStandsThingsOnItsStatics) {
  MakeBoxMesh("landing", Ogre::Vector3(6, 3, 6), 3.0f);
  MakeBoxMesh("step", Ogre::Vector3(6, 1, 6), 0.25f);
  dir.write("statics.xml", "<Static><Object Name=\"landing\" Mesh=\"landing.mesh\" Scale=\"1 1 1\"/>"
                           "<Object Name=\"step\" Mesh=\"step.mesh\" Scale=\"1 1 1\"/></Static>");
  MapXml xml;
  xml.Scene["Terrain"] = "false";
  xml.Statics = "<Object Name=\"landing\" Position=\"20 0 20\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>"
                "<Object Name=\"step\" Position=\"40 0 20\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>";
  ASSERT_TRUE(Load(xml));
  terrain->LoadPendingStatics();
  ASSERT_EQ(terrain->GetStatics().size(), 2u);
  struct Case {
    float x, z;
    bool onStatic;
    float y;
  };
  for (const Case& c : {Case{20, 20, true, 3.0f}, Case{22, 18, true, 3.0f}, Case{40, 20, true, 0.25f},
                        Case{30, 20, false, 0.0f}}) {
    Ogre::Vector3 probe(c.x, 10, c.z);
    EXPECT_EQ(terrain->GetGroundHeight(probe, true), c.onStatic) << c.x << ", " << c.z;
    EXPECT_FLOAT_EQ(probe.y, c.y) << c.x << ", " << c.z;
    EXPECT_EQ(terrain->GetHeight(c.x, c.z), 0.0f);  // the terrain's own height
  }
}

TEST_F(FaultyMaps, UnloadingAnEntitysMaterialsUnloadsEachOfThem) {
  MakeBoxMesh("crate", Ogre::Vector3(2, 2, 2), 1.0f);
  Ogre::Entity* crate = Place("crate.mesh", Ogre::Vector3(5, 0, 5));
  for (unsigned i = 0; i < crate->getNumSubEntities(); ++i) crate->getSubEntity(i)->getMaterial()->load();
  terrain->UnloadEntityMaterials(crate);
  ASSERT_EQ(crate->getNumSubEntities(), 2u);
  for (unsigned i = 0; i < crate->getNumSubEntities(); ++i)
    EXPECT_FALSE(crate->getSubEntity(i)->getMaterial()->isLoaded()) << crate->getSubEntity(i)->getMaterialName();
}

TEST_F(FaultyMaps, TheMapWriterWritesWhatAReloadGivesBack) {
  EXPECT_FALSE(terrain->SaveMap());  // nothing loaded yet
  TempDir saved;
  terrain->SetFileOpener(&CGAMapReader::OpenFromResources);
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16));
  terrain->LoadPendingStatics();
  // Edits the writer must carry: paint, a cell, a moved static.
  terrain->SetVertexLayer(10, 12, 3);
  terrain->GetMaterial()->SetVertexVariant(10, 12, 27);
  terrain->SetObstacle(5, 6, CGATerrainManager::kBlockedCell);
  // Cells left with one layer keep its atlas cell in the paint: the tiles
  // show the edit, as the editor rebuilds them.
  for (CGATerrainTile* tile : terrain->GetTiles()) tile->Rebuild(true);
  const StaticRecord* pillar = FindStatic(*terrain, "pillar");
  pillar->Node->setPosition(12, 3, 14);
  const std::vector<uint8_t> paint(terrain->GetMaterial()->GetPaintBuffer(),
                                   terrain->GetMaterial()->GetPaintBuffer() + terrain->GetMaterial()->GetPaintBufferSize());
  const CGAMapData& before = terrain->GetMapData();
  const std::vector<uint8_t> obstacles = before.Obstacles, logic = before.Logic;
  const std::vector<uint32_t> heights = before.Heights;
  const std::vector<uint8_t> light(before.LightMap->GetData(), before.LightMap->GetData() + before.LightMap->GetSize());
  const std::vector<Tuft> grass = SortedGrass(*terrain);
  ASSERT_FALSE(grass.empty());
  terrain->SetSaveFolder(saved.path() + "/");
  ASSERT_TRUE(terrain->SaveMap());
  std::filesystem::copy_file("maps/demo_full_static.xml", saved.path() + "/demo_full_static.xml");

  terrain->SetFileOpener(CGAMapReader::OpenFromFolder(saved.path()));
  ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
  terrain->LoadPendingStatics();
  const CGAMapData& after = terrain->GetMapData();
  EXPECT_EQ(after.Obstacles, obstacles);
  EXPECT_EQ(after.Logic, logic);
  EXPECT_EQ(after.Heights, heights);
  EXPECT_EQ(std::vector<uint8_t>(after.LightMap->GetData(), after.LightMap->GetData() + after.LightMap->GetSize()), light);
  const uint8_t* reloaded = terrain->GetMaterial()->GetPaintBuffer();
  ASSERT_EQ(terrain->GetMaterial()->GetPaintBufferSize(), paint.size());
  for (size_t i = 0; i < paint.size(); ++i) ASSERT_EQ(reloaded[i], paint[i]) << "paint byte " << i;
  EXPECT_EQ(terrain->GetMaterial()->GetPaintByte(10, 12, 0), 3);
  EXPECT_EQ(terrain->GetObstacle(5, 6), CGATerrainManager::kBlockedCell);
  ASSERT_EQ(terrain->GetStatics().size(), 2u);
  EXPECT_EQ(FindStatic(*terrain, "pillar")->Node->getPosition(), Ogre::Vector3(12, 3, 14));
  // The grass comes back tuft for tuft, within its stored steps.
  const std::vector<Tuft> reloadedGrass = SortedGrass(*terrain);
  ASSERT_EQ(reloadedGrass.size(), grass.size());
  for (size_t tuft = 0; tuft < grass.size(); ++tuft) {
    const Tuft &now = reloadedGrass[tuft], &was = grass[tuft];
    EXPECT_EQ(now.kind, was.kind);
    EXPECT_NEAR(now.x, was.x, 16.0f / 65535 * 2);
    EXPECT_NEAR(now.yaw, was.yaw, 360.0f / 255 * 1.01f);
    EXPECT_NEAR(now.scale, was.scale, 10.0f / 255 * 1.01f);
  }
  EXPECT_NEAR(FindStatic(*terrain, "platform")->Node->getOrientation().w, 0.991445f, 1e-5);
  ASSERT_EQ(terrain->GetPointLights().size(), 1u);
  const Ogre::Light* lantern = terrain->GetPointLights().at("lantern");
  EXPECT_EQ(lantern->getAttenuationRange(), 24.0f);
  EXPECT_FLOAT_EQ(lantern->getAttenuationQuadric(), 0.012f);
  EXPECT_FLOAT_EQ(CGATerrainWater::getSingleton().GetWaterHeight(), 31.6f);
  int l[4] = {};
  ASSERT_TRUE(terrain->GetMaterial()->GetTileLayers(15, l[0], l[1], l[2], l[3]));
  EXPECT_EQ(l[3], 3);
  // The saved document names its side files bare, fog stays off.
  const std::string map = ReadFileOrEmpty(saved.path() + "/demo_full.map");
  EXPECT_NE(map.find("ObstacleData=\"demo_full_obstacle.dat\""), std::string::npos);
  EXPECT_NE(map.find("<MapInfo"), std::string::npos);
  EXPECT_EQ(scene->getFogMode(), Ogre::FOG_NONE);
}

TEST_F(SceneLoading, EditorModeReadsItsColoursAndOverlaysTheCells) {
  TempDir work;
  ScopedWorkingDir inWork(work.path());
  work.write("editconfig.xml",
             "<TerrainEditConfig><LogicColour ID=\"257\" Colour=\"1 0 0 1\"/>"
             "<LogicColour ID=\"3\" Colour=\"0 0 1 1\"/></TerrainEditConfig>");
  // Brush images in group "Main".
  Ogre::Image brush(Ogre::PF_L8, 8, 8);
  for (const char* name : {"brush.png", "rect_brush.png"}) work.write(name, brush.encode("png")->getAsString());
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  if (!groups.resourceGroupExists("Main")) groups.createResourceGroup("Main");
  groups.addResourceLocation(work.path(), "FileSystem", "Main");
  terrain.reset();
  terrain = std::make_unique<CGATerrainManager>(scene, true);
  groups.removeResourceLocation(work.path(), "Main");

  for (int round = 0; round < 2; ++round) ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
  // Statics are made at once, every one tested by the fading.
  EXPECT_EQ(terrain->GetPendingStaticCount(), 0u);
  const StaticRecord* platform = FindStatic(*terrain, "platform");
  ASSERT_TRUE(platform);
  std::vector<Ogre::Entity*> tall;
  collision->GetObjectsAt(platform->Node->getPosition(), tall, CGACollisionManager::kTallList);
  EXPECT_EQ(tall, std::vector<Ogre::Entity*>{platform->Entity});
  // The overlay: obstacles in layer 0, the logic colours in layer 2 (ID 257
  // is logic 1, the lanes).
  CGACoverageMap* overlay = terrain->GetObstacleOverlay();
  ASSERT_TRUE(overlay);
  overlay->SelectLayer(0);
  EXPECT_EQ(overlay->GetValue(10, 71, 0), CGATerrainManager::kBlockedCell);
  overlay->SelectLayer(2);
  EXPECT_EQ(overlay->GetValue(45, 48, 0), 255);  // the lanes in red
  EXPECT_EQ(overlay->GetValue(45, 48, 2), 0);
  EXPECT_EQ(overlay->GetValue(34, 48, 2), 255);  // the defeat cells in blue
  EXPECT_EQ(overlay->GetValue(20, 20, 3), 255);  // no colour: left blank
  // Each terrain template has one obstacle pass, however many maps load.
  const Ogre::Technique* technique = Ogre::MaterialManager::getSingleton().getByName("Newterrain_2")->getTechnique(0);
  ASSERT_EQ(technique->getNumPasses(), 2u);
  EXPECT_EQ(technique->getPass(1)->getName(), "Obstacle");
  EXPECT_EQ(technique->getPass(1)->getVertexProgramName(), "terrain_vs_obstacle");
}

}  // namespace
