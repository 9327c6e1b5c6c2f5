#include "effects/EffectKeys.h"

#include "effects/EffectLimits.h"
#include "game/DataFiles.h"
#include "game/Parse.h"

#include <tinyxml.h>

namespace {

// The numbers of a "Value": pieces between tabs, line feeds and spaces.
std::vector<float> Numbers(const TiXmlElement* key, size_t wanted, const std::string* file) {
  const std::string text = XmlAttr(key, "Value");
  std::vector<float> numbers;
  size_t at = 0;
  while (numbers.size() < wanted) {
    at = text.find_first_not_of("\t\n ", at);
    if (at == std::string::npos) break;
    const size_t end = text.find_first_of("\t\n ", at);
    const TextPlace place{file, key->Row(), "Value"};
    numbers.push_back(Bounded(ParseReal(text.substr(at, end - at), 0.0f, place), kMaxEffectDistance, place));
    at = end;
  }
  return numbers;
}

template <class Key, size_t N>
std::vector<Key> ReadKeys(const TiXmlElement* first, int* rejected, const std::string* file) {
  std::vector<Key> keys;
  for (const TiXmlElement* key = first; key; key = key->NextSiblingElement()) {
    const std::vector<float> n = Numbers(key, N, file);
    if (n.size() < N) {
      if (rejected) ++*rejected;
      continue;
    }
    Key k;
    for (size_t i = 0; i < N; ++i) k[i] = n[i];
    keys.push_back(k);
  }
  return keys;
}

}  // namespace

ScalarKeys ReadScalarKeys(const TiXmlElement* first, int* rejected, const std::string* file) {
  return ReadKeys<Ogre::Vector2, 2>(first, rejected, file);
}

VectorKeys ReadVectorKeys(const TiXmlElement* first, int* rejected, const std::string* file) {
  return ReadKeys<Ogre::Vector4, 4>(first, rejected, file);
}

PointKeys ReadPointKeys(const TiXmlElement* first) {
  PointKeys keys;
  for (const TiXmlElement* key = first; key; key = key->NextSiblingElement())
    keys.push_back(Bounded(ParseVector3(XmlAttr(key, "Value")), kMaxEffectDistance));
  return keys;
}

std::vector<TimedKey> ReadTimedKeys(const TiXmlElement* first) {
  std::vector<TimedKey> keys;
  for (const TiXmlElement* key = first; key; key = key->NextSiblingElement()) {
    const Ogre::Vector4 v = ParseVector4(XmlAttr(key, "Value"));
    const Ogre::Vector3 xyz = Bounded(Ogre::Vector3(v.x, v.y, v.z), kMaxEffectDistance);
    keys.push_back({Ogre::Vector4(xyz.x, xyz.y, xyz.z, Bounded(v.w, kMaxEffectDistance)),
                    Bounded(ParseReal(XmlAttr(key, "Time")), kMaxEffectSeconds)});
  }
  return keys;
}
