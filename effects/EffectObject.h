#pragma once
// What an effect node sees of the things it shows (meshes, billboards,
// particles, trails, decals): visibility, a step per frame and deletion. The
// node owns its objects and hands each its scene node before the first
// update; an object attaches its engine object there when it first updates.
#include <string>

namespace Ogre {
class MovableObject;
class SceneNode;
}

// Render queue groups of effect objects: the files' "RQ" is added to these.
constexpr int kEffectQueueBase = 70;
constexpr int kProjectionQueueBase = 55;
// How far from the camera effect objects are drawn.
constexpr float kEffectRenderingDistance = 1024.0f;

// The settings every engine object of an effect gets: no shadows, the
// render queue group at the offset from its base (within the engine's
// groups, whatever the offset), the effects' drawing distance.
void PrepareEffectMovable(Ogre::MovableObject* object, int queueBase, int queueOffset);
// A scene node of an object's own at the effect root's origin, and its end
// (with whatever is still attached to it).
Ogre::SceneNode* CreateNodeAtEffectRoot();
void DestroyOwnNode(Ogre::SceneNode*& node);

class CGAEffectObject {
 public:
  virtual ~CGAEffectObject() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Update() = 0;

  void SetParentNode(Ogre::SceneNode* node) { mParentNode = node; }
  Ogre::SceneNode* GetParentNode() const { return mParentNode; }
  void SetName(const std::string& name) { mName = name; }
  const std::string& GetName() const { return mName; }

 protected:
  CGAEffectObject() = default;
  CGAEffectObject(const CGAEffectObject&) = delete;
  CGAEffectObject& operator=(const CGAEffectObject&) = delete;

 private:
  std::string mName;
  Ogre::SceneNode* mParentNode = nullptr;
};
