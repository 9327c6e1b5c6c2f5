#include "effects/EffectMaterial.h"

#include "effects/EffectManager.h"
#include "game/GameLog.h"

#include <OgreGpuProgramParams.h>
#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

namespace {

// The order slots are written in each frame.
constexpr std::array<int, kMaterialSlots> kUpdateOrder = {kMatEmissiveRGB, kMatEmissive, kMatOpacity, kMatScrollU,
                                                          kMatScrollV,     kMatScaleU,   kMatScaleV,  kMatRotate};

Ogre::Pass* FirstPass(const Ogre::MaterialPtr& material) {
  if (!material || material->getNumTechniques() == 0) return nullptr;
  Ogre::Technique* technique = material->getTechnique(0);
  return technique->getNumPasses() ? technique->getPass(0) : nullptr;
}

// Writes one slot's value into the pass.
void WritePass(Ogre::Pass& pass, int slot, const Ogre::Vector3& value) {
  const float v = value.x;
  Ogre::TextureUnitState* unit = pass.getNumTextureUnitStates() ? pass.getTextureUnitState(0) : nullptr;
  switch (slot) {
    case kMatEmissive:
    case kMatEmissiveRGB: {
      Ogre::ColourValue c = pass.getSelfIllumination();
      c.r = slot == kMatEmissive ? v : value.x;
      c.g = slot == kMatEmissive ? v : value.y;
      c.b = slot == kMatEmissive ? v : value.z;
      pass.setSelfIllumination(c);
      break;
    }
    case kMatOpacity: {
      Ogre::ColourValue diffuse = pass.getDiffuse(), ambient = pass.getAmbient();
      Ogre::ColourValue emissive = pass.getSelfIllumination(), specular = pass.getSpecular();
      diffuse.a = ambient.a = emissive.a = specular.a = v;
      pass.setDiffuse(diffuse);
      pass.setAmbient(ambient);
      pass.setSelfIllumination(emissive);
      pass.setSpecular(specular);
      break;
    }
    case kMatScrollU:
      if (unit) unit->setTextureUScroll(v);
      break;
    case kMatScrollV:
      if (unit) unit->setTextureVScroll(v);
      break;
    case kMatScaleU:
      if (unit) unit->setTextureUScale(v);
      break;
    case kMatScaleV:
      if (unit) unit->setTextureVScale(v);
      break;
    case kMatRotate:
      if (unit) unit->setTextureRotate(Ogre::Degree(v));
      break;
    default:
      break;
  }
}

// Sets the slot's constant when the program declares it.
void WriteConstant(const Ogre::GpuProgramParametersSharedPtr& params, int slot, const Ogre::Vector3& value) {
  if (!params) return;
  const char* name = CGAEffectMaterial::ConstantName(slot);
  if (!params->_findNamedConstantDefinition(name)) return;
  if (slot == kMatEmissiveRGB) {
    params->setNamedConstant(name, value);
  } else {
    params->setNamedConstant(name, Ogre::Real(value.x));
  }
}

}  // namespace

const char* CGAEffectMaterial::ConstantName(int slot) {
  static const char* const names[kMaterialSlots] = {"EMISSIVE", "EMISSIVE_RBG", "OPACITY", "SCROLL_U",
                                                    "SCROLL_V", "SCALE_U",      "SCALE_V", "ROTATE"};
  return slot >= 0 && slot < kMaterialSlots ? names[slot] : "";
}

bool CGAEffectMaterial::SetMaterial(const std::string& name, bool) {
  if (name.empty()) return false;
  Ogre::MaterialPtr source = Ogre::MaterialManager::getSingleton().getByName(name);
  if (!source) return false;
  // An earlier clone of this object stays with the engine until release;
  // it is released here instead, since nothing else refers to it.
  if (mOwnsMaterial && mMaterial) Ogre::MaterialManager::getSingleton().remove(mMaterial);
  mMaterial = source->clone(CGAEffectManager::getSingleton().MakeEffectName());
  mOwnsMaterial = true;
  mMaterial->setReceiveShadows(false);
  mMaterial->setFog(false);
  mMaterial->setTextureFiltering(Ogre::TFO_NONE);
  return true;
}

void CGAEffectMaterial::UseSharedMaterial(const Ogre::MaterialPtr& material) {
  if (mOwnsMaterial && mMaterial) Ogre::MaterialManager::getSingleton().remove(mMaterial);
  mMaterial = material;
  mOwnsMaterial = false;
}

void CGAEffectMaterial::SetTexture(const std::string& texture, uint16_t pass, uint16_t unit) {
  SetTextureOf(mMaterial, texture, pass, unit);
}

void CGAEffectMaterial::SetTextureOf(const Ogre::MaterialPtr& material, const std::string& texture, uint16_t pass,
                                     uint16_t unit) {
  // The engine refuses an empty name by throwing: the unit keeps its texture.
  if (texture.empty() || !material || material->getNumTechniques() == 0) return;
  Ogre::Technique* technique = material->getTechnique(0);
  if (pass >= technique->getNumPasses()) return;
  Ogre::Pass* p = technique->getPass(pass);
  if (unit >= p->getNumTextureUnitStates()) return;
  try {
    p->getTextureUnitState(unit)->setTextureName(texture, Ogre::TEX_TYPE_2D);
  } catch (const Ogre::Exception& e) {
    GameLog("texture \"" + texture + "\" not set on " + material->getName() + ": " + e.getDescription());
  }
}

bool CGAEffectMaterial::SetMaterialAnim(const ScalarKeys& keys, int slot, float length, bool loop, bool linear) {
  if (slot < 0 || slot >= kMaterialSlots || slot == kMatEmissiveRGB) return true;
  CreateNodeAnim(loop, linear, mSlots[size_t(slot)]);
  AddScalarKeys(mSlots[size_t(slot)], keys, length);
  return true;
}

bool CGAEffectMaterial::SetMaterialAnimRGB(const VectorKeys& keys, int slot, float length, bool loop, bool linear) {
  if (slot != kMatEmissiveRGB) return true;
  CreateNodeAnim(loop, linear, mSlots[size_t(slot)]);
  AddVectorKeys(mSlots[size_t(slot)], keys, length);
  return true;
}

void CGAEffectMaterial::UpdateMaterialAnim() {
  Ogre::Pass* pass = FirstPass(mMaterial);
  if (!pass) return;
  Ogre::GpuProgramParametersSharedPtr fragment, vertex;
  if (pass->hasFragmentProgram()) fragment = pass->getFragmentProgramParameters();
  if (pass->hasVertexProgram()) vertex = pass->getVertexProgramParameters();
  for (int slot : kUpdateOrder) {
    NodeAnimSlot& anim = mSlots[size_t(slot)];
    if (!anim.HasAnimation()) continue;
    Advance(anim);
    const Ogre::Vector3 value = anim.GetValue();
    WritePass(*pass, slot, value);
    WriteConstant(fragment, slot, value);
    WriteConstant(vertex, slot, value);
  }
}

bool CGAEffectMaterial::ReleaseMaterial() {
  for (NodeAnimSlot& slot : mSlots) ReleaseNodeAnim(slot);
  // Only a clone of this object's own goes; a shared material stays.
  if (mOwnsMaterial && mMaterial) Ogre::MaterialManager::getSingleton().remove(mMaterial);
  mMaterial.reset();
  mOwnsMaterial = false;
  return true;
}
