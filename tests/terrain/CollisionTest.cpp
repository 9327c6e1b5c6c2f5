// The collision grid with real meshes: registration, the three picks, the
// triangle cache and the ground queries that go through it.
#include "SceneTestSupport.h"
#include "terrain/CollisionCells.h"

#include <Ogre.h>

#include <cmath>

namespace {

class Collision : public SceneFixture {
 protected:
  Collision() {
    MakeBoxMesh("slab", Ogre::Vector3(4, 2, 4), 1.0f);   // body 2 high, ground at 1
    MakeBoxMesh("tower", Ogre::Vector3(2, 8, 2), 8.0f);  // tall, ground on top
    MakeBoxMesh("rock", Ogre::Vector3(2, 2, 2), -1);     // no ground
  }
  // Cells (column, row) an entity is filed in.
  std::vector<std::pair<int, int>> CellsOf(Ogre::Entity* entity, int list) {
    std::vector<std::pair<int, int>> cells;
    for (int row = 0; row < 8; ++row)
      for (int column = 0; column < 8; ++column) {
        std::vector<Ogre::Entity*> found;
        collision->GetObjectsAt(Ogre::Vector3(column * 4.0f + 1, 0, row * 4.0f + 1), found, list);
        if (std::count(found.begin(), found.end(), entity)) cells.push_back({column, row});
      }
    return cells;
  }
};

TEST_F(Collision, RegistrationCoversTheBoxAndMarksTheListsAsFlagBits) {
  // x from 2.5 to 9.5 and z from 1 to 3: columns 0, 1 and 2; the walk runs
  // while below the far side plus a cell, so rows 0 and 1.
  Ogre::Entity* wide = Place("rock.mesh", Ogre::Vector3(6, 0, 2), Ogre::Vector3(3.5f, 1, 1));
  collision->AddObject(wide, CGACollisionManager::kGroundList);
  EXPECT_EQ(CellsOf(wide, 0), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}));
  EXPECT_TRUE(CellsOf(wide, 1).empty());
  EXPECT_EQ(wide->getQueryFlags(), 10u);
  collision->AddObject(wide, CGACollisionManager::kTallList);
  EXPECT_EQ(wide->getQueryFlags(), 11u);  // in both lists
  Ogre::Entity* tall = Place("rock.mesh", Ogre::Vector3(20, 0, 20));
  collision->AddObject(tall, CGACollisionManager::kTallList);
  EXPECT_EQ(tall->getQueryFlags(), 9u);
  collision->AddObject(tall, 2);  // no such list
  EXPECT_EQ(tall->getQueryFlags(), 9u);

  // A rectangle query lists each entity once.
  const std::vector<Ogre::Entity*> near = collision->GetObjectsInRect(Ogre::Vector3(0, 0, 0), Ogre::Vector3(30, 0, 30), 1);
  EXPECT_EQ(near, (std::vector<Ogre::Entity*>{wide, tall}));
  // Off the grid on one axis is off the grid, not the next row.
  std::vector<Ogre::Entity*> found = {tall};
  collision->GetObjectsAt(Ogre::Vector3(515, 0, 1), found, 0);
  EXPECT_EQ(found, std::vector<Ogre::Entity*>{tall});
  collision->Clear();
  EXPECT_TRUE(CellsOf(wide, 0).empty());
}

TEST(CollisionCells, SpansFollowTheWalkAndStayOnTheGrid) {
  struct Case {
    float lo, hi;
    int first, last;  // first > last: no cell
  };
  const Case cases[] = {
      {2, 10, 0, 2},        // x = 2, 6, 10
      {0, 3.9f, 0, 1},      // one column past the box: the walk runs while below the far side plus a cell
      {0.5f, 4.5f, 0, 1},
      {-3, 1, 0, 0},        // x = -3 is off the grid, x = 1 is in column 0
      {-9, -4.5f, 0, -1},   // wholly before the grid
      {509, 600, 127, 127},
      {512, 600, 0, -1},    // wholly past it
      {-1e8f, 1e8f, 0, 127},
      {-3e38f, 3e38f, 0, 127},
      {-INFINITY, 5, 0, 1},
      {1, INFINITY, 0, 127},
      {NAN, 5, 0, -1},
      {5, 2, 1, 1},         // a lower end above the upper still takes one step
      {9, 2, 0, -1},
  };
  for (const Case& c : cases) {
    const CollisionCells::Span span = CollisionCells::SpanOf(c.lo, c.hi);
    if (c.first > c.last) {
      EXPECT_GT(span.first, span.last) << c.lo << " to " << c.hi;
    } else {
      EXPECT_EQ(span.first, c.first) << c.lo << " to " << c.hi;
      EXPECT_EQ(span.last, c.last) << c.lo << " to " << c.hi;
    }
  }
}

