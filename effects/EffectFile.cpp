// The effect file reader: one "EffectSystem" definition read into a fresh
// effect node, element by element. In preload mode (once per definition) it
// also preloads the effects the definition starts and reports what it
// cannot read; a live read is quiet.
#include "effects/EffectBillboard.h"
#include "effects/EffectEntity.h"
#include "effects/EffectKeys.h"
#include "effects/EffectLimits.h"
#include "effects/EffectLink.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/EffectParticle.h"
#include "effects/EffectParticleEX.h"
#include "effects/EffectProjection.h"
#include "effects/EffectRibbon.h"
#include "effects/SkillMessages.h"
#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"
#include "units/UnitNumbers.h"

#include <OgreMatrix3.h>
#include <tinyxml.h>

#include <cstring>
#include <map>
#include <memory>

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

const std::map<std::string, int>& MaterialAnimSlots() {
  static const std::map<std::string, int> slots = {
      {"EMISSIVE", kMatEmissive}, {"EMISSIVE_RGB", kMatEmissiveRGB}, {"OPACITY", kMatOpacity},
      {"SCROLL_U", kMatScrollU},  {"SCROLL_V", kMatScrollV},         {"SCALE_U", kMatScaleU},
      {"SCALE_V", kMatScaleV},    {"ROTATE", kMatRotate},
  };
  return slots;
}

