#include "vegetation/BatchedGeometry.h"

#include "vegetation/GeometryPage.h"
#include "vegetation/Indices.h"
#include "vegetation/RenderQueries.h"

#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreRenderQueue.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace Verdure {

namespace {

using Ogre::uchar;

// Clamped, not cut to 8 bits: an overflowing tint would wrap to a dark colour.
uchar toByte(float v) { return uchar(std::clamp(v, 0.0f, 255.0f)); }

// How one element of a merged vertex is written.
enum class ElementWrite {
  Copy,        // byte for byte
  Position,    // placed: rotated, scaled, moved, relative to the batch centre
  Direction,   // rotated (normals, binormals, tangents)
  Tangent4,    // rotated, its fourth float (the handedness) copied
  Modulate,    // a vertex colour times the copy's colour
  FillColour,  // the copy's colour (no colour in the mesh)
  WindParams,  // vertex offset from the placement, height factor, wind factors
  WindOrigin,  // the placement point
};

struct ElementPlan {
  ElementWrite write;
  unsigned short destSource;
  size_t destOffset;
  unsigned short srcSource;
  size_t srcOffset;
  size_t size;
};

bool isDirection(Ogre::VertexElementSemantic s) {
  return s == Ogre::VES_NORMAL || s == Ogre::VES_BINORMAL || s == Ogre::VES_TANGENT;
}

// The highest index + 1, not the count: with an index skipped the count would land the wind data on one in use.
unsigned short nextTexCoordIndex(const Ogre::VertexDeclaration* decl) {
  unsigned short next = 0;
  for (const Ogre::VertexElement& e : decl->getElements())
    if (e.getSemantic() == Ogre::VES_TEXTURE_COORDINATES) next = std::max<unsigned short>(next, e.getIndex() + 1);
  return next;
}

Ogre::Vector3 readVector(const uchar* p) {
  float v[3];
  std::memcpy(v, p, sizeof v);
  return Ogre::Vector3(v[0], v[1], v[2]);
}

void writeFloats(uchar* p, float a, float b, float c, float d) {
  const float v[4] = {a, b, c, d};
  std::memcpy(p, v, sizeof v);
}

void writeVector(uchar* p, const Ogre::Vector3& v) {
  const float f[3] = {v.x, v.y, v.z};
  std::memcpy(p, f, sizeof f);
}

// A lock of a hardware buffer, released on every path.
template <class Buffer>
class Lock {
 public:
  Lock(const Buffer& buffer, size_t offset, size_t length, Ogre::HardwareBuffer::LockOptions options)
      : mBuffer(buffer), mData(static_cast<uchar*>(buffer->lock(offset, length, options))) {}
  Lock(const Buffer& buffer, Ogre::HardwareBuffer::LockOptions options)
      : mBuffer(buffer), mData(static_cast<uchar*>(buffer->lock(options))) {}
  ~Lock() { mBuffer->unlock(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  uchar* data() const { return mData; }

 private:
  Buffer mBuffer;
  uchar* mData;
};
using VertexLock = Lock<Ogre::HardwareVertexBufferSharedPtr>;
using IndexLock = Lock<Ogre::HardwareIndexBufferSharedPtr>;

}  // namespace

// ---------------------------------------------------------------- batch

BatchedGeometry::BatchedGeometry(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode)
    : mSceneMgr(mgr), mParentSceneNode(rootSceneNode) {
  clear();
}

BatchedGeometry::~BatchedGeometry() { clear(); }

const Ogre::String& BatchedGeometry::getMovableType() const {
  static const Ogre::String type = "BatchedGeometry";
  return type;
}

Ogre::String BatchedGeometry::getFormatString(Ogre::SubEntity* ent) {
  Ogre::String key = ent->getMaterialName() + "|";
  key += std::to_string(int(ent->getSubMesh()->indexData->indexBuffer->getType())) + "|";
  for (const Ogre::VertexElement& e : ent->getSubMesh()->vertexData->vertexDeclaration->getElements()) {
    key += std::to_string(e.getSource()) + "|" + std::to_string(int(e.getSemantic())) + "|" +
           std::to_string(int(e.getType())) + "|";
  }
  return key;
}

void BatchedGeometry::addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& orientation,
                                const Ogre::Vector3& scale, const Ogre::ColourValue& colour) {
  unshareVertexData(ent->getMesh().get());
  queueSubEntities(ent, position, orientation, scale, colour, nullptr);
  growBounds(ent, position, orientation, scale);
}

void BatchedGeometry::queueSubEntities(Ogre::Entity* ent, const Ogre::Vector3& position,
                                       const Ogre::Quaternion& orientation, const Ogre::Vector3& scale,
                                       const Ogre::ColourValue& colour, void* userData) {
  // The buffers of a built batch are sized for what it held.
  if (mBuilt)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALID_STATE, "Entities cannot be added to a built batch (call clear() first)",
                "BatchedGeometry::addEntity()");
  for (unsigned i = 0; i < ent->getNumSubEntities(); ++i) {
    Ogre::SubEntity* sub = ent->getSubEntity(i);
    const Ogre::SubMesh* mesh = sub->getSubMesh();
    if (mesh->useSharedVertices || !mesh->vertexData)
      OGRE_EXCEPT(Ogre::Exception::ERR_INTERNAL_ERROR, "SubMesh vertex data not found!", "BatchedGeometry::addEntity()");
    if (!mesh->indexData || !mesh->indexData->indexBuffer)
      OGRE_EXCEPT(Ogre::Exception::ERR_INTERNAL_ERROR, "SubMesh index data not found!", "BatchedGeometry::addEntity()");
    const Ogre::String key = getFormatString(sub);
    auto it = mSubBatches.find(key);
    if (it == mSubBatches.end()) {
      std::unique_ptr<SubBatch> batch(newSubBatch(sub));
      it = mSubBatches.emplace(key, batch.release()).first;
    }
    it->second->addSubMesh(sub, position, orientation, scale, colour, userData);
  }
}

