#pragma once
// Small helpers of the unit data readers.
#include <tinyxml.h>

#include <string>

// An attribute's text, empty when absent.
inline std::string XmlAttr(const TiXmlElement* e, const char* name) {
  const char* value = e->Attribute(name);
  return value ? value : "";
}

// "file:line: ", the start of a log line about a node.
inline std::string XmlWhere(const std::string& file, const TiXmlNode* node) {
  return file + ":" + std::to_string(node->Row()) + ": ";
}
