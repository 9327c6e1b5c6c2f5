// Ground picking in a headless scene: a static's walkable surface first,
// then the tiles the terrain ray query meets, nearest first, each picked
// against its own triangles; the slab where the ray meets neither.
#include "SceneTestSupport.h"
#include "platform/Random.h"
#include "terrain/TerrainTile.h"

#include <Ogre.h>

#include <cmath>
#include <functional>

namespace {

class GroundPick : public SceneFixture {
 protected:
  GroundPick() { terrain->SetFileOpener(CGAMapReader::OpenFromFolder(dir.path())); }
  // A map of width x width grid steps (tiles of 16) whose raw heights come
  // from a function of the vertex, loaded into the scene.
  void Load(int width, int scale, const std::function<uint32_t(int, int)>& height) {
    std::vector<uint32_t> heights;
    for (int z = 0; z < width; ++z)
      for (int x = 0; x < width; ++x) heights.push_back(height(x, z));
    dir.write("h.dat", Le32(heights));
    MapXml xml;
    xml.Scene["Width"] = xml.Scene["Height"] = std::to_string(width);
    xml.Scene["Scale"] = std::to_string(scale);
    xml.Terrain["HeightData"] = "h.dat";
    dir.write("m.map", xml.Text());
    ASSERT_TRUE(terrain->LoadMap("m.map", 16)) << log.All();
    // The scene's bounds, as a drawn frame leaves them.
    scene->getRootSceneNode()->_update(true, false);
  }
  // The nearest hit of the ray on the terrain's triangles, every cell tried.
  bool BruteForce(const Ogre::Ray& ray, Ogre::Vector3& hit) const {
    float best = 1e30f;
    const float cell = float(terrain->GetScale() * terrain->GetStep());
    for (int cz = 0; cz < int(terrain->GetGridSizeZ()); ++cz)
      for (int cx = 0; cx < int(terrain->GetGridSizeX()); ++cx) {
        auto p = [&](int a, int b) {
          const float x = float(cx + a) * cell, z = float(cz + b) * cell;
          return Ogre::Vector3(x, terrain->GetHeight(x, z), z);
        };
        for (const auto& r : {Ogre::Math::intersects(ray, p(0, 0), p(1, 0), p(1, 1), true, true),
                              Ogre::Math::intersects(ray, p(0, 0), p(0, 1), p(1, 1), true, true)})
          if (r.first && r.second < best) best = r.second;
      }
    if (best >= 1e30f) return false;
    hit = ray.getPoint(best);
    return true;
  }
  TempDir dir;
};

TEST_F(GroundPick, ARayPicksTheNearestGroundOfTheTilesItCrosses) {
  platform::SeedRand(7);
  Load(64, 2, [](int x, int z) {
    return uint32_t(250 * (5 + 2 * std::sin(x * 0.7) + 2 * std::cos(z * 0.4)) + platform::Rand() % 300);
  });
  auto random = [](float lo, float hi) { return lo + (hi - lo) * float(platform::Rand()) / 32767.0f; };
  int hits = 0;
  for (int i = 0; i < 300; ++i) {
    const Ogre::Vector3 from(random(-40, 170), random(5, 60), random(-40, 170));
    const Ogre::Vector3 to(random(0, 128), random(-5, 10), random(0, 128));
    const Ogre::Ray ray(from, (to - from).normalisedCopy());
    Ogre::Vector3 expected;
    const Ogre::Vector3 picked = terrain->PickGround(ray);
    if (!BruteForce(ray, expected)) {
      // Where the ray enters the slab (y from -1 to 0), or the origin.
      EXPECT_LT(picked.y, 1e-4f) << i;
      continue;
    }
    ++hits;
    EXPECT_LT(picked.distance(expected), 1e-3f) << i;
  }
  EXPECT_GT(hits, 200);
  // A ray that meets no tile but crosses the slab.
  EXPECT_TRUE(terrain->PickGround(Down(300, 300)).positionEquals(Ogre::Vector3(300, 0, 300), 1e-4f));
}

TEST_F(GroundPick, AStaticsWalkableSurfaceIsPickedFirst) {
  Load(32, 2, [](int, int) { return 2500u; });  // level ground at 20
  MakeBoxMesh("deck", Ogre::Vector3(4, 6, 4), 25.0f);
  collision->AddObject(Place("deck.mesh", Ogre::Vector3(30, 0, 30)), CGACollisionManager::kGroundList);
  scene->getRootSceneNode()->_update(true, false);
  EXPECT_NEAR(terrain->PickGround(Down(30, 30)).y, 25.0f, 1e-4);
  // Skipping objects, and beside it, the ground of the tiles.
  EXPECT_NEAR(terrain->PickGround(Down(30, 30), nullptr, true).y, 20.0f, 1e-4);
  EXPECT_NEAR(terrain->PickGround(Down(40, 30)).y, 20.0f, 1e-4);
}

// Where a tile's node stands plus half a tile names the tile whatever the
// Scale: adding Scale vertices instead would name the next tile once Scale
// is a tile wide (16 here), and the ground would be missed.
TEST_F(GroundPick, EachTileIsFoundWhateverTheScale) {
  Load(32, 16, [](int, int) { return 2500u; });  // vertex height 10: the ground at 160
  for (float x : {100.0f, 300.0f})
    EXPECT_TRUE(terrain->PickGround(Down(x, 100, 500)).positionEquals(Ogre::Vector3(x, 160, 100), 1e-3f)) << x;
}

// Only a tile's own object has its ground tried. Another object the ray
// meets first, whose node stands where it would name a farther tile, does
// not make the ground of that tile the pick: here the ray meets the ground
// of the first tile's plateau, and that of the second tile far beyond.
TEST_F(GroundPick, OnlyTheTilesOwnObjectsHaveTheirGroundTried) {
  // A plateau at 40 up to x = 30 (the first tile), the ground at 0 from x = 32.
  Load(32, 2, [](int x, int) { return x <= 15 ? 5000u : 0u; });
  MakeBoxMesh("post", Ogre::Vector3(2, 2, 2), -1.0f);
  Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode(Ogre::Vector3(18, 41, 10));
  node->attachObject(scene->createEntity("terrain_post", "post.mesh"));
  scene->getRootSceneNode()->_update(true, false);
  const Ogre::Ray ray({0, 60, 10}, Ogre::Vector3(1, -1, 0).normalisedCopy());
  EXPECT_TRUE(terrain->PickGround(ray).positionEquals(Ogre::Vector3(20, 40, 10), 1e-3f)) << terrain->PickGround(ray);
}

}  // namespace
