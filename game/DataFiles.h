#pragma once
// Reading the game's data files: found through the engine's resource groups,
// XML whose texts are GBK bytes with no encoding declaration, passed through
// unchanged. Problems are logged with the file name and line, and the reader
// goes on with defaults.
#include <OgreDataStream.h>

#include <string>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

// Adds the resource locations of a "resources.cfg" file: one section per
// resource group, the archive type as the key and the path as the value.
void AddResourceLocations(const std::string& configFile);

// Opens a file of group "General" or, when it is not there, of the first
// group that has it; null when no group has it (or there is no resource
// system) or it cannot be opened.
Ogre::DataStreamPtr OpenDataFile(const std::string& name);

// Reads a file's whole text the same way. False when no group has it or it
// cannot be read (logged with the file name).
bool ReadResourceText(const std::string& name, std::string& text);

// Parses a file's text byte for byte (read as UTF-8, a GBK character could
// swallow the quote that ends its attribute). A parse error is logged
// ("file:line: ...") and gives false.
bool ParseDataXml(TiXmlDocument& doc, const std::string& text, const std::string& fileName);

// An attribute's text, empty when absent.
std::string XmlAttr(const TiXmlElement* element, const char* name);

// "file:line: ", the start of a log line about a node.
std::string XmlWhere(const std::string& fileName, const TiXmlNode* node);

// An attribute that the format requires: its text, or the fallback with a
// log line when it is missing.
std::string RequiredText(const TiXmlElement* element, const char* name, const std::string& fileName,
                         const std::string& fallback = std::string());
// The same for a decimal number (read with ParseInt).
int RequiredInt(const TiXmlElement* element, const char* name, const std::string& fileName, int fallback = 0);

// A child element that the format requires; null with a log line when missing.
const TiXmlElement* RequiredChild(const TiXmlElement* element, const char* name, const std::string& fileName);
