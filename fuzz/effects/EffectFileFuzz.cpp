// Effect files of any bytes: reading never fails hard, and every definition
// read can be built, run for a while tied to two units and destroyed, leaving
// no engine object behind. Files may use the material "fuzz_textured", whose
// one pass has a texture unit. Built with the engine's assertions on, so
// bounds that are not finite fail here as in a checked build.
#include "FuzzSupport.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "game/FrameClock.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>

#include <cstdlib>

namespace {

Ogre::Root& Engine() {
  static Ogre::Root* root = [] {
    QuietEngineLog();
    auto* r = new Ogre::Root("", "", "");
    new Ogre::DefaultHardwareBufferManager();
    // Textures as names only, so texture units take the files' names.
    new Ogre::DefaultTextureManager();
    // Billboards and manual objects start on the default materials.
    Ogre::MaterialManager::getSingleton().initialise();
    Ogre::MaterialPtr textured = Ogre::MaterialManager::getSingleton().create("fuzz_textured", Ogre::RGN_DEFAULT);
    textured->getTechnique(0)->getPass(0)->createTextureUnitState("fuzz.png");
    return r;
  }();
  return *root;
}

size_t SceneSize(Ogre::SceneManager* scene) {
  return scene->getAnimations().size() + scene->getAnimationStates().size() +
         scene->getRootSceneNode()->numChildren();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Ogre::SceneManager* scene = Engine().createSceneManager();
  const size_t empty = SceneSize(scene);
  {
    NullUnitWorld units;
    CGAUnit caster(units), target(units);
    caster.SetPosition(Ogre::Vector3(10, 0, 10));
    target.SetPosition(Ogre::Vector3(14, 0, 12));
    Ogre::SceneNode* root = scene->getRootSceneNode()->createChildSceneNode();
    CGAEffectManager manager(scene, root, nullptr);
    manager.ReadEffectFile(std::string(reinterpret_cast<const char*>(data), size), "fuzz.eff");
    std::vector<std::string> names;
    for (const auto& entry : manager.GetEffectIndex()) names.push_back(entry.first);
    for (const std::string& name : names) {
      CGAEffectNode* effect = manager.CreateEffect(name);
      if (!effect) std::abort();
      effect->AttachToOwner(&caster, true);
      effect->AddTarget(&target);
      effect->SetTargetPosition(target.GetPosition());
    }
    FrameDeltaSeconds = 0.05f;
    for (int frame = 0; frame < 12; ++frame) {
      manager.Update();
      // As rendering does: transforms and bounds of the whole scene.
      scene->getRootSceneNode()->_update(true, false);
    }
    manager.DestroyAllEffects();
    scene->destroySceneNode(root);
  }
  if (SceneSize(scene) != empty) std::abort();
  Engine().destroySceneManager(scene);
  return 0;
}
