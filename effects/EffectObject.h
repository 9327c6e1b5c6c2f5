#pragma once
// What an effect node sees of the things it shows (meshes, billboards,
// particles, trails, decals): visibility, a step per frame and deletion. The
// node owns its objects and hands each its scene node before the first
// update; an object attaches its engine object there when it first updates.
#include <string>

namespace Ogre {
class SceneNode;
}

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
