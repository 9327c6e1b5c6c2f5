// The terrain's frame step and the ground picks with the real camera:
// deferred statics near the camera, see-through fading, mouse picks.
#include "SceneTestSupport.h"
#include "game/FrameClock.h"
#include "game/ResourcePreloader.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/WaitFor.h"
#include "vegetation/BatchPage.h"
#include "vegetation/BatchedGeometry.h"
#include "vegetation/PagedVegetation.h"

#include <Ogre.h>
#include <algorithm>
#include <limits>

#include <chrono>
#include <thread>

namespace {

class FrameStep : public SceneFixture {
 protected:
  // The demo map as the game shows it: the start view looking at the pond.
  void LoadDemo(bool makeStatics = true) {
    ASSERT_TRUE(terrain->LoadMap("demo_full.map", 16)) << log.All();
    if (makeStatics) terrain->LoadPendingStatics();
    controller->SetPitchLimits(Ogre::Vector2(30, 50));
    controller->SetDistanceLimits(Ogre::Vector2(10, 25));
    controller->Zoom(4);
    controller->Rotate(0, -20);
    LookAt(30, 40);
  }
  void LookAt(float x, float z) { controller->SetLookAt(Ogre::Vector3(x, terrain->GetHeight(x, z), z)); }
  // Runs frames of 15 ms.
  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      FrameTimeMs += 15;
      terrain->Update();
    }
  }
  const StaticRecord& Static(const std::string& type) {
    for (const auto& [name, record] : terrain->GetStatics())
      if (record.TypeName == type) return record;
    throw std::runtime_error("no static " + type);
  }
};

TEST_F(FrameStep, DeferredStaticsAreMadeRoundThePointLookedAt) {
  // Their meshes load in the background through the game's preloader; an
  // earlier test of this process may have made them already.
  StartBackgroundLoading();
  Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
  for (const char* name : {"platform.mesh", "pillar.mesh"})
    if (meshes.resourceExists(name, "General")) meshes.remove(name, "General");
  CGAResourcePreloader preloader;
  LoadDemo(false);
  ASSERT_EQ(terrain->GetPendingStaticCount(), 2u);
  auto loaded = [](const char* mesh) {
    Ogre::MeshPtr found = Ogre::MeshManager::getSingleton().getByName(mesh, "General");
    return found && found->isLoaded();
  };
  // Far from both (the map's north-east corner): nothing happens.
  LookAt(120, 120);
  Frames(5);
  EXPECT_EQ(terrain->GetPendingStaticCount(), 2u);
  EXPECT_FALSE(loaded("platform.mesh") || loaded("pillar.mesh"));
  // Near them: a frame asks for the mesh; the static waits until the load
  // is done (the engine finishes loads at frame end), then a frame retires
  // the load and one makes the static.
  LookAt(30, 40);
  Frames(1);
  EXPECT_EQ(terrain->GetPendingStaticCount(), 2u);
  WaitFor([&] { return terrain->GetPendingStaticCount() == 0; }, [&] {
    Ogre::Root::getSingleton().getWorkQueue()->processResponses();
    Frames(1);
  });
  EXPECT_EQ(terrain->GetPendingStaticCount(), 0u);
  EXPECT_EQ(terrain->GetStatics().size(), 2u);
  EXPECT_TRUE(loaded("platform.mesh") && loaded("pillar.mesh"));
}

TEST_F(FrameStep, WithoutAPreloaderDeferredStaticsLoadTheirMeshesWhenMade) {
  LoadDemo(false);
  LookAt(30, 40);
  Frames(2);  // no load to wait for: one frame a static in each tile
  EXPECT_EQ(terrain->GetPendingStaticCount(), 0u);
  EXPECT_EQ(terrain->GetStatics().size(), 2u);
}

