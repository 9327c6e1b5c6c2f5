#pragma once
// The number, bool and vector syntax of the game's data files. These read
// values the way the files were written for, which differs from the engine's
// current string converter (there "010" is octal and "on" is true).
#include <OgreColourValue.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>

// Where a data file's text was read. A number that does not fit its field is
// logged with it: "file:line: name ...". Texts from no place are read the
// same way, without a log line.
struct TextPlace {
  const std::string* file = nullptr;
  int line = 0;                // 0: the file as a whole
  const char* name = nullptr;  // the attribute or field, when known
};

// Decimal, after leading blanks, up to the first character that does not
// fit ("12abc" -> 12, "3.9" -> 3, "010" -> 10); the default when nothing
// parses. A value beyond the field's range saturates to it (reals: to the
// largest finite float, "inf" included; "nan" gives the default), logged
// with the text's place.
int ParseInt(const std::string& text, int defaultValue = 0, const TextPlace& place = TextPlace());
// A sum worked out wide, held to the range of int.
int ClampToInt(int64_t value);
// a + b and a - b held to the range of int: sums and differences of values
// that come from data files and saves never wrap.
inline int SaturatingAdd(int a, int b) { return ClampToInt(int64_t(a) + b); }
inline int SaturatingSub(int a, int b) { return ClampToInt(int64_t(a) - b); }
unsigned ParseUInt(const std::string& text, unsigned defaultValue = 0, const TextPlace& place = TextPlace());
float ParseReal(const std::string& text, float defaultValue = 0.0f, const TextPlace& place = TextPlace());

// True when the text starts with "true", "yes" or "1", in any letter case.
bool ParseBool(const std::string& text);

// Blank-separated numbers, each read as ParseReal reads it. A wrong count of
// numbers gives the zero vector, black, or the identity rotation (whose text
// order is w x y z), logged with the text's place unless the text is blank.
Ogre::Vector2 ParseVector2(const std::string& text, const TextPlace& place = TextPlace());
Ogre::Vector3 ParseVector3(const std::string& text, const TextPlace& place = TextPlace());
Ogre::Vector4 ParseVector4(const std::string& text, const TextPlace& place = TextPlace());
Ogre::Quaternion ParseQuaternion(const std::string& text, const TextPlace& place = TextPlace());
// "r g b a", or "r g b" with alpha 1.
Ogre::ColourValue ParseColourValue(const std::string& text, const TextPlace& place = TextPlace());
