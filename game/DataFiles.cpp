#include "game/DataFiles.h"

#include "game/GameLog.h"
#include "game/Parse.h"

#include <OgreConfigFile.h>
#include <OgreException.h>
#include <OgreResourceGroupManager.h>
#include <tinyxml.h>

void AddResourceLocations(const std::string& configFile) {
  Ogre::ConfigFile resources;
  resources.load(configFile, "\t:=", true);
  for (const auto& section : resources.getSettingsBySection())
    for (const auto& setting : section.second)
      Ogre::ResourceGroupManager::getSingleton().addResourceLocation(setting.second, setting.first, section.first);
}

Ogre::DataStreamPtr OpenDataFile(const std::string& name) {
  Ogre::ResourceGroupManager* groups = Ogre::ResourceGroupManager::getSingletonPtr();
  if (!groups || name.empty()) return Ogre::DataStreamPtr();
  try {
    if (groups->resourceExists(Ogre::RGN_DEFAULT, name)) return groups->openResource(name, Ogre::RGN_DEFAULT);
    if (groups->resourceExistsInAnyGroup(name))
      return groups->openResource(name, groups->findGroupContainingResource(name));
  } catch (const Ogre::Exception& e) {
    GameLog(name + ": cannot be opened: " + e.getDescription());
  }
  return Ogre::DataStreamPtr();
}

bool ReadResourceText(const std::string& name, std::string& text) {
  Ogre::DataStreamPtr stream = OpenDataFile(name);
  if (!stream) return false;
  text = stream->getAsString();
  return true;
}

bool ParseDataXml(TiXmlDocument& doc, const std::string& text, const std::string& fileName) {
  doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
  if (!doc.Error()) return true;
  GameLog(fileName + ":" + std::to_string(doc.ErrorRow()) + ": not read: " + doc.ErrorDesc());
  return false;
}

std::string XmlAttr(const TiXmlElement* element, const char* name) {
  const char* value = element->Attribute(name);
  return value ? value : "";
}

std::string XmlWhere(const std::string& fileName, const TiXmlNode* node) {
  return fileName + ":" + std::to_string(node->Row()) + ": ";
}

std::string RequiredText(const TiXmlElement* element, const char* name, const std::string& fileName,
                         const std::string& fallback) {
  if (const char* value = element->Attribute(name)) return value;
  GameLog(XmlWhere(fileName, element) + "<" + element->ValueStr() + "> lacks the attribute \"" + name + "\"; using \"" +
          fallback + "\"");
  return fallback;
}

int RequiredInt(const TiXmlElement* element, const char* name, const std::string& fileName, int fallback) {
  if (const char* value = element->Attribute(name)) return ParseInt(value);
  GameLog(XmlWhere(fileName, element) + "<" + element->ValueStr() + "> lacks the attribute \"" + name + "\"; using " +
          std::to_string(fallback));
  return fallback;
}

const TiXmlElement* RequiredChild(const TiXmlElement* element, const char* name, const std::string& fileName) {
  const TiXmlElement* child = element->FirstChildElement(name);
  if (!child) GameLog(XmlWhere(fileName, element) + "<" + element->ValueStr() + "> lacks <" + name + ">");
  return child;
}
