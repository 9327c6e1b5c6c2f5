#include "game/DataFiles.h"

#include "game/GameLog.h"
#include "game/Parse.h"

#include <OgreConfigFile.h>
#include <OgreException.h>
#include <OgreResourceGroupManager.h>
#include <OgreStringConverter.h>
#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// What the XML library takes for the first character of an element name
// (reading bytes as they stand, it counts every byte from 127 up as a letter).
bool StartsElementName(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 127;
}

bool IsXmlBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

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

// The scan skips no more than the XML library does, so it never counts less
// than the library would nest.
size_t XmlNestingDepth(const std::string& text) {
  size_t depth = 0, deepest = 0, at = 0;
  const auto skipPast = [&text, &at](const char* end, size_t from) {
    const size_t found = text.find(end, from);
    at = found == std::string::npos ? text.size() : found + std::strlen(end);
  };
  while ((at = text.find('<', at)) != std::string::npos) {
    if (text.compare(at, 4, "<!--") == 0) {
      skipPast("-->", at + 4);
    } else if (text.compare(at, 9, "<![CDATA[") == 0) {
      skipPast("]]>", at + 9);
    } else if (text.compare(at, 2, "</") == 0) {
      if (depth > 0) --depth;
      skipPast(">", at + 2);
    } else if (at + 1 < text.size() && StartsElementName(static_cast<unsigned char>(text[at + 1]))) {
      // A start tag ends at the first '>' outside a quoted value; a quote
      // opens a value only right after '=' and blanks.
      bool valueNext = false;
      char last = 0;
      size_t i = at + 1;
      for (; i < text.size() && text[i] != '>'; ++i) {
        const char c = text[i];
        if (valueNext && (c == '"' || c == '\'')) {
          i = std::min(text.find(c, i + 1), text.size() - 1);
          valueNext = false;
        } else if (c == '=') {
          valueNext = true;
        } else if (!IsXmlBlank(c)) {
          valueNext = false;
        }
        last = text[i];
      }
      if (i >= text.size()) break;
      if (last != '/') deepest = std::max(deepest, ++depth);
      at = i + 1;
    } else {
      skipPast(">", at + 1);  // a declaration, a document type or anything else the library skips
    }
  }
  return deepest;
}

bool CheckXmlDepth(const std::string& text, const std::string& fileName) {
  if (XmlNestingDepth(text) <= kMaxXmlDepth) return true;
  GameLog(fileName + ": not read: its elements nest deeper than " + std::to_string(kMaxXmlDepth) + " levels");
  return false;
}

bool ParseDataXml(TiXmlDocument& doc, const std::string& text, const std::string& fileName) {
  if (!CheckXmlDepth(text, fileName)) return false;
  // An editor may put a UTF-8 byte-order mark in front; the texts stay GBK
  // bytes all the same, so the mark is skipped rather than obeyed.
  const bool byteOrderMark = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
  doc.Parse(text.c_str() + (byteOrderMark ? 3 : 0), nullptr, TIXML_ENCODING_LEGACY);
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

TextPlace XmlPlace(const std::string& fileName, const TiXmlNode* node, const char* name) {
  return TextPlace{&fileName, node->Row(), name};
}

int XmlInt(const TiXmlElement* element, const char* name, const std::string& fileName, int fallback) {
  return ParseInt(XmlAttr(element, name), fallback, XmlPlace(fileName, element, name));
}

float XmlReal(const TiXmlElement* element, const char* name, const std::string& fileName, float fallback) {
  return ParseReal(XmlAttr(element, name), fallback, XmlPlace(fileName, element, name));
}

Ogre::Vector2 XmlVector2(const TiXmlElement* element, const char* name, const std::string& fileName) {
  return ParseVector2(XmlAttr(element, name), XmlPlace(fileName, element, name));
}

Ogre::Vector3 XmlVector3(const TiXmlElement* element, const char* name, const std::string& fileName) {
  return ParseVector3(XmlAttr(element, name), XmlPlace(fileName, element, name));
}

namespace {

// The attribute's text, or null with a log line that names what is used
// instead.
const char* RequiredAttribute(const TiXmlElement* element, const char* name, const std::string& fileName,
                              const std::string& used) {
  const char* value = element->Attribute(name);
  if (!value)
    GameLog(XmlWhere(fileName, element) + "<" + element->ValueStr() + "> lacks the attribute \"" + name + "\"; using " +
            used);
  return value;
}

}  // namespace

std::string RequiredText(const TiXmlElement* element, const char* name, const std::string& fileName,
                         const std::string& fallback) {
  const char* value = RequiredAttribute(element, name, fileName, "\"" + fallback + "\"");
  return value ? value : fallback;
}

int RequiredInt(const TiXmlElement* element, const char* name, const std::string& fileName, int fallback) {
  const char* value = RequiredAttribute(element, name, fileName, std::to_string(fallback));
  return value ? ParseInt(value, fallback, XmlPlace(fileName, element, name)) : fallback;
}

float RequiredReal(const TiXmlElement* element, const char* name, const std::string& fileName, float fallback) {
  const char* value = RequiredAttribute(element, name, fileName, Ogre::StringConverter::toString(fallback));
  return value ? ParseReal(value, fallback, XmlPlace(fileName, element, name)) : fallback;
}

Ogre::Vector3 RequiredVector3(const TiXmlElement* element, const char* name, const std::string& fileName,
                              const Ogre::Vector3& fallback) {
  const char* value = RequiredAttribute(element, name, fileName, Ogre::StringConverter::toString(fallback));
  return value ? ParseVector3(value, XmlPlace(fileName, element, name)) : fallback;
}

Ogre::ColourValue RequiredColour(const TiXmlElement* element, const char* name, const std::string& fileName,
                                 const Ogre::ColourValue& fallback) {
  const char* value = RequiredAttribute(element, name, fileName, Ogre::StringConverter::toString(fallback));
  return value ? ParseColourValue(value, XmlPlace(fileName, element, name)) : fallback;
}

const TiXmlElement* RequiredChild(const TiXmlElement* element, const char* name, const std::string& fileName) {
  const TiXmlElement* child = element->FirstChildElement(name);
  if (!child) GameLog(XmlWhere(fileName, element) + "<" + element->ValueStr() + "> lacks <" + name + ">");
  return child;
}
