// The effect file reader: one "EffectSystem" definition read, once, into the
// steps that build an effect node, which every build of it then runs. In
// preload mode (the first build) the steps also preload the effects the
// definition starts, and the reading reports what it cannot read.
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
#include <functional>
#include <map>
#include <memory>
#include <vector>

// What a step of a read definition works on: the node being built, the
// creation parameters and whether this build is the preload.
struct EffectBuild {
  CGAEffectManager& manager;
  CGAEffectNode* node;
  EffectMessage& params;
  bool preload;
};
using EffectStep = std::function<void(EffectBuild&)>;

// A definition read: the steps that build it, in the file's order.
struct EffectRecipe {
  std::vector<EffectStep> steps;
};

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

using ObjectStep = std::function<void(CGAEffectObject*)>;

// Reads one definition into the steps that build it; see
// CGAEffectManager::ParseEffectElements. Everything of the file is parsed
// here, once; a value that names a creation parameter is looked up by its
// step at each build. Problems of the data are reported when reading for the
// preload, once per definition.
class EffectReader {
 public:
  explicit EffectReader(bool report) : mPreload(report) {}

  std::vector<EffectStep> ReadElements(const TiXmlElement* first) {
    std::vector<EffectStep> steps;
    for (const TiXmlElement* e = first; e; e = e->NextSiblingElement())
      if (EffectStep step = ReadElement(e)) steps.push_back(std::move(step));
    return steps;
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

  EffectStep ReadElement(const TiXmlElement* e) {
    const std::string& tag = e->ValueStr();
    std::string text;
    float real = 0.0f;
    if (tag == "EffectNode") return ReadChildNode(e);
    if (tag == "Message") return ReadMessages(e);
    if (tag == "SetAccordTerrain") {
      if (Require(e, "AccordTerrain", text) && ParseBool(text))
        return [](EffectBuild& b) { b.node->SetAccordTerrain(true); };
    } else if (tag == "SetAngle") {
      if (!Require(e, "Angle", text)) return nullptr;
      if (text == "angle")
        return [](EffectBuild& b) { b.node->SetOrientation(ParseQuaternion(b.params.GetParam("angle"))); };
      const Ogre::Quaternion angle = ReadAngle(text, At(e, "Angle"));
      return [angle](EffectBuild& b) { b.node->SetOrientation(angle); };
    } else if (tag == "SetPosition") {
      if (!Require(e, "Position", text)) return nullptr;
      if (text.compare(0, 8, "position") == 0)
        return [text](EffectBuild& b) {
          b.node->SetPosition(Bounded(ParseVector3(b.params.GetParam(text)), kMaxEffectDistance));
        };
      const Ogre::Vector3 position = BoundedVector(e, "Position", kMaxEffectDistance);
      return [position](EffectBuild& b) { b.node->SetPosition(position); };
    } else if (tag == "SetScale") {
      if (!Require(e, "Scale", text)) return nullptr;
      if (text == "scale")
        return [text](EffectBuild& b) { b.node->SetScale(Bounded(ParseVector3(b.params.GetParam(text)), kMaxEffectSize)); };
      const Ogre::Vector3 scale = BoundedVector(e, "Scale", kMaxEffectSize);
      return [scale](EffectBuild& b) { b.node->SetScale(scale); };
    } else if (tag == "AutoDischargeEffect") {
      if (!RequireReal(e, "Time", real) || !Require(e, "Name", text)) return nullptr;
      return [text, real](EffectBuild& b) {
        if (b.preload) {
          b.manager.PreloadEffect(text);
        } else {
          b.node->SetAutoDischarge(text, std::string(), real);
        }
      };
    } else if (tag == "SetLifeTime") {
      if (RequireReal(e, "Time", real)) return [real](EffectBuild& b) { b.node->SetLifeTime(real); };
    } else if (tag == "LookAt") {
      if (RequireReal(e, "Target", real)) {
        const int mode = TruncateToInt(real);
        return [mode](EffectBuild& b) { b.node->SetLookAtMode(mode); };
      }
    } else if (tag == "SetLink") {
      if (Require(e, "Bone", text)) return [text](EffectBuild& b) { b.node->SetLinkBone(text); };
    } else if (tag == "SetInheritAngle") {
      if (Require(e, "InheritAngle", text)) {
        const bool inherit = ParseBool(text);
        return [inherit](EffectBuild& b) { b.node->SetInheritOrientation(inherit); };
      }
    } else if (tag == "SetInheritScale") {
      if (Require(e, "InheritScale", text)) {
        const bool inherit = ParseBool(text);
        return [inherit](EffectBuild& b) { b.node->SetInheritScale(inherit); };
      }
    } else if (tag == "SetNodeAnim") {
      return ReadNodeAnim(e);
    } else if (tag == "Cast") {
      if (Require(e, "Type", text)) {
        const int type = ParseInt(text, 0, At(e, "Type"));
        return [type](EffectBuild& b) { b.node->SetCastType(type); };
      }
    } else if (tag == "EffectText") {
      // Recognised; nothing of it is shown.
    } else if (tag == "EffectBillboard") {
      return ReadBillboard(e);
    } else if (tag == "EffectEntity") {
      return ReadEntity(e);
    } else if (tag == "EffectLink") {
      return ReadLink(e);
    } else if (tag == "EffectParticle") {
      return ReadParticle(e);
    } else if (tag == "EffectParticleEX") {
      return ReadParticleEX(e);
    } else if (tag == "EffectProjection") {
      return ReadProjection(e);
    } else if (tag == "EffectRibbon") {
      return ReadRibbon(e);
    } else {
      Report(e, "unknown element <" + tag + "> skipped");
    }
    return nullptr;
  }

  EffectStep ReadChildNode(const TiXmlElement* e) {
    if (!e->FirstChildElement()) return nullptr;
    for (const char* switchName : {"Name", "Enable"}) {
      const char* value = e->Attribute(switchName);
      if (value && std::strcmp(value, "false") == 0) return nullptr;
    }
    auto steps = std::make_shared<const std::vector<EffectStep>>(ReadElements(e->FirstChildElement()));
    return [steps](EffectBuild& b) {
      auto* child = new CGAEffectNode;
      child->SetName(b.manager.MakeEffectName());
      b.node->AddChild(child);
      EffectBuild inner{b.manager, child, b.params, b.preload};
      for (const EffectStep& step : *steps) step(inner);
    };
  }

  EffectStep ReadMessages(const TiXmlElement* e) {
    // Every build stores the texts read here, shared.
    struct Timed {
      float time;
      SharedText type, name;
    };
    std::vector<Timed> messages;
    for (const TiXmlElement* group = e->FirstChildElement(); group; group = group->NextSiblingElement()) {
      float time = 0.0f;
      if (!RequireReal(group, "Time", time)) continue;
      for (const TiXmlElement* m = group->FirstChildElement(); m; m = m->NextSiblingElement()) {
        std::string type;
        if (!Require(m, "Type", type)) continue;
        // Stored all the same: dispatch passes over it.
        if (!IsSkillMessageType(type)) Report(m, "unknown message type \"" + type + "\": nothing acts on it");
        std::string name = XmlAttr(m, "Name");
        if (type == "lua") ReadScript(m, name);
        messages.push_back({time, std::move(type), std::move(name)});
      }
    }
    if (messages.empty()) return nullptr;
    return [messages](EffectBuild& b) {
      for (const Timed& m : messages) {
        if (b.preload && StartsEffect(m.type)) b.manager.PreloadEffect(m.name);
        b.node->AddMessage(m.time, m.type, m.name);
      }
    };
  }

  // A script's text stands in for its file name; the name stays when no
  // file has it.
  void ReadScript(const TiXmlElement* m, std::string& name) {
    Ogre::DataStreamPtr stream = OpenDataFile(name);
    if (!stream) return;
    // A script is small: a bigger file (a font named by mistake) is no script.
    if (stream->size() > kMaxScriptBytes) {
      Report(m, "\"" + name + "\" is " + std::to_string(stream->size()) +
                    " bytes, too big for a script: the message keeps its name");
      return;
    }
    name = stream->getAsString();
  }

  // "Angle": degrees about x, y and z.
  static Ogre::Quaternion ReadAngle(const std::string& text, const TextPlace& place) {
    const Ogre::Vector3 degrees = ParseVector3(text, place);
    Ogre::Matrix3 rotation;
    rotation.FromEulerAnglesXYZ(Ogre::Degree(degrees.x), Ogre::Degree(degrees.y), Ogre::Degree(degrees.z));
    return Ogre::Quaternion(rotation);
  }

  EffectStep ReadNodeAnim(const TiXmlElement* e) {
    std::string type, loopText, linearText;
    float length = 0.0f;
    if (!Require(e, "Type", type) || !RequireReal(e, "Length", length) || !Require(e, "Loop", loopText) ||
        !Require(e, "Linear", linearText))
      return nullptr;
    auto found = NodeAnimTypes().find(type);
    if (found == NodeAnimTypes().end()) return nullptr;
    const int slot = found->second;
    const bool loop = ParseBool(loopText), linear = ParseBool(linearText);
    int rejected = 0;
    EffectStep step;
    if (slot == kAnimPosXYZ || slot == kAnimScaleXYZ) {
      VectorKeys keys = ReadVectorKeys(e->FirstChildElement(), &rejected, KeysFile(e));
      step = [keys, slot, length, loop, linear](EffectBuild& b) {
        b.node->SetNodeAnimVector(keys, slot, length, loop, linear);
      };
    } else {
      ScalarKeys keys = ReadScalarKeys(e->FirstChildElement(), &rejected, KeysFile(e));
      step = [keys, slot, length, loop, linear](EffectBuild& b) { b.node->SetNodeAnim(keys, slot, length, loop, linear); };
    }
    if (rejected) Report(e, std::to_string(rejected) + " key(s) with too few numbers skipped");
    return step;
  }

  // Effect objects -----------------------------------------------------------

  // The steps of an object's children: its own (through own, which gives a
  // step when it takes the child), then the material ones. Each runs on the
  // object made for a build.
  template <class Object, class Own>
  std::vector<ObjectStep> ReadObjectChildren(const TiXmlElement* e, Own own) {
    std::vector<ObjectStep> steps;
    for (const TiXmlElement* child = e->FirstChildElement(); child; child = child->NextSiblingElement()) {
      ObjectStep step;
      if (child->ValueStr() == "SetMaterialName") {
        const std::string material = XmlAttr(child, "MaterialName");
        const bool copy = ParseBool(XmlAttr(child, "MaterialCopy"));
        step = [material, copy](CGAEffectObject* o) { static_cast<Object*>(o)->SetMaterialName(material, copy); };
      } else if (auto mine = own(child)) {
        step = [mine](CGAEffectObject* o) { mine(static_cast<Object*>(o)); };
      } else if (auto material = ReadMaterialChild(child)) {
        step = [material](CGAEffectObject* o) { material(*static_cast<Object*>(o)); };
      }
      if (step) steps.push_back(std::move(step));
    }
    return steps;
  }
  // Adds a made object to the node and runs its children's steps.
  static void AddObject(CGAEffectNode* node, CGAEffectObject* object, const std::vector<ObjectStep>& steps) {
    node->AddObject(object);
    for (const ObjectStep& step : steps) step(object);
  }
  template <class Object>
  static std::function<void(Object*)> NoOwnChildren(const TiXmlElement*) {
    return nullptr;
  }

  // False (reported) for a "SetTexture" without a texture name: the
  // material keeps the texture it has.
  bool NamesATexture(const TiXmlElement* e) {
    if (!XmlAttr(e, "Texture").empty()) return true;
    Report(e, "<SetTexture> without a \"Texture\" name skipped");
    return false;
  }

  std::function<void(CGAEffectMaterial&)> ReadMaterialChild(const TiXmlElement* e) {
    const std::string& tag = e->ValueStr();
    if (tag == "SetTexture") {
      if (!NamesATexture(e)) return nullptr;
      const std::string texture = XmlAttr(e, "Texture");
      const uint16_t pass = uint16_t(ParseUInt(XmlAttr(e, "Pass"))), unit = uint16_t(ParseUInt(XmlAttr(e, "Index")));
      return [texture, pass, unit](CGAEffectMaterial& m) { m.SetTexture(texture, pass, unit); };
    }
    if (tag == "SetMaterialAnim") {
      auto found = MaterialAnimSlots().find(XmlAttr(e, "Type"));
      if (found == MaterialAnimSlots().end()) return nullptr;
      const int slot = found->second;
      const float length = ParseReal(XmlAttr(e, "Length"));
      const bool loop = ParseBool(XmlAttr(e, "Loop")), linear = ParseBool(XmlAttr(e, "Linear"));
      int rejected = 0;
      std::function<void(CGAEffectMaterial&)> step;
      if (slot == kMatEmissiveRGB) {
        VectorKeys keys = ReadVectorKeys(e->FirstChildElement(), &rejected);
        step = [keys, slot, length, loop, linear](CGAEffectMaterial& m) {
          m.SetMaterialAnimRGB(keys, slot, length, loop, linear);
        };
      } else {
        ScalarKeys keys = ReadScalarKeys(e->FirstChildElement(), &rejected);
        step = [keys, slot, length, loop, linear](CGAEffectMaterial& m) {
          m.SetMaterialAnim(keys, slot, length, loop, linear);
        };
      }
      if (rejected) Report(e, std::to_string(rejected) + " key(s) with too few numbers skipped");
      return step;
    }
    return nullptr;
  }

  EffectStep ReadBillboard(const TiXmlElement* e) {
    const int queue = QueueOffset(e);
    auto children = ReadObjectChildren<CGAEffectBillboard>(e, [this](const TiXmlElement* child) {
      std::function<void(CGAEffectBillboard*)> step;
      if (child->ValueStr() != "AddBillboard") return step;
      const Ogre::Vector3 size = BoundedVector(child, "Ared", kMaxEffectSize);
      const Ogre::Vector3 position = BoundedVector(child, "Position", kMaxEffectDistance);
      const Ogre::ColourValue colour = ParseColourValue(XmlAttr(child, "Colour"));
      const uint16_t texture = uint16_t(ParseUInt(XmlAttr(child, "TextIndex")));
      step = [size, position, colour, texture](CGAEffectBillboard* o) {
        o->AddBillboard(Ogre::Vector2(size.x, size.y), position, colour, texture);
      };
      return step;
    });
    return [queue, children](EffectBuild& b) {
      auto* object = new CGAEffectBillboard;
      object->Create(queue);
      AddObject(b.node, object, children);
    };
  }

  EffectStep ReadEntity(const TiXmlElement* e) {
    std::string mesh;
    if (!Require(e, "FileName", mesh)) return nullptr;
    const int queue = QueueOffset(e);
    auto children = ReadObjectChildren<CGAEffectEntity>(e, [](const TiXmlElement* child) {
      std::function<void(CGAEffectEntity*)> step;
      if (child->ValueStr() != "SetEntityAnimation") return step;
      const std::string animation = XmlAttr(child, "AnimationName");
      const bool loop = ParseBool(XmlAttr(child, "Loop"));
      step = [animation, loop](CGAEffectEntity* o) { o->SetEntityAnimation(animation, loop); };
      return step;
    });
    return [mesh, queue, children](EffectBuild& b) {
      auto object = std::make_unique<CGAEffectEntity>();
      if (object->Create(mesh, queue)) AddObject(b.node, object.release(), children);
    };
  }

  EffectStep ReadLink(const TiXmlElement* e) {
    const bool repeat = ParseBool(XmlAttr(e, "Repeat"));
    const float vScale = ParseReal(XmlAttr(e, "VScale"));
    const int queue = QueueOffset(e);
    auto children = ReadObjectChildren<CGAEffectLink>(e, NoOwnChildren<CGAEffectLink>);
    return [repeat, vScale, queue, children](EffectBuild& b) {
      auto object = std::make_unique<CGAEffectLink>();
      if (object->Create(b.manager.MakeEffectName(), repeat, vScale, queue)) AddObject(b.node, object.release(), children);
    };
  }

  EffectStep ReadParticle(const TiXmlElement* e) {
    std::string particleTemplate;
    if (!Require(e, "FileName", particleTemplate)) return nullptr;
    const int queue = QueueOffset(e);
    auto children = ReadObjectChildren<CGAEffectParticle>(e, [](const TiXmlElement* child) {
      std::function<void(CGAEffectParticle*)> step;
      if (child->ValueStr() != "SetParticleEmissionRateAnim") return step;
      const ScalarKeys keys = ReadScalarKeys(child->FirstChildElement());
      const float length = ParseReal(XmlAttr(child, "Length"));
      const bool loop = ParseBool(XmlAttr(child, "Loop")), linear = ParseBool(XmlAttr(child, "Linear"));
      step = [keys, length, loop, linear](CGAEffectParticle* o) { o->SetEmissionRateAnim(keys, length, loop, linear); };
      return step;
    });
    return [particleTemplate, queue, children](EffectBuild& b) {
      auto object = std::make_unique<CGAEffectParticle>();
      if (object->Create(particleTemplate, queue)) AddObject(b.node, object.release(), children);
    };
  }

  EffectStep ReadProjection(const TiXmlElement* e) {
    const std::string material = XmlAttr(e, "MaterialName");
    const int density = TruncateToInt(ParseReal(XmlAttr(e, "Density"))), queue = QueueOffset(e);
    auto children = ReadObjectChildren<CGAEffectProjection>(e, [this](const TiXmlElement* child) {
      std::function<void(CGAEffectProjection*)> step;
      if (child->ValueStr() == "SetProjectionAnim") {
        const PointKeys keys = ReadPointKeys(child->FirstChildElement());
        const float length = ParseReal(XmlAttr(child, "Length"));
        const bool loop = ParseBool(XmlAttr(child, "Loop")), linear = ParseBool(XmlAttr(child, "Linear"));
        step = [keys, length, loop, linear](CGAEffectProjection* o) { o->SetProjectionAnim(keys, length, loop, linear); };
      } else if (child->ValueStr() == "SetDriveUp") {
        const float driveUp = Bounded(ParseReal(XmlAttr(child, "DriveUp")), kMaxEffectDistance, At(child, "DriveUp"));
        step = [driveUp](CGAEffectProjection* o) { o->SetDriveUp(driveUp); };
      }
      return step;
    });
    return [material, density, queue, children](EffectBuild& b) {
      auto* object = new CGAEffectProjection;
      object->Create(material, density, queue);
      AddObject(b.node, object, children);
    };
  }

  EffectStep ReadRibbon(const TiXmlElement* e) {
    const int sub = TruncateToInt(ParseReal(XmlAttr(e, "Sub"))), subTime = TruncateToInt(ParseReal(XmlAttr(e, "Sub_Time")));
    const int density = TruncateToInt(ParseReal(XmlAttr(e, "Density")));
    const Ogre::Vector3 position1 = BoundedVector(e, "Position_1", kMaxEffectDistance);
    const Ogre::Vector3 position2 = BoundedVector(e, "Position_2", kMaxEffectDistance);
    const Ogre::ColourValue colour = ParseColourValue(XmlAttr(e, "Colour"));
    const std::string material = XmlAttr(e, "MaterialName");
    const int queue = QueueOffset(e);
    auto children = ReadObjectChildren<CGAEffectRibbon>(e, NoOwnChildren<CGAEffectRibbon>);
    return [=](EffectBuild& b) {
      auto* object = new CGAEffectRibbon;
      object->Create(sub, subTime, density, position1, position2, colour, material, queue);
      AddObject(b.node, object, children);
    };
  }

  EffectStep ReadParticleEX(const TiXmlElement* e) {
    const std::string type = XmlAttr(e, "Type"), mesh = XmlAttr(e, "Mesh");
    const bool worldAxis = ParseBool(XmlAttr(e, "WorldAxis"));
    const int amount = ParseInt(XmlAttr(e, "Amount")), queue = QueueOffset(e);
    std::vector<ParticleChildStep> children;
    for (const TiXmlElement* child = e->FirstChildElement(); child; child = child->NextSiblingElement())
      if (child->ValueStr() != "SetTexture" || NamesATexture(child))
        if (ParticleChildStep step = CGAEffectParticleEX::ReadChild(child, KeysFile(child)))
          children.push_back(std::move(step));
    return [type, mesh, worldAxis, amount, queue, children](EffectBuild& b) {
      auto object = std::make_unique<CGAEffectParticleEX>();
      bool made = true;
      if (type == "Mesh") {
        made = object->CreateMeshParticles(amount, mesh, worldAxis, queue);
      } else if (type == "Mesh2" || type == "Effect") {
        made = object->CreateMeshBatch(amount, mesh, worldAxis, queue);
      } else {
        object->CreateBillboards(amount, worldAxis, queue);
      }
      if (made)
        for (const ParticleChildStep& step : children) object->RunChild(step);
      object->EndSetUp();
      if (made) b.node->AddObject(object.release());
    };
  }

  bool mPreload;
};

}  // namespace

// The definition's steps are read on first use and kept, by its first
// element, for every later build.
void CGAEffectManager::ParseEffectElements(const TiXmlElement* first, CGAEffectNode* node, EffectMessage params,
                                           bool preload) {
  // A step may read and build other definitions (a preload reaches those its
  // definition starts), which adds to the map: the steps are held here.
  std::shared_ptr<const EffectRecipe> recipe;
  auto found = mRecipes.find(first);
  if (found != mRecipes.end()) {
    recipe = found->second;
  } else {
    recipe = std::make_shared<const EffectRecipe>(EffectRecipe{EffectReader(preload).ReadElements(first)});
    mRecipes.emplace(first, recipe);
  }
  EffectBuild build{*this, node, params, preload};
  for (const EffectStep& step : recipe->steps) step(build);
}
