#include "effects/EffectParticleEX.h"

#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/ParticleBatch.h"
#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "game/SceneNames.h"

#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>
#include <OgreSubMesh.h>

namespace {

Ogre::SceneManager* Scene() { return CGAEffectManager::getSingleton().GetSceneManager(); }

// A particle's entity or material is named after its effect; where a data
// file gave that name to an object of its own, a fresh effect name is taken.
std::string ParticleObjectName(const std::string& name) {
  return IsSceneNameTaken(Scene(), name) ? CGAEffectManager::getSingleton().MakeEffectName() : name;
}

// The batched mesh's placeholder material until the file names one.
const char* const kBatchMaterial = "BaseWhiteNoLighting";
// More particles than one effect could sensibly draw (a mistyped "Amount"
// would make that many entities or mesh copies at once).
constexpr int kMaxAmount = 10000;

}  // namespace

CGAEffectParticleEX::~CGAEffectParticleEX() { Release(); }

// Creation -------------------------------------------------------------------

void CGAEffectParticleEX::CommonSetUp(int amount, bool worldAxis) {
  SetName(CGAEffectManager::getSingleton().MakeEffectName());
  // The engine refuses two objects of one name on a node.
  Ogre::MovableObject::mName = GetName();
  mAmount = std::max(0, std::min(amount, kMaxAmount));
  if (amount > kMaxAmount) GameLog("particle effect: Amount " + std::to_string(amount) + " cut to " + std::to_string(kMaxAmount));
  mSystem.CurrentGroup(mSystem.GenParticleGroups(1, unsigned(mAmount)));
  mActionList = mSystem.GenActionLists(1);
  mSystem.NewActionList(mActionList);
  mSystem.SetStartingAge(0.0f, 0.0f);
  mWorldAxis = worldAxis;
}

void CGAEffectParticleEX::CreateBillboards(int amount, bool worldAxis, int queueOffset) {
  CommonSetUp(amount, worldAxis);
  mBillboards = new Ogre::BillboardSet("", 0, true);
  PrepareEffectMovable(mBillboards, kEffectQueueBase, queueOffset);
  mBillboards->setPoolSize(unsigned(mAmount));
  mBillboards->setBillboardsInWorldSpace(worldAxis);
  mParticleNode = Scene()->createSceneNode();
  mParticleNode->attachObject(mBillboards);
}

