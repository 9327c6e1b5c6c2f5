#include "terrain/TerrainManager.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"
#include "platform/Paths.h"
#include "terrain/PathFinder.h"

#include <OgreImage.h>
#include <OgreMaterialManager.h>
#include <OgreRenderQueue.h>
#include <OgreSceneManager.h>

template <> CGATerrainManager* Ogre::Singleton<CGATerrainManager>::msSingleton = nullptr;

namespace {

// Render queues whose objects neither cast nor receive shadows.
const Ogre::uint8 kQueuesWithoutShadows[] = {40, 55, 60, 65, 70, 75};
const char* const kEditorConfig = "./editconfig.xml";
constexpr int kBrushSizes = 16;

}  // namespace

CGATerrainManager::CGATerrainManager(Ogre::SceneManager* sceneManager, bool editorMode)
    : mSceneManager(sceneManager), mEditorMode(editorMode), mOpener(&CGAMapReader::OpenFromResources) {
  if (auto* materials = Ogre::MaterialManager::getSingletonPtr()) mUnitMaterial = materials->getByName("unit_build");
  if (mSceneManager) {
    mSceneManager->setShadowColour(Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f));
    for (Ogre::uint8 queue : kQueuesWithoutShadows)
      mSceneManager->getRenderQueue()->getQueueGroup(queue)->setShadowsEnabled(false);
  }
  if (mEditorMode) ReadEditorConfig();
}

void CGATerrainManager::ReadEditorConfig() {
  TiXmlDocument config;
  std::string text;
  if (!platform::ReadWholeFile(kEditorConfig, text) || !ParseDataXml(config, text, kEditorConfig)) {
    GameLog(std::string("Editor configuration ") + kEditorConfig + ": cannot be read; no logic colours");
  } else if (const TiXmlElement* root = config.FirstChildElement("TerrainEditConfig")) {
    for (const TiXmlElement* e = root->FirstChildElement("LogicColour"); e; e = e->NextSiblingElement("LogicColour")) {
      const char* id = e->Attribute("ID");
      const char* colour = e->Attribute("Colour");
      if (id && colour)
        mLogicColours[uint8_t(ParseUInt(id, 0, XmlPlace(kEditorConfig, e, "ID")) & 0xff)] =
            ParseColourValue(colour, XmlPlace(kEditorConfig, e, "Colour"));
    }
  } else {
    GameLog(std::string("Editor configuration ") + kEditorConfig + ": no \"TerrainEditConfig\" element");
  }
  // Brush k is (2k + 1) pixels square.
  for (auto* brushes : {&mRoundBrushes, &mSquareBrushes}) {
    const char* file = brushes == &mRoundBrushes ? "brush.png" : "rect_brush.png";
    brushes->resize(kBrushSizes);
    for (int k = 0; k < kBrushSizes; ++k) {
      Ogre::Image& brush = (*brushes)[size_t(k)];
      brush.load(file, "Main");
      brush.resize(Ogre::ushort(2 * k + 1), Ogre::ushort(2 * k + 1), Ogre::Image::FILTER_BILINEAR);
    }
  }
  mActiveBrushes = &mRoundBrushes;
}

bool CGATerrainManager::LoadMapData(const std::string& fileName, unsigned cellsPerTile) {
  CGAMapData map;
  CGAMapReader reader(mOpener);
  return reader.Read(fileName, cellsPerTile, map) && InstallMap(std::move(map));
}

bool CGATerrainManager::Fits(const CGAMapData& map) const {
  const size_t cells = size_t(map.WorldSizeX()) * map.WorldSizeZ();
  const size_t vertices = size_t(map.GridSizeX()) * map.GridSizeZ();
  const bool fits = cells > 0 && map.Obstacles.size() == cells && map.Logic.size() == cells &&
                    (map.Heights.empty() || map.Heights.size() == vertices);
  if (!fits) GameLog("Map " + map.FileName + " refused: its grids do not match its extents");
  return fits;
}

