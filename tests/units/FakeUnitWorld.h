#pragma once
// A unit world without a scene: models, effects, sounds, labels and the
// level's state are records the tests read back; the ground is flat at a
// settable height; logic cells are 1 unless set; the unit grid is the one of
// a unit manager the test names.
#include "tests/support/LogLines.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"
#include "units/UnitWorld.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

struct FakeModel : UnitModelBase {
  bool visible = false;
  Ogre::Vector3 nodePosition = Ogre::Vector3::ZERO;
  Ogre::Quaternion nodeOrientation = Ogre::Quaternion::IDENTITY;
  Ogre::Vector3 nodeScale = Ogre::Vector3::UNIT_SCALE;
  std::vector<std::string> animations;  // "name speed loop"
  std::vector<std::string> requests;    // of PlayAnimation: "name mode speed flag"
  std::vector<std::string> calls;       // everything else, in order
  float speed = 1.0f;
  Ogre::Vector4 tint = Ogre::Vector4::ZERO;  // custom parameter 0
  int tintsSet = 0;
  int updates = 0;

  void SetVisible(bool v) override { visible = v; }
  void SetNodePosition(const Ogre::Vector3& p) override { nodePosition = p; }
  void SetNodeOrientation(const Ogre::Quaternion& q) override { nodeOrientation = q; }
  void SetNodeScale(const Ogre::Vector3& s) override { nodeScale = s; }
  void PlayAnimationByName(const std::string& name, float s, bool loop) override;
  void PlayAnimation(const std::string& name, int mode, float s, bool flag) override;
  void SetSpeed(float s) override { speed = s; }
  void RemovePart(const std::string& slot) override { calls.push_back("remove " + slot); }
  void AttachPartEffect(const std::string& slot, const std::string& effect) override {
    calls.push_back("effect " + slot + " " + effect);
  }
  void SetBoneAlias(const std::string& alias, const std::string& bone) override {
    calls.push_back("bone " + alias + " " + bone);
  }
  void AddAnimGroup(const std::string& group, const std::string& anim, const std::string&, const std::string&,
                    const std::string&) override {
    calls.push_back("anim group " + group + " " + anim);
  }
  void AddSkeletonFile(const std::string& file) override { calls.push_back("skeleton " + file); }
  Ogre::SceneNode* GetSceneNode() override { return nullptr; }
  Ogre::Entity* GetEntity() override { return nullptr; }
  Ogre::Bone* GetBone(const std::string&) override { return nullptr; }
  Ogre::Bone* GetRideBone() override { return nullptr; }
  void AttachPart(const std::string& slot, const std::string& mesh) override {
    calls.push_back("part " + slot + " " + mesh);
  }
  void AttachPartToBone(const std::string& slot, const std::string& mesh, const Ogre::Vector3&,
                        const Ogre::Quaternion&, const std::string& bone) override {
    calls.push_back("part " + slot + " " + mesh + " on " + bone);
  }
  void SetCustomParameter(unsigned index, const Ogre::Vector4& value) override {
    if (index != 0) return;
    tint = value;
    ++tintsSet;
  }
  void Update() override { ++updates; }
};

struct FakeEffect {
  std::string name;
  Ogre::Vector3 position = Ogre::Vector3::ZERO;
  std::string bone;
  CGAUnit* owner = nullptr;
  std::vector<CGAUnit*> targets;
  Ogre::Vector3 targetPosition = Ogre::Vector3::ZERO;
  bool endless = false;
  float lifeTime = 5.0f;
  bool live = true;  // false once "destroyed": the unit must not touch it
  bool visible = true;
  int serial = 0;  // the effect's name in the world: one per effect made
};

class FakeUnitWorld : public UnitWorld {
 public:
  float groundHeight = 0.0f;
  std::deque<FakeEffect> effects;
  std::vector<std::string> endlessEffects;  // names of effects without an end
  std::vector<std::string> sounds;
  std::map<const CGAUnit*, FakeModel*> models;
  std::map<std::pair<int, int>, int> logic;  // cells other than 1
  std::vector<const UnitPartDef*> partsNotReady;
  CGAUnitManager* manager = nullptr;  // whose grid GetUnitsInRect asks
  int gameState = 0;
  int silver = 0;
  std::vector<std::string> labels;  // "markup seconds font"
  int effectsMade = 0;

  std::vector<std::string> EffectNames() const {
    std::vector<std::string> names;
    for (const FakeEffect& e : effects) names.push_back(e.name);
    return names;
  }

  FakeModel& ModelOf(const CGAUnit& unit) { return *models.at(&unit); }
  static FakeEffect& Of(CGAEffectNode* e) { return *reinterpret_cast<FakeEffect*>(e); }

  UnitModelBase* CreateModel(CGAUnit& unit) override {
    auto* model = new FakeModel;
    models[&unit] = model;
    return model;
  }
  bool GetGroundHeight(Ogre::Vector3& probe) override {
    probe.y = groundHeight;
    return true;
  }
  bool LoadPart(UnitPartDef& part) override {
    for (const UnitPartDef* p : partsNotReady)
      if (p == &part) return false;
    return true;
  }
  int GetLogic(int x, int z) override {
    auto found = logic.find({x, z});
    return found == logic.end() ? 1 : found->second;
  }
  void GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) override {
    if (manager) manager->GetUnitsInRect(out, x, z, rx, rz);
  }
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal, int) override {
    return {start, goal};
  }
  CGAEffectNode* CreateEffect(const std::string& name) override {
    if (name == "missing") return nullptr;
    effects.emplace_back();
    effects.back().name = name;
    effects.back().serial = ++effectsMade;
    for (const std::string& e : endlessEffects) effects.back().endless |= e == name;
    return reinterpret_cast<CGAEffectNode*>(&effects.back());
  }
  void SetEffectPosition(CGAEffectNode* e, const Ogre::Vector3& p) override { Of(e).position = p; }
  void SetEffectLinkBone(CGAEffectNode* e, const std::string& bone) override { Of(e).bone = bone; }
  void AttachEffectToOwner(CGAEffectNode* e, CGAUnit* owner) override { Of(e).owner = owner; }
  void AddEffectTarget(CGAEffectNode* e, CGAUnit* target) override { Of(e).targets.push_back(target); }
  void SetEffectTargetPosition(CGAEffectNode* e, const Ogre::Vector3& p) override { Of(e).targetPosition = p; }
  bool IsEffectEndless(CGAEffectNode* e) override { return Of(e).endless; }
  void SetEffectLifeTime(CGAEffectNode* e, float seconds) override {
    EXPECT_TRUE(Of(e).live) << "the life of destroyed effect " << Of(e).name << " was set";
    Of(e).lifeTime = seconds;
  }
  bool IsEffectLive(CGAEffectNode* e) override { return Of(e).live; }
  std::string GetEffectName(CGAEffectNode* e) override { return "Effect_" + std::to_string(Of(e).serial); }
  // The effect manager destroyed effect i and made a new one that took its
  // address.
  void ReuseEffect(size_t i, const std::string& name) {
    effects[i] = FakeEffect();
    effects[i].name = name;
    effects[i].serial = ++effectsMade;
  }
  void SetEffectVisible(CGAEffectNode* e, bool visible) override { Of(e).visible = visible; }
  void PlaySound(const std::string& name, CGAUnit*) override { sounds.push_back(name); }
  void LoseLevel() override { gameState = 1; }
  void AddLevelSilver(int amount) override { silver += amount; }
  void AddLabel(const std::string& markup, const Ogre::Vector3&, float seconds, const std::string& font) override;
};

// Sets the frame clock for one frame of the given length.
void SetFrame(float seconds);
