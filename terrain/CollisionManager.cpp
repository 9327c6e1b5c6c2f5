#include "terrain/CollisionManager.h"

#include "terrain/CollisionCells.h"

#include <OgreEntity.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubMesh.h>

#include <algorithm>

template <> CGACollisionManager* Ogre::Singleton<CGACollisionManager>::msSingleton = nullptr;

namespace {

bool ValidList(int list) { return list == CGACollisionManager::kGroundList || list == CGACollisionManager::kTallList; }

}  // namespace

CGACollisionManager::CGACollisionManager(Ogre::SceneManager* sceneManager)
    : mCells(CollisionCells::kCellCount), mSceneManager(sceneManager) {
  if (mSceneManager) mQuery = mSceneManager->createRayQuery(Ogre::Ray(), kGroundFlag);
}

CGACollisionManager::~CGACollisionManager() {
  if (mQuery) mSceneManager->destroyQuery(mQuery);
}

bool CGACollisionManager::IsCollideMaterial(const std::string& name) {
  static const std::string kSuffix = "collide";
  return name.size() >= kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

void CGACollisionManager::Clear() {
  for (Cell& cell : mCells) {
    cell.Lists[0].clear();
    cell.Lists[1].clear();
  }
}

void CGACollisionManager::AddObject(Ogre::Entity* entity, int list) {
  if (!entity || !ValidList(list)) return;
  if (Ogre::SceneNode* node = entity->getParentSceneNode()) node->_update(true, true);
  const Ogre::AxisAlignedBox box = entity->getWorldBoundingBox(true);
  if (box.isNull()) return;
  const Ogre::Vector3 lo = box.getMinimum(), hi = box.getMaximum();
  const CollisionCells::Span columns = CollisionCells::SpanOf(lo.x, hi.x), rows = CollisionCells::SpanOf(lo.z, hi.z);
  for (int x = columns.first; x <= columns.last; ++x) {
    for (int z = rows.first; z <= rows.last; ++z) {
      // A fresh entity carries every query bit: it becomes a static.
      uint32_t flags = entity->getQueryFlags();
      if (flags & ~kAllStaticFlags) flags = kStaticFlag;
      entity->setQueryFlags(flags | (list == kGroundList ? kGroundFlag : kTallFlag));
      mCells[size_t(x + z * CollisionCells::kCellsPerSide)].Lists[list].push_back(entity);
    }
  }
}

void CGACollisionManager::GetObjectsAt(const Ogre::Vector3& point, std::vector<Ogre::Entity*>& out, int list) const {
  const int cell = CollisionCells::IndexAt(point.x, point.z);
  if (cell >= 0 && ValidList(list)) out = mCells[size_t(cell)].Lists[list];
}

std::vector<Ogre::Entity*> CGACollisionManager::GetObjectsInRect(const Ogre::Vector3& a, const Ogre::Vector3& b,
                                                                 int list) const {
  std::vector<Ogre::Entity*> found;
  if (!ValidList(list)) return found;
  const CollisionCells::Span columns = CollisionCells::SpanOf(std::min(a.x, b.x), std::max(a.x, b.x));
  const CollisionCells::Span rows = CollisionCells::SpanOf(std::min(a.z, b.z), std::max(a.z, b.z));
  for (int x = columns.first; x <= columns.last; ++x) {
    for (int z = rows.first; z <= rows.last; ++z) {
      for (Ogre::Entity* e : mCells[size_t(x + z * CollisionCells::kCellsPerSide)].Lists[list])
        if (std::find(found.begin(), found.end(), e) == found.end()) found.push_back(e);
    }
  }
  return found;
}

const std::vector<Ogre::Vector3>& CGACollisionManager::GetMeshTriangles(Ogre::Entity* entity,
                                                                        const std::string& filter) {
  const Ogre::MeshPtr& mesh = entity->getMesh();
  const auto key = std::make_pair((unsigned long long)mesh->getHandle(), !filter.empty());
  auto cached = mTriangles.find(key);
  if (cached != mTriangles.end()) return cached->second;
  std::vector<Ogre::Vector3> vertices, corners;
  std::vector<uint32_t> indices;
  GetMeshInformation(*mesh, vertices, indices, Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY,
                     Ogre::Vector3::UNIT_SCALE, filter);
  corners.reserve(indices.size());
  for (uint32_t i : indices) corners.push_back(vertices[i]);
  return mTriangles[key] = std::move(corners);
}

bool CGACollisionManager::NearestHit(const Ogre::Entity& entity, const std::vector<Ogre::Vector3>& triangles,
                                     const Ogre::Ray& ray, float& best) {
  const Ogre::Node* node = entity.getParentNode();
  if (!node) return false;
  // The node's full transform is P + Q (S v), the order in which the mesh
  // extraction places vertices.
  const Ogre::Affine3& transform = node->_getFullTransform();
  bool hit = false;
  for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
    const Ogre::RayTestResult r = Ogre::Math::intersects(ray, transform * triangles[i + 2], transform * triangles[i + 1],
                                                         transform * triangles[i], true, true);
    if (r.first && r.second < best) {
      best = r.second;
      hit = true;
    }
  }
  return hit;
}

