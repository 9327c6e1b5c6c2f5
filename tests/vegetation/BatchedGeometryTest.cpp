// Merged geometry in software buffers: sub-batch keys, index sizes, the
// placed vertices and colours, bounds, shared vertex data, the camera range
// and the wind data of every vertex.
#include "VegetationTestSupport.h"
#include "tests/support/HeadlessEngine.h"
#include "vegetation/BatchedGeometry.h"
#include "vegetation/GeometryPage.h"
#include "vegetation/PagedVegetation.h"
#include "vegetation/WindBatchedGeometry.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using Verdure::BatchedGeometry;
using SubBatch = BatchedGeometry::SubBatch;

std::vector<SubBatch*> SubBatches(BatchedGeometry& batch) {
  std::vector<SubBatch*> out;
  for (auto it = batch.getSubBatchIterator(); it.hasMoreElements();) out.push_back(it.getNext());
  return out;
}

// The floats of an element of a built vertex.
std::vector<float> Floats(const SubBatch* sub, size_t vertex, Ogre::VertexElementSemantic semantic,
                          unsigned short index = 0) {
  const Ogre::VertexElement* e = sub->vertexData->vertexDeclaration->findElementBySemantic(semantic, index);
  if (!e) return {};
  const auto& buffer = sub->vertexData->vertexBufferBinding->getBuffer(e->getSource());
  std::vector<float> out(e->getSize() / 4);
  const auto* data = static_cast<const Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
  std::memcpy(out.data(), data + vertex * buffer->getVertexSize() + e->getOffset(), out.size() * 4);
  buffer->unlock();
  return out;
}

// The four bytes of a vertex's colour.
std::vector<int> Colour(const SubBatch* sub, size_t vertex) {
  const Ogre::VertexElement* e = sub->vertexData->vertexDeclaration->findElementBySemantic(Ogre::VES_DIFFUSE);
  if (!e) return {};
  const auto& buffer = sub->vertexData->vertexBufferBinding->getBuffer(e->getSource());
  const auto* data = static_cast<const Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
  const Ogre::uchar* p = data + vertex * buffer->getVertexSize() + e->getOffset();
  std::vector<int> out(p, p + 4);
  buffer->unlock();
  return out;
}

std::vector<Ogre::uint32> Indices(const SubBatch* sub) {
  const auto& buffer = sub->indexData->indexBuffer;
  std::vector<Ogre::uint32> out(sub->indexData->indexCount);
  const auto* data = static_cast<const Ogre::uchar*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
  for (size_t i = 0; i < out.size(); ++i) {
    if (buffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT) {
      std::memcpy(&out[i], data + 4 * i, 4);
    } else {
      Ogre::uint16 v;
      std::memcpy(&v, data + 2 * i, 2);
      out[i] = v;
    }
  }
  buffer->unlock();
  return out;
}

class Batching : public ::testing::Test {
 protected:
  Batching() : root(HeadlessEngine()), scene(root.createSceneManager()), batch(scene, scene->getRootSceneNode()) {}
  ~Batching() override {
    batch.clear();
    root.destroySceneManager(scene);
  }
  Ogre::Entity* Entity(const std::string& mesh, const MeshSpec& spec = MeshSpec()) {
    MakeMesh(mesh, spec);
    return scene->createEntity(mesh);
  }

  FakeRenderSystem renderSystem;
  Ogre::Root& root;
  Ogre::SceneManager* scene;
  BatchedGeometry batch;
};

TEST_F(Batching, SubBatchesGoByMaterialIndexTypeAndVertexFormat) {
  Ogre::Entity* blade = Entity("veg_blade.mesh");
  EXPECT_EQ(BatchedGeometry::getFormatString(blade->getSubEntity(0)), "veg_blades|0|0|1|2|0|4|2|0|7|1|");
  MeshSpec two;
  two.subMeshes = 2;
  Ogre::Entity* twin = Entity("veg_twin.mesh", two);
  Ogre::Entity* other = scene->createEntity("veg_blade.mesh");
  Ogre::MaterialManager::getSingleton().createOrRetrieve("veg_other", "General");
  other->setMaterialName("veg_other", "General");

  batch.addEntity(blade, Ogre::Vector3(0, 0, 0));
  batch.addEntity(scene->createEntity("veg_blade.mesh"), Ogre::Vector3(5, 0, 0));
  batch.addEntity(twin, Ogre::Vector3(0, 0, 5));
  batch.addEntity(other, Ogre::Vector3(5, 0, 5));
  const std::vector<SubBatch*> subs = SubBatches(batch);
  ASSERT_EQ(subs.size(), 2u);  // the twin's two sub-meshes join the blades
  EXPECT_EQ(subs[0]->vertexData->vertexCount, 16u);
  EXPECT_EQ(subs[1]->vertexData->vertexCount, 4u);
  EXPECT_EQ(subs[0]->getMaterial()->getName(), "veg_blades_Batched");
  EXPECT_EQ(subs[1]->getMaterial()->getName(), "veg_other_Batched");
  EXPECT_EQ(batch.getMovableType(), "BatchedGeometry");
}

