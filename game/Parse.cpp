#include "game/Parse.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace {

template <typename T>
T ParseNumber(const std::string& text, T defaultValue) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  T value;
  if (!(in >> value)) return defaultValue;
  return value;
}

std::vector<std::string> SplitBlanks(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i)
    if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

}  // namespace

int ParseInt(const std::string& text, int defaultValue) { return ParseNumber(text, defaultValue); }

unsigned ParseUInt(const std::string& text, unsigned defaultValue) {
  return ParseNumber(text, defaultValue);
}

float ParseReal(const std::string& text, float defaultValue) { return ParseNumber(text, defaultValue); }

bool ParseBool(const std::string& text) {
  return StartsWithNoCase(text, "true") || StartsWithNoCase(text, "yes") || StartsWithNoCase(text, "1");
}

Ogre::Vector2 ParseVector2(const std::string& text) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 2) return Ogre::Vector2::ZERO;
  return Ogre::Vector2(ParseReal(p[0]), ParseReal(p[1]));
}

Ogre::Vector3 ParseVector3(const std::string& text) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 3) return Ogre::Vector3::ZERO;
  return Ogre::Vector3(ParseReal(p[0]), ParseReal(p[1]), ParseReal(p[2]));
}

Ogre::Vector4 ParseVector4(const std::string& text) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 4) return Ogre::Vector4::ZERO;
  return Ogre::Vector4(ParseReal(p[0]), ParseReal(p[1]), ParseReal(p[2]), ParseReal(p[3]));
}

Ogre::Quaternion ParseQuaternion(const std::string& text) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 4) return Ogre::Quaternion::IDENTITY;
  return Ogre::Quaternion(ParseReal(p[0]), ParseReal(p[1]), ParseReal(p[2]), ParseReal(p[3]));
}

Ogre::ColourValue ParseColourValue(const std::string& text) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() == 4) return Ogre::ColourValue(ParseReal(p[0]), ParseReal(p[1]), ParseReal(p[2]), ParseReal(p[3]));
  if (p.size() == 3) return Ogre::ColourValue(ParseReal(p[0]), ParseReal(p[1]), ParseReal(p[2]), 1.0f);
  return Ogre::ColourValue::Black;
}