void BatchedGeometry::growBounds(Ogre::Entity* ent, const Ogre::Vector3& position,
                                 const Ogre::Quaternion& orientation, const Ogre::Vector3& scale) {
  Ogre::AxisAlignedBox box = ent->getBoundingBox();
  box.transform(placementMatrix(orientation, scale));
  const Ogre::AxisAlignedBox placed(box.getMinimum() + position, box.getMaximum() + position);
  if (mBoundsUndefined) {
    mBounds = placed;
    mBoundsUndefined = false;
  } else {
    mBounds.merge(placed);
  }
}

void BatchedGeometry::setScene(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode) {
  // The built batch's node belongs to the scene it was built in.
  if (mBuilt)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALID_STATE, "The scene of a built batch cannot change (call clear() first)",
                "BatchedGeometry::setScene()");
  mSceneMgr = mgr;
  mParentSceneNode = rootSceneNode;
}

void BatchedGeometry::build() {
  if (mBuilt)
    OGRE_EXCEPT(Ogre::Exception::ERR_DUPLICATE_ITEM,
                "Invalid call to build() - geometry is already batched (call clear() first)",
                "BatchedGeometry::GeomBatch::build()");
  if (mSubBatches.empty()) return;

  if (mBoundsUndefined) mBounds.setExtents(Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
  mCenter = mBounds.getCenter();
  mBounds.setExtents(mBounds.getMinimum() - mCenter, mBounds.getMaximum() - mCenter);
  mRadius = mBounds.getMaximum().length();

  mSceneNode = mParentSceneNode->createChildSceneNode(mCenter);
  for (auto& [key, batch] : mSubBatches) batch->build();
  mSceneNode->attachObject(this);
  mBuilt = true;
}

void BatchedGeometry::clear() {
  if (mSceneNode) {
    mSceneNode->detachAllObjects();
    mSceneMgr->destroySceneNode(mSceneNode);
    mSceneNode = nullptr;
  }
  mBoundsUndefined = true;
  mBounds.setExtents(Ogre::Vector3::ZERO, Ogre::Vector3::ZERO);
  mCenter = Ogre::Vector3::ZERO;
  mRadius = 0;
  for (auto& [key, batch] : mSubBatches) delete batch;
  mSubBatches.clear();
  mBuilt = false;
}

Ogre::Vector3 BatchedGeometry::convertToLocal(const Ogre::Vector3& globalVec) const {
  return mParentSceneNode->_getDerivedOrientation().Inverse() * globalVec;
}

void BatchedGeometry::_notifyCurrentCamera(Ogre::Camera* cam) {
  const Ogre::Real range = getRenderingDistance();
  if (range == 0) {
    mWithinFarDistance = true;
    return;
  }
  const Ogre::Vector3 toCamera = convertToLocal(cam->getDerivedPosition()) - mCenter;
  mMinDistanceSquared = std::max(Ogre::Real(0), toCamera.squaredLength() - mRadius * mRadius);
  mWithinFarDistance = mMinDistanceSquared <= range * range;
}

void BatchedGeometry::_updateRenderQueue(Ogre::RenderQueue* queue) {
  if (!isBatchVisible()) return;
  for (auto& [key, batch] : mSubBatches) batch->addToRenderQueue(queue, getRenderQueueGroup());
}

// ---------------------------------------------------------------- sub-batch

BatchedGeometry::SubBatch::SubBatch(BatchedGeometry* parent, Ogre::SubEntity* ent)
    : mMeshType(ent->getSubMesh()), mParent(parent) {
  // Every batch of a material shares one "_Batched" copy of it, whose
  // vertex colour tracking the build may switch on.
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  if (Ogre::MaterialPtr original = materials.getByName(ent->getMaterialName())) {
    const Ogre::String name = original->getName() + "_Batched";
    mMaterial = materials.getByName(name);
    if (!mMaterial) mMaterial = original->clone(name);
  } else {
    mMaterial = Ogre::static_pointer_cast<Ogre::Material>(
        materials.createOrRetrieve("PagedVegetation_Batched_Material", "General").first);
    if (!mMaterial)
      OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS,
                  "BatchedGeometry failed to create a material for entity with invalid material.",
                  "BatchedGeometry::SubBatch::SubBatch(BatchedGeometry *parent, SubEntity *ent)");
  }

  // The mesh's vertex format less its blend weights and indices (a merged
  // copy is never skinned), each buffer's elements packed in order.
  vertexData = new Ogre::VertexData();
  indexData = new Ogre::IndexData();
  const Ogre::VertexDeclaration* source = mMeshType->vertexData->vertexDeclaration;
  const bool dropBlend = source->findElementBySemantic(Ogre::VES_BLEND_INDICES) &&
                         source->findElementBySemantic(Ogre::VES_BLEND_WEIGHTS);
  auto kept = [dropBlend](const Ogre::VertexElement& e) {
    return !dropBlend || (e.getSemantic() != Ogre::VES_BLEND_INDICES && e.getSemantic() != Ogre::VES_BLEND_WEIGHTS);
  };
  std::map<unsigned short, unsigned short> renumbered;
  for (const Ogre::VertexElement& e : source->getElements())
    if (kept(e)) renumbered[e.getSource()] = 0;
  unsigned short next = 0;
  for (auto& [old, fresh] : renumbered) fresh = next++;
  std::vector<size_t> offsets(next, 0);
  for (const Ogre::VertexElement& e : source->getElements()) {
    if (!kept(e)) continue;
    const unsigned short s = renumbered[e.getSource()];
    vertexData->vertexDeclaration->addElement(s, offsets[s], e.getType(), e.getSemantic(), e.getIndex());
    offsets[s] += e.getSize();
  }
  vertexData->vertexStart = vertexData->vertexCount = 0;
  indexData->indexStart = indexData->indexCount = 0;
}

