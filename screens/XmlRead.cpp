#include "screens/XmlRead.h"

#include "game/GameLog.h"
#include "game/Parse.h"

#include <tinyxml.h>

bool ParseDataXml(TiXmlDocument& doc, const std::string& text, const std::string& fileName) {
  // Legacy encoding: bytes are taken one by one, so GBK texts pass unchanged
  // (read as UTF-8, a GBK lead byte could swallow the closing quote).
  doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
  if (!doc.Error()) return true;
  GameLog(fileName + ":" + std::to_string(doc.ErrorRow()) + ": not read: " + doc.ErrorDesc());
  return false;
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