std::pair<bool, float> CGACollisionManager::RayPick(const Ogre::Ray& ray, bool wholeMeshes) {
  if (!mQuery) return {false, 0.0f};
  mQuery->setRay(ray);
  mQuery->setQueryMask(kGroundFlag);
  float best = kPickRange;
  bool hit = false;
  for (const Ogre::RaySceneQueryResultEntry& result : mQuery->execute()) {
    Ogre::MovableObject* object = result.movable;
    if (!object || object->getMovableType() != "Entity") continue;
    const uint32_t flags = object->getQueryFlags();
    if (!(flags & kGroundFlag) || (flags & ~kAllStaticFlags)) continue;
    auto* entity = static_cast<Ogre::Entity*>(object);
    hit |= NearestHit(*entity, GetMeshTriangles(entity, wholeMeshes ? "" : "collide"), ray, best);
  }
  return {hit, hit ? best : 0.0f};
}

bool CGACollisionManager::RayPickGrid(Ogre::Vector3& point, const Ogre::Ray& ray, bool useTall) {
  const int cell = CollisionCells::IndexAt(point.x, point.z);
  if (cell < 0) return false;
  float best = kPickRange;
  bool hit = false;
  for (Ogre::Entity* entity : mCells[size_t(cell)].Lists[useTall ? kTallList : kGroundList]) {
    if (!ray.intersects(entity->getWorldBoundingBox(true)).first) continue;
    hit |= NearestHit(*entity, GetMeshTriangles(entity, useTall ? "" : "collide"), ray, best);
  }
  if (hit) point = ray.getPoint(best);
  return hit;
}

bool CGACollisionManager::RayPickObject(Ogre::Entity* entity, const Ogre::Ray& ray, float maxDistance) {
  if (!entity || !entity->getParentNode()) return false;
  if (!ray.intersects(entity->getWorldBoundingBox(true)).first) return false;
  float best = maxDistance;
  return NearestHit(*entity, GetMeshTriangles(entity, ""), ray, best);
}

void CGACollisionManager::GetMeshInformation(const Ogre::Mesh& mesh, std::vector<Ogre::Vector3>& vertices,
                                             std::vector<uint32_t>& indices, const Ogre::Vector3& position,
                                             const Ogre::Quaternion& orientation, const Ogre::Vector3& scale,
                                             const std::string& filter) {
  vertices.clear();
  indices.clear();
  auto takesPart = [&filter](const Ogre::SubMesh* sub) {
    return sub->operationType == Ogre::RenderOperation::OT_TRIANGLE_LIST && sub->indexData &&
           (filter.empty() || IsCollideMaterial(sub->getMaterialName()));
  };
  // The positions of a vertex block, when they are three floats.
  auto positionsOf = [](const Ogre::VertexData* data) -> const Ogre::VertexElement* {
    const Ogre::VertexElement* element =
        data ? data->vertexDeclaration->findElementBySemantic(Ogre::VES_POSITION) : nullptr;
    return element && element->getType() == Ogre::VET_FLOAT3 ? element : nullptr;
  };
  // Vertices of one vertex block, placed; returns the block's offset.
  auto addVertices = [&](const Ogre::VertexData* data, const Ogre::VertexElement* element) -> uint32_t {
    const uint32_t offset = uint32_t(vertices.size());
    Ogre::HardwareVertexBufferSharedPtr buffer = data->vertexBufferBinding->getBuffer(element->getSource());
    Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    auto* vertex = static_cast<unsigned char*>(lock.pData) + data->vertexStart * buffer->getVertexSize();
    for (size_t j = 0; j < data->vertexCount; ++j, vertex += buffer->getVertexSize()) {
      float* p;
      element->baseVertexPointerToElement(vertex, &p);
      vertices.push_back(position + orientation * (Ogre::Vector3(p[0], p[1], p[2]) * scale));
    }
    return offset;
  };
  bool sharedAdded = false;
  uint32_t sharedOffset = 0;
  for (unsigned short s = 0; s < mesh.getNumSubMeshes(); ++s) {
    const Ogre::SubMesh* sub = mesh.getSubMesh(s);
    if (!takesPart(sub)) continue;
    // A sub-mesh whose positions are not three floats adds no vertices, so
    // its indices would name another's: it adds nothing.
    const Ogre::VertexData* data = sub->useSharedVertices ? mesh.sharedVertexData : sub->vertexData;
    const Ogre::VertexElement* positions = positionsOf(data);
    if (!positions) continue;
    uint32_t offset;
    if (sub->useSharedVertices) {
      if (!sharedAdded) {
        sharedOffset = addVertices(data, positions);
        sharedAdded = true;
      }
      offset = sharedOffset;
    } else {
      offset = addVertices(data, positions);
    }
    const Ogre::IndexData* triangles = sub->indexData;
    const size_t count = triangles->indexCount / 3 * 3;
    if (count == 0 || !triangles->indexBuffer) continue;
    Ogre::HardwareBufferLockGuard lock(triangles->indexBuffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    const bool wide = triangles->indexBuffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT;
    auto indexAt = [&](size_t k) -> uint32_t {
      const size_t at = triangles->indexStart + k;
      return wide ? static_cast<const uint32_t*>(lock.pData)[at] : static_cast<const uint16_t*>(lock.pData)[at];
    };
    // A triangle with a corner beyond its own vertices goes whole: single
    // corners dropped would pair the rest into wrong triangles.
    for (size_t k = 0; k < count; k += 3) {
      const uint32_t corners[3] = {indexAt(k), indexAt(k + 1), indexAt(k + 2)};
      if (corners[0] >= data->vertexCount || corners[1] >= data->vertexCount || corners[2] >= data->vertexCount)
        continue;
      for (uint32_t corner : corners) indices.push_back(corner + offset);
    }
  }
}

void CGACollisionManager::RemoveObject(const Ogre::Entity* entity) {
  for (Cell& cell : mCells)
    for (std::vector<Ogre::Entity*>& list : cell.Lists)
      list.erase(std::remove(list.begin(), list.end(), entity), list.end());
}
