#pragma once
// The material side of an effect object: a private clone of an engine
// material and up to eight key-frame animations that every frame write the
// clone's first pass (colours, texture scroll, scale and rotation) and the
// constants of the same names in its GPU programs.
#include "effects/EffectAnim.h"

#include <OgreMaterial.h>

#include <array>
#include <cstdint>
#include <string>

// Material animation slots, numbered as the effect files' types.
enum MaterialAnimSlot : int {
  kMatEmissive = 0,
  kMatEmissiveRGB = 1,
  kMatOpacity = 2,
  kMatScrollU = 3,
  kMatScrollV = 4,
  kMatScaleU = 5,
  kMatScaleV = 6,
  kMatRotate = 7,
  kMaterialSlots = 8
};

class CGAEffectMaterial : public CGAEffectAnim {
 public:
  // Makes the object's material a private clone of the named one (copy is
  // kept for the files' sake; it always clones). False for an empty or
  // unknown name, which leaves the material as it was.
  bool SetMaterial(const std::string& name, bool copy);
  // Uses a material without cloning it (a mesh's or template's own); it is
  // never removed from the engine by this object.
  void UseSharedMaterial(const Ogre::MaterialPtr& material);
  const Ogre::MaterialPtr& GetMaterial() const { return mMaterial; }

  // The texture of one unit of one pass of technique 0, as a 2D texture;
  // ignored without a material or such a unit, and for an empty name.
  virtual void SetTexture(const std::string& texture, uint16_t pass, uint16_t unit);
  static void SetTextureOf(const Ogre::MaterialPtr& material, const std::string& texture, uint16_t pass,
                           uint16_t unit);

  // Scalar animations for slots 0 and 2 to 7, the colour one for slot 1;
  // other slots are ignored. Always true.
  bool SetMaterialAnim(const ScalarKeys& keys, int slot, float length, bool loop, bool linear);
  bool SetMaterialAnimRGB(const VectorKeys& keys, int slot, float length, bool loop, bool linear);
  // The frame's step: advances each animation and writes its value.
  void UpdateMaterialAnim();
  // Frees the animations and removes the clone this object made.
  bool ReleaseMaterial();

  // The GPU constant each slot sets ("EMISSIVE_RBG" for the colour: the
  // programs were written with that name).
  static const char* ConstantName(int slot);

 protected:
  CGAEffectMaterial() = default;
  ~CGAEffectMaterial() = default;

 private:
  Ogre::MaterialPtr mMaterial;
  bool mOwnsMaterial = false;
  std::array<NodeAnimSlot, kMaterialSlots> mSlots;  // by slot number
};
