#pragma once
// The key lists of the effect files' animation elements: every child element
// of an animation, whatever its name, is one key. A key whose "Value" has
// too few numbers is left out (and counted). Key numbers are kept within
// the bounds of effect values (EffectLimits.h).
#include "effects/EffectAnim.h"

#include <OgreVector.h>

#include <string>
#include <vector>

class TiXmlElement;

// A four-number value at a time in seconds (particle colours and sizes).
struct TimedKey {
  Ogre::Vector4 value = Ogre::Vector4::ZERO;
  float time = 0.0f;
};

// Each reads the keys from first and its following siblings; rejected, when
// given, counts the keys left out. With a file name, a number beyond its
// field is logged with the file and line.
ScalarKeys ReadScalarKeys(const TiXmlElement* first, int* rejected = nullptr,
                          const std::string* file = nullptr);  // value, t
VectorKeys ReadVectorKeys(const TiXmlElement* first, int* rejected = nullptr,
                          const std::string* file = nullptr);  // x, y, z, t
PointKeys ReadPointKeys(const TiXmlElement* first);                             // "x y t"; wrong count: zero
std::vector<TimedKey> ReadTimedKeys(const TiXmlElement* first);                 // four numbers or zero; "Time"