// A box far wider than the grid, as a static of a huge scale makes: it is
// filed in the cells the grid has, at once (the walk used to step through
// every 4 units of it).
TEST_F(Collision, BoxesFarWiderThanTheGridAreClippedToIt) {
  Ogre::Entity* wide = Place("rock.mesh", Ogre::Vector3(6, 0, 2), Ogre::Vector3(1e8f, 1, 1));
  collision->AddObject(wide, CGACollisionManager::kGroundList);
  for (float x : {1.0f, 300.0f, 511.0f}) {
    std::vector<Ogre::Entity*> found;
    collision->GetObjectsAt(Ogre::Vector3(x, 0, 1), found, CGACollisionManager::kGroundList);
    EXPECT_EQ(found, std::vector<Ogre::Entity*>{wide}) << x;
  }
  EXPECT_EQ(CellsOf(wide, 0).size(), 16u);  // of the 8 x 8 looked at: rows 0 and 1
  EXPECT_EQ(collision->GetObjectsInRect(Ogre::Vector3(-1e30f, 0, -1e30f), Ogre::Vector3(1e30f, 0, 1e30f), 0),
            std::vector<Ogre::Entity*>{wide});
}

TEST_F(Collision, GroundPicksTakeTheNearestHitWhateverTheOrder) {
  // Two ground statics under one ray: the higher is nearer from above.
  Ogre::Entity* high = Place("slab.mesh", Ogre::Vector3(9, 3, 9));
  Ogre::Entity* low = Place("slab.mesh", Ogre::Vector3(9, 0, 9));
  for (Ogre::Entity* e : {high, low}) collision->AddObject(e, CGACollisionManager::kGroundList);
  Ogre::Vector3 point(9, 0, 9);
  ASSERT_TRUE(collision->RayPickGrid(point, Down(9, 9), false));
  EXPECT_NEAR(point.y, 4.0f, 1e-4);  // the collide quad of the higher one
  scene->getRootSceneNode()->_update(true, false);
  const std::pair<bool, float> hit = collision->RayPick(Down(9, 9), false);
  ASSERT_TRUE(hit.first);
  EXPECT_NEAR(Down(9, 9).getPoint(hit.second).y, 4.0f, 1e-4);
  // Ground picks look at the "collide" quads only: the body's top at 5 is
  // not ground. Whole meshes see it.
  const std::pair<bool, float> whole = collision->RayPick(Down(9, 9), true);
  EXPECT_NEAR(Down(9, 9).getPoint(whole.second).y, 5.0f, 1e-4);
  Ogre::Vector3 missed(30, 0, 30);
  EXPECT_FALSE(collision->RayPickGrid(missed, Down(30, 30), false));
  EXPECT_EQ(missed, Ogre::Vector3(30, 0, 30));
}