// An object's render queue offset: "RQ", 0 when absent.
int QueueOffset(const TiXmlElement* e) { return ParseInt(XmlAttr(e, "RQ")); }

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

  // Where an attribute was read: a number beyond its field is logged there,
  // once per definition (while preloading) like every other problem.
  TextPlace At(const TiXmlElement* e, const char* name) {
    const TiXmlDocument* doc = e->GetDocument();
    return mPreload && doc ? XmlPlace(doc->ValueStr(), e, name) : TextPlace();
  }
  const std::string* KeysFile(const TiXmlElement* e) {
    const TiXmlDocument* doc = e->GetDocument();
    return mPreload && doc ? &doc->ValueStr() : nullptr;
  }

  // A vector that becomes a position or a size, within limit (see
  // EffectLimits.h).
  Ogre::Vector3 BoundedVector(const TiXmlElement* e, const char* name, float limit) {
    return Bounded(ParseVector3(XmlAttr(e, name), At(e, name)), limit, At(e, name));
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
    value = ParseReal(text, 0.0f, At(e, name));
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
      if (Require(e, "Angle", text)) node->SetOrientation(ReadAngle(text, At(e, "Angle")));
    } else if (tag == "SetPosition") {
      if (!Require(e, "Position", text)) return;
      const bool fromParams = text.compare(0, 8, "position") == 0;
      node->SetPosition(fromParams ? Bounded(ParseVector3(mParams.GetParam(text)), kMaxEffectDistance)
                                   : BoundedVector(e, "Position", kMaxEffectDistance));
    } else if (tag == "SetScale") {
      if (!Require(e, "Scale", text)) return;
      node->SetScale(text == "scale" ? Bounded(ParseVector3(mParams.GetParam(text)), kMaxEffectSize)
                                     : BoundedVector(e, "Scale", kMaxEffectSize));
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
      if (Require(e, "Type", text)) node->SetCastType(ParseInt(text, 0, At(e, "Type")));
    } else if (tag == "EffectText") {
      // Recognised; nothing of it is shown.
    } else if (tag == "EffectBillboard") {
      ReadBillboard(e, node);
    } else if (tag == "EffectEntity") {
      ReadEntity(e, node);
    } else if (tag == "EffectLink") {
      ReadLink(e, node);
    } else if (tag == "EffectParticle") {
      ReadParticle(e, node);
    } else if (tag == "EffectParticleEX") {
      ReadParticleEX(e, node);
    } else if (tag == "EffectProjection") {
      ReadProjection(e, node);
    } else if (tag == "EffectRibbon") {
      ReadRibbon(e, node);
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
  Ogre::Quaternion ReadAngle(const std::string& text, const TextPlace& place) {
    if (text == "angle") return ParseQuaternion(mParams.GetParam("angle"));
    const Ogre::Vector3 degrees = ParseVector3(text, place);
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
      VectorKeys keys = ReadVectorKeys(e->FirstChildElement(), &rejected, KeysFile(e));
      node->SetNodeAnimVector(keys, found->second, length, ParseBool(loop), ParseBool(linear));
    } else {
      ScalarKeys keys = ReadScalarKeys(e->FirstChildElement(), &rejected, KeysFile(e));
      node->SetNodeAnim(keys, found->second, length, ParseBool(loop), ParseBool(linear));
    }
    if (rejected) Report(e, std::to_string(rejected) + " key(s) with too few numbers skipped");
  }

  // Effect objects -----------------------------------------------------------

  // Adds a made object to the node and reads its children: its own (through
  // own, which says whether it took the child), then the material ones.
  template <class Object, class Own>
  void AddObject(std::unique_ptr<Object> object, const TiXmlElement* e, CGAEffectNode* node, Own own) {
    Object* o = object.release();
    node->AddObject(o);
    for (const TiXmlElement* child = e->FirstChildElement(); child; child = child->NextSiblingElement()) {
      if (child->ValueStr() == "SetMaterialName") {
        o->SetMaterialName(XmlAttr(child, "MaterialName"), ParseBool(XmlAttr(child, "MaterialCopy")));
      } else if (!own(o, child)) {
        ReadMaterialChild(*o, child);
      }
    }
  }
  static bool NoOwnChildren(CGAEffectObject*, const TiXmlElement*) { return false; }

  // False (reported) for a "SetTexture" without a texture name: the
  // material keeps the texture it has.
  bool NamesATexture(const TiXmlElement* e) {
    if (!XmlAttr(e, "Texture").empty()) return true;
    Report(e, "<SetTexture> without a \"Texture\" name skipped");
    return false;
  }

  void ReadMaterialChild(CGAEffectMaterial& material, const TiXmlElement* e) {
    const std::string& tag = e->ValueStr();
    if (tag == "SetTexture") {
      if (!NamesATexture(e)) return;
      material.SetTexture(XmlAttr(e, "Texture"), uint16_t(ParseUInt(XmlAttr(e, "Pass"))),
                          uint16_t(ParseUInt(XmlAttr(e, "Index"))));
    } else if (tag == "SetMaterialAnim") {
      auto found = MaterialAnimSlots().find(XmlAttr(e, "Type"));
      if (found == MaterialAnimSlots().end()) return;
      const float length = ParseReal(XmlAttr(e, "Length"));
      const bool loop = ParseBool(XmlAttr(e, "Loop")), linear = ParseBool(XmlAttr(e, "Linear"));
      int rejected = 0;
      if (found->second == kMatEmissiveRGB) {
        material.SetMaterialAnimRGB(ReadVectorKeys(e->FirstChildElement(), &rejected), found->second, length, loop,
                                    linear);
      } else {
        material.SetMaterialAnim(ReadScalarKeys(e->FirstChildElement(), &rejected), found->second, length, loop,
                                 linear);
      }
      if (rejected) Report(e, std::to_string(rejected) + " key(s) with too few numbers skipped");
    }
  }

  void ReadBillboard(const TiXmlElement* e, CGAEffectNode* node) {
    auto object = std::make_unique<CGAEffectBillboard>();
    object->Create(QueueOffset(e));
    AddObject(std::move(object), e, node, [this](CGAEffectBillboard* o, const TiXmlElement* child) {
      if (child->ValueStr() != "AddBillboard") return false;
      const Ogre::Vector3 size = BoundedVector(child, "Ared", kMaxEffectSize);
      o->AddBillboard(Ogre::Vector2(size.x, size.y), BoundedVector(child, "Position", kMaxEffectDistance),
                      ParseColourValue(XmlAttr(child, "Colour")), uint16_t(ParseUInt(XmlAttr(child, "TextIndex"))));
      return true;
    });
  }

  void ReadEntity(const TiXmlElement* e, CGAEffectNode* node) {
    std::string mesh;
    if (!Require(e, "FileName", mesh)) return;
    auto object = std::make_unique<CGAEffectEntity>();
    if (!object->Create(mesh, QueueOffset(e))) return;
    AddObject(std::move(object), e, node, [](CGAEffectEntity* o, const TiXmlElement* child) {
      if (child->ValueStr() != "SetEntityAnimation") return false;
      o->SetEntityAnimation(XmlAttr(child, "AnimationName"), ParseBool(XmlAttr(child, "Loop")));
      return true;
    });
  }

  void ReadLink(const TiXmlElement* e, CGAEffectNode* node) {
    auto object = std::make_unique<CGAEffectLink>();
    if (!object->Create(mManager.MakeEffectName(), ParseBool(XmlAttr(e, "Repeat")), ParseReal(XmlAttr(e, "VScale")),
                        QueueOffset(e)))
      return;
    AddObject(std::move(object), e, node, NoOwnChildren);
  }

  void ReadParticle(const TiXmlElement* e, CGAEffectNode* node) {
    std::string particleTemplate;
    if (!Require(e, "FileName", particleTemplate)) return;
    auto object = std::make_unique<CGAEffectParticle>();
    if (!object->Create(particleTemplate, QueueOffset(e))) return;
    AddObject(std::move(object), e, node, [](CGAEffectParticle* o, const TiXmlElement* child) {
      if (child->ValueStr() != "SetParticleEmissionRateAnim") return false;
      o->SetEmissionRateAnim(ReadScalarKeys(child->FirstChildElement()), ParseReal(XmlAttr(child, "Length")),
                             ParseBool(XmlAttr(child, "Loop")), ParseBool(XmlAttr(child, "Linear")));
      return true;
    });
  }

  void ReadProjection(const TiXmlElement* e, CGAEffectNode* node) {
    auto object = std::make_unique<CGAEffectProjection>();
    object->Create(XmlAttr(e, "MaterialName"), TruncateToInt(ParseReal(XmlAttr(e, "Density"))), QueueOffset(e));
    AddObject(std::move(object), e, node, [this](CGAEffectProjection* o, const TiXmlElement* child) {
      if (child->ValueStr() == "SetProjectionAnim") {
        o->SetProjectionAnim(ReadPointKeys(child->FirstChildElement()), ParseReal(XmlAttr(child, "Length")),
                             ParseBool(XmlAttr(child, "Loop")), ParseBool(XmlAttr(child, "Linear")));
        return true;
      }
      if (child->ValueStr() == "SetDriveUp") {
        o->SetDriveUp(Bounded(ParseReal(XmlAttr(child, "DriveUp")), kMaxEffectDistance, At(child, "DriveUp")));
        return true;
      }
      return false;
    });
  }

  void ReadRibbon(const TiXmlElement* e, CGAEffectNode* node) {
    auto object = std::make_unique<CGAEffectRibbon>();
    object->Create(TruncateToInt(ParseReal(XmlAttr(e, "Sub"))), TruncateToInt(ParseReal(XmlAttr(e, "Sub_Time"))),
                   TruncateToInt(ParseReal(XmlAttr(e, "Density"))),
                   BoundedVector(e, "Position_1", kMaxEffectDistance),
                   BoundedVector(e, "Position_2", kMaxEffectDistance),
                   ParseColourValue(XmlAttr(e, "Colour")), XmlAttr(e, "MaterialName"), QueueOffset(e));
    AddObject(std::move(object), e, node, NoOwnChildren);
  }

  void ReadParticleEX(const TiXmlElement* e, CGAEffectNode* node) {
    auto object = std::make_unique<CGAEffectParticleEX>();
    const std::string type = XmlAttr(e, "Type"), mesh = XmlAttr(e, "Mesh");
    const bool worldAxis = ParseBool(XmlAttr(e, "WorldAxis"));
    const int amount = ParseInt(XmlAttr(e, "Amount")), queue = QueueOffset(e);
    bool made = true;
    if (type == "Mesh") {
      made = object->CreateMeshParticles(amount, mesh, worldAxis, queue);
    } else if (type == "Mesh2" || type == "Effect") {
      made = object->CreateMeshBatch(amount, mesh, worldAxis, queue);
    } else {
      object->CreateBillboards(amount, worldAxis, queue);
    }
    if (made)
      for (const TiXmlElement* child = e->FirstChildElement(); child; child = child->NextSiblingElement())
        if (child->ValueStr() != "SetTexture" || NamesATexture(child)) object->ReadChild(child, KeysFile(child));
    object->EndActionList();
    if (made) node->AddObject(object.release());
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