BatchedGeometry::SubBatch::~SubBatch() {
  clear();
  delete vertexData;
  delete indexData;
}

void BatchedGeometry::SubBatch::addSubMesh(Ogre::SubEntity* ent, const Ogre::Vector3& position,
                                           const Ogre::Quaternion& orientation, const Ogre::Vector3& scale,
                                           const Ogre::ColourValue& colour, void* userData) {
  QueuedMesh q{ent->getSubMesh(), position, orientation, scale, colour, userData};
  if (colour != Ogre::ColourValue::White) {
    mRequireVertexColours = true;
    switch (RenderQueries::get().getColourVertexType()) {
      case Ogre::VET_COLOUR_ARGB:
        std::swap(q.colour.r, q.colour.b);
        break;
      case Ogre::VET_COLOUR_ABGR:
        break;
      default:
        OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE, "Unknown RenderSystem color format",
                    "BatchedGeometry::SubBatch::addSubMesh()");
    }
  }
  mMeshQueue.push_back(q);
  vertexData->vertexCount += q.mesh->vertexData->vertexCount;
  indexData->indexCount += q.mesh->indexData->indexCount;
}

void BatchedGeometry::SubBatch::build() { buildMerged(nullptr); }

void BatchedGeometry::SubBatch::buildMerged(const std::vector<MeshWind>* wind) {
  Ogre::HardwareBufferManager& buffers = Ogre::HardwareBufferManager::getSingleton();
  Ogre::VertexDeclaration* decl = vertexData->vertexDeclaration;
  const Ogre::VertexDeclaration* sourceDecl = mMeshType->vertexData->vertexDeclaration;
  const Ogre::Vector3 center = mParent->getCenter();

  // 16-bit indices while they reach every vertex.
  const bool sourceIs32 = mMeshType->indexData->indexBuffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT;
  const bool use32 = vertexData->vertexCount > 65535 || sourceIs32;

  unsigned short sources = decl->getElementCount() ? decl->getMaxSource() + 1 : 0;
  // Wind data: two four-float texture coordinates at the end of the last
  // buffer's vertex.
  const unsigned short windIndex = nextTexCoordIndex(decl);
  if (wind && sources > 0) {
    const unsigned short last = sources - 1;
    const size_t offset = decl->getVertexSize(last);
    decl->addElement(last, offset, Ogre::VET_FLOAT4, Ogre::VES_TEXTURE_COORDINATES, windIndex);
    decl->addElement(last, offset + 16, Ogre::VET_FLOAT4, Ogre::VES_TEXTURE_COORDINATES, windIndex + 1);
  }
  if (mRequireVertexColours) {
    if (!decl->findElementBySemantic(Ogre::VES_DIFFUSE))
      decl->addElement(sources++, 0, RenderQueries::get().getColourVertexType(), Ogre::VES_DIFFUSE);
    Ogre::Technique* technique = mMaterial->getNumTechniques() ? mMaterial->getTechnique(0) : nullptr;
    if (technique && technique->getNumPasses()) technique->getPass(0)->setVertexColourTracking(Ogre::TVC_AMBIENT);
  }

  if (vertexData->vertexCount == 0 || indexData->indexCount == 0) {
    mMeshQueue.clear();
    mBuilt = true;
    return;
  }

  // How each element of the merged vertex is written, and from where.
  std::vector<ElementPlan> plans;
  for (const Ogre::VertexElement& e : decl->getElements()) {
    ElementPlan plan{ElementWrite::Copy, e.getSource(), e.getOffset(), 0, 0, e.getSize()};
    const Ogre::VertexElement* from = sourceDecl->findElementBySemantic(e.getSemantic(), e.getIndex());
    const bool windElement = wind && e.getSemantic() == Ogre::VES_TEXTURE_COORDINATES && e.getIndex() >= windIndex;
    if (windElement) {
      plan.write = e.getIndex() == windIndex ? ElementWrite::WindParams : ElementWrite::WindOrigin;
    } else if (!from) {
      plan.write = ElementWrite::FillColour;  // the added colour buffer
    } else {
      plan.srcSource = from->getSource();
      plan.srcOffset = from->getOffset();
      plan.size = std::min(plan.size, from->getSize());
      if (e.getSemantic() == Ogre::VES_POSITION && e.getType() == Ogre::VET_FLOAT3)
        plan.write = ElementWrite::Position;
      else if (isDirection(e.getSemantic()) && e.getType() == Ogre::VET_FLOAT3)
        plan.write = ElementWrite::Direction;
      else if (e.getSemantic() == Ogre::VES_TANGENT && e.getType() == Ogre::VET_FLOAT4)
        plan.write = ElementWrite::Tangent4;
      else if (e.getSemantic() == Ogre::VES_DIFFUSE && e.getSize() == 4)
        plan.write = ElementWrite::Modulate;
    }
    plans.push_back(plan);
  }
  const ElementPlan* positionPlan = nullptr;
  for (const ElementPlan& plan : plans)
    if (plan.write == ElementWrite::Position) positionPlan = &plan;

  // The merged buffers.
  indexData->indexBuffer = buffers.createIndexBuffer(
      use32 ? Ogre::HardwareIndexBuffer::IT_32BIT : Ogre::HardwareIndexBuffer::IT_16BIT, indexData->indexCount,
      Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, false);
  indexData->indexStart = 0;
  std::vector<std::unique_ptr<VertexLock>> destLocks;
  std::vector<size_t> destSize;
  for (unsigned short s = 0; s < sources; ++s) {
    destSize.push_back(decl->getVertexSize(s));
    Ogre::HardwareVertexBufferSharedPtr buffer = buffers.createVertexBuffer(
        destSize.back(), vertexData->vertexCount, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, false);
    vertexData->vertexBufferBinding->setBinding(s, buffer);
    destLocks.push_back(std::make_unique<VertexLock>(buffer, Ogre::HardwareBuffer::HBL_DISCARD));
  }
  IndexLock indexLock(indexData->indexBuffer, Ogre::HardwareBuffer::HBL_DISCARD);
  uchar* indexOut = indexLock.data();

  size_t firstVertex = 0;
  for (size_t m = 0; m < mMeshQueue.size(); ++m) {
    const QueuedMesh& q = mMeshQueue[m];
    const Ogre::VertexData* source = q.mesh->vertexData;
    std::map<unsigned short, std::unique_ptr<VertexLock>> sourceLocks;
    std::map<unsigned short, size_t> sourceSize;
    for (const ElementPlan& plan : plans) {
      if (plan.write == ElementWrite::FillColour || plan.write == ElementWrite::WindParams ||
          plan.write == ElementWrite::WindOrigin || sourceLocks.count(plan.srcSource))
        continue;
      const Ogre::HardwareVertexBufferSharedPtr& buffer = source->vertexBufferBinding->getBuffer(plan.srcSource);
      sourceSize[plan.srcSource] = buffer->getVertexSize();
      sourceLocks[plan.srcSource] = std::make_unique<VertexLock>(
          buffer, source->vertexStart * buffer->getVertexSize(), source->vertexCount * buffer->getVertexSize(),
          Ogre::HardwareBuffer::HBL_READ_ONLY);
    }
    const MeshWind* meshWind = wind ? &(*wind)[m] : nullptr;
    const uchar tint[3] = {toByte(q.colour.r * 255), toByte(q.colour.g * 255), toByte(q.colour.b * 255)};

    for (size_t v = 0; v < source->vertexCount; ++v) {
      auto sourceAt = [&](const ElementPlan& plan) {
        return sourceLocks[plan.srcSource]->data() + v * sourceSize[plan.srcSource] + plan.srcOffset;
      };
      // The vertex relative to its placement point, before the batch centre.
      const Ogre::Vector3 offset =
          positionPlan ? q.orientation * (readVector(sourceAt(*positionPlan)) * q.scale) : Ogre::Vector3::ZERO;
      for (const ElementPlan& plan : plans) {
        uchar* out = destLocks[plan.destSource]->data() + (firstVertex + v) * destSize[plan.destSource] + plan.destOffset;
        switch (plan.write) {
          case ElementWrite::Copy:
            std::memcpy(out, sourceAt(plan), plan.size);
            break;
          case ElementWrite::Position:
            writeVector(out, offset + q.position - center);
            break;
          case ElementWrite::Direction:
            writeVector(out, q.orientation * readVector(sourceAt(plan)));
            break;
          case ElementWrite::Tangent4:
            writeVector(out, q.orientation * readVector(sourceAt(plan)));
            std::memcpy(out + 12, sourceAt(plan) + 12, 4);
            break;
          case ElementWrite::Modulate: {
            const uchar* in = sourceAt(plan);
            for (int c = 0; c < 3; ++c) out[c] = toByte(in[c] * (c == 0 ? q.colour.r : c == 1 ? q.colour.g : q.colour.b));
            out[3] = in[3];
            break;
          }
          case ElementWrite::FillColour:
            out[0] = tint[0];
            out[1] = tint[1];
            out[2] = tint[2];
            out[3] = 255;
            break;
          case ElementWrite::WindParams:
            // A flat mesh (top at 0) has no height to sway by.
            writeFloats(out, offset.x, meshWind->height != 0 ? offset.y / meshWind->height : 0.0f,
                        meshWind->factorX, meshWind->factorY);
            break;
          case ElementWrite::WindOrigin:
            writeFloats(out, q.position.x, q.position.y, q.position.z, 0);
            break;
        }
      }
    }

    // The copy's indices, moved past the vertices before it.
    const Ogre::IndexData* indices = q.mesh->indexData;
    const Ogre::HardwareIndexBufferSharedPtr& in = indices->indexBuffer;
    const size_t indexSize = in->getIndexSize();
    IndexLock indexIn(in, indices->indexStart * indexSize, indices->indexCount * indexSize,
                      Ogre::HardwareBuffer::HBL_READ_ONLY);
    for (size_t i = 0; i < indices->indexCount; ++i)
      writeIndex(indexOut, readIndex(indexIn.data() + i * indexSize, indexSize) + Ogre::uint32(firstVertex), use32);
    firstVertex += source->vertexCount;
  }

  mMeshQueue.clear();
  mBuilt = true;
}