TEST_F(Collision, TheCacheKeepsEachFilterApart) {
  // The see-through test reads the tower's whole mesh first; the ground
  // pick must still find only its "collide" top.
  Ogre::Entity* tower = Place("tower.mesh", Ogre::Vector3(5, 0, 5));
  collision->AddObject(tower, CGACollisionManager::kGroundList);
  collision->AddObject(tower, CGACollisionManager::kTallList);
  const Ogre::Ray sideways(Ogre::Vector3(-10, 4, 5), Ogre::Vector3::UNIT_X);
  // The first test of a mesh already answers.
  EXPECT_TRUE(collision->RayPickObject(tower, sideways, 100.0f));
  EXPECT_FALSE(collision->RayPickObject(tower, sideways, 13.0f));  // the side is 14 away
  EXPECT_EQ(collision->GetMeshTriangles(tower, "").size(), (12u + 2) * 3);
  EXPECT_EQ(collision->GetMeshTriangles(tower, "collide").size(), 2u * 3);
  Ogre::Vector3 point(5, 0, 5);
  ASSERT_TRUE(collision->RayPickGrid(point, Down(5, 5), false));
  EXPECT_NEAR(point.y, 8.0f, 1e-4);
  // A tall ground static is ground for the engine query too.
  scene->getRootSceneNode()->_update(true, false);
  EXPECT_TRUE(collision->RayPick(Down(5, 5), false).first);
  EXPECT_FALSE(collision->RayPickObject(nullptr, sideways, 100.0f));
}

TEST_F(Collision, RotatedStretchedStaticsArePlacedAsTheEngineDrawsThem) {
  // A 4 x 4 slab stretched 3 times along its own x, then turned a quarter
  // about y: it reaches 6 units along world z and 2 along x.
  const Ogre::Quaternion quarter(Ogre::Degree(90), Ogre::Vector3::UNIT_Y);
  Ogre::Entity* slab = Place("slab.mesh", Ogre::Vector3(20, 0, 20), Ogre::Vector3(3, 1, 1), quarter);
  collision->AddObject(slab, CGACollisionManager::kGroundList);
  Ogre::Vector3 inside(20.5f, 0, 25.0f), outside(25.0f, 0, 20.5f);
  EXPECT_TRUE(collision->RayPickGrid(inside, Down(20.5f, 25.0f), false));
  EXPECT_NEAR(inside.y, 1.0f, 1e-4);
  EXPECT_FALSE(collision->RayPickGrid(outside, Down(25.0f, 20.5f), false));
  // The mesh reader places vertices in the same order.
  std::vector<Ogre::Vector3> vertices;
  std::vector<uint32_t> indices;
  CGACollisionManager::GetMeshInformation(*slab->getMesh(), vertices, indices, Ogre::Vector3(20, 0, 20), quarter,
                                          Ogre::Vector3(3, 1, 1), "collide");
  ASSERT_EQ(vertices.size(), 4u);
  EXPECT_EQ(indices.size(), 6u);
  for (const Ogre::Vector3& v : vertices) {
    EXPECT_NEAR(std::abs(v.x - 20), 2.0f, 1e-4);
    EXPECT_NEAR(std::abs(v.z - 20), 6.0f, 1e-4);
  }
}

// One sub-mesh of a mesh built vertex by vertex: its corners (only x and z
// kept when flat, as two floats) and its triangles.
struct RawSubMesh {
  std::vector<Ogre::Vector3> corners;
  std::vector<uint16_t> indices;
  bool flat = false;
};

Ogre::MeshPtr MakeRawMesh(const std::string& name, const std::vector<RawSubMesh>& subs) {
  Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
  if (meshes.resourceExists(name, "General")) meshes.remove(name, "General");
  Ogre::MeshPtr mesh = meshes.createManual(name, "General");
  Ogre::HardwareBufferManager& buffers = Ogre::HardwareBufferManager::getSingleton();
  for (const RawSubMesh& raw : subs) {
    Ogre::SubMesh* sub = mesh->createSubMesh();
    sub->useSharedVertices = false;
    sub->setMaterialName("raw_collide");
    sub->vertexData = new Ogre::VertexData();
    sub->vertexData->vertexCount = raw.corners.size();
    sub->vertexData->vertexDeclaration->addElement(0, 0, raw.flat ? Ogre::VET_FLOAT2 : Ogre::VET_FLOAT3,
                                                   Ogre::VES_POSITION);
    std::vector<float> floats;
    for (const Ogre::Vector3& c : raw.corners) {
      floats.push_back(c.x);
      if (!raw.flat) floats.push_back(c.y);
      floats.push_back(c.z);
    }
    Ogre::HardwareVertexBufferSharedPtr vertices = buffers.createVertexBuffer(
        sub->vertexData->vertexDeclaration->getVertexSize(0), raw.corners.size(), Ogre::HardwareBuffer::HBU_STATIC);
    vertices->writeData(0, floats.size() * sizeof(float), floats.data());
    sub->vertexData->vertexBufferBinding->setBinding(0, vertices);
    sub->indexData->indexCount = raw.indices.size();
    sub->indexData->indexBuffer =
        buffers.createIndexBuffer(Ogre::HardwareIndexBuffer::IT_16BIT, raw.indices.size(), Ogre::HardwareBuffer::HBU_STATIC);
    sub->indexData->indexBuffer->writeData(0, raw.indices.size() * 2, raw.indices.data());
  }
  mesh->_setBounds(Ogre::AxisAlignedBox(-2, -2, -2, 2, 2, 2));
  mesh->load();
  return mesh;
}