bool CGAEffectParticleEX::CreateMeshBatch(int amount, const std::string& meshName, bool worldAxis,
                                          int queueOffset) {
  CommonSetUp(amount, worldAxis);
  mParticleNode = Scene()->createSceneNode();
  // Left out: a batch of no copies has no section for the material to go on.
  if (mAmount == 0) {
    GameLog("particle mesh \"" + meshName + "\" not shown: Amount " + std::to_string(amount) + " leaves no particle");
    return false;
  }
  Ogre::MeshPtr mesh;
  try {
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    mesh = meshes.getByName(meshName);
    if (!mesh || !mesh->isLoaded())
      mesh = meshes.load(meshName, "General", Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
                         Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
  } catch (const Ogre::Exception& e) {
    GameLog("particle mesh \"" + meshName + "\" not shown: " + e.getDescription());
    return false;
  }
  if (!ReadMeshShape(mesh)) {
    GameLog("particle mesh \"" + meshName + "\" has no triangles to draw");
    return false;
  }
  mBatch = new ParticleBatch(GetName());
  PrepareEffectMovable(mBatch, kEffectQueueBase, queueOffset);
  mBatch->Create(mShape, size_t(mAmount), kBatchMaterial);
  mParticleNode->attachObject(mBatch);
  return true;
}

Ogre::ManualObject* CGAEffectParticleEX::GetManualObject() const { return mBatch; }

bool CGAEffectParticleEX::CreateMeshParticles(int amount, const std::string& mesh, bool worldAxis,
                                              int queueOffset) {
  CommonSetUp(amount, worldAxis);
  mParticleNode = Scene()->createSceneNode();
  for (int i = 0; i <= mAmount; ++i) {
    MeshParticleRecord record;
    record.node = Scene()->createSceneNode();
    record.child = record.node->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
    try {
      record.entity = Scene()->createEntity(ParticleObjectName(GetName() + "_mesh" + std::to_string(i)), mesh);
    } catch (const Ogre::Exception& e) {
      GameLog("particle mesh \"" + mesh + "\" not shown: " + e.getDescription());
      Scene()->destroySceneNode(record.child);
      Scene()->destroySceneNode(record.node);
      return false;
    }
    PrepareEffectMovable(record.entity, kEffectQueueBase, queueOffset);
    record.child->attachObject(record.entity);
    mMeshParticles.push_back(record);
  }
  return true;
}

// Each mesh particle tints a material of its own; the mesh's stays as it is.
// The clones of the mesh's material are made once the set-up is read, for
// the particles a "SetMaterialName" has not given clones of another already
// (cloning the mesh's first would only throw those away).
void CGAEffectParticleEX::CloneMeshMaterials() {
  for (size_t i = 0; i < mMeshParticles.size(); ++i) {
    MeshParticleRecord& record = mMeshParticles[i];
    if (!record.material && record.entity->getNumSubEntities())
      CloneParticleMaterial(i, record.entity->getSubEntity(0)->getMaterial());
  }
}

void CGAEffectParticleEX::CreateEffectParticles(int amount, const std::string& effect, bool worldAxis, int) {
  CommonSetUp(amount, worldAxis);
  mChildEffectName = effect;
  mParticleNode = Scene()->createSceneNode();
}

bool CGAEffectParticleEX::ReadMeshShape(const Ogre::MeshPtr& mesh) {
  mShape = ParticleMeshShape();
  if (!mesh || mesh->getNumSubMeshes() == 0) return false;
  // Only the first sub-mesh is a particle's shape.
  Ogre::SubMesh* sub = mesh->getSubMesh(0);
  Ogre::VertexData* vertexData = sub->useSharedVertices ? mesh->sharedVertexData : sub->vertexData;
  Ogre::IndexData* indexData = sub->indexData;
  if (!vertexData || !indexData || indexData->indexCount < 3) return false;
  const Ogre::VertexElement* position = vertexData->vertexDeclaration->findElementBySemantic(Ogre::VES_POSITION);
  if (!position) return false;
  const Ogre::VertexElement* uv =
      vertexData->vertexDeclaration->findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES, 0);
  const size_t count = vertexData->vertexCount;
  mShape.positions.assign(count, Ogre::Vector3::ZERO);
  mShape.uvs.assign(count, Ogre::Vector2::ZERO);
  auto readElement = [&](const Ogre::VertexElement* element, int floats, auto store) {
    Ogre::HardwareVertexBufferSharedPtr buffer = vertexData->vertexBufferBinding->getBuffer(element->getSource());
    Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    const auto* base = static_cast<const unsigned char*>(lock.pData) + vertexData->vertexStart * buffer->getVertexSize();
    for (size_t v = 0; v < count; ++v) {
      float* f = nullptr;
      element->baseVertexPointerToElement(const_cast<unsigned char*>(base + v * buffer->getVertexSize()), &f);
      store(v, f, floats);
    }
  };
  readElement(position, 3, [&](size_t v, const float* f, int) { mShape.positions[v] = Ogre::Vector3(f[0], f[1], f[2]); });
  if (uv && Ogre::VertexElement::getTypeCount(uv->getType()) >= 2)
    readElement(uv, 2, [&](size_t v, const float* f, int) { mShape.uvs[v] = Ogre::Vector2(f[0], f[1]); });
  // Whole triangles only, and only those within the copied vertices.
  Ogre::HardwareIndexBufferSharedPtr buffer = indexData->indexBuffer;
  Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
  const bool wide = buffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT;
  const size_t triangles = indexData->indexCount / 3;
  for (size_t t = 0; t < triangles; ++t) {
    uint32_t corner[3];
    for (size_t k = 0; k < 3; ++k) {
      const size_t at = indexData->indexStart + 3 * t + k;
      corner[k] = wide ? static_cast<const uint32_t*>(lock.pData)[at] : static_cast<const uint16_t*>(lock.pData)[at];
    }
    if (corner[0] >= count || corner[1] >= count || corner[2] >= count) continue;
    mShape.indices.insert(mShape.indices.end(), corner, corner + 3);
  }
  return !mShape.indices.empty();
}

void CGAEffectParticleEX::CloneParticleMaterial(size_t index, const Ogre::MaterialPtr& source) {
  MeshParticleRecord& record = mMeshParticles[index];
  if (!source) return;
  if (record.material) Ogre::MaterialManager::getSingleton().remove(record.material);
  record.material = source->clone(ParticleObjectName(GetName() + "par_mat" + std::to_string(index)));
  record.entity->setMaterial(record.material);
}

