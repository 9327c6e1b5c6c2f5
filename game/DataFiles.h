#pragma once
// Reading the game's data files: found through the engine's resource groups,
// XML whose texts are GBK bytes with no encoding declaration, passed through
// unchanged. Problems are logged with the file name and line, and the reader
// goes on with defaults.
#include "game/Parse.h"

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

// Elements nested deeper than this are refused before parsing: the XML
// library recurses once per level and a file nested some ten thousand
// levels deep would run it out of stack.
constexpr size_t kMaxXmlDepth = 1000;

// How deep the elements of an XML text nest, counted as the XML library
// nests them: start tags open a level, end tags and "/>" close one;
// comments, CDATA, declarations and quoted attribute values hold none.
size_t XmlNestingDepth(const std::string& text);

// False, with a log line naming the file, when the text nests deeper than
// kMaxXmlDepth. Every reader of XML data asks this before parsing.
bool CheckXmlDepth(const std::string& text, const std::string& fileName);

// Parses a file's text byte for byte (read as UTF-8, a GBK character could
// swallow the quote that ends its attribute); a UTF-8 byte-order mark in
// front is skipped. A text nested too deep or a parse error is logged
// ("file:line: ...") and gives false.
bool ParseDataXml(TiXmlDocument& doc, const std::string& text, const std::string& fileName);

// An attribute's text, empty when absent.
std::string XmlAttr(const TiXmlElement* element, const char* name);

// "file:line: ", the start of a log line about a node.
std::string XmlWhere(const std::string& fileName, const TiXmlNode* node);

// Where an attribute of a node was read, for the parsers of Parse.h.
TextPlace XmlPlace(const std::string& fileName, const TiXmlNode* node, const char* name = nullptr);

// Number and vector attributes, read by the parsers of Parse.h; the fallback
// when absent or not a number. A value beyond its field's range saturates,
// logged with the file, line and attribute.
int XmlInt(const TiXmlElement* element, const char* name, const std::string& fileName, int fallback = 0);
float XmlReal(const TiXmlElement* element, const char* name, const std::string& fileName, float fallback = 0.0f);
Ogre::Vector2 XmlVector2(const TiXmlElement* element, const char* name, const std::string& fileName);
Ogre::Vector3 XmlVector3(const TiXmlElement* element, const char* name, const std::string& fileName);

// An attribute that the format requires: its text, or the fallback with a
// log line when it is missing.
std::string RequiredText(const TiXmlElement* element, const char* name, const std::string& fileName,
                         const std::string& fallback = std::string());
// The same for a decimal number (read with ParseInt), a real, a vector
// ("x y z") and a colour ("r g b [a]"), read by the parsers of Parse.h.
int RequiredInt(const TiXmlElement* element, const char* name, const std::string& fileName, int fallback = 0);
float RequiredReal(const TiXmlElement* element, const char* name, const std::string& fileName,
                   float fallback = 0.0f);
Ogre::Vector3 RequiredVector3(const TiXmlElement* element, const char* name, const std::string& fileName,
                              const Ogre::Vector3& fallback = Ogre::Vector3::ZERO);
Ogre::ColourValue RequiredColour(const TiXmlElement* element, const char* name, const std::string& fileName,
                                 const Ogre::ColourValue& fallback = Ogre::ColourValue::Black);

// A child element that the format requires; null with a log line when missing.
const TiXmlElement* RequiredChild(const TiXmlElement* element, const char* name, const std::string& fileName);