TEST_F(Batching, IndicesWidenPast65535Vertices) {
  // 16-bit while every vertex can be reached and the sources are 16-bit.
  const struct {
    size_t vertices, copies;
    Ogre::HardwareIndexBuffer::IndexType type;
  } cases[] = {{65535, 1, Ogre::HardwareIndexBuffer::IT_16BIT},
               {65536, 1, Ogre::HardwareIndexBuffer::IT_32BIT},
               {40000, 2, Ogre::HardwareIndexBuffer::IT_32BIT},
               {70000, 1, Ogre::HardwareIndexBuffer::IT_32BIT}};  // a 32-bit source
  for (const auto& c : cases) {
    const std::string mesh = "veg_big" + std::to_string(c.vertices) + ".mesh";
    MakeBigMesh(mesh, c.vertices);
    BatchedGeometry merged(scene, scene->getRootSceneNode());
    for (size_t i = 0; i < c.copies; ++i) merged.addEntity(scene->createEntity(mesh), Ogre::Vector3::ZERO);
    merged.build();
    const SubBatch* sub = SubBatches(merged)[0];
    ASSERT_EQ(sub->indexData->indexBuffer->getType(), c.type) << c.vertices;
    const std::vector<Ogre::uint32> indices = Indices(sub);
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), c.vertices * c.copies - 1) << c.vertices;
    if (c.copies == 2) {
      EXPECT_EQ(indices[indices.size() / 2], c.vertices);  // the second copy's first vertex
    }
  }
}

TEST_F(Batching, BuildingIsOnceUntilCleared) {
  batch.build();  // nothing added: nothing happens
  EXPECT_FALSE(batch.isBuilt());
  EXPECT_FALSE(batch.isAttached());
  batch.build();
  batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3(10, 0, 10));
  batch.build();
  ASSERT_TRUE(batch.isBuilt());
  Ogre::SceneNode* node = batch.getParentSceneNode();
  ASSERT_TRUE(node);
  EXPECT_EQ(node->getPosition(), batch.getCenter());
  EXPECT_THROW(batch.build(), Ogre::ItemIdentityException);
  EXPECT_THROW(batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3::ZERO), Ogre::InvalidStateException);
  EXPECT_EQ(SubBatches(batch)[0]->vertexData->vertexCount, 4u);
  batch.clear();
  EXPECT_FALSE(batch.isBuilt());
  EXPECT_TRUE(SubBatches(batch).empty());
  batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3::ZERO);
  batch.build();
  EXPECT_TRUE(batch.isBuilt());
}

TEST_F(Batching, VerticesArePlacedAroundTheBatchCentre) {
  // A quarter turn about y with scale 2, and an unturned copy 10 east.
  batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3(0, 0, 0), Ogre::Quaternion(Ogre::Degree(90), Ogre::Vector3::UNIT_Y),
                  Ogre::Vector3(2, 2, 2));
  batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3(10, 0, 0));
  batch.build();
  const SubBatch* sub = SubBatches(batch)[0];
  const Ogre::Vector3 centre = batch.getCenter();
  // Corner 1, (0.5, 0, 0), turned onto -z and doubled.
  const std::vector<float> turned = Floats(sub, 1, Ogre::VES_POSITION);
  EXPECT_NEAR(turned[0] + centre.x, 0, 1e-5f);
  EXPECT_NEAR(turned[2] + centre.z, -1, 1e-5f);
  const std::vector<float> normal = Floats(sub, 1, Ogre::VES_NORMAL);  // (0, 0, 1) turned, not scaled
  EXPECT_NEAR(normal[0], 1, 1e-5f);
  EXPECT_NEAR(normal[2], 0, 1e-5f);
  EXPECT_NEAR(Floats(sub, 5, Ogre::VES_POSITION)[0] + centre.x, 10.5f, 1e-5f);
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES), (std::vector<float>{2, 2.25f}));  // copied

  // The bounds hold the turned box: x 0 .. 0.2 (its depth), z -1 .. 1, up
  // to 2, with the second copy's x 9.5 .. 10.5; centred on the batch.
  const Ogre::AxisAlignedBox& box = batch.getBoundingBox();
  EXPECT_NEAR(box.getSize().x, 10.5f, 1e-4f);
  EXPECT_NEAR(box.getSize().y, 2, 1e-4f);
  EXPECT_NEAR(box.getSize().z, 2, 1e-4f);
  EXPECT_NEAR(box.getCenter().length(), 0, 1e-4f);
  EXPECT_NEAR(centre.x, 5.25f, 1e-4f);
}