// Materials ------------------------------------------------------------------

bool CGAEffectParticleEX::SetMaterialName(const std::string& name, bool copy) {
  if (!mMeshParticles.empty()) {
    Ogre::MaterialPtr source = Ogre::MaterialManager::getSingleton().getByName(name);
    if (!source) return false;
    for (size_t i = 0; i < mMeshParticles.size(); ++i) CloneParticleMaterial(i, source);
    return true;
  }
  if (!SetMaterial(name, copy)) return false;
  if (mBillboards) mBillboards->setMaterial(GetMaterial());
  if (mBatch) mBatch->setMaterial(0, GetMaterial());
  return true;
}

void CGAEffectParticleEX::SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) {
  if (mMeshParticles.empty()) {
    CGAEffectMaterial::SetTexture(texture, pass, unit);
    return;
  }
  CloneMeshMaterials();
  for (MeshParticleRecord& record : mMeshParticles) SetTextureOf(record.material, texture, pass, unit);
}

bool CGAEffectParticleEX::SetEmissionRateAnim(const ScalarKeys& keys, float length, bool loop, bool linear) {
  CreateNodeAnim(loop, linear, mRateCurve);
  AddScalarKeys(mRateCurve, keys, length);
  return true;
}

void CGAEffectParticleEX::SetSource(PSim::pDomain* domain, float rate) {
  mSource.reset(domain);
  mEmissionRate = rate;
}

void CGAEffectParticleEX::EndSetUp() {
  if (mActionList >= 0) mSystem.EndActionList();
  CloneMeshMaterials();
}

// The frame ------------------------------------------------------------------

void CGAEffectParticleEX::SetVisible(bool visible) {
  // The billboards are queued through this object, so it hides too.
  Ogre::MovableObject::setVisible(visible);
  if (mParticleNode) mParticleNode->setVisible(visible, true);
  for (MeshParticleRecord& record : mMeshParticles) record.child->setVisible(visible, true);
}

bool CGAEffectParticleEX::Update() {
  // Without a source nothing is born, moves or is drawn.
  if (!mSource || mActionList < 0) return true;
  Ogre::SceneNode* parent = GetParentNode();
  if (!parent) return true;
  if (!getParentSceneNode()) {
    parent->attachObject(this);
    setCastShadows(false);
  }
  if (!mParticleNode->getParentSceneNode()) {
    if (!mWorldAxis || mBillboards) {
      parent->addChild(mParticleNode);
    } else {
      CGAEffectManager::getSingleton().GetEffectRoot()->addChild(mParticleNode);
    }
  }
  PSim::PVec3 emitter(0.0f, 0.0f, 0.0f);
  if (mWorldAxis || mBillboards) {
    const Ogre::Vector3 p = parent->_getDerivedPosition();
    emitter = PSim::PVec3(p.x, p.z, p.y);
  }
  if (mRateCurve.HasAnimation()) {
    Advance(mRateCurve);
    mEmissionRate = mRateCurve.GetValue().x;
  }
  mSystem.SetTimeStep(FrameDeltaSeconds);
  mSystem.CallActionList(mActionList);
  mSystem.Source(mEmissionRate, *mSource, emitter);
  mSystem.Move(true, true);
  GatherParticles();
  return true;
}

bool CGAEffectParticleEX::Release() {
  if (mReleased) return true;
  mReleased = true;
  Ogre::SceneManager* scene = Scene();
  if (getParentSceneNode()) getParentSceneNode()->detachObject(this);
  if (mParticleNode) mParticleNode->detachAllObjects();
  delete mBillboards;
  mBillboards = nullptr;
  delete mBatch;
  mBatch = nullptr;
  for (MeshParticleRecord& record : mMeshParticles) {
    // Only the clone made for the particle; the mesh's own material stays.
    if (record.material) Ogre::MaterialManager::getSingleton().remove(record.material);
    scene->destroyEntity(record.entity);
    scene->destroySceneNode(record.child);
    scene->destroySceneNode(record.node);
  }
  mMeshParticles.clear();
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  for (const KeptEffect& effect : mChildEffects)
    if (manager.IsKept(effect)) effect.effect->SetLifeTime(0.0f);
  mChildEffects.clear();
  ReleaseNodeAnim(mRateCurve);
  ReleaseMaterial();
  if (mParticleNode) scene->destroySceneNode(mParticleNode);
  mParticleNode = nullptr;
  mSource.reset();
  return true;
}
