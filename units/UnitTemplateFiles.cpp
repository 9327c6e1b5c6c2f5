// Reading the unit template files ("*.unt").
#include "units/UnitManager.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "units/UnitAction.h"
#include "units/UnitPartDef.h"

#include <OgreMatrix3.h>
#include <OgreStringConverter.h>
#include <OgreResourceGroupManager.h>
#include <tinyxml.h>

#include <algorithm>
#include <vector>

namespace {

// The parameters of each event type, in the order the timeline reads them.
struct EventKind {
  const char* name;
  UnitEventType type;
  std::vector<const char*> parameters;
};

const EventKind kEventKinds[] = {
    {"Anim", kEventAnim, {"Name", "Speed", "Loop", "Pose"}},
    {"Effect", kEventEffect, {"Name", "Bone"}},  // Target follows only when given
    {"Sound", kEventSound, {"Name"}},
    {"Action", kEventAction, {"Name", "Target"}},
    {"Space", kEventSpace, {"Value0", "Value1", "Value2"}},
};

Ogre::Quaternion OrientationFromAngles(const Ogre::Vector3& degrees) {
  Ogre::Matrix3 rotation;
  rotation.FromEulerAnglesXYZ(Ogre::Degree(degrees.x), Ogre::Degree(degrees.y), Ogre::Degree(degrees.z));
  return Ogre::Quaternion(rotation);
}

UnitEffectTexture ReadEffectTexture(const TiXmlElement* e, const std::string& file) {
  UnitEffectTexture t;
  t.texture = XmlAttr(e, "textue");  // spelled so in the files
  t.mask = XmlAttr(e, "mask");
  const Ogre::Vector2 uv = XmlVector2(e, "uv", file);
  t.parameter = Ogre::Vector4(uv.x, uv.y, static_cast<float>(XmlInt(e, "flash", file)), 1.0f);
  return t;
}

// An event of an action's timeline, where the file has it.
struct TimedChild {
  float time;
  const TiXmlElement* element;
  bool movesOn;  // starts another action on the unit itself
};

// The timeline runs in time order, and an event that starts another action
// on the unit ends it: an event due later never fires (an archer whose
// "ready" comes before its arrow never shoots).
void WarnUnreachableEvents(std::vector<TimedChild> timeline, const std::string& action, const std::string& file) {
  std::stable_sort(timeline.begin(), timeline.end(),
                   [](const TimedChild& a, const TimedChild& b) { return a.time < b.time; });
  const auto end = std::find_if(timeline.begin(), timeline.end(), [](const TimedChild& c) { return c.movesOn; });
  if (end == timeline.end()) return;
  const auto late = timeline.end() - (end + 1);
  if (late == 0) return;
  // One line for the action: a long list of late events would flood the log.
  GameLog(XmlWhere(file, (end + 1)->element) + "action \"" + action + "\" moves on to another action at Time " +
          Ogre::StringConverter::toString(end->time) + ", so " +
          (late == 1 ? std::string("this event never fires")
                     : "this event and the " + std::to_string(late - 1) + " after it never fire"));
}

}  // namespace

void CGAUnitManager::LoadUnitTemplates(const std::string& group) {
  Ogre::StringVectorPtr files = Ogre::ResourceGroupManager::getSingleton().findResourceNames(group, "*.unt", false);
  for (const std::string& file : *files) LoadUnitTemplateFile(file, group);
}

void CGAUnitManager::LoadUnitTemplateFile(const std::string& file, const std::string& group) {
  std::string text;
  if (ReadDataFile(file, group, false, text)) ReadUnitTemplates(text, file);
}

void CGAUnitManager::ReadUnitTemplates(const std::string& text, const std::string& file) {
  // Named after its file: unit creation reads the template's elements later.
  auto document = std::make_unique<TiXmlDocument>(file);
  if (!ParseDataXml(*document, text, file)) return;
  const TiXmlElement* root = document->RootElement();
  if (!root) return;
  for (const TiXmlElement* unit = root->FirstChildElement("Unit"); unit; unit = unit->NextSiblingElement("Unit"))
    ParseUnitTemplate(unit, file);
  // Templates keep pointing into the document.
  mDocuments.push_back(std::move(document));
}

