#pragma once
// Files the current map's statics in a coarse grid so that rays can be tested
// against their real triangles. List 0 holds the statics with "collide"
// sub-meshes (the ground that units and effects stand on, picked by the
// mouse), list 1 the tall statics that the see-through fading tests.
//
// The grid is 128 x 128 cells of 4 x 4 world units over x and z from 0 to
// 512. Triangles are read from a mesh once, per filter ("collide" sub-meshes
// only, or the whole mesh), kept in model space and placed in the world with
// the static's node transform P + Q (S v) on every test.
#include <OgreQuaternion.h>
#include <OgreRay.h>
#include <OgreSingleton.h>
#include <OgreVector.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Ogre {
class Entity;
class Mesh;
class RaySceneQuery;
class SceneManager;
}  // namespace Ogre

class CGACollisionManager : public Ogre::Singleton<CGACollisionManager> {
 public:
  enum List { kGroundList = 0, kTallList = 1 };
  // Engine query flags of registered statics, as bits: every one carries
  // kStaticFlag and the flag of each list it is in, so a ground static
  // carries 10, a tall one 9 and a tall ground static 11.
  static constexpr uint32_t kStaticFlag = 8;
  static constexpr uint32_t kGroundFlag = 2;
  static constexpr uint32_t kTallFlag = 1;
  static constexpr uint32_t kAllStaticFlags = kStaticFlag | kGroundFlag | kTallFlag;
  // Picks farther than this find nothing.
  static constexpr float kPickRange = 10000.0f;

  explicit CGACollisionManager(Ogre::SceneManager* sceneManager);
  ~CGACollisionManager();

  // Empties both lists of every cell (the map is being cleared).
  void Clear();
  // Registers the entity in every cell under its world bounding box, in list
  // 0 or 1 (another list does nothing).
  void AddObject(Ogre::Entity* entity, int list);
  // The chosen list of the cell under the point; out is left as it is off
  // the grid.
  void GetObjectsAt(const Ogre::Vector3& point, std::vector<Ogre::Entity*>& out, int list) const;
  // The entities of the cells of the x/z rectangle spanned by a and b, each
  // once, in the order first met.
  std::vector<Ogre::Entity*> GetObjectsInRect(const Ogre::Vector3& a, const Ogre::Vector3& b, int list) const;

  // The nearest hit of the ray on the ground statics the engine's ray query
  // meets ({false, 0} when none): their "collide" triangles, or their whole
  // meshes with wholeMeshes.
  std::pair<bool, float> RayPick(const Ogre::Ray& ray, bool wholeMeshes);
  // The nearest hit of the ray on the statics of the point's cell whose
  // boxes it meets: the "collide" triangles of list 0, or the whole meshes of
  // list 1 with useTall. The hit point is written into point.
  bool RayPickGrid(Ogre::Vector3& point, const Ogre::Ray& ray, bool useTall);
  // Whether the ray meets the entity's triangles closer than maxDistance.
  bool RayPickObject(Ogre::Entity* entity, const Ogre::Ray& ray, float maxDistance);
  // Takes the entity out of every cell of both lists, before it is destroyed.
  void RemoveObject(const Ogre::Entity* entity);

  // The cached model-space triangles of the entity's mesh (three corners
  // each): its "collide" sub-meshes with a non-empty filter, else all.
  const std::vector<Ogre::Vector3>& GetMeshTriangles(Ogre::Entity* entity, const std::string& filter);

  // Reads the triangles of a mesh's triangle-list sub-meshes (with a
  // non-empty filter only those whose material name ends in "collide"),
  // every vertex placed at position + orientation (scale v). Every index
  // names a vertex: a sub-mesh whose positions are not three floats, and a
  // triangle with a corner beyond its sub-mesh's vertices, are left out.
  static void GetMeshInformation(const Ogre::Mesh& mesh, std::vector<Ogre::Vector3>& vertices,
                                 std::vector<uint32_t>& indices, const Ogre::Vector3& position,
                                 const Ogre::Quaternion& orientation, const Ogre::Vector3& scale,
                                 const std::string& filter);
  // Whether a material name ends in "collide".
  static bool IsCollideMaterial(const std::string& name);

 private:
  // Narrows best to the nearest hit of the ray on the entity's triangles
  // placed in the world; true when one was nearer.
  static bool NearestHit(const Ogre::Entity& entity, const std::vector<Ogre::Vector3>& triangles,
                         const Ogre::Ray& ray, float& best);

  struct Cell {
    std::vector<Ogre::Entity*> Lists[2];
  };
  std::vector<Cell> mCells;
  // Keyed by mesh handle and whether only "collide" sub-meshes count.
  std::map<std::pair<unsigned long long, bool>, std::vector<Ogre::Vector3>> mTriangles;
  Ogre::SceneManager* mSceneManager;
  Ogre::RaySceneQuery* mQuery = nullptr;
};
