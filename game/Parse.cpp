#include "game/Parse.h"

#include "game/GameLog.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <limits>
#include <sstream>
#include <vector>

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipBlanks(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

bool StartsWithNoCase(const std::string& text, size_t at, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i)
    if (at + i >= text.size() || std::tolower(static_cast<unsigned char>(text[at + i])) != prefix[i]) return false;
  return true;
}

template <typename T>
std::string ToText(T value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

template <typename T>
T Logged(const std::string& text, const char* problem, T used, const TextPlace& place) {
  if (place.file) {
    std::string where = *place.file + ":";
    if (place.line > 0) where += std::to_string(place.line) + ":";
    GameLog(where + " " + (place.name ? place.name : "number") + " \"" + text + "\" " + problem + "; read as " +
            ToText(used));
  }
  return used;
}

template <typename T>
T ParseInteger(const std::string& text, T defaultValue, const TextPlace& place) {
  size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !IsDigit(text[i])) return defaultValue;
  // Digits past any field's range only need to stay past it.
  const uint64_t cap = 1000000000000000000ull;
  uint64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    magnitude = std::min<uint64_t>(magnitude * 10 + uint64_t(text[i] - '0'), cap);
  const int64_t value = negative ? -int64_t(magnitude) : int64_t(magnitude);
  const int64_t lowest = int64_t(std::numeric_limits<T>::lowest());
  const int64_t highest = int64_t(std::numeric_limits<T>::max());
  if (value < lowest) return Logged(text, "is out of range", T(lowest), place);
  if (value > highest) return Logged(text, "is out of range", T(highest), place);
  return T(value);
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

// The fallback of a vector text with the wrong count of numbers, logged with
// its place. A blank text is an absent value, which its reader reports.
template <typename T>
T WrongCount(const std::string& text, size_t count, const char* wanted, T fallback, const TextPlace& place) {
  if (count == 0) return fallback;
  return Logged(text, ("has " + std::to_string(count) + " numbers, not " + wanted).c_str(), fallback, place);
}

}  // namespace

int ParseInt(const std::string& text, int defaultValue, const TextPlace& place) {
  return ParseInteger(text, defaultValue, place);
}

unsigned ParseUInt(const std::string& text, unsigned defaultValue, const TextPlace& place) {
  return ParseInteger(text, defaultValue, place);
}

float ParseReal(const std::string& text, float defaultValue, const TextPlace& place) {
  const float largest = std::numeric_limits<float>::max();
  size_t i = SkipBlanks(text);
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (StartsWithNoCase(text, i, "inf")) return Logged(text, "is not finite", negative ? -largest : largest, place);
  if (StartsWithNoCase(text, i, "nan")) return Logged(text, "is not a number", defaultValue, place);
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double value = 0;
  // A double too large for itself fails, holding the largest double.
  if (!(in >> value) && value != std::numeric_limits<double>::max() && value != -std::numeric_limits<double>::max())
    return defaultValue;
  if (value > largest) return Logged(text, "is out of range", largest, place);
  if (value < -largest) return Logged(text, "is out of range", -largest, place);
  return float(value);
}

bool ParseBool(const std::string& text) {
  return StartsWithNoCase(text, 0, "true") || StartsWithNoCase(text, 0, "yes") || StartsWithNoCase(text, 0, "1");
}

Ogre::Vector2 ParseVector2(const std::string& text, const TextPlace& place) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 2) return WrongCount(text, p.size(), "2", Ogre::Vector2::ZERO, place);
  return Ogre::Vector2(ParseReal(p[0], 0, place), ParseReal(p[1], 0, place));
}

Ogre::Vector3 ParseVector3(const std::string& text, const TextPlace& place) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 3) return WrongCount(text, p.size(), "3", Ogre::Vector3::ZERO, place);
  return Ogre::Vector3(ParseReal(p[0], 0, place), ParseReal(p[1], 0, place), ParseReal(p[2], 0, place));
}

Ogre::Vector4 ParseVector4(const std::string& text, const TextPlace& place) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 4) return WrongCount(text, p.size(), "4", Ogre::Vector4::ZERO, place);
  return Ogre::Vector4(ParseReal(p[0], 0, place), ParseReal(p[1], 0, place), ParseReal(p[2], 0, place),
                       ParseReal(p[3], 0, place));
}

Ogre::Quaternion ParseQuaternion(const std::string& text, const TextPlace& place) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 4) return WrongCount(text, p.size(), "4", Ogre::Quaternion::IDENTITY, place);
  return Ogre::Quaternion(ParseReal(p[0], 0, place), ParseReal(p[1], 0, place), ParseReal(p[2], 0, place),
                          ParseReal(p[3], 0, place));
}

Ogre::ColourValue ParseColourValue(const std::string& text, const TextPlace& place) {
  std::vector<std::string> p = SplitBlanks(text);
  if (p.size() != 3 && p.size() != 4) return WrongCount(text, p.size(), "3 or 4", Ogre::ColourValue::Black, place);
  return Ogre::ColourValue(ParseReal(p[0], 0, place), ParseReal(p[1], 0, place), ParseReal(p[2], 0, place),
                           p.size() == 4 ? ParseReal(p[3], 0, place) : 1.0f);
}

int ClampToInt(int64_t value) {
  return static_cast<int>(std::min<int64_t>(std::max<int64_t>(value, INT_MIN), INT_MAX));
}
