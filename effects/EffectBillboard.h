#pragma once
// A set of camera-facing quads shown by an effect, each with its size,
// place, colour and cell of the material's texture.
#include "effects/EffectMaterial.h"
#include "effects/EffectObject.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

namespace Ogre {
class Billboard;
class BillboardSet;
}  // namespace Ogre

class CGAEffectBillboard : public CGAEffectObject, public CGAEffectMaterial {
 public:
  CGAEffectBillboard() = default;
  ~CGAEffectBillboard() override;

  void Create(int queueOffset);
  // A texture cell the set does not have draws the first cell.
  Ogre::Billboard* AddBillboard(const Ogre::Vector2& size, const Ogre::Vector3& position,
                                const Ogre::ColourValue& colour, uint16_t textureIndex);
  bool SetMaterialName(const std::string& name, bool copy);
  // "RttTex" puts the set on the list of objects hidden while it renders.
  void SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) override;

  void SetVisible(bool visible) override;
  bool Update() override;
  Ogre::BillboardSet* GetBillboardSet() const { return mSet; }

 private:
  Ogre::BillboardSet* mSet = nullptr;
};
