// The effect file reader: one "EffectSystem" definition read into a fresh
// effect node, element by element. In preload mode (once per definition) it
// also preloads the effects the definition starts and reports what it
// cannot read; a live read is quiet.
#include "effects/EffectKeys.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/SkillMessages.h"
#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"
#include "units/UnitNumbers.h"

#include <OgreMatrix3.h>
#include <tinyxml.h>

#include <cstring>
#include <map>

namespace {

const std::map<std::string, int>& NodeAnimTypes() {
  static const std::map<std::string, int> types = {
      {"POS_X", kAnimPosX},         {"POS_Y", kAnimPosY},         {"POS_Z", kAnimPosZ},
      {"POS_XYZ", kAnimPosXYZ},     {"SCALE_X", kAnimScaleX},     {"SCALE_Y", kAnimScaleY},
      {"SCALE_Z", kAnimScaleZ},     {"ROTATE_X", kAnimRotateX},   {"ROTATE_Y", kAnimRotateY},
      {"ROTATE_Z", kAnimRotateZ},   {"SCALE_XYZ", kAnimScaleXYZ},
  };
  return types;
}

// What the effect objects are made of; the object kinds are not shown yet,
// so these are read past.
bool IsObjectElement(const std::string& name) {
  static const char* const kinds[] = {"EffectBillboard",  "EffectEntity",     "EffectLink",  "EffectParticle",
                                      "EffectParticleEX", "EffectProjection", "EffectRibbon"};
  for (const char* kind : kinds)
    if (name == kind) return true;
  return false;
}

// Message types whose "Name" is an effect to preload.
bool StartsEffect(const std::string& type) {
  return type == "effect" || type == "effect_release" || type == "effect_target" ||
         type == "effect_target_bone" || type == "effect_release_bone";
}

// Reads one definition into a node; see CGAEffectManager::ParseEffectElements.
class EffectReader {
 public:
  EffectReader(CGAEffectManager& manager, EffectMessage& params, bool preload)
      : mManager(manager), mParams(params), mPreload(preload) {}

  void ReadElements(const TiXmlElement* first, CGAEffectNode* node) {
    for (const TiXmlElement* e = first; e; e = e->NextSiblingElement()) ReadElement(e, node);
  }

 private:
  // A problem of the data, said once per definition (while preloading).
  void Report(const TiXmlElement* e, const std::string& what) {
    if (!mPreload) return;
    const TiXmlDocument* doc = e->GetDocument();
    GameLog(XmlWhere(doc ? doc->ValueStr() : std::string("effect"), e) + what);
  }

  // A required attribute's text; false (reported) when it is missing.
  bool Require(const TiXmlElement* e, const char* name, std::string& value) {
    if (const char* text = e->Attribute(name)) {
      value = text;
      return true;
    }
    Report(e, "<" + e->ValueStr() + "> without \"" + name + "\" skipped");
    return false;
  }
  bool RequireReal(const TiXmlElement* e, const char* name, float& value) {
    std::string text;
    if (!Require(e, name, text)) return false;
    value = ParseReal(text);
    return true;
  }

  void ReadElement(const TiXmlElement* e, CGAEffectNode* node) {
    const std::string& tag = e->ValueStr();
    std::string text;
    float real = 0.0f;
    if (tag == "EffectNode") {
      ReadChildNode(e, node);
    } else if (tag == "Message") {
      ReadMessages(e, node);
    } else if (tag == "SetAccordTerrain") {
      if (Require(e, "AccordTerrain", text) && ParseBool(text)) node->SetAccordTerrain(true);
    } else if (tag == "SetAngle") {
      if (Require(e, "Angle", text)) node->SetOrientation(ReadAngle(text));
    } else if (tag == "SetPosition") {
      if (!Require(e, "Position", text)) return;
      const bool fromParams = text.compare(0, 8, "position") == 0;
      node->SetPosition(ParseVector3(fromParams ? mParams.GetParam(text) : text));
    } else if (tag == "SetScale") {
      if (Require(e, "Scale", text)) node->SetScale(ParseVector3(text == "scale" ? mParams.GetParam(text) : text));
    } else if (tag == "AutoDischargeEffect") {
      if (!RequireReal(e, "Time", real) || !Require(e, "Name", text)) return;
      if (mPreload) {
        mManager.PreloadEffect(text);
      } else {
        node->SetAutoDischarge(text, std::string(), real);
      }
    } else if (tag == "SetLifeTime") {
      if (RequireReal(e, "Time", real)) node->SetLifeTime(real);
    } else if (tag == "LookAt") {
      if (RequireReal(e, "Target", real)) node->SetLookAtMode(TruncateToInt(real));
    } else if (tag == "SetLink") {
      if (Require(e, "Bone", text)) node->SetLinkBone(text);
    } else if (tag == "SetInheritAngle") {
      if (Require(e, "InheritAngle", text)) node->SetInheritOrientation(ParseBool(text));
    } else if (tag == "SetInheritScale") {
      if (Require(e, "InheritScale", text)) node->SetInheritScale(ParseBool(text));
    } else if (tag == "SetNodeAnim") {
      ReadNodeAnim(e, node);
    } else if (tag == "Cast") {
      if (Require(e, "Type", text)) node->SetCastType(ParseInt(text));
    } else if (tag == "EffectText" || IsObjectElement(tag)) {
      // Recognised; nothing of it is shown.
    } else {
      Report(e, "unknown element <" + tag + "> skipped");
    }
  }

