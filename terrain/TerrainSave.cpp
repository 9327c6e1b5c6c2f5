// The map writer: the live map back into its document and side files.
#include "terrain/TerrainManager.h"

#include "game/Camera.h"
#include "game/GameLog.h"
#include "platform/Paths.h"
#include "terrain/ImageWriter.h"
#include "terrain/MapWorld.h"
#include "terrain/TerrainTile.h"
#include "terrain/TerrainWater.h"
#include "vegetation/TreeLoader2D.h"

#include <OgreCamera.h>
#include <OgreEntity.h>
#include <OgreLight.h>
#include <OgreMesh.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreStringConverter.h>

namespace {

using Ogre::StringConverter;

// The named child of scene, made when missing, emptied of its children.
TiXmlElement* Refill(TiXmlElement* scene, const char* name) {
  TiXmlElement* element = scene->FirstChildElement(name);
  if (!element) element = scene->LinkEndChild(new TiXmlElement(name))->ToElement();
  element->Clear();
  return element;
}

TiXmlElement* FindOrAdd(TiXmlElement* parent, const char* name) {
  TiXmlElement* element = parent->FirstChildElement(name);
  return element ? element : parent->LinkEndChild(new TiXmlElement(name))->ToElement();
}

TiXmlElement* AddChild(TiXmlElement* parent, const char* name) {
  return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
}

void SetPlacement(TiXmlElement* e, const Ogre::Vector3& position, const Ogre::Vector3& scale,
                  const Ogre::Quaternion& orientation) {
  e->SetAttribute("Position", StringConverter::toString(position));
  e->SetAttribute("Scale", StringConverter::toString(scale));
  e->SetAttribute("Quaternion", StringConverter::toString(orientation));
}

std::string Bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

}  // namespace

