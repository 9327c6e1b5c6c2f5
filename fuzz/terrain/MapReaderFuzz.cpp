// A map of any bytes: the scene description, its static list and its side
// files come from one input, split at each "\n--\n". Loading it into a
// headless scene (the engine without a render system, as the level-2 tests
// run it) never crashes, hangs or reads astray: statics, collision, lights,
// water, tiles and grass are built from it. A refused map leaves the previous
// one in place; the loaded map answers its queries and finds paths.
#include "FuzzSupport.h"
#include "terrain/CollisionManager.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainManager.h"
#include "terrain/TerrainMaterial.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// The file names the seeds' maps use, in the order of the input's parts.
const char* const kFiles[] = {"m.map", "s.xml", "o.dat", "l.dat", "h.dat", "p.dat", "light.png", "blend.tga"};

std::vector<std::string> Split(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string mark = "\n--\n";
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t next; (next = input.find(mark, at)) != std::string::npos; at = next + mark.size())
    parts.push_back(input.substr(at, next - at));
  parts.push_back(input.substr(at));
  return parts;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// "tree.mesh", the static the seeds place: a 2 x 3 x 2 box whose top is
// walkable ground (a sub-mesh whose material ends in "collide").
void MakeTreeMesh(Ogre::SceneManager* scene) {
  Ogre::ManualObject* object = scene->createManualObject();
  object->begin("BaseWhite", Ogre::RenderOperation::OT_TRIANGLE_LIST, "General");
  for (int i = 0; i < 8; ++i) object->position(i & 1 ? 1 : -1, i & 2 ? 3 : 0, i & 4 ? 1 : -1);
  const int faces[6][4] = {{2, 6, 7, 3}, {0, 1, 5, 4}, {1, 3, 7, 5}, {0, 4, 6, 2}, {4, 5, 7, 6}, {0, 2, 3, 1}};
  for (const auto& f : faces) object->quad(f[0], f[1], f[2], f[3]);
  object->end();
  Ogre::MaterialManager::getSingleton().create("tree_collide", "General");
  object->begin("tree_collide", Ogre::RenderOperation::OT_TRIANGLE_LIST, "General");
  for (int i = 0; i < 4; ++i) object->position(i & 1 ? 1 : -1, 3, i & 2 ? 1 : -1);
  object->quad(0, 2, 3, 1);
  object->end();
  object->convertToMesh("tree.mesh", "General");
  scene->destroyManualObject(object);
}