void CGAUnitManager::ParseUnitTemplate(const TiXmlElement* unit, const std::string& file) {
  const std::string name = XmlAttr(unit, "Name");
  if (name.empty()) {
    GameLog(XmlWhere(file, unit) + "a Unit without a Name is skipped");
    return;
  }
  // A second definition amends the first in place, at the cost of reading
  // it: its actions replace the old ones (which stay in storage while
  // anything may point at them), its parts and skeleton files are added,
  // and everything else, its NamePosition too, is kept. The entry keeps its
  // address: screens hold pointers to templates.
  auto entry = mTemplates.try_emplace(name);
  UnitTemplate& t = entry.first->second;
  if (entry.second) {
    t.Name = name;
    if (unit->Attribute("NamePosition")) t.NamePosition = XmlVector3(unit, "NamePosition", file);
  } else {
    t.actions.clear();
  }
  t.unitElement = unit;

  if (const TiXmlElement* actions = unit->FirstChildElement("Actions"))
    for (const TiXmlElement* a = actions->FirstChildElement("Action"); a; a = a->NextSiblingElement("Action"))
      t.actions.push_back(ParseAction(a, file));

  if (const TiXmlElement* parts = unit->FirstChildElement("ChoiceParts"))
    for (const TiXmlElement* p = parts->FirstChildElement("Part"); p; p = p->NextSiblingElement("Part"))
      t.choiceParts[XmlAttr(p, "PartName")].push_back(ParsePart(p, file));

  if (const TiXmlElement* skeletons = unit->FirstChildElement("SkeletonFiles")) {
    for (const TiXmlElement* f = skeletons->FirstChildElement("File"); f; f = f->NextSiblingElement("File")) {
      if (f->GetText())
        t.skeletonFiles.push_back(f->GetText());
      else
        GameLog(XmlWhere(file, f) + "a skeleton File without a name is skipped");
    }
  }
}

UnitAction* CGAUnitManager::ParseAction(const TiXmlElement* element, const std::string& file) {
  mActionStore.push_back(std::make_unique<UnitAction>());
  UnitAction* action = mActionStore.back().get();
  action->SetName(XmlAttr(element, "Name"));
  action->SetLevel(XmlInt(element, "Level", file));
  action->SetProbability(XmlReal(element, "Probability", file, 1.0f));
  std::vector<TimedChild> timeline;
  for (const TiXmlElement* child = element->FirstChildElement("ActionChild"); child;
       child = child->NextSiblingElement("ActionChild")) {
    const std::string type = XmlAttr(child, "Type");
    const EventKind* kind = nullptr;
    for (const EventKind& k : kEventKinds)
      if (type == k.name) kind = &k;
    if (!kind) {
      GameLog(XmlWhere(file, child) + "action \"" + action->GetName() + "\" has an event of unknown Type \"" + type +
              "\"; it is skipped");
      continue;
    }
    UnitActionEvent event;
    event.type = kind->type;
    event.Time = XmlReal(child, "Time", file);
    for (const char* parameter : kind->parameters) event.parameters.push_back(XmlAttr(child, parameter));
    if (kind->type == kEventEffect && child->Attribute("Target")) event.parameters.push_back(XmlAttr(child, "Target"));
    action->AddEvent(event, XmlPlace(file, child));
    timeline.push_back({event.Time, child, kind->type == kEventAction && XmlAttr(child, "Target") == "0"});
  }
  action->SortEvents();
  WarnUnreachableEvents(timeline, action->GetName(), file);
  return action;
}

UnitPartDef* CGAUnitManager::ParsePart(const TiXmlElement* element, const std::string& file, bool withEffectTextures) {
  mPartStore.push_back(std::make_unique<UnitPartDef>());
  UnitPartDef* part = mPartStore.back().get();
  part->SetPartType(XmlAttr(element, "PartType"));
  part->SetResName(XmlAttr(element, "ResName"));
  part->SetTexture(XmlAttr(element, "Texture"));
  part->SetBone(XmlAttr(element, "Bone"));
  part->SetEffect(XmlAttr(element, "Effect"));
  part->SetAttackType(XmlAttr(element, "AttackType"));
  part->SetPosition(XmlVector3(element, "Position", file));
  if (element->Attribute("Angle")) part->SetOrientation(OrientationFromAngles(XmlVector3(element, "Angle", file)));
  const TiXmlElement* first = withEffectTextures ? element->FirstChildElement("EffectTexture") : nullptr;
  if (first) {
    part->SetEffectTexture(0, ReadEffectTexture(first, file));
    if (const TiXmlElement* second = first->NextSiblingElement("EffectTexture"))
      part->SetEffectTexture(1, ReadEffectTexture(second, file));
  }
  return part;
}