bool CGATerrainManager::SaveMap() {
  TiXmlElement* scene = mMap.Document ? mMap.Document->FirstChildElement("Scene") : nullptr;
  if (!scene) return false;
  // Side files are named bare in the document; the resource groups find them.
  auto writeSide = [this](TiXmlElement* element, const char* attribute, const std::string& suffix,
                          const std::string& bytes) {
    const std::string name = mMap.Name + suffix;
    element->SetAttribute(attribute, name);
    const std::string path = platform::NativePath(mSaveFolder + name);
    if (!platform::WriteFileAtomically(path, bytes))
      GameLog("Map writer: cannot write " + path + ": " + platform::LastErrorText());
  };

  // Statics still waiting for their mesh are saved as well as made ones.
  TiXmlElement* statics = Refill(scene, "StaticObjects");
  for (const auto& [name, record] : mStatics) {
    TiXmlElement* e = AddChild(statics, "Object");
    e->SetAttribute("Name", record.TypeName);
    SetPlacement(e, record.Node->getPosition(), record.Node->getScale(), record.Node->getOrientation());
  }
  for (const std::vector<PendingStatic>& bucket : mBuckets) {
    for (const PendingStatic& p : bucket) {
      TiXmlElement* e = AddChild(statics, "Object");
      e->SetAttribute("Name", p.TypeName);
      SetPlacement(e, p.Position, p.Scale, p.Orientation);
    }
  }
  TiXmlElement* builds = Refill(scene, "BuildObjects");
  for (const auto& [name, record] : mBuildObjects) {
    TiXmlElement* e = AddChild(builds, "Object");
    e->SetAttribute("Mesh", record.Entity->getMesh()->getName());
    SetPlacement(e, record.Node->getPosition(), record.Node->getScale(), record.Node->getOrientation());
    e->SetAttribute("Render", 1);
  }
  // Scene effects the effect manager has ended already are left out.
  TiXmlElement* effects = Refill(scene, "SceneEffect");
  for (const std::string& node : mSceneEffects) {
    SceneEffectPlacement effect;
    if (!mWorld || !mWorld->FindSceneEffect(node, effect)) continue;
    TiXmlElement* e = AddChild(effects, "Effect");
    e->SetAttribute("Name", effect.EffectName);
    SetPlacement(e, effect.Position, effect.Scale, effect.Orientation);
  }
  TiXmlElement* lights = Refill(scene, "Lights");
  for (const auto& [name, light] : mPointLights) {
    TiXmlElement* e = AddChild(lights, "Light");
    e->SetAttribute("Name", name);
    e->SetAttribute("Position", StringConverter::toString(light->getParentSceneNode()->getPosition()));
    e->SetAttribute("Colour", StringConverter::toString(light->getDiffuseColour()));
    e->SetAttribute("Range", StringConverter::toString(light->getAttenuationRange()));
    e->SetAttribute("Constant", StringConverter::toString(light->getAttenuationConstant()));
    e->SetAttribute("Linear", StringConverter::toString(light->getAttenuationLinear()));
    e->SetAttribute("Quadratic", StringConverter::toString(light->getAttenuationQuadric()));
  }
  if (mSceneManager) {
    FindOrAdd(scene, "Ambient")->SetAttribute("Color", StringConverter::toString(mSceneManager->getAmbientLight()));
    TiXmlElement* fog = FindOrAdd(scene, "Fog");
    fog->SetAttribute("Mode", int(mSceneManager->getFogMode()));
    fog->SetAttribute("Color", StringConverter::toString(mSceneManager->getFogColour()));
    fog->SetAttribute("Start", StringConverter::toString(mSceneManager->getFogStart()));
    fog->SetAttribute("End", StringConverter::toString(mSceneManager->getFogEnd()));
    fog->SetAttribute("Density", StringConverter::toString(mSceneManager->getFogDensity()));
  }
  if (mMainLight) {
    TiXmlElement* sun = FindOrAdd(scene, "DirectionLight");
    sun->SetAttribute("Color", StringConverter::toString(mMainLight->getDiffuseColour()));
    sun->SetAttribute("Direction", StringConverter::toString(mMainLight->getDerivedDirection()));
  }
  if (!mMap.Obstacles.empty()) writeSide(scene, "ObstacleData", "_obstacle.dat", Bytes(mMap.Obstacles.data(), mMap.Obstacles.size()));
  if (!mMap.Logic.empty()) writeSide(scene, "LogicData", "_logic.dat", Bytes(mMap.Logic.data(), mMap.Logic.size()));

  CGATerrainMaterial* material = mMap.Material.get();
  TiXmlElement* terrain = scene->FirstChildElement("Terrain");
  if (material && !mMap.Heights.empty() && terrain) {
    writeSide(terrain, "PaintData", "_paint.dat", Bytes(material->GetPaintBuffer(), material->GetPaintBufferSize()));
    std::string heights;
    heights.reserve(mMap.Heights.size() * 4);
    for (uint32_t v : mMap.Heights)
      for (int b = 0; b < 4; ++b) heights += char((v >> (8 * b)) & 0xff);  // little-endian
    writeSide(terrain, "HeightData", "_height.dat", heights);
    if (const CGATerrainWater* water = CGATerrainWater::getSingletonPtr())
      terrain->SetAttribute("WaterHeight", StringConverter::toString(water->GetWaterHeight()));
    auto png = [](const CGACoverageMap& map) {
      return EncodePng(map.GetWidth(), map.GetHeight(), map.GetChannelCode(),
                       std::vector<uint8_t>(map.GetData(), map.GetData() + map.GetSize()));
    };
    if (mMap.LightMap) writeSide(terrain, "LightMap", "_Light.png", png(*mMap.LightMap));
    if (mMap.ColourMap) writeSide(terrain, "ColourMap", "_Colour.png", png(*mMap.ColourMap));
    const CGACoverageMap& blend = *material->GetBlendMap();
    writeSide(terrain, "BlendMap", "_Blend.tga",
              EncodeTga(blend.GetWidth(), blend.GetHeight(),
                        std::vector<uint8_t>(blend.GetData(), blend.GetData() + blend.GetSize())));

    TiXmlElement* tiles = Refill(scene, "TileTextures");
    for (const CGATerrainTile* tile : mTiles) {
      int l[4] = {0, 0, 0, 0};
      material->GetTileLayers(tile->GetIndex(), l[0], l[1], l[2], l[3]);
      TiXmlElement* e = AddChild(tiles, "Tile");
      e->SetAttribute("ID", int(tile->GetIndex()));
      for (int k = 0; k < 4; ++k) e->SetAttribute("Layer_" + std::to_string(k), l[k]);
    }
    if (TiXmlElement* grass = scene->FirstChildElement("Grass"); grass && mGrassLoader) {
      TiXmlElement* records = Refill(grass, "Records");
      for (Verdure::TreeIterator it = mGrassLoader->getTrees(); it.hasMoreElements();) {
        const Verdure::TreeRecord tree = it.getNext();
        TiXmlElement* e = AddChild(records, "Record");
        e->SetAttribute("id", GetGrassKindIndex(tree.getEntity()));
        e->SetAttribute("position", StringConverter::toString(tree.getPosition()));
        e->SetAttribute("yaw", StringConverter::toString(tree.getYaw().valueDegrees()));
        e->SetAttribute("scale", StringConverter::toString(tree.getScale()));
      }
    }
  }

  if (const CGACamera* camera = CGACamera::getSingletonPtr()) {
    scene->SetAttribute("cam_position", StringConverter::toString(camera->GetCamera()->getDerivedPosition()));
    scene->SetAttribute("cam_direction", StringConverter::toString(camera->GetCamera()->getDerivedDirection()));
  }
  TiXmlElement* info = FindOrAdd(scene, "MapInfo");
  info->SetAttribute("name", mInfoName);
  info->SetAttribute("position", mInfoPosition);
  info->SetAttribute("intro", mInfoIntro);
  TiXmlElement* compositor = FindOrAdd(scene, "FantasyCompositor");
  compositor->SetAttribute("lum", StringConverter::toString(mLum));
  compositor->SetAttribute("contrast", StringConverter::toString(mContrast));
  compositor->SetAttribute("soft", StringConverter::toString(mSoft));
  compositor->SetAttribute("black", StringConverter::toString(mBlack));
  TiXmlPrinter printer;
  mMap.Document->Accept(&printer);
  const std::string path = platform::NativePath(mSaveFolder + mMap.Name + ".map");
  if (!platform::WriteFileAtomically(path, printer.Str()))
    GameLog("Map writer: cannot write " + path + ": " + platform::LastErrorText());
  return true;
}