// The engine without a render system, with the game's terrain materials and
// shaders (as names), its image codecs and one scene: made once.
Ogre::SceneManager* HeadlessScene() {
  static Ogre::SceneManager* scene = [] {
    QuietEngineLog();
    auto* root = new Ogre::Root("", "", "");
    new Ogre::DefaultHardwareBufferManager();
    new Ogre::DefaultTextureManager();
    if (!Ogre::GpuProgramManager::getSingletonPtr()) new Ogre::GpuProgramManager();
    root->loadPlugin(YVEK_OGRE_PLUGIN_DIR "/Codec_STBI");
    Ogre::MaterialManager::getSingleton().initialise();
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    groups.addResourceLocation(YVEK_DATA_DIR "/general", "FileSystem", "General");
    groups.initialiseResourceGroup("General");
    Ogre::SceneManager* made = root->createSceneManager();
    Ogre::Camera* camera = made->createCamera("maincam");
    made->getRootSceneNode()->createChildSceneNode()->attachObject(camera);
    MakeTreeMesh(made);
    new CGACollisionManager(made);
    return made;
  }();
  return scene;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Ogre::SceneManager* scene = HeadlessScene();
  std::vector<std::string> parts = Split(data, size);
  std::map<std::string, std::string> files;
  for (size_t i = 0; i < parts.size() && i < sizeof kFiles / sizeof *kFiles; ++i) files[kFiles[i]] = parts[i];

  // One terrain for the run, as in the game; each input loads its map's
  // data into it.
  static CGATerrainManager& terrain = *new CGATerrainManager(scene, false);
  terrain.SetFileOpener([&files](const std::string& name) -> Ogre::DataStreamPtr {
    auto it = files.find(name);
    if (it == files.end()) return Ogre::DataStreamPtr();
    return Ogre::DataStreamPtr(new Ogre::MemoryDataStream(const_cast<char*>(it->second.data()), it->second.size()));
  });
  // A map in place before: a refused map must leave it as it was.
  CGAMapData before;
  std::string error;
  Check(CGAMapReader::SetLayout(before, 16, 16, 16, 1, 1, error));
  before.Obstacles[5] = CGATerrainManager::kBlockedCell;
  Check(terrain.InstallMap(std::move(before)));

  if (!terrain.LoadMap("m.map", 16)) {
    Check(terrain.GetWorldSizeX() == 16 && terrain.GetObstacle(5, 0) == CGATerrainManager::kBlockedCell);
    terrain.ClearMap();
    return 0;
  }
  terrain.LoadPendingStatics();
  const float sizeX = terrain.GetWorldSizeX(), sizeZ = terrain.GetWorldSizeZ();
  Check(sizeX >= 16 && sizeX <= CGAMapReader::kMaxCells && sizeZ >= 16 && sizeZ <= CGAMapReader::kMaxCells);

  for (float x : {-1e30f, -3.5f, 0.0f, 7.25f, sizeX - 0.5f, sizeX * 3, 1e30f}) {
    Check(std::isfinite(terrain.GetHeight(x, x * 0.5f)));
    terrain.GetNormalAt(x, sizeZ - x);
    terrain.GetLogic(unsigned(int(x > 0 && x < 1e9f ? x : -1)), 3);
  }
  for (unsigned v : {0u, 1u, 15u, 16u, unsigned(-1)}) {
    terrain.GetColourMapColour(v, v);
    terrain.GetLightColour(v, 0);
    if (CGATerrainMaterial* material = terrain.GetMaterial()) {
      material->GetPaintByte(int(v), int(v), 1);
      material->GetCellLayerList(int(v), 3);
      // The cells the tiles would draw: atlas cells and pruned layers, from
      // stored variants, read inside the paint whatever its size.
      material->SetUseStoredVariants(true);
      for (const TerrainLayerEntry& e : material->GetCellLayers(int(v), int(v) / 2)) {
        TerrainLayerEntry info;
        material->GetLayerInfo(int(v), int(v) / 2, e.LayerId, info);
        Check(info.AtlasIndex >= 0 && info.AtlasIndex <= CGATerrainMaterial::kLastVariant);
      }
      material->SetUseStoredVariants(false);
    }
  }
  terrain.PickGround(Ogre::Ray(Ogre::Vector3(sizeX * 0.3f, 100, -10), Ogre::Vector3(0.2f, -1, 0.7f).normalisedCopy()));

  CGAPathFinder* finder = terrain.GetPathFinder();
  Check(finder != nullptr);
  const std::vector<Ogre::Vector2> path =
      finder->FindPath(Ogre::Vector2(0.5f, 0.5f), Ogre::Vector2(sizeX - 1, sizeZ - 1), 200);
  Check(!path.empty() && path.front() == Ogre::Vector2(0, 0));
  // The collision grid over the whole map, as the see-through fading asks.
  CGACollisionManager::getSingleton().GetObjectsInRect(Ogre::Vector3(-1e30f, 0, -1e30f),
                                                       Ogre::Vector3(1e30f, 0, 1e30f), 1);
  Ogre::Vector3 ground(sizeX * 0.5f, 0, sizeZ * 0.5f);
  terrain.GetGroundHeight(ground, true);
  terrain.ClearMap();
  Check(terrain.GetPathFinder() == nullptr && terrain.GetHeight(1, 1) == 0.0f);
  Check(terrain.GetStatics().empty() && terrain.GetPointLights().empty());
  return 0;
}