TEST_F(Batching, ColoursTintTheVertices) {
  const struct {
    const char* mesh;
    bool meshColour;
    Ogre::ColourValue tint;
    Ogre::VertexElementType order;
    std::vector<int> bytes;  // of vertex 0, empty without a colour
  } cases[] = {
      {"veg_blade.mesh", false, Ogre::ColourValue::White, Ogre::VET_COLOUR_ABGR, {}},
      {"veg_blade.mesh", false, Ogre::ColourValue(1, 1, 1, 0.5f), Ogre::VET_COLOUR_ABGR, {255, 255, 255, 255}},
      {"veg_blade.mesh", false, Ogre::ColourValue(0.5f, 0.25f, 1), Ogre::VET_COLOUR_ABGR, {127, 63, 255, 255}},
      {"veg_tinted.mesh", true, Ogre::ColourValue(0.5f, 1, 1), Ogre::VET_COLOUR_ABGR, {100, 100, 50, 255}},
      {"veg_tinted.mesh", true, Ogre::ColourValue(0.5f, 1, 1), Ogre::VET_COLOUR_ARGB, {200, 100, 25, 255}},
      {"veg_tinted.mesh", true, Ogre::ColourValue(3, 1, 1), Ogre::VET_COLOUR_ABGR, {255, 100, 50, 255}},  // saturates
  };
  for (const auto& c : cases) {
    FakeRenderSystem order(true, "OpenGL Rendering Subsystem", c.order);
    MeshSpec spec;
    spec.colour = c.meshColour;
    BatchedGeometry tinted(scene, scene->getRootSceneNode());
    tinted.addEntity(Entity(c.mesh, spec), Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE,
                     c.tint);
    tinted.build();
    EXPECT_EQ(Colour(SubBatches(tinted)[0], 0), c.bytes) << c.mesh << " " << c.tint;
  }
}

TEST_F(Batching, SharedVerticesAreSplitPerSubMesh) {
  MeshSpec shared;
  shared.shared = true;
  shared.subMeshes = 2;
  Ogre::Entity* ent = Entity("veg_shared.mesh", shared);
  Ogre::Mesh* mesh = ent->getMesh().get();
  ASSERT_EQ(mesh->sharedVertexData->vertexCount, 8u);

  Verdure::WindBatchedGeometry wind(scene, scene->getRootSceneNode());
  EXPECT_THROW(wind.addEntity(ent, Ogre::Vector3::ZERO), Ogre::InvalidParametersException);
  EXPECT_TRUE(mesh->sharedVertexData);  // left as it was

  batch.addEntity(ent, Ogre::Vector3::ZERO);
  EXPECT_FALSE(mesh->sharedVertexData);
  for (unsigned i = 0; i < 2; ++i) {
    const Ogre::SubMesh* sub = mesh->getSubMesh(i);
    EXPECT_FALSE(sub->useSharedVertices);
    ASSERT_EQ(sub->vertexData->vertexCount, 4u);
  }
  batch.build();
  // The second sub-mesh's quad (z 0.1) came along, renumbered from 0.
  EXPECT_NEAR(Floats(SubBatches(batch)[0], 4, Ogre::VES_POSITION)[2] + batch.getCenter().z, 0.1f, 1e-5f);
  wind.addEntity(ent, Ogre::Vector3::ZERO);  // now unshared
}

