#pragma once
// A mesh shown by an effect, optionally playing one of its skeleton's
// animations. Until it gets a material of its own it uses the mesh's, shared
// with every other entity of that mesh.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"

namespace Ogre {
class AnimationState;
class Entity;
}  // namespace Ogre

class CGAEffectEntity : public CGAEffectObject, public CGAEffectMaterial {
 public:
  CGAEffectEntity() = default;
  ~CGAEffectEntity() override;

  // False (nothing made) when the engine has no such mesh.
  bool Create(const std::string& mesh, int queueOffset);
  // Starts the skeleton animation of that name; a name the mesh lacks is
  // ignored. Always true.
  bool SetEntityAnimation(const std::string& name, bool loop);
  bool SetMaterialName(const std::string& name, bool copy);
  // "RttTex" puts the entity on the list of objects hidden while it renders.
  void SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) override;

  void SetVisible(bool visible) override;
  bool Update() override;
  Ogre::Entity* GetEntity() const { return mEntity; }

 private:
  Ogre::Entity* mEntity = nullptr;
  Ogre::AnimationState* mAnimation = nullptr;
};