void BatchedGeometry::SubBatch::clear() {
  if (mBuilt) {
    indexData->indexBuffer.reset();
    vertexData->vertexBufferBinding->unsetAllBindings();
    vertexData->vertexStart = vertexData->vertexCount = 0;
    indexData->indexStart = indexData->indexCount = 0;
  }
  mMeshQueue.clear();
  mBuilt = false;
}

void BatchedGeometry::SubBatch::addToRenderQueue(Ogre::RenderQueue* queue, Ogre::uint8 group) {
  if (!mBuilt || indexData->indexCount == 0) return;
  mMaterial->load();
  mBestTechnique = mMaterial->getBestTechnique(getLodIndex());
  queue->addRenderable(this, group);
}

Ogre::ushort BatchedGeometry::SubBatch::getLodIndex() const {
  const Ogre::Real distanceSquared = mParent->getMinDistanceSquared();
  return mMaterial->getLodIndex(distanceSquared * distanceSquared);
}

void BatchedGeometry::SubBatch::getRenderOperation(Ogre::RenderOperation& op) {
  op.operationType = Ogre::RenderOperation::OT_TRIANGLE_LIST;
  op.srcRenderable = this;
  op.useIndexes = true;
  op.vertexData = vertexData;
  op.indexData = indexData;
}

