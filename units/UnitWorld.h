#pragma once
// What the unit logic asks of the world around a unit: a model for each new
// unit, ground heights, logic cells and paths of the map, the units nearby,
// effects, sounds and the running level's state. The game implements it over
// the terrain, unit, effect and sound managers and the level globals; tests
// use a recording stand-in. Effects are handles the unit never looks into.
#include <OgreVector.h>

#include <string>
#include <vector>

class CGAEffectNode;
class CGAUnit;
class UnitModelBase;
class UnitPartDef;

// An effect a unit or its model keeps: where it was, and its name then.
struct KeptEffect {
  CGAEffectNode* effect = nullptr;
  std::string name;
};

class UnitWorld {
 public:
  virtual ~UnitWorld() = default;

  // The model of a new unit; the unit owns it.
  virtual UnitModelBase* CreateModel(CGAUnit& unit) = 0;
  // One step of a part's background loading; true once it can be shown.
  virtual bool LoadPart(UnitPartDef& part) = 0;

  // Terrain. GetGroundHeight moves probe.y onto the ground (statics
  // included) below the probe; false when there is no ground there.
  virtual bool GetGroundHeight(Ogre::Vector3& probe) = 0;
  // The logic cell at truncated world (x, z): 1 placeable, 3 defeat, 0 none.
  virtual int GetLogic(int x, int z) = 0;
  // A path on the (x, z) plane from start to goal, start first; empty when
  // there is none within the search limit.
  virtual std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal,
                                              int searchLimit) = 0;

  // Appends the units of the unit grid's cells (x - rx .. x + rx, z - rz ..
  // z + rz) that stand on a logic cell other than 0.
  virtual void GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) = 0;

  // Effects, created managed and without parent; null when there is no
  // effect of that name.
  virtual CGAEffectNode* CreateEffect(const std::string& name) = 0;
  virtual void SetEffectPosition(CGAEffectNode* effect, const Ogre::Vector3& position) = 0;
  virtual void SetEffectLinkBone(CGAEffectNode* effect, const std::string& bone) = 0;
  // Ties the effect to its owner unit (null: no owner).
  virtual void AttachEffectToOwner(CGAEffectNode* effect, CGAUnit* owner) = 0;
  virtual void AddEffectTarget(CGAEffectNode* effect, CGAUnit* target) = 0;
  virtual void SetEffectTargetPosition(CGAEffectNode* effect, const Ogre::Vector3& position) = 0;
  // True for an effect without an end of its own.
  virtual bool IsEffectEndless(CGAEffectNode* effect) = 0;
  virtual void SetEffectLifeTime(CGAEffectNode* effect, float seconds) = 0;
  // False once the effect manager has destroyed the effect: a unit keeps
  // handles of effects that may end before it does.
  virtual bool IsEffectLive(CGAEffectNode* effect) = 0;
  // The live effect's name, unique over the run; empty where effects have
  // none, and then only their addresses tell them apart.
  virtual std::string GetEffectName(CGAEffectNode*) { return std::string(); }
  KeptEffect Keep(CGAEffectNode* effect) { return {effect, effect ? GetEffectName(effect) : std::string()}; }
  // Whether a kept effect is still there: live, and not a newer effect that
  // took the address of the one kept.
  bool IsKept(const KeptEffect& kept) {
    return kept.effect && IsEffectLive(kept.effect) && GetEffectName(kept.effect) == kept.name;
  }
  // Shows or hides an effect with everything below it.
  virtual void SetEffectVisible(CGAEffectNode* effect, bool visible) = 0;

  // A 3-D effect sound at the unit's scene node.
  virtual void PlaySound(const std::string& name, CGAUnit* at) = 0;

  // The running level: lost (a unit that must survive died, or an attacker
  // reached a defeat cell), silver earned, and a floating label at a world
  // position ("{colour,AARRGGBB}" tags and text) for some seconds.
  virtual void LoseLevel() = 0;
  virtual void AddLevelSilver(int amount) = 0;
  virtual void AddLabel(const std::string& markup, const Ogre::Vector3& position, float seconds,
                        const std::string& font) = 0;
};
