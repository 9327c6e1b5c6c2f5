#pragma once
// Many placed copies of entities merged into a few static meshes, one per
// distinct material and vertex format, so that a page of vegetation draws
// with a handful of draw calls. Once built it hangs on a child node of its
// own and owns one renderable (SubBatch) per merged mesh.
#include <OgreColourValue.h>
#include <OgreIteratorWrapper.h>
#include <OgreMaterial.h>
#include <OgreMovableObject.h>
#include <OgreRenderable.h>

#include <map>
#include <vector>

namespace Verdure {

class BatchedGeometry : public Ogre::MovableObject {
 public:
  class SubBatch : public Ogre::Renderable {
   public:
    // Takes its format and material from the sub-entity.
    SubBatch(BatchedGeometry* parent, Ogre::SubEntity* ent);
    ~SubBatch() override;
    SubBatch(const SubBatch&) = delete;
    SubBatch& operator=(const SubBatch&) = delete;

    // Queues one placed copy of the sub-entity's mesh; userData travels
    // with it to the build.
    void addSubMesh(Ogre::SubEntity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& orientation,
                    const Ogre::Vector3& scale, const Ogre::ColourValue& colour, void* userData = nullptr);
    // Merges the queued copies into this sub-batch's buffers.
    virtual void build();
    void clear();
    bool isBuilt() const { return mBuilt; }

    void addToRenderQueue(Ogre::RenderQueue* queue, Ogre::uint8 group);
    // The material's level of detail for the batch's squared distance from
    // the camera beyond the bounding sphere, squared once more.
    Ogre::ushort getLodIndex() const;
    void setMaterial(const Ogre::MaterialPtr& material) { mMaterial = material; }

    const Ogre::MaterialPtr& getMaterial() const override { return mMaterial; }
    Ogre::Technique* getTechnique() const override { return mBestTechnique; }
    void getRenderOperation(Ogre::RenderOperation& op) override;
    void getWorldTransforms(Ogre::Matrix4* xform) const override;
    Ogre::Real getSquaredViewDepth(const Ogre::Camera* cam) const override;
    const Ogre::LightList& getLights() const override;

    // The merged vertex format and buffers, read by the batch pages.
    Ogre::VertexData* vertexData;
    Ogre::IndexData* indexData;

   protected:
    struct QueuedMesh {
      Ogre::SubMesh* mesh;
      Ogre::Vector3 position;
      Ogre::Quaternion orientation;
      Ogre::Vector3 scale;
      Ogre::ColourValue colour;  // red and blue exchanged on ARGB systems
      void* userData;
    };
    // The wind data of one queued copy.
    struct MeshWind {
      float height;  // the entity's own top, 0 for flat meshes
      float factorX, factorY;
    };
    // The merge; with wind data every vertex also gets its wind parameters
    // and its copy's placement point as two texture coordinates.
    void buildMerged(const std::vector<MeshWind>* wind);
    const std::vector<QueuedMesh>& queue() const { return mMeshQueue; }
    BatchedGeometry* parent() const { return mParent; }

   private:
    Ogre::Technique* mBestTechnique = nullptr;
    bool mBuilt = false;
    bool mRequireVertexColours = false;
    Ogre::SubMesh* mMeshType;
    BatchedGeometry* mParent;
    Ogre::MaterialPtr mMaterial;
    std::vector<QueuedMesh> mMeshQueue;
  };

  using SubBatchMap = std::map<Ogre::String, SubBatch*>;
  using SubBatchIterator = Ogre::MapIterator<SubBatchMap>;

  // The built batch hangs on a new child of rootSceneNode.
  BatchedGeometry(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode);
  ~BatchedGeometry() override;

  // Queues the entity's sub-entities, placed; the entity itself is not
  // kept, but its mesh must stay loaded until the build. Refused once built.
  virtual void addEntity(Ogre::Entity* ent, const Ogre::Vector3& position,
                         const Ogre::Quaternion& orientation = Ogre::Quaternion::IDENTITY,
                         const Ogre::Vector3& scale = Ogre::Vector3::UNIT_SCALE,
                         const Ogre::ColourValue& colour = Ogre::ColourValue::White);
  // Where the next build puts the batch; refused once built.
  void setScene(Ogre::SceneManager* mgr, Ogre::SceneNode* rootSceneNode);
  // Merges everything queued and puts the batch into the scene; once only
  // until clear.
  void build();
  // Back to empty.
  void clear();
  bool isBuilt() const { return mBuilt; }
  SubBatchIterator getSubBatchIterator() { return SubBatchIterator(mSubBatches); }
  // Where the batch node stands; vertex positions are relative to it.
  const Ogre::Vector3& getCenter() const { return mCenter; }
  Ogre::Real getMinDistanceSquared() const { return mMinDistanceSquared; }
  // The sub-batch key of a sub-entity: material, index type and vertex
  // declaration.
  static Ogre::String getFormatString(Ogre::SubEntity* ent);

  const Ogre::String& getMovableType() const override;
  void _notifyCurrentCamera(Ogre::Camera* cam) override;
  const Ogre::AxisAlignedBox& getBoundingBox() const override { return mBounds; }
  Ogre::Real getBoundingRadius() const override { return mRadius; }
  void _updateRenderQueue(Ogre::RenderQueue* queue) override;
  void visitRenderables(Ogre::Renderable::Visitor* /*visitor*/, bool /*debugRenderables*/ = false) override {}

  // A point of the parent node's space, turned into the batch's axes.
  Ogre::Vector3 convertToLocal(const Ogre::Vector3& globalVec) const;
  bool isBatchVisible() const { return getVisible() && mWithinFarDistance; }

 protected:
  // Queues every sub-entity in the sub-batch of its format.
  void queueSubEntities(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& orientation,
                        const Ogre::Vector3& scale, const Ogre::ColourValue& colour, void* userData);
  virtual SubBatch* newSubBatch(Ogre::SubEntity* ent) { return new SubBatch(this, ent); }
  void growBounds(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& orientation,
                  const Ogre::Vector3& scale);

 private:
  Ogre::Real mRadius = 0;
  Ogre::SceneManager* mSceneMgr;
  Ogre::SceneNode* mSceneNode = nullptr;
  Ogre::SceneNode* mParentSceneNode;
  Ogre::Real mMinDistanceSquared = 0;
  bool mWithinFarDistance = false;
  SubBatchMap mSubBatches;
  Ogre::Vector3 mCenter = Ogre::Vector3::ZERO;
  Ogre::AxisAlignedBox mBounds;
  bool mBoundsUndefined = true;
  bool mBuilt = false;
};

// Gives every sub-mesh of a mesh with shared vertex data the vertices it
// indexes (renumbered in order of first use) and drops the shared data.
void unshareVertexData(Ogre::Mesh* mesh);
// The number of distinct indices of the index data; indexMap takes each
// old index's new number.
Ogre::uint32 CountVertices(Ogre::IndexData* data, std::map<Ogre::uint32, Ogre::uint32>& indexMap);

}  // namespace Verdure
