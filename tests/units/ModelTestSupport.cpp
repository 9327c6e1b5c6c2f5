#include "ModelTestSupport.h"

#include "tests/support/HeadlessEngine.h"
#include "units/Unit.h"

#include <Ogre.h>

void UnitContent() {
  static const bool ready = [] {
    HeadlessEngine();
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    for (const char* folder : {YVEK_DATA_DIR "/general", YVEK_BUILD_DIR "/general"})
      groups.addResourceLocation(folder, "FileSystem", "General");
    groups.initialiseResourceGroup("General");
    return true;
  }();
  (void)ready;
}

void DemoUnitsAndEffects() {
  static const bool ready = [] {
    UnitContent();
    StartBackgroundLoading();
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    if (!groups.resourceGroupExists("Main")) groups.createResourceGroup("Main");
    groups.addResourceLocation(YVEK_DATA_DIR "/units", "FileSystem", "Main");
    groups.addResourceLocation(YVEK_DATA_DIR "/effects", "FileSystem", "Main");
    groups.initialiseResourceGroup("Main");
    return true;
  }();
  (void)ready;
}

UnitModelBase* ModelWorld::CreateModel(CGAUnit& unit) {
  return new CGAUnitModel(scene, scene->getRootSceneNode(), unit);
}

ModelFixture::ModelFixture() {
  UnitContent();
  scene = HeadlessEngine().createSceneManager();
  world = std::make_unique<ModelWorld>(scene);
  SetFrame(0.02f);
}

ModelFixture::~ModelFixture() {
  units.clear();
  HeadlessEngine().destroySceneManager(scene);
}

CGAUnitModel& ModelFixture::NewModel() {
  units.push_back(std::make_unique<CGAUnit>(*world));
  return *static_cast<CGAUnitModel*>(units.back()->GetModel());
}
