// The skill messages of effect nodes: what each message type does when its
// time comes. The game rules of attacks and spells live here: hits, stuns,
// slows, captures, coin drops, summons, further effects, unit actions,
// sounds, camera shakes and teleports.
#include "effects/AttachPoint.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/EffectWorld.h"
#include "effects/SkillMessages.h"
#include "game/Parse.h"
#include "platform/Random.h"
#include "units/Attribute.h"
#include "units/Unit.h"
#include "units/UnitModelBase.h"
#include "units/UnitNumbers.h"

#include <OgreSceneNode.h>

#include <unordered_map>

namespace {

enum class Skill {
  kNone,  // recognised, does nothing
  kAnim,
  kAnimLoop,
  kMoney,
  kSplash,
  kSummon,
  kHit,
  kEffect,
  kEffectSelf,
  kEffectTarget,
  kEffectRelease,
  kEffectReleaseBone,
  kEffectTargetBone,
  kActionRelease,
  kActionTarget,
  kSound3d,
  kDance,
  kToTarget
};

const std::unordered_map<std::string, Skill>& Skills() {
  static const std::unordered_map<std::string, Skill> skills = {
      // "lua" scripts and 2-D sounds are not run.
      {"anim", Skill::kAnim},
      {"anim_loop", Skill::kAnimLoop},
      {"sound2d", Skill::kNone},
      {"lua", Skill::kNone},
      {"money", Skill::kMoney},
      {"skill_2", Skill::kSplash},
      {"skill_1", Skill::kSummon},
      {"skill_0", Skill::kHit},
      {"effect", Skill::kEffect},
      {"effect_self", Skill::kEffectSelf},
      {"effect_target", Skill::kEffectTarget},
      {"effect_release", Skill::kEffectRelease},
      {"effect_release_bone", Skill::kEffectReleaseBone},
      {"effect_target_bone", Skill::kEffectTargetBone},
      {"action_release", Skill::kActionRelease},
      {"action_target", Skill::kActionTarget},
      {"sound3d", Skill::kSound3d},
      {"dance", Skill::kDance},
      {"to_target", Skill::kToTarget},
  };
  return skills;
}

// A percent draw from the game's random source, 0 to 100.
float Draw100() { return float(platform::Rand()) * 100.0f / float(platform::kRandMax); }

int Slot(CGAUnit* unit, unsigned slot) { return unit->GetInt(slot); }
// Hit points and amounts come from data files: their sum saturates.
void AddToSlot(CGAUnit* unit, unsigned slot, int amount) {
  unit->SetInt(slot, SaturatingAdd(unit->GetInt(slot), amount));
}

EffectWorld& World() { return CGAEffectManager::getSingleton().GetWorld(); }

// Unit grid cells are 2 x 2 world units.
int GridCell(float world) { return TruncateToInt(double(world) / 2.0); }

}  // namespace

bool IsSkillMessageType(const std::string& type) { return Skills().count(type) != 0; }

CGAUnit* CGAEffectNode::Caster() { return mOwner ? mOwner->GetUnit() : nullptr; }
CGAUnit* CGAEffectNode::Target() { return mCurrentTarget ? mCurrentTarget->GetUnit() : nullptr; }

void CGAEffectNode::DispatchMessage(EffectMessage& message) {
  auto found = Skills().find(message.GetParam("type"));
  if (found == Skills().end()) return;
  const std::string& name = message.GetParam("name");
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  CGAUnit* caster = Caster();
  CGAUnit* target = Target();
  switch (found->second) {
    case Skill::kNone: break;
    case Skill::kAnim:
    case Skill::kAnimLoop:
      // Asked of the caster's model, which plays nothing on such a request.
      if (caster) caster->GetModel()->PlayAnimation(name, found->second == Skill::kAnim ? 1 : -1, 1.0f, false);
      break;
    case Skill::kMoney: DropCoins(); break;
    case Skill::kSplash:
      if (caster && target) SplashAroundTarget(caster, target);
      break;
    case Skill::kSummon:
      if (caster) Summon(caster, name);
      break;
    case Skill::kHit:
      if (caster) Hit(caster, name);
      break;
    case Skill::kEffect: manager.CreateEffect(name, std::string(), true, this); break;
    case Skill::kEffectSelf: CreateSelfEffect(name); break;
    case Skill::kEffectTarget: CreateTargetEffects(name, nullptr); break;
    case Skill::kEffectRelease: CreateReleaseEffect(name, nullptr); break;
    case Skill::kEffectReleaseBone:
    case Skill::kEffectTargetBone: {
      const std::vector<std::string> fields = SplitFields(name);
      if (fields.size() < 2) break;
      if (found->second == Skill::kEffectReleaseBone) {
        CreateReleaseEffect(fields[0], &fields[1]);
      } else {
        CreateTargetEffects(fields[0], &fields[1]);
      }
      break;
    }
    case Skill::kActionRelease:
      if (caster) caster->SetAction(name);
      break;
    case Skill::kActionTarget:
      if (target) target->SetAction(name);
      break;
    case Skill::kSound3d: manager.GetWorld().PlaySound3D(name, mSceneNode); break;
    case Skill::kDance: manager.GetWorld().ShakeCamera(ParseReal(name)); break;
    case Skill::kToTarget:
      if (caster) Teleport(caster);
      break;
  }
}