// Deferred statics are filed and found by Scale alone (Step is no part of
// the divisor), the bucket as tz x tile count X + tx with no test per axis.
class DeferredBuckets : public FrameStep {
 protected:
  // A map of 64 x 64 grid steps (4 x 4 tiles) with rocks at the given
  // places, loaded without making its statics.
  void Load(const std::string& step, const std::vector<Ogre::Vector2>& rocks) {
    terrain->SetFileOpener(CGAMapReader::OpenFromFolder(dir.path()));
    dir.write("s.xml", "<Static><Object Name=\"rock\" Mesh=\"platform.mesh\" Scale=\"1 1 1\"/></Static>");
    MapXml xml;
    xml.Scene["Width"] = xml.Scene["Height"] = "64";
    xml.Scene["Step"] = step;
    xml.Scene["StaticList"] = "s.xml";
    for (const Ogre::Vector2& at : rocks)
      xml.Statics += "<Object Name=\"rock\" Position=\"" + std::to_string(at.x) + " 0 " + std::to_string(at.y) +
                     "\" Scale=\"1 1 1\" Quaternion=\"1 0 0 0\"/>";
    dir.write("m.map", xml.Text());
    ASSERT_TRUE(terrain->LoadMap("m.map", 16)) << log.All();
  }
  TempDir dir;
};

TEST_F(DeferredBuckets, TheCornerReachesTheLastTileOfTheFirstRow) {
  // Tiles of 32 world units: the rock stands in tile 3, the last of row 0.
  Load("1", {{110, 10}});
  controller->SetLookAt(Ogre::Vector3(0, 0, 0));
  // The offset (-1, 1) from tile (0, 0) is index 4 - 1.
  Frames(10);
  EXPECT_EQ(terrain->GetPendingStaticCount(), 0u);
  EXPECT_EQ(terrain->GetStatics().size(), 1u);
}

TEST_F(DeferredBuckets, WithAStepOfTwoTheBucketsStillGoByScale) {
  // Vertices 4 world units apart, the map 256 wide; buckets of 32 units: the
  // first rock files in bucket 3 (x 96..128), the second, at bucket column
  // 6 and row 6, has no bucket and is made at once.
  Load("2", {{120, 10}, {200, 200}});
  EXPECT_EQ(terrain->GetStatics().size(), 1u);
  EXPECT_EQ(terrain->GetPendingStaticCount(), 1u);
  // Bucket 1 and its neighbours do not reach bucket 3.
  controller->SetLookAt(Ogre::Vector3(40, 0, 10));
  Frames(10);
  EXPECT_EQ(terrain->GetPendingStaticCount(), 1u);
  controller->SetLookAt(Ogre::Vector3(120, 0, 10));
  Frames(10);
  EXPECT_EQ(terrain->GetPendingStaticCount(), 0u);
}

TEST_F(FrameStep, AStaticHidingTheViewFadesAndComesBack) {
  LoadDemo();
  const StaticRecord& pillar = Static("pillar");
  FrameTimeMs = 1000;
  Frames(1);
  ASSERT_EQ(terrain->GetFades().size(), 1u) << "the pillar stands between the camera and the pond";
  EXPECT_EQ(terrain->GetFades()[0].Entity, pillar.Entity);
  EXPECT_EQ(pillar.Entity->getRenderQueueGroup(), CGATerrainManager::kFadedQueue);
  EXPECT_NEAR(pillar.Entity->getSubEntity(0)->getCustomParameter(0).w, 1.0f - 0.015f, 1e-5);
  // Down to just under 0.3 in about 0.7 s, and it stays there.
  Frames(100);
  const float faded = pillar.Entity->getSubEntity(0)->getCustomParameter(0).w;
  EXPECT_LE(faded, 0.3f);
  EXPECT_GT(faded, 0.28f);
  // The platform, lower than the view, never fades.
  EXPECT_EQ(Static("platform").Entity->getRenderQueueGroup(), CGATerrainManager::kGroundQueue);

  // Looking elsewhere it returns to opaque in about 1.4 s, in its own queue.
  LookAt(90, 40);
  Frames(60);
  ASSERT_EQ(terrain->GetFades().size(), 1u);
  EXPECT_GT(pillar.Entity->getSubEntity(0)->getCustomParameter(0).w, faded);
  Frames(60);
  EXPECT_TRUE(terrain->GetFades().empty());
  EXPECT_EQ(pillar.Entity->getRenderQueueGroup(), CGATerrainManager::kStaticQueue);
  EXPECT_EQ(pillar.Entity->getSubEntity(0)->getCustomParameter(0), Ogre::Vector4(0, 0, 0, 1));
}