TEST_F(Batching, BlendWeightsAndIndicesAreLeftOut) {
  MeshSpec skinned;
  skinned.blend = true;
  batch.addEntity(Entity("veg_skinned.mesh", skinned), Ogre::Vector3(1, 2, 3));
  batch.build();
  const SubBatch* sub = SubBatches(batch)[0];
  const Ogre::VertexDeclaration* decl = sub->vertexData->vertexDeclaration;
  EXPECT_FALSE(decl->findElementBySemantic(Ogre::VES_BLEND_INDICES));
  EXPECT_FALSE(decl->findElementBySemantic(Ogre::VES_BLEND_WEIGHTS));
  EXPECT_EQ(decl->getVertexSize(0), 32u);
  EXPECT_EQ(Floats(sub, 0, Ogre::VES_NORMAL), (std::vector<float>{0, 0, 1}));
  EXPECT_EQ(Floats(sub, 3, Ogre::VES_TEXTURE_COORDINATES), (std::vector<float>{3, 3.25f}));
}

TEST_F(Batching, TheRenderingDistanceCountsFromTheBoundingSphere) {
  // Half extents (1, 2, 2): radius 3.
  batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY, Ogre::Vector3(2, 4, 40));
  batch.build();
  ASSERT_NEAR(batch.getBoundingRadius(), 3, 1e-4f);
  Ogre::Camera* camera = scene->createCamera("veg_range");
  Ogre::SceneNode* eye = scene->getRootSceneNode()->createChildSceneNode();
  eye->attachObject(camera);
  const struct {
    float range, distance;
    bool within;
  } cases[] = {{0, 1000, true}, {4, 5, true}, {4, 5.1f, false}, {4, 1, true}};
  for (const auto& c : cases) {
    batch.setRenderingDistance(c.range);
    eye->setPosition(batch.getCenter() + Ogre::Vector3(c.distance, 0, 0));
    batch._notifyCurrentCamera(camera);
    EXPECT_EQ(batch.isBatchVisible(), c.within) << c.range << " " << c.distance;
  }
  scene->destroyCamera(camera);
}

// Not an edge case: the material is asked at the squared distance beyond
// the bounding sphere squared once more, as the batches always ask it (only
// a rendering distance makes that distance other than 0).
TEST_F(Batching, TheMaterialLevelOfDetailFollowsTheSquaredDistanceSquared) {
  batch.addEntity(Entity("veg_blade.mesh"), Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY, Ogre::Vector3(2, 4, 40));
  batch.build();
  SubBatch* sub = SubBatches(batch)[0];
  Ogre::MaterialPtr material = Ogre::static_pointer_cast<Ogre::Material>(
      Ogre::MaterialManager::getSingleton().createOrRetrieve("veg_lod", "General").first);
  material->setLodLevels({10, 20, 200});  // kept squared: 100, 400, 40000
  sub->setMaterial(material);
  EXPECT_EQ(sub->getLodIndex(), 0);  // no rendering distance: nearest

  // The camera 15 beyond the bounding sphere: 225, squared 50625, past 200.
  Ogre::Camera* camera = scene->createCamera("veg_lod_eye");
  Ogre::SceneNode* eye = scene->getRootSceneNode()->createChildSceneNode(batch.getCenter() + Ogre::Vector3(0, 0, std::sqrt(225.0f + 9)));
  eye->attachObject(camera);
  batch.setRenderingDistance(100);
  batch._notifyCurrentCamera(camera);
  EXPECT_NEAR(batch.getMinDistanceSquared(), 225, 1e-2f);
  EXPECT_EQ(sub->getLodIndex(), 3);
  scene->destroyCamera(camera);
}

// A page type that keeps the base page's content box.
class BoxPage : public Verdure::GeometryPage {
 public:
  void init(Verdure::PagedVegetation*, const Ogre::Any&) override {}
  void addEntity(Ogre::Entity*, const Ogre::Vector3&, const Ogre::Quaternion&, const Ogre::Vector3&,
                 const Ogre::ColourValue&) override {}
  void removeEntities() override {}
  void setFade(bool, Ogre::Real, Ogre::Real) override {}
  void setVisible(bool) override {}
};

TEST_F(Batching, APagesBoxHoldsItsEntitiesTurnedAndScaled) {
  // The blade (x -0.5 .. 0.5, up to 1, z 0 .. 0.1) a quarter turn about y
  // and doubled: x 0 .. 0.2, up to 2, z -1 .. 1; then moved 3 east.
  BoxPage page;
  page.addEntityToBoundingBox(Entity("veg_blade.mesh"), Ogre::Vector3(3, 0, 0),
                              Ogre::Quaternion(Ogre::Degree(90), Ogre::Vector3::UNIT_Y), Ogre::Vector3(2, 2, 2));
  const Ogre::AxisAlignedBox& box = page.getBoundingBox();
  EXPECT_TRUE(box.getMinimum().positionEquals(Ogre::Vector3(3, 0, -1), 1e-5f)) << box;
  EXPECT_TRUE(box.getMaximum().positionEquals(Ogre::Vector3(3.2f, 2, 1), 1e-5f)) << box;
}

