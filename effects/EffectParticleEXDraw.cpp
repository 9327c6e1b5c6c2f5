// Drawing of the particle effects: the live particles copied out of the
// library in scene axes, then, when the engine queues the object, turned
// into billboards, batched mesh copies, mesh entities or child effects.
#include "effects/EffectLimits.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/EffectParticleEX.h"
#include "effects/ParticleBatch.h"
#include "game/FrameClock.h"

#include <OgreAnimationState.h>
#include <OgreBillboard.h>
#include <OgreBillboardSet.h>
#include <OgreEntity.h>
#include <OgrePass.h>
#include <OgreSceneNode.h>
#include <OgreTechnique.h>

#include <cmath>

namespace {

// The library's (x, y, z) is the scene's (x, z, y).
Ogre::Vector3 SceneAxes(const float* v) { return Ogre::Vector3(v[0], v[2], v[1]); }

// Whether boxes within the effect distances stay finite through the
// transform (an inverse of a node scaled to nothing is not even finite).
bool KeepsBoundsFinite(const Ogre::Affine3& transform) {
  for (size_t row = 0; row < 3; ++row)
    for (size_t column = 0; column < 4; ++column)
      if (!(std::fabs(transform[row][column]) < 1e30f)) return false;
  return true;
}

bool FacesOwnVelocity(Ogre::BillboardType type) {
  return type == Ogre::BBT_ORIENTED_SELF || type == Ogre::BBT_PERPENDICULAR_SELF;
}

}  // namespace

const Ogre::String& CGAEffectParticleEX::getMovableType() const {
  static const Ogre::String type = "EffectParticleEX";
  return type;
}

void CGAEffectParticleEX::_notifyCurrentCamera(Ogre::Camera* camera) {
  if (mBillboards) mBillboards->_notifyCurrentCamera(camera);
}

void CGAEffectParticleEX::visitRenderables(Ogre::Renderable::Visitor* visitor, bool debugRenderables) {
  if (mBatch) {
    mBatch->visitRenderables(visitor, debugRenderables);
  } else if (mBillboards) {
    mBillboards->visitRenderables(visitor, debugRenderables);
  }
}

size_t CGAEffectParticleEX::GatherParticles() {
  mRadius = 0.0f;
  mBounds.setNull();
  const size_t n = mSystem.GetGroupCount();
  if (n == 0) {
    mRecords.clear();
    return 0;
  }
  float* first = nullptr;
  size_t stride = 0, position = 0, positionB = 0, size = 0, velocity = 0, velocityB = 0, colour = 0, alpha = 0,
         age = 0, up = 0, rotation = 0, upB = 0, mass = 0, data = 0, origin = 0;
  mSystem.GetParticlePointer(first, stride, position, positionB, size, velocity, velocityB, colour, alpha, age, up,
                             rotation, upB, mass, data, origin);
  mRecords.resize(n);
  // The bounds and radius of the points as drawn (so particles in view are
  // not culled), kept as the corners and the largest squared length: the
  // same box and radius as merging each point, with one square root.
  Ogre::Vector3 low, high;
  float farthest = 0.0f;
  for (size_t i = 0; i < n; ++i) {
    const float* p = first + i * stride;
    ParticleRenderRecord& record = mRecords[i];
    record.position = SceneAxes(p + position);
    if (mWorldAxis) record.position += SceneAxes(p + origin);
    record.position += SceneAxes(p + positionB);
    // Actions may overflow what the library holds: what is drawn stays finite.
    record.position = Bounded(record.position, kMaxEffectDistance);
    if (i == 0) {
      low = high = record.position;
    } else {
      low.makeFloor(record.position);
      high.makeCeil(record.position);
    }
    farthest = std::max(farthest, record.position.squaredLength());
    record.size = Bounded(SceneAxes(p + size), kMaxEffectSize);
    record.velocity = Bounded(SceneAxes(p + velocity), kMaxEffectDistance);
    record.rotation = SceneAxes(p + rotation);
    record.colour = Ogre::ColourValue(p[colour], p[colour + 1], p[colour + 2], p[alpha]);
    record.alpha = p[alpha];
    record.age = p[age];
  }
  mBounds.setExtents(low, high);
  mRadius = std::sqrt(farthest);
  if (mWorldAxis && GetParentNode() && !mBounds.isNull()) {
    // World points in the node's space; a node scaled to nothing (or out of
    // reach) has no such space, and the particles are never culled.
    const Ogre::Affine3 toNode = GetParentNode()->_getFullTransform().inverse();
    if (KeepsBoundsFinite(toNode)) {
      mBounds.transform(toNode);
    } else {
      mBounds.setInfinite();
    }
  }
  return n;
}

