#pragma once
// A unit world that shows nothing: models do nothing, the ground is flat at
// 0, every cell is placeable, parts are ready, effects are handles to one
// dummy, and the unit grid is the one of a unit manager given. For
// benchmarks and fuzzing, where only the unit logic matters.
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"
#include "units/UnitWorld.h"

struct NullUnitModel : UnitModelBase {
  void SetVisible(bool) override {}
  void SetNodePosition(const Ogre::Vector3&) override {}
  void SetNodeOrientation(const Ogre::Quaternion&) override {}
  void SetNodeScale(const Ogre::Vector3&) override {}
  void PlayAnimationByName(const std::string&, float, bool) override {}
  void PlayAnimation(const std::string&, int, float, bool) override {}
  void SetSpeed(float) override {}
  void RemovePart(const std::string&) override {}
  void AttachPartEffect(const std::string&, const std::string&) override {}
  void SetBoneAlias(const std::string&, const std::string&) override {}
  void AddAnimGroup(const std::string&, const std::string&, const std::string&, const std::string&,
                    const std::string&) override {}
  void AddSkeletonFile(const std::string&) override {}
  Ogre::SceneNode* GetSceneNode() override { return nullptr; }
  Ogre::Entity* GetEntity() override { return nullptr; }
  Ogre::Bone* GetBone(const std::string&) override { return nullptr; }
  Ogre::Bone* GetRideBone() override { return nullptr; }
  void AttachPart(const std::string&, const std::string&) override {}
  void AttachPartToBone(const std::string&, const std::string&, const Ogre::Vector3&, const Ogre::Quaternion&,
                        const std::string&) override {}
  void SetCustomParameter(unsigned, const Ogre::Vector4&) override {}
  void Update() override {}
};

struct NullUnitWorld : UnitWorld {
  bool endlessEffects = false;
  int effectsCreated = 0;
  char effect = 0;
  long long silver = 0;
  int gameState = 0;
  CGAUnitManager* manager = nullptr;

  UnitModelBase* CreateModel(CGAUnit&) override { return new NullUnitModel; }
  bool GetGroundHeight(Ogre::Vector3& probe) override {
    probe.y = 0.0f;
    return true;
  }
  bool LoadPart(UnitPartDef&) override { return true; }
  int GetLogic(int, int) override { return 1; }
  void GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) override {
    if (manager) manager->GetUnitsInRect(out, x, z, rx, rz);
  }
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2&, const Ogre::Vector2&, int) override { return {}; }
  CGAEffectNode* CreateEffect(const std::string&) override {
    ++effectsCreated;
    return reinterpret_cast<CGAEffectNode*>(&effect);
  }
  void SetEffectPosition(CGAEffectNode*, const Ogre::Vector3&) override {}
  void SetEffectLinkBone(CGAEffectNode*, const std::string&) override {}
  void AttachEffectToOwner(CGAEffectNode*, CGAUnit*) override {}
  void AddEffectTarget(CGAEffectNode*, CGAUnit*) override {}
  void SetEffectTargetPosition(CGAEffectNode*, const Ogre::Vector3&) override {}
  bool IsEffectEndless(CGAEffectNode*) override { return endlessEffects; }
  void SetEffectLifeTime(CGAEffectNode*, float) override {}
  bool IsEffectLive(CGAEffectNode*) override { return true; }
  void SetEffectVisible(CGAEffectNode*, bool) override {}
  void PlaySound(const std::string&, CGAUnit*) override {}
  void LoseLevel() override { gameState = 1; }
  void AddLevelSilver(int amount) override { silver += amount; }
  void AddLabel(const std::string&, const Ogre::Vector3&, float, const std::string&) override {}
};