class WindBatching : public Batching {
 protected:
  WindBatching() : wind(scene, scene->getRootSceneNode()) { wind.setPagedVegetation(&vegetation); }
  ~WindBatching() override { wind.clear(); }
  Verdure::PagedVegetation vegetation{nullptr, 16, 60};
  Verdure::WindBatchedGeometry wind;
};

TEST_F(WindBatching, EveryVertexCarriesItsOffsetWindFactorsAndPlacement) {
  MeshSpec tall;
  tall.top = 2;
  Ogre::Entity* tuft = Entity("veg_tall.mesh", tall);
  Ogre::Entity* other = scene->createEntity("veg_tall.mesh");
  vegetation.setCustomParam(tuft->getName(), "windFactorX", 0.3f);
  wind.addEntity(tuft, Ogre::Vector3(10, 2, 5));
  wind.addEntity(other, Ogre::Vector3(20, 0, 5));
  wind.build();
  const SubBatch* sub = SubBatches(wind)[0];
  // Position, normal, one two-float coordinate: the wind data make 64 bytes.
  const Ogre::VertexDeclaration* decl = sub->vertexData->vertexDeclaration;
  EXPECT_EQ(decl->getVertexSize(0), 64u);
  EXPECT_EQ(decl->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES, 1)->getOffset(), 32u);
  EXPECT_EQ(decl->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES, 2)->getOffset(), 48u);

  // Corner 2 of the first tuft, (0.5, 2, 0), at the top of the mesh.
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES, 1), (std::vector<float>{0.5f, 1, 0.3f, 0}));
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES, 2), (std::vector<float>{10, 2, 5, 0}));
  const std::vector<float> p = Floats(sub, 2, Ogre::VES_POSITION);
  EXPECT_TRUE((Ogre::Vector3(p[0], p[1], p[2]) + wind.getCenter()).positionEquals(Ogre::Vector3(10.5f, 4, 5), 1e-5f));
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES, 0), (std::vector<float>{2, 2.25f}));
  // The other tuft keeps its own (no) wind and its own placement.
  EXPECT_EQ(Floats(sub, 6, Ogre::VES_TEXTURE_COORDINATES, 1), (std::vector<float>{0.5f, 1, 0, 0}));
  EXPECT_EQ(Floats(sub, 6, Ogre::VES_TEXTURE_COORDINATES, 2), (std::vector<float>{20, 0, 5, 0}));
}

TEST_F(WindBatching, AFlatMeshHasNoHeightToSwayBy) {
  MeshSpec flat;
  flat.top = 0;
  flat.texCoords.clear();
  wind.addEntity(Entity("veg_flat.mesh", flat), Ogre::Vector3(1, 0, 1));
  wind.build();
  const SubBatch* sub = SubBatches(wind)[0];
  // Without texture coordinates of its own, the wind data are sets 0 and 1.
  EXPECT_EQ(Floats(sub, 1, Ogre::VES_TEXTURE_COORDINATES, 0), (std::vector<float>{0.5f, 0, 0, 0}));
  EXPECT_EQ(Floats(sub, 1, Ogre::VES_TEXTURE_COORDINATES, 1), (std::vector<float>{1, 0, 1, 0}));
}

TEST_F(WindBatching, WindDataComePastTheHighestTextureCoordinateIndex) {
  // The mesh's one coordinate set is set 1: the wind data are sets 2 and 3.
  MeshSpec skipping;
  skipping.firstTexCoord = 1;
  wind.addEntity(Entity("veg_skipping.mesh", skipping), Ogre::Vector3(1, 0, 1));
  wind.build();
  const SubBatch* sub = SubBatches(wind)[0];
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES, 1), (std::vector<float>{2, 2.25f}));
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES, 2), (std::vector<float>{0.5f, 1, 0, 0}));
  EXPECT_EQ(Floats(sub, 2, Ogre::VES_TEXTURE_COORDINATES, 3), (std::vector<float>{1, 0, 1, 0}));
}

}  // namespace
