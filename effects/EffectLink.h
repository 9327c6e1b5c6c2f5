#pragma once
// The link mesh ("link.mesh") of an effect, on a scene node of its own at
// the effect root's origin; it stays there whatever its effect node does.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"

namespace Ogre {
class Entity;
}

class CGAEffectLink : public CGAEffectObject, public CGAEffectMaterial {
 public:
  CGAEffectLink() = default;
  ~CGAEffectLink() override;

  // False (nothing made) when the engine has no link mesh.
  bool Create(const std::string& name, bool repeat, float verticalScale, int queueOffset);
  bool SetMaterialName(const std::string& name, bool copy);

  void SetVisible(bool visible) override;
  bool Update() override;
  Ogre::Entity* GetEntity() const { return mEntity; }

 private:
  Ogre::Entity* mEntity = nullptr;
  Ogre::SceneNode* mNode = nullptr;
  bool mRepeat = false;          // kept from the file, not used
  float mVerticalScale = 1.0f;   // kept from the file, not used
};