void CGAEffectNode::DropCoins() {
  // The drop lies where the caster (the dead unit) is: no caster, no drop.
  CGAUnit* caster = Caster();
  if (!caster) return;
  EffectWorld& world = World();
  const char* kind = nullptr;
  if (platform::Rand() % 100 <= world.GetGoldDropRate()) {
    kind = "gold";
  } else if (platform::Rand() % 100 <= world.GetSilverDropRate()) {
    kind = "goldA";
  }
  if (!kind) return;
  CGAUnit* drop = world.CreateUnit(kind);
  if (!drop) return;
  drop->SetType(kUnitPickUp);
  drop->SetPosition(caster->GetPosition());
  drop->SetInt(kSlotPrice, Slot(caster, kSlotPrice));
  drop->SetInt(kSlotSide, 1);
}

void CGAEffectNode::SplashAroundTarget(CGAUnit* caster, CGAUnit* target) {
  const Ogre::Vector3 at = target->GetPosition();
  const int value = Slot(caster, kSlotValue);
  for (CGAUnit* unit : World().GetUnitsAround(GridCell(at.x), GridCell(at.z), 1)) {
    if (unit->GetPosition().distance(at) >= 1.2f || Slot(unit, kSlotSide) != 0) continue;
    AddToSlot(unit, kSlotHp, value);
    if (value < 0) unit->SetAction("injured");
  }
}

void CGAEffectNode::Summon(CGAUnit* caster, const std::string& templateName) {
  EffectWorld& world = World();
  const Ogre::Vector3 at = caster->GetPosition();
  if (world.GetLogic(TruncateToInt(at.x), TruncateToInt(at.z)) != 1) return;
  CGAUnit* unit = world.CreateUnit(templateName);
  if (!unit) return;
  unit->SetType(kUnitPassive);
  unit->SetInt(kSlotSide, 0);
  unit->SetPosition(at);
}