  void ReadChildNode(const TiXmlElement* e, CGAEffectNode* node) {
    if (!e->FirstChildElement()) return;
    for (const char* switchName : {"Name", "Enable"}) {
      const char* value = e->Attribute(switchName);
      if (value && std::strcmp(value, "false") == 0) return;
    }
    auto* child = new CGAEffectNode;
    child->SetName(mManager.MakeEffectName());
    node->AddChild(child);
    ReadElements(e->FirstChildElement(), child);
  }

  void ReadMessages(const TiXmlElement* e, CGAEffectNode* node) {
    for (const TiXmlElement* group = e->FirstChildElement(); group; group = group->NextSiblingElement()) {
      float time = 0.0f;
      if (!RequireReal(group, "Time", time)) continue;
      for (const TiXmlElement* m = group->FirstChildElement(); m; m = m->NextSiblingElement()) {
        std::string type;
        if (!Require(m, "Type", type)) continue;
        if (!IsSkillMessageType(type)) {
          Report(m, "unknown message type \"" + type + "\" skipped");
          continue;
        }
        std::string name = XmlAttr(m, "Name");
        if (mPreload && StartsEffect(type)) mManager.PreloadEffect(name);
        // A script's text stands in for its file name.
        std::string script;
        if (type == "lua" && ReadResourceText(name, script)) name = script;
        node->AddMessage(time, type, name);
      }
    }
  }

  // "Angle": "angle" takes the creation parameter; otherwise degrees about
  // x, y and z.
  Ogre::Quaternion ReadAngle(const std::string& text) {
    if (text == "angle") return ParseQuaternion(mParams.GetParam("angle"));
    const Ogre::Vector3 degrees = ParseVector3(text);
    Ogre::Matrix3 rotation;
    rotation.FromEulerAnglesXYZ(Ogre::Degree(degrees.x), Ogre::Degree(degrees.y), Ogre::Degree(degrees.z));
    return Ogre::Quaternion(rotation);
  }

  void ReadNodeAnim(const TiXmlElement* e, CGAEffectNode* node) {
    std::string type, loop, linear;
    float length = 0.0f;
    if (!Require(e, "Type", type) || !RequireReal(e, "Length", length) || !Require(e, "Loop", loop) ||
        !Require(e, "Linear", linear))
      return;
    auto found = NodeAnimTypes().find(type);
    if (found == NodeAnimTypes().end()) return;
    int rejected = 0;
    if (found->second == kAnimPosXYZ || found->second == kAnimScaleXYZ) {
      VectorKeys keys = ReadVectorKeys(e->FirstChildElement(), &rejected);
      node->SetNodeAnimVector(keys, found->second, length, ParseBool(loop), ParseBool(linear));
    } else {
      ScalarKeys keys = ReadScalarKeys(e->FirstChildElement(), &rejected);
      node->SetNodeAnim(keys, found->second, length, ParseBool(loop), ParseBool(linear));
    }
    if (rejected) Report(e, std::to_string(rejected) + " key(s) with too few numbers skipped");
  }

  CGAEffectManager& mManager;
  EffectMessage& mParams;
  bool mPreload;
};

}  // namespace

void CGAEffectManager::ParseEffectElements(const TiXmlElement* first, CGAEffectNode* node, EffectMessage params,
                                           bool preload) {
  EffectReader(*this, params, preload).ReadElements(first, node);
}