void CGAEffectParticleEX::_updateRenderQueue(Ogre::RenderQueue* queue) {
  if (mBillboards) {
    DrawBillboards(queue);
  } else if (mBatch) {
    DrawMeshBatch();
  } else if (!mMeshParticles.empty()) {
    DrawMeshParticles();
  } else {
    DrawEffectParticles();
  }
  if (mMeshParticles.empty()) CleanEffectParticles();
}

Ogre::Vector3 CGAEffectParticleEX::AccumulateRotation(size_t index) {
  if (index < mRotations.size()) {
    mRotations[index] += mRecords[index].rotation;
  } else {
    mRotations.push_back(mRecords[index].rotation);
  }
  return mRotations[index];
}

void CGAEffectParticleEX::DrawBillboards(Ogre::RenderQueue* queue) {
  const bool ownDirection = FacesOwnVelocity(mBillboards->getBillboardType());
  mBillboards->beginBillboards(mRecords.size());
  Ogre::Billboard billboard;
  for (size_t i = 0; i < mRecords.size(); ++i) {
    const ParticleRenderRecord& record = mRecords[i];
    billboard.mPosition = record.position;
    if (ownDirection) billboard.mDirection = record.velocity.normalisedCopy();
    billboard.setRotation(Ogre::Degree(AccumulateRotation(i).x));
    billboard.mColour = record.colour;
    billboard.setDimensions(record.size.x, record.size.y);
    mBillboards->injectBillboard(billboard);
  }
  mBillboards->endBillboards();
  if (queue) mBillboards->_updateRenderQueue(queue);
}

void CGAEffectParticleEX::DrawMeshBatch() {
  for (size_t i = 0; i < mRecords.size(); ++i) AccumulateRotation(i);
  mBatch->Rewrite(mShape, mRecords, mRotations);
}

void CGAEffectParticleEX::DrawMeshParticles() {
  size_t i = 0;
  for (; i < mRecords.size() && i < mMeshParticles.size(); ++i) {
    const ParticleRenderRecord& record = mRecords[i];
    MeshParticleRecord& mesh = mMeshParticles[i];
    if (!mesh.node->getParentSceneNode()) mParticleNode->addChild(mesh.node);
    mesh.node->setPosition(record.position);
    if (mMeshDirection) {
      mesh.node->setFixedYawAxis(true);
      mesh.node->setDirection(record.velocity.normalisedCopy(), Ogre::Node::TS_WORLD);
    }
    mesh.node->setScale(record.size);
    // Each particle has a material of its own, so its colour is its own.
    if (mesh.material) {
      for (Ogre::Technique* technique : mesh.material->getTechniques())
        for (Ogre::Pass* pass : technique->getPasses()) {
          pass->setDiffuse(record.colour);
          pass->setSelfIllumination(record.colour);
        }
    }
    // A mesh without a skeleton has no animation to play.
    if (Ogre::AnimationStateSet* states = mesh.entity->getAllAnimationStates()) {
      auto it = states->getAnimationStateIterator();
      if (it.hasMoreElements()) {
        Ogre::AnimationState* state = it.getNext();
        if (!state->getEnabled()) {
          state->setEnabled(true);
          state->setLoop(true);
        }
        state->addTime(FrameDeltaSeconds);
      }
    }
    mesh.child->yaw(Ogre::Degree(record.rotation.y));
    mesh.child->pitch(Ogre::Degree(record.rotation.x));
    mesh.child->roll(Ogre::Degree(record.rotation.z));
  }
  // Mesh particles beyond the live count leave the scene.
  for (; i < mMeshParticles.size(); ++i)
    if (Ogre::SceneNode* parent = mMeshParticles[i].node->getParentSceneNode())
      parent->removeChild(mMeshParticles[i].node);
}

void CGAEffectParticleEX::DrawEffectParticles() {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  const Ogre::Vector3 offset =
      mWorldAxis || !GetParentNode() ? Ogre::Vector3::ZERO : GetParentNode()->_getDerivedPosition();
  for (size_t i = 0; i < mRecords.size(); ++i) {
    if (i >= mChildEffects.size()) {
      CGAEffectNode* effect = manager.CreateEffect(mChildEffectName);
      if (!effect) break;
      mChildEffects.push_back(manager.Keep(effect));
    }
    if (manager.IsKept(mChildEffects[i])) mChildEffects[i].effect->SetPosition(mRecords[i].position + offset);
  }
}

void CGAEffectParticleEX::CleanEffectParticles() {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  std::vector<KeptEffect> kept;
  for (const KeptEffect& effect : mChildEffects) {
    if (!manager.IsKept(effect)) continue;
    if (effect.effect->GetLife() <= 0.0f) {
      effect.effect->SetLifeTime(0.0f);
      continue;
    }
    kept.push_back(effect);
  }
  mChildEffects.swap(kept);
}