bool CGATerrainManager::InstallMap(CGAMapData&& map) {
  if (!Fits(map)) return false;
  mPathFinder.reset();
  mMap = std::move(map);
  if (mMap.HasMapInfo) SetMapInfo(mMap.InfoName, mMap.InfoPosition, mMap.InfoIntro);
  if (mMap.HasCompositor) SetFantasyCompositor(mMap.Lum, mMap.Contrast, mMap.Soft, mMap.Black);
  mPathFinder = std::make_unique<CGAPathFinder>(this, mSceneManager);
  if (!mMap.StaticList.empty()) LoadStaticList(mMap.StaticList);
  return true;
}

void CGATerrainManager::ClearMapData() {
  // The layout and the parsed document stay: the grid-size queries still
  // answer for the last map, and the map writer works from the document.
  mPathFinder.reset();
  CGAMapData kept;
  kept.FileName = mMap.FileName;
  kept.Name = mMap.Name;
  kept.Width = mMap.Width;
  kept.Height = mMap.Height;
  kept.Step = mMap.Step;
  kept.Scale = mMap.Scale;
  kept.CellsPerTile = mMap.CellsPerTile;
  kept.TileCountX = mMap.TileCountX;
  kept.TileCountZ = mMap.TileCountZ;
  kept.StaticList = mMap.StaticList;
  kept.Document = std::move(mMap.Document);
  mMap = std::move(kept);
}

void CGATerrainManager::LoadStaticList(const std::string& fileName) {
  const std::string where = "Static list " + fileName;
  Ogre::DataStreamPtr stream = mOpener ? mOpener(fileName) : Ogre::DataStreamPtr();
  if (!stream) {
    GameLog(where + ": not found; no static types added");
    return;
  }
  TiXmlDocument document;
  const bool parsed = ParseDataXml(document, stream->getAsString(), where);
  stream->close();
  if (!parsed) return;
  const TiXmlElement* list = document.FirstChildElement("Static");
  if (!list) {
    GameLog(where + ": no \"Static\" element");
    return;
  }
  for (const TiXmlElement* e = list->FirstChildElement("Object"); e; e = e->NextSiblingElement("Object")) {
    const char* name = e->Attribute("Name");
    const char* mesh = e->Attribute("Mesh");
    if (!name || !mesh) {
      GameLog(where + " line " + std::to_string(e->Row()) + ": \"Object\" without \"Name\" or \"Mesh\"; skipped");
      continue;
    }
    if (mStaticTypes.count(name)) continue;
    StaticType type;
    type.Mesh = mesh;
    if (e->Attribute("Scale")) type.Scale = XmlVector3(e, "Scale", fileName);
    if (const char* flash = e->Attribute("Flash")) type.Flash = flash;
    mStaticTypes.emplace(name, type);
  }
}

bool CGATerrainManager::FindStaticType(const std::string& name, StaticType& type) const {
  auto it = mStaticTypes.find(name);
  if (it == mStaticTypes.end()) return false;
  type = it->second;
  return true;
}

void CGATerrainManager::SetMapInfo(const std::string& name, const std::string& position, const std::string& intro) {
  mInfoName = name;
  mInfoPosition = position;
  mInfoIntro = intro;
}

void CGATerrainManager::GetMapInfo(std::string& name, std::string& position, std::string& intro) const {
  name = mInfoName;
  position = mInfoPosition;
  intro = mInfoIntro;
}

void CGATerrainManager::SetFantasyCompositor(float lum, float contrast, float soft, float black) {
  mLum = lum;
  mContrast = contrast;
  mSoft = soft;
  mBlack = black;
}

void CGATerrainManager::GetFantasyCompositor(float& lum, float& contrast, float& soft, float& black,
                                             bool& enabled) const {
  lum = mLum;
  contrast = mContrast;
  soft = mSoft;
  black = mBlack;
  enabled = mCompositorEnabled;
}
