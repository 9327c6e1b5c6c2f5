// The batched mesh of particle effects writes its vertices straight into the
// buffer it made at creation and turns each copy with a rotation worked out
// in closed form. Both are faster ways to the same result: these tests hold
// them to the general path they replace (the manual object's beginUpdate,
// position, colour, textureCoord, index and end, with the rotation of
// Matrix3::FromEulerAnglesXYZ), value for value, over several frames.
#include "effects/EffectParticleEX.h"
#include "effects/ParticleBatch.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <random>

namespace {

Ogre::Matrix3 GeneralRotation(const Ogre::Vector3& degrees) {
  Ogre::Matrix3 rotation;
  rotation.FromEulerAnglesXYZ(Ogre::Degree(degrees.x), Ogre::Degree(degrees.y), Ogre::Degree(degrees.z));
  return rotation;
}

TEST(EulerRotationXYZ, EqualsTheGeneralPathElementForElement) {
  std::vector<Ogre::Vector3> angles = {{0, 0, 0},       {90, 0, 0},     {0, 90, 0},         {0, 0, 90},
                                       {180, 180, 180}, {-45, 30, 270}, {1e-3f, -1e-3f, 0}, {359.9f, 720, -1080},
                                       // accumulated over a long life
                                       {12345.6f, -98765.4f, 4321.1f}};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> degrees(-5000.0f, 5000.0f);
  for (int i = 0; i < 5000; ++i) angles.emplace_back(degrees(random), degrees(random), degrees(random));
  for (const Ogre::Vector3& a : angles) {
    const Ogre::Matrix3 fast = EulerRotationXYZ(a), general = GeneralRotation(a);
    for (size_t r = 0; r < 3; ++r)
      for (size_t c = 0; c < 3; ++c) ASSERT_EQ(fast[r][c], general[r][c]) << a << " row " << r << " column " << c;
  }
}

// Everything of the first section that is drawn.
struct Drawn {
  std::vector<unsigned char> vertices;
  std::vector<unsigned char> indices;
  size_t vertexCount = 0, indexCount = 0;
  bool useIndexes = false;
  Ogre::AxisAlignedBox bounds;
  float radius = 0;
};

Drawn Read(Ogre::ManualObject& object) {
  Drawn d;
  Ogre::RenderOperation* op = object.getSections()[0]->getRenderOperation();
  d.vertexCount = op->vertexData->vertexCount;
  d.useIndexes = op->useIndexes;
  const Ogre::HardwareVertexBufferSharedPtr& vertices = op->vertexData->vertexBufferBinding->getBuffer(0);
  {
    Ogre::HardwareBufferLockGuard lock(vertices, Ogre::HardwareBuffer::HBL_READ_ONLY);
    const auto* bytes = static_cast<const unsigned char*>(lock.pData);
    d.vertices.assign(bytes, bytes + d.vertexCount * vertices->getVertexSize());
  }
  if (op->indexData) {
    d.indexCount = op->indexData->indexCount;
    Ogre::HardwareBufferLockGuard lock(op->indexData->indexBuffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    const auto* bytes = static_cast<const unsigned char*>(lock.pData);
    d.indices.assign(bytes, bytes + d.indexCount * op->indexData->indexBuffer->getIndexSize());
  }
  d.bounds = object.getBoundingBox();
  d.radius = object.getBoundingRadius();
  return d;
}

// The general path, as the batch was rewritten before.
void RewriteThroughTheManualObject(Ogre::ManualObject& object, const ParticleMeshShape& shape,
                                   const std::vector<ParticleRenderRecord>& records,
                                   const std::vector<Ogre::Vector3>& turns) {
  object.beginUpdate(0);
  const uint32_t vertices = uint32_t(shape.positions.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const ParticleRenderRecord& record = records[i];
    const Ogre::Matrix3 rotation = GeneralRotation(turns[i]);
    for (uint32_t v = 0; v < vertices; ++v) {
      object.position((rotation * shape.positions[v]) * record.size + record.position);
      object.colour(record.colour);
      object.textureCoord(shape.uvs[v]);
    }
    const uint32_t base = uint32_t(i) * vertices;
    for (uint32_t index : shape.indices) object.index(base + index);
  }
  object.end();
}

// A quad and a pyramid (with depth, so every element of the rotation
// counts); the many copies of the second need 32-bit indices.
struct Shape {
  const char* name;
  ParticleMeshShape shape;
  size_t copies;
};

std::vector<Shape> Shapes() {
  Shape quad{"quad", {}, 12};
  quad.shape.positions = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
  quad.shape.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  quad.shape.indices = {0, 1, 2, 2, 3, 0};
  Shape pyramid{"pyramid", {}, 20000};
  pyramid.shape.positions = {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0, 0, 0.7f}, {0, 1.3f, 0}};
  pyramid.shape.uvs = {{0, 0}, {1, 0}, {0.5f, 1}, {0.5f, 0.5f}};
  pyramid.shape.indices = {0, 1, 2, 0, 1, 3, 1, 2, 3, 2, 0, 3};
  return {quad, pyramid};
}

TEST(ParticleBatch, RewriteDrawsWhatTheGeneralPathDrew) {
  HeadlessEngine();
  std::mt19937 random(11);
  std::uniform_real_distribution<float> spread(-30.0f, 30.0f), unit(0.0f, 1.0f), turn(-400.0f, 400.0f);
  for (const Shape& s : Shapes()) {
    SCOPED_TRACE(s.name);
    ParticleBatch fast("fast"), general("general");
    fast.Create(s.shape, s.copies, "BaseWhiteNoLighting");
    general.Create(s.shape, s.copies, "BaseWhiteNoLighting");
    std::vector<ParticleRenderRecord> records;
    std::vector<Ogre::Vector3> turns;
    // Frames with a few particles, all of them, none, and some again; the
    // turns grow as they accumulate.
    for (size_t live : {size_t(5), s.copies, size_t(0), size_t(1), s.copies / 2}) {
      records.resize(live);
      turns.resize(std::max(turns.size(), live), Ogre::Vector3::ZERO);
      for (size_t i = 0; i < live; ++i) {
        ParticleRenderRecord& r = records[i];
        r.position = Ogre::Vector3(spread(random), spread(random), spread(random));
        r.size = Ogre::Vector3(unit(random) * 2, unit(random) * 2, unit(random) * 2);
        r.colour = Ogre::ColourValue(unit(random), unit(random), unit(random), unit(random));
        turns[i] += Ogre::Vector3(turn(random), turn(random), turn(random));
      }
      fast.Rewrite(s.shape, records, turns);
      RewriteThroughTheManualObject(general, s.shape, records, turns);
      const Drawn a = Read(fast), b = Read(general);
      ASSERT_EQ(a.vertexCount, b.vertexCount) << live;
      EXPECT_EQ(a.vertexCount, live * s.shape.positions.size());
      ASSERT_EQ(a.indexCount, b.indexCount) << live;
      EXPECT_EQ(a.useIndexes, b.useIndexes) << live;
      EXPECT_TRUE(a.vertices == b.vertices) << live << " particles: vertices differ";
      EXPECT_TRUE(a.indices == b.indices) << live << " particles: indices differ";
      EXPECT_EQ(a.bounds, b.bounds) << live;
      EXPECT_EQ(a.radius, b.radius) << live;
    }
  }
}

TEST(ParticleBatch, MoreRecordsThanRoomDrawOnlyTheRoom) {
  HeadlessEngine();
  ParticleBatch batch("small");
  const ParticleMeshShape shape = Shapes()[0].shape;
  batch.Create(shape, 2, "BaseWhiteNoLighting");
  std::vector<ParticleRenderRecord> records(5);
  batch.Rewrite(shape, records, std::vector<Ogre::Vector3>(5, Ogre::Vector3::ZERO));
  EXPECT_EQ(batch.getSections()[0]->getRenderOperation()->vertexData->vertexCount, 8u);
  EXPECT_EQ(batch.getSections()[0]->getRenderOperation()->indexData->indexCount, 12u);
}

}  // namespace
