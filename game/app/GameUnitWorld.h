#pragma once
// The unit world of the running game: models in the scene under the unit
// manager's node, the current map's ground, cells and paths, the unit grid,
// effects from the effect manager, sounds from the sound manager and the
// running level's state.
#include "units/UnitWorld.h"

class GameUnitWorld : public UnitWorld {
 public:
  UnitModelBase* CreateModel(CGAUnit& unit) override;
  bool LoadPart(UnitPartDef& part) override;
  bool GetGroundHeight(Ogre::Vector3& probe) override;
  int GetLogic(int x, int z) override;
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal, int searchLimit) override;
  void GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) override;
  CGAEffectNode* CreateEffect(const std::string& name) override;
  void SetEffectPosition(CGAEffectNode* effect, const Ogre::Vector3& position) override;
  void SetEffectLinkBone(CGAEffectNode* effect, const std::string& bone) override;
  void AttachEffectToOwner(CGAEffectNode* effect, CGAUnit* owner) override;
  void AddEffectTarget(CGAEffectNode* effect, CGAUnit* target) override;
  void SetEffectTargetPosition(CGAEffectNode* effect, const Ogre::Vector3& position) override;
  bool IsEffectEndless(CGAEffectNode* effect) override;
  void SetEffectLifeTime(CGAEffectNode* effect, float seconds) override;
  bool IsEffectLive(CGAEffectNode* effect) override;
  std::string GetEffectName(CGAEffectNode* effect) override;
  void SetEffectVisible(CGAEffectNode* effect, bool visible) override;
  void PlaySound(const std::string& name, CGAUnit* at) override;
  void LoseLevel() override;
  void AddLevelSilver(int amount) override;
  void AddLabel(const std::string& markup, const Ogre::Vector3& position, float seconds,
                const std::string& font) override;
};
