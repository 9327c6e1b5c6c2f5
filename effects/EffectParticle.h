#pragma once
// An engine particle system from a particle template, shown by an effect,
// whose emitters' rates may follow a key-frame curve (a factor on each
// emitter's rate from the template). Until it gets a material of its own it
// uses the template's.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"

#include <vector>

namespace Ogre {
class ParticleSystem;
}

class CGAEffectParticle : public CGAEffectObject, public CGAEffectMaterial {
 public:
  CGAEffectParticle() = default;
  ~CGAEffectParticle() override;

  // Null (nothing made) when the engine has no such template.
  Ogre::ParticleSystem* Create(const std::string& particleTemplate, int queueOffset);
  bool SetEmissionRateAnim(const ScalarKeys& keys, float length, bool loop, bool linear);
  bool SetMaterialName(const std::string& name, bool copy);

  void SetVisible(bool visible) override;
  bool Update() override;
  Ogre::ParticleSystem* GetParticleSystem() const { return mSystem; }

 private:
  Ogre::ParticleSystem* mSystem = nullptr;
  NodeAnimSlot mRateSlot;
  std::vector<float> mBaseRates;  // each emitter's template rate
};