TEST_F(FrameStep, TheGrassRoundThePointLookedAtIsBatchedInTheFrameStep) {
  LoadDemo();
  const Verdure::GeometryPageManager* level = terrain->GetGrass()->getDetailLevels().front();
  EXPECT_TRUE(level->getLoadedPages().empty());
  Frames(1);
  ASSERT_FALSE(level->getLoadedPages().empty());
  // Every loaded page is one batch of the tufts of its square, standing on
  // the ground.
  size_t tufts = 0;
  for (Verdure::GeometryPage* page : level->getLoadedPages()) {
    Verdure::BatchedGeometry* batch = static_cast<Verdure::BatchPage*>(page)->getBatch();
    for (auto it = batch->getSubBatchIterator(); it.hasMoreElements();) {
      const Verdure::BatchedGeometry::SubBatch* sub = it.getNext();
      EXPECT_TRUE(sub->isBuilt());
      tufts += sub->vertexData->vertexCount / 8;  // two quads a tuft
    }
    if (batch->isBuilt()) {
      // Its lowest tufts stand on the ground somewhere under it (a page by
      // the pond has the hollow under its centre).
      const Ogre::Vector3 centre = batch->getParentSceneNode()->getPosition();
      const Ogre::Vector3 half = batch->getBoundingBox().getHalfSize();
      float lowest = std::numeric_limits<float>::max(), highest = std::numeric_limits<float>::lowest();
      for (float dx : {-1.0f, 0.0f, 1.0f})
        for (float dz : {-1.0f, 0.0f, 1.0f}) {
          const float ground = terrain->GetHeight(centre.x + dx * half.x, centre.z + dz * half.z);
          lowest = std::min(lowest, ground);
          highest = std::max(highest, ground);
        }
      EXPECT_GE(centre.y - half.y, lowest - 1.0f);
      EXPECT_LE(centre.y - half.y, highest + 1.0f);
    }
  }
  EXPECT_GT(tufts, 100u);
  terrain->ClearMap();
  EXPECT_FALSE(terrain->GetGrass());
}

TEST_F(FrameStep, TheMousePicksTheGroundUnderIt) {
  LoadDemo();
  // The centre of the view is the point looked at, a cell of the lane.
  LookAt(90.3f, 40.6f);
  const Ogre::Vector3 centre = terrain->PickGround(controller->GetPickRay(0.5f, 0.5f));
  EXPECT_EQ(int(centre.x), 90);
  EXPECT_EQ(int(centre.z), 40);
  // Any ground point seen at a screen point is picked back there.
  for (const Ogre::Vector3 at : {Ogre::Vector3(84.5f, 0, 44.5f), Ogre::Vector3(97.2f, 0, 35.9f)}) {
    const Ogre::Vector3 ground(at.x, terrain->GetHeight(at.x, at.z), at.z);
    Ogre::Vector3 screen;
    ASSERT_TRUE(controller->WorldToScreen(ground, &screen));
    const Ogre::Vector3 picked = terrain->PickGround(controller->GetPickRay(screen.x, screen.y));
    EXPECT_NEAR(picked.x, ground.x, 0.01f);
    EXPECT_NEAR(picked.z, ground.z, 0.01f);
  }
  // The platform's walkable top is ground for the mouse; skipping objects
  // reaches the terrain.
  LookAt(40, 33);
  const Ogre::Ray ray = controller->GetPickRay(0.5f, 0.5f);
  const float top = Static("platform").Node->getPosition().y + 1.5f;
  EXPECT_NEAR(terrain->PickGround(ray).y, top, 1e-3);
  EXPECT_LT(terrain->PickGround(ray, nullptr, true).y, top - 1.0f);
}

}  // namespace