void BatchedGeometry::SubBatch::getWorldTransforms(Ogre::Matrix4* xform) const {
  *xform = mParent->_getParentNodeFullTransform();
}

Ogre::Real BatchedGeometry::SubBatch::getSquaredViewDepth(const Ogre::Camera* cam) const {
  return (mParent->convertToLocal(cam->getDerivedPosition()) - mParent->getCenter()).squaredLength();
}

const Ogre::LightList& BatchedGeometry::SubBatch::getLights() const { return mParent->queryLights(); }

// ---------------------------------------------------------------- shared vertex data

Ogre::uint32 CountVertices(Ogre::IndexData* data, std::map<Ogre::uint32, Ogre::uint32>& indexMap) {
  const Ogre::HardwareIndexBufferSharedPtr& buffer = data->indexBuffer;
  const size_t size = buffer->getIndexSize();
  if (size != 2 && size != 4)
    OGRE_EXCEPT(Ogre::Exception::ERR_CANNOT_WRITE_TO_FILE, "Unknown index buffer type", "Converter::CountVertices");
  IndexLock lock(buffer, data->indexStart * size, data->indexCount * size, Ogre::HardwareBuffer::HBL_READ_ONLY);
  for (size_t i = 0; i < data->indexCount; ++i)
    indexMap.emplace(readIndex(lock.data() + i * size, size), Ogre::uint32(indexMap.size()));
  return Ogre::uint32(indexMap.size());
}

