// Part definition files, and how many bones a part mesh's vertices take.
#include "units/UnitManager.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "units/UnitPartDef.h"

#include <OgreException.h>
#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubMesh.h>
#include <tinyxml.h>

#include <algorithm>
#include <map>

void CGAUnitManager::LoadPartFiles(const std::string& group) {
  Ogre::StringVectorPtr files = Ogre::ResourceGroupManager::getSingleton().listResourceNames(group, false);
  for (const std::string& file : *files) LoadPartFile(file);
}

void CGAUnitManager::LoadPartFile(const std::string& file) { ReadPartFile(file, nullptr); }

void CGAUnitManager::LoadMainPartFile(const std::string& file) { ReadPartFile(file, "Main"); }

// The Part children of the document's first element, or of its first element
// of that name.
void CGAUnitManager::ReadPartFile(const std::string& file, const char* rootName) {
  std::string text;
  if (!ReadResourceText(file, text)) {
    GameLog(file + ": not found; no parts read");
    return;
  }
  TiXmlDocument document;
  if (!ParseDataXml(document, text, file)) return;
  const TiXmlElement* root = rootName ? document.FirstChildElement(rootName) : document.FirstChildElement();
  if (!root) {
    GameLog(file + ": no " + (rootName ? std::string(rootName) + " element" : "root element") + "; no parts read");
    return;
  }
  for (const TiXmlElement* part = root->FirstChildElement("Part"); part; part = part->NextSiblingElement("Part"))
    ParsePartDef(part, file);
}

void CGAUnitManager::ParsePartDef(const TiXmlElement* element, const std::string& file) {
  mPartDefs[XmlAttr(element, "PartName")] = ParsePart(element, file, false);
}

int CGAUnitManager::GetMaxBoneAssignment(const std::string& meshName) {
  const char* const group = "General";
  if (meshName.empty() || !Ogre::ResourceGroupManager::getSingleton().resourceExists(group, meshName)) return 0;
  Ogre::MeshPtr mesh;
  try {
    mesh = Ogre::MeshManager::getSingleton().load(meshName, group);
  } catch (const Ogre::Exception& e) {
    GameLog("mesh " + meshName + " cannot be loaded: " + e.getDescription());
    return 0;
  }
  size_t most = 0;
  for (Ogre::SubMesh* sub : mesh->getSubMeshes()) {
    std::map<size_t, size_t> perVertex;
    for (const auto& assignment : sub->getBoneAssignments())
      most = std::max(most, ++perVertex[assignment.second.vertexIndex]);
  }
  return most > 4 ? 0 : static_cast<int>(most);
}
