#pragma once
// Reading the game's XML data files: their texts are GBK bytes with no
// encoding declaration, passed through unchanged; problems are logged with
// the file name and line, and the reader goes on with defaults.
#include <string>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

// Parses a file's text. A parse error is logged ("file:line: ...") and gives
// false.
bool ParseDataXml(TiXmlDocument& doc, const std::string& text, const std::string& fileName);

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