void unshareVertexData(Ogre::Mesh* mesh) {
  Ogre::VertexData* shared = mesh->sharedVertexData;
  if (!shared) return;
  for (unsigned i = 0; i < mesh->getNumSubMeshes(); ++i) {
    Ogre::SubMesh* sub = mesh->getSubMesh(i);
    if (!sub->useSharedVertices) continue;  // has vertices of its own
    std::map<Ogre::uint32, Ogre::uint32> indexMap;
    const Ogre::uint32 count = CountVertices(sub->indexData, indexMap);

    auto data = std::make_unique<Ogre::VertexData>();
    data->vertexStart = 0;
    data->vertexCount = count;
    delete data->vertexDeclaration;
    data->vertexDeclaration = shared->vertexDeclaration->clone();
    for (const auto& [binding, buffer] : shared->vertexBufferBinding->getBindings()) {
      const size_t size = buffer->getVertexSize();
      auto copy = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
          size, std::max<size_t>(count, 1), buffer->getUsage(), buffer->hasShadowBuffer());
      {
        VertexLock from(buffer, 0, shared->vertexCount * size, Ogre::HardwareBuffer::HBL_READ_ONLY);
        VertexLock to(copy, Ogre::HardwareBuffer::HBL_DISCARD);
        for (const auto& [oldIndex, newIndex] : indexMap) {
          // An index past the shared vertices has nothing to copy.
          if (oldIndex < shared->vertexCount)
            std::memcpy(to.data() + newIndex * size, from.data() + oldIndex * size, size);
        }
      }
      data->vertexBufferBinding->setBinding(binding, copy);
    }

    const size_t indexSize = sub->indexData->indexBuffer->getIndexSize();
    {
      IndexLock lock(sub->indexData->indexBuffer, sub->indexData->indexStart * indexSize,
                     sub->indexData->indexCount * indexSize, Ogre::HardwareBuffer::HBL_NORMAL);
      Ogre::uchar* out = lock.data();
      for (size_t k = 0; k < sub->indexData->indexCount; ++k)
        writeIndex(out, indexMap[readIndex(lock.data() + k * indexSize, indexSize)], indexSize == 4);
    }
    sub->useSharedVertices = false;
    sub->vertexData = data.release();
  }
  delete mesh->sharedVertexData;
  mesh->sharedVertexData = nullptr;
}

}  // namespace Verdure
