// Applies a script of terrain editor strokes to a map and saves the result.
// Usage: mapedit MAP_FILE STROKES OUTPUT_FOLDER
//
// Runs in the game's build folder, like the game: the engine finds meshes,
// materials and brushes through "resources.cfg", and the editor reads
// "editconfig.xml" there. MAP_FILE is a ".map" path; its side files and
// static list are read from its folder. The edited map (document and side
// files) is written into OUTPUT_FOLDER, which may be the map's own folder,
// with a copy of the static list when the folder lacks one. Stroke syntax:
// StrokeScript.h. Nothing is saved when a stroke fails.
#include "tools/mapedit/StrokeScript.h"

#include "game/DataFiles.h"
#include "game/GAPAK/PakArchive.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

// The problems the game's readers log go to the standard error as well.
class ProblemsToStderr : public Ogre::LogListener {
 public:
  void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool, const Ogre::String&,
                     bool&) override {
    if (level == Ogre::LML_CRITICAL) std::cerr << message << "\n";
  }
};

// The engine without a render system (no window, no textures): scenes,
// meshes, materials and images, with the game's resource locations.
void StartEngine() {
  Ogre::LogManager* logs = new Ogre::LogManager();
  logs->createLog("mapedit.log", true, false, false)->addListener(new ProblemsToStderr());
  auto* root = new Ogre::Root("", "", "");
  new Ogre::DefaultHardwareBufferManager();
  new Ogre::DefaultTextureManager();
  if (!Ogre::GpuProgramManager::getSingletonPtr()) new Ogre::GpuProgramManager();
  root->loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/Codec_STBI");
  // The effects' particle templates parse with the engine's particle
  // plug-in and its billboard renderer (an initialised engine's part).
  root->loadPlugin(std::string(YVEK_OGRE_PLUGIN_DIR) + "/Plugin_ParticleFX");
  if (!Ogre::ControllerManager::getSingletonPtr()) new Ogre::ControllerManager();
  Ogre::ParticleSystemManager::getSingleton()._initialise();
  Ogre::ArchiveManager::getSingleton().addArchiveFactory(new Ogre::PakArchiveFactory());
  AddResourceLocations("resources.cfg");
  Ogre::MaterialManager::getSingleton().initialise();
  Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();
}

int Fail(const std::string& text) {
  std::cerr << "mapedit: " << text << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Fail("usage: mapedit MAP_FILE STROKES OUTPUT_FOLDER");
  namespace fs = std::filesystem;
  const fs::path mapFile = argv[1], output = argv[3];
  std::ifstream script(argv[2]);
  if (!script) return Fail(std::string("cannot read the strokes ") + argv[2]);
  if (!fs::is_directory(output)) return Fail("no folder " + output.string());
  try {
    StartEngine();
    Ogre::SceneManager* scene = Ogre::Root::getSingleton().createSceneManager();
    new CGACollisionManager(scene);
    auto* terrain = new CGATerrainManager(scene, true);
    const fs::path folder = mapFile.has_parent_path() ? mapFile.parent_path() : fs::path(".");
    terrain->SetFileOpener(CGAMapReader::OpenFromFolder(folder.string()));
    if (!terrain->LoadMap(mapFile.filename().string(), 16)) return Fail("cannot load the map " + mapFile.string());
    std::string error;
    if (!RunStrokes(*terrain, script, error)) return Fail(std::string(argv[2]) + " " + error + "; nothing saved");
    terrain->SetSaveFolder(output.string() + "/");
    terrain->SaveMap();
    const std::string statics = terrain->GetMapData().StaticList;
    if (!statics.empty() && fs::exists(folder / statics) && !fs::exists(output / statics))
      fs::copy_file(folder / statics, output / statics);
    std::cout << "mapedit: " << (output / (terrain->GetMapName() + ".map")).string() << " written\n";
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  return 0;
}