// Fields: amount (0: the caster's value), radius, stun ms, stun chance, slow
// ms, slow chance, and optionally capture chance and capture limit.
void CGAEffectNode::Hit(CGAUnit* caster, const std::string& text) {
  const std::vector<std::string> fields = SplitFields(text);
  if (fields.size() < 6) return;
  int f[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  for (size_t i = 0; i < fields.size() && i < 8; ++i) f[i] = ParseInt(fields[i]);
  const int amount = f[0] != 0 ? f[0] : Slot(caster, kSlotValue);
  const int radius = f[1];
  const bool canCapture = fields.size() >= 8;

  EffectWorld& world = World();
  std::vector<CGAUnit*> victims;
  if (radius > 0) {
    const Ogre::Vector3 at = WorldPosition();
    for (CGAUnit* unit : world.GetUnitsAround(GridCell(at.x), GridCell(at.z), radius)) {
      Ogre::Vector3 p = unit->GetPosition();
      p.y = at.y;
      if (p.distance(at) < float(radius) && Slot(unit, kSlotSide) != Slot(caster, kSlotSide))
        victims.push_back(unit);
    }
  } else if (CGAUnit* target = Target()) {
    victims.push_back(target);
  }

  for (CGAUnit* victim : victims) {
    if (Slot(victim, kSlotHp) < 0) continue;
    AddToSlot(victim, kSlotHp, amount);
    if (Slot(caster, kSlotValue) < 0) victim->SetAction("injured");
    if (Slot(victim, kSlotSideStep) > 1 && Slot(caster, kSlotRange) < 10) SideStep(caster, victim);
    // Stun and slow share one draw.
    const float chance = Draw100();
    if (chance < float(f[3])) victim->SetInt(kSlotStunTimer, f[2]);
    if (chance < float(f[5])) victim->SetInt(kSlotSlowTimer, f[4]);
    if (!canCapture) continue;
    const float capture = Draw100();
    const int hp = Slot(victim, kSlotHp);
    // A victim already fading was captured (or is dying): it pays once.
    if (capture < float(f[6]) && hp > 0 && hp < f[7] && !victim->IsFading()) {
      victim->SetFadeOut(true, 500);
      const int price = Slot(victim, kSlotPrice);
      world.AddLevelSilver(price);
      world.ShowLabel("{colour,FFFFFF00}+$" + std::to_string(price), caster->GetPosition(), 3.0f, "simhei-10");
    }
  }
}

// A melee caster steps around a victim that strikes back: to the victim,
// then 2 units aside in z where the ground allows it.
void CGAEffectNode::SideStep(CGAUnit* caster, CGAUnit* victim) {
  EffectWorld& world = World();
  const float side = Draw100();
  Ogre::Vector3 p = victim->GetPosition();
  caster->SetTarget(nullptr);
  AddToSlot(caster, kSlotHp, Slot(victim, kSlotValue));
  auto placeable = [&world](const Ogre::Vector3& at) {
    return world.GetLogic(TruncateToInt(at.x), TruncateToInt(at.z)) == 1;
  };
  const float step = side > 50.0f ? 2.0f : -2.0f;
  p.z += step;
  if (!placeable(p)) p.z -= 2.0f * step;
  if (!placeable(p)) return;
  caster->StopMoving();
  // The walk starts where the caster stands (the first waypoint is taken as
  // reached), so the step to the victim is not skipped.
  caster->AddWaypoint(caster->GetPosition());
  caster->AddWaypoint(victim->GetPosition());
  caster->AddWaypoint(Ogre::Vector3(caster->GetPosition().x, p.y, p.z));
}

// Effects started by messages ------------------------------------------------

void CGAEffectNode::CreateSelfEffect(const std::string& name) {
  CGAEffectNode* effect = CGAEffectManager::getSingleton().CreateEffect(name, std::string(), false, nullptr);
  if (!effect) return;
  // Left where this node is: attached without moving under the owner, and
  // not following it.
  effect->SetCastType(11);
  effect->SetPosition(WorldPosition());
  if (mOwner) effect->AttachToOwner(mOwner->GetUnit(), true);
  effect->SetLinkBone("null");
}

// One effect on each target, aimed back at the caster; with a bone, it
// follows that bone of its target.
void CGAEffectNode::CreateTargetEffects(const std::string& name, const std::string* bone) {
  CGAEffectManager& manager = CGAEffectManager::getSingleton();
  for (size_t i = 0; i < mTargets.size(); ++i) {
    AttachPoint& target = *mTargets[i];
    CGAEffectNode* effect = manager.CreateEffect(name, std::string(), false, nullptr);
    if (!effect) continue;
    if (!bone) {
      effect->SetTargetPosition(WorldPosition());
      effect->SetPosition(target.GetPosition(false));
    } else {
      effect->SetTargetPosition(mTargetPosition);
      effect->SetPosition(WorldPosition());
    }
    effect->AttachToOwner(target.GetUnit(), true);
    if (mOwner) effect->AddTarget(mOwner->GetUnit());
    if (bone) effect->SetLinkBone(*bone);
    ReleaseEffect(effect);
  }
}

// An effect from the caster toward the target; with a bone, it starts from
// that bone of the caster.
void CGAEffectNode::CreateReleaseEffect(const std::string& name, const std::string* bone) {
  CGAEffectNode* effect = CGAEffectManager::getSingleton().CreateEffect(name, std::string(), false, nullptr);
  if (!effect) return;
  effect->SetTargetPosition(mTargetPosition);
  effect->SetPosition(WorldPosition());
  if (mOwner) effect->AttachToOwner(mOwner->GetUnit(), true);
  if (mCurrentTarget) effect->AddTarget(mCurrentTarget->GetUnit());
  if (bone) effect->SetLinkBone(*bone);
  ReleaseEffect(effect);
}

void CGAEffectNode::Teleport(CGAUnit* caster) {
  caster->SetPosition(mTargetPosition);
  caster->SetMoveTarget(mTargetPosition.x, mTargetPosition.z);
  mSceneNode->setPosition(mTargetPosition);
}