// A broken sub-mesh or triangle takes only itself out: the triangles after
// it keep their own corners.
TEST_F(Collision, BrokenSubMeshesAndTrianglesLeaveTheOthersWhole) {
  if (!Ogre::MaterialManager::getSingleton().resourceExists("raw_collide"))
    Ogre::MaterialManager::getSingleton().create("raw_collide", "General");
  // A quad at y = 1 as its two triangles.
  const std::vector<Ogre::Vector3> quad = {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}};
  const std::vector<Ogre::Vector3> halves = {quad[0], quad[1], quad[2], quad[2], quad[3], quad[0]};
  struct Case {
    const char* what;
    std::vector<RawSubMesh> subs;
  };
  const Case cases[] = {
      // Its positions are no three floats: before the quad, its indices
      // would name the quad's corners.
      {"a flat sub-mesh", {{{{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}}, {0, 1, 2}, true}, {quad, {0, 1, 2, 2, 3, 0}}}},
      // Its middle triangle names a corner the sub-mesh lacks.
      {"a corner out of range", {{quad, {0, 1, 2, 0, 9, 1, 2, 3, 0}}}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "raw" + std::to_string(n++) + ".mesh";
    Ogre::MeshPtr mesh = MakeRawMesh(name, c.subs);
    std::vector<Ogre::Vector3> vertices;
    std::vector<uint32_t> indices;
    CGACollisionManager::GetMeshInformation(*mesh, vertices, indices, Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY,
                                            Ogre::Vector3::UNIT_SCALE, "collide");
    EXPECT_EQ(indices.size(), 6u) << c.what;
    Ogre::Entity* entity = Place(name, Ogre::Vector3(10, 0, 10));
    EXPECT_EQ(collision->GetMeshTriangles(entity, "collide"), halves) << c.what;
  }
}

TEST_F(Collision, OnlyMaterialsEndingInCollideAreGround) {
  EXPECT_TRUE(CGACollisionManager::IsCollideMaterial("slab_collide"));
  EXPECT_TRUE(CGACollisionManager::IsCollideMaterial("collide"));
  EXPECT_FALSE(CGACollisionManager::IsCollideMaterial("llide"));
  EXPECT_FALSE(CGACollisionManager::IsCollideMaterial("collider"));
  // An entity with a short material name and a "_collide" one: only the
  // second is hidden; every sub-entity becomes opaque.
  Ogre::Entity* slab = Place("slab.mesh", Ogre::Vector3(40, 0, 40));
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  if (!materials.resourceExists("rock")) materials.create("rock", "General");
  slab->getSubEntity(0)->setMaterialName("rock");
  EXPECT_TRUE(terrain->HideCollideSubEntities(slab));
  EXPECT_TRUE(slab->getSubEntity(0)->isVisible());
  EXPECT_FALSE(slab->getSubEntity(1)->isVisible());
  EXPECT_EQ(slab->getSubEntity(0)->getCustomParameter(0), Ogre::Vector4(0, 0, 0, 1));
  EXPECT_FALSE(terrain->HideCollideSubEntities(Place("rock.mesh", Ogre::Vector3(50, 0, 50))));
  EXPECT_FALSE(terrain->HideCollideSubEntities(nullptr));
}

}  // namespace
