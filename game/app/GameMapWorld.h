#pragma once
// The map's world in the running game: creatures preloaded through the unit
// manager, unit heights refreshed there, scene effects made by the effect
// manager. Managers that are not there (yet, or any more) are skipped.
#include "terrain/MapWorld.h"
#include "units/UnitWorld.h"

#include <map>

class GameMapWorld : public MapWorld {
 public:
  void PreloadCreatureFile(const std::string& file, bool background) override;
  void RefreshUnitHeights() override;
  std::string CreateSceneEffect(const std::string& effectName, const Ogre::Vector3& position) override;
  void PlaceSceneEffect(const std::string& node, const Ogre::Vector3& scale,
                        const Ogre::Quaternion& orientation) override;
  void EndSceneEffect(const std::string& node) override;
  bool FindSceneEffect(const std::string& node, SceneEffectPlacement& placement) override;

 private:
  // The live effect of a node name; null once it has ended.
  CGAEffectNode* Find(const std::string& node) const;

  std::map<std::string, KeptEffect> mSceneEffects;
};
