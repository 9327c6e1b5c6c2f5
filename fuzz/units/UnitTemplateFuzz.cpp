// Unit template files of any bytes: reading never fails hard, timelines come
// out in time order, and every template read can be made into a unit that
// runs its actions and walks.
#include "FuzzSupport.h"
#include "game/FrameClock.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"
#include "units/UnitWorld.h"

#include <cstdlib>

namespace {

struct NullModel : UnitModelBase {
  void SetVisible(bool) override {}
  void SetNodePosition(const Ogre::Vector3&) override {}
  void SetNodeOrientation(const Ogre::Quaternion&) override {}
  void SetNodeScale(const Ogre::Vector3&) override {}
  void PlayAnimationByName(const std::string&, float, bool) override {}
  void SetSpeed(float) override {}
  void RemovePart(const std::string&) override {}
  void AttachPartEffect(const std::string&, const std::string&) override {}
  void SetBoneAlias(const std::string&, const std::string&) override {}
  void AddAnimGroup(const std::string&, const std::string&, const std::string&, const std::string&,
                    const std::string&) override {}
  void AddSkeletonFile(const std::string&) override {}
};

// Effects are handles to one dummy; nothing looks into them.
struct NullWorld : UnitWorld {
  char effect = 0;
  UnitModelBase* CreateModel(CGAUnit&) override { return new NullModel; }
  bool GetGroundHeight(Ogre::Vector3& probe) override {
    probe.y = 0.0f;
    return true;
  }
  int GetLogic(int, int) override { return 1; }
  std::vector<Ogre::Vector2> FindPath(const Ogre::Vector2&, const Ogre::Vector2&, int) override { return {}; }
  CGAEffectNode* CreateEffect(const std::string&) override { return reinterpret_cast<CGAEffectNode*>(&effect); }
  void SetEffectPosition(CGAEffectNode*, const Ogre::Vector3&) override {}
  void SetEffectLinkBone(CGAEffectNode*, const std::string&) override {}
  void AttachEffectToOwner(CGAEffectNode*, CGAUnit*) override {}
  void AddEffectTarget(CGAEffectNode*, CGAUnit*) override {}
  void SetEffectTargetPosition(CGAEffectNode*, const Ogre::Vector3&) override {}
  bool IsEffectEndless(CGAEffectNode*) override { return true; }
  void SetEffectLifeTime(CGAEffectNode*, float) override {}
  void PlaySound(const std::string&, CGAUnit*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  const std::string text(reinterpret_cast<const char*>(data), size);
  NullWorld world;
  CGAUnitManager manager(nullptr);
  manager.SetUnitWorld(&world);
  manager.ReadUnitTemplates(text, "fuzz.unt");
  manager.ReadUnitTemplates(text, "again.unt");  // every template redefined once

  FrameDeltaSeconds = 0.05f;
  FrameDeltaMs = 50;
  CGAUnit* previous = nullptr;
  for (const auto& entry : manager.GetUnitTemplates()) {
    for (const UnitAction* action : entry.second.actions) {
      const auto& events = action->GetEvents();
      for (size_t i = 1; i < events.size(); ++i)
        if (events[i].Time < events[i - 1].Time) std::abort();
    }
    CGAUnit* unit = manager.CreateUnit(entry.first);
    if (!unit) std::abort();
    unit->SetTarget(previous);
    unit->AddWaypointXZ(1.0f, 2.0f);
    for (const UnitAction* action : entry.second.actions) {
      unit->SetAction(action->GetName());
      for (int frame = 0; frame < 8; ++frame) {
        unit->UpdateMovement();
        unit->RunAction();
      }
    }
    previous = unit;
  }
  return 0;
}
