#include "units/UnitPartDef.h"

#include "game/GameLog.h"
#include "game/ResourcePreloader.h"

#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreSkeletonManager.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureManager.h>

namespace {

// The group the preloader loads part resources into.
const char* const kPartGroup = "General";

// Base materials by the number of effect textures a part has: their pass
// holds 1, 3 or 5 texture units.
const char* const kBaseMaterials[] = {"unit_human", "unit_human_1", "unit_human_2"};

void SetTextureUnit(Ogre::Pass* pass, unsigned short index, const std::string& texture, const std::string& material) {
  if (texture.empty()) return;  // the base material's default stays
  if (index >= pass->getNumTextureUnitStates()) {
    GameLog("material " + material + ": no texture unit " + std::to_string(index) + " for " + texture);
    return;
  }
  pass->getTextureUnitState(index)->setTextureName(texture);
}

void SetConstant(Ogre::Pass* pass, const char* name, const Ogre::Vector4& value) {
  if (!pass->hasFragmentProgram()) return;
  Ogre::GpuProgramParametersSharedPtr params = pass->getFragmentProgramParameters();
  if (params && params->_findNamedConstantDefinition(name)) params->setNamedConstant(name, value);
}

}  // namespace

std::string UnitPartMaterialName(const std::string& texture, const std::string& effect0, const std::string& effect1) {
  return "unit_part|" + texture + "|" + effect0 + "|" + effect1;
}

bool UnitPartDef::LoadResources() { return LoadResources(CGAResourcePreloader::getSingleton()); }

bool UnitPartDef::LoadResources(BackgroundLoader& loader) {
  if (mResName.empty()) return true;
  switch (mLoadState) {
    case kNotStarted:
      // A part without a texture keeps its base material's.
      if (!mTexture.empty())
        mTextureTicket = loader.LoadInBackground(Ogre::TextureManager::getSingleton().getResourceType(), mTexture);
      mMeshTicket = loader.LoadInBackground(Ogre::MeshManager::getSingleton().getResourceType(), mResName);
      mLoadState = kLoadingMesh;
      return false;
    case kLoadingMesh:
      if ((!mTexture.empty() && !loader.IsLoaded(mTextureTicket)) || !loader.IsLoaded(mMeshTicket)) return false;
      mMesh = Ogre::MeshManager::getSingleton().getByName(mResName, kPartGroup);
      if (mMesh && mMesh->hasSkeleton()) {
        mSkeletonTicket =
            loader.LoadInBackground(Ogre::SkeletonManager::getSingleton().getResourceType(), mMesh->getSkeletonName());
        mLoadState = kLoadingSkeleton;
      } else {
        if (!mMesh) GameLog("unit part " + mResName + ": no such mesh; the part shows nothing");
        mLoadState = kReady;
      }
      BuildMaterial();
      return false;
    case kLoadingSkeleton:
      if (!loader.IsLoaded(mSkeletonTicket)) return false;
      mMesh->setAutoBuildEdgeLists(true);
      mLoadState = kReady;
      return false;
    default:
      // Parts of one mesh may differ in texture: the mesh takes this part's
      // material just before the unit makes its entity.
      if (mMesh && mMaterial)
        for (Ogre::SubMesh* sub : mMesh->getSubMeshes()) sub->setMaterialName(mMaterial->getName(), mMaterial->getGroup());
      return true;
  }
}

void UnitPartDef::BuildMaterial() {
  const UnitEffectTexture& effect0 = mEffectTextures[0];
  const UnitEffectTexture& effect1 = mEffectTextures[1];
  const int effects = !effect1.texture.empty() ? 2 : !effect0.texture.empty() ? 1 : 0;
  const std::string name = UnitPartMaterialName(mTexture, effect0.texture, effect1.texture);
  Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
  mMaterial = materials.getByName(name);
  if (mMaterial) return;  // parts of the same textures share it
  Ogre::MaterialPtr base = materials.getByName(kBaseMaterials[effects]);
  if (!base || !base->getNumTechniques() || !base->getTechnique(0)->getNumPasses()) {
    GameLog("unit part " + mResName + ": no base material " + kBaseMaterials[effects] + " with a pass");
    return;
  }
  mMaterial = base->clone(name);
  Ogre::Pass* pass = mMaterial->getTechnique(0)->getPass(0);
  SetTextureUnit(pass, 0, mTexture, name);
  if (!effect0.texture.empty()) {
    SetTextureUnit(pass, 1, effect0.texture, name);
    SetTextureUnit(pass, 2, effect0.mask, name);
    SetConstant(pass, "custom_0", effect0.parameter);
  }
  if (!effect1.texture.empty()) {
    SetTextureUnit(pass, 3, effect1.texture, name);
    SetTextureUnit(pass, 4, effect1.mask, name);
    SetConstant(pass, "custom_1", effect1.parameter);
  }
}
