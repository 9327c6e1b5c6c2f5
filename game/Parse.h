#pragma once
// The number, bool and vector syntax of the game's data files. These read
// values the way the files were written for, which differs from the engine's
// current string converter (there "010" is octal and "on" is true).
#include <OgreColourValue.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <string>

// Decimal, after leading blanks, up to the first character that does not
// fit ("12abc" -> 12, "3.9" -> 3, "010" -> 10); the default when nothing
// parses.
int ParseInt(const std::string& text, int defaultValue = 0);
unsigned ParseUInt(const std::string& text, unsigned defaultValue = 0);
float ParseReal(const std::string& text, float defaultValue = 0.0f);

// True when the text starts with "true", "yes" or "1", in any letter case.
bool ParseBool(const std::string& text);

// Blank-separated numbers. A wrong count of numbers gives the zero vector,
// black, or the identity rotation (whose text order is w x y z).
Ogre::Vector2 ParseVector2(const std::string& text);
Ogre::Vector3 ParseVector3(const std::string& text);
Ogre::Vector4 ParseVector4(const std::string& text);
Ogre::Quaternion ParseQuaternion(const std::string& text);
// "r g b a", or "r g b" with alpha 1.
Ogre::ColourValue ParseColourValue(const std::string& text);
