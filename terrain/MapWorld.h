#pragma once
// What a map asks of the game above it: the creatures preloaded for it, units
// lifted onto statics that come to stand under them (and let down when those
// go), and its scene effects.
// The game implements it over its unit and effect managers; without one a map
// loads with none of these (as in the map tools and most tests).
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <string>

// Where a scene effect stands, and of which definition.
struct SceneEffectPlacement {
  std::string EffectName;
  Ogre::Vector3 Position;
  Ogre::Vector3 Scale;
  Ogre::Quaternion Orientation;
};

class MapWorld {
 public:
  virtual ~MapWorld() = default;

  // Starts reading a unit file of the map's creatures.
  virtual void PreloadCreatureFile(const std::string& file, bool background) = 0;
  // A static units stand on has come or gone: they take their heights anew.
  virtual void RefreshUnitHeights() = 0;

  // Scene effects by their node names (unique over the run). A new one at a
  // point; an empty name when the definition is unknown.
  virtual std::string CreateSceneEffect(const std::string& effectName, const Ogre::Vector3& position) = 0;
  virtual void PlaceSceneEffect(const std::string& node, const Ogre::Vector3& scale,
                                const Ogre::Quaternion& orientation) = 0;
  // Ends it, unless the game has ended it already (a level reset).
  virtual void EndSceneEffect(const std::string& node) = 0;
  // Where it stands now; false once it has ended.
  virtual bool FindSceneEffect(const std::string& node, SceneEffectPlacement& placement) = 0;
};
