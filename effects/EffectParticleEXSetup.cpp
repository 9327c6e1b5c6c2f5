// The children of a particle effect element: where particles are born and
// how fast, what they start with, and the actions recorded into the list
// that runs every frame, in document order. Each child is read once into a
// step that every particle effect made from the element runs.
#include "effects/EffectKeys.h"
#include "effects/EffectLimits.h"
#include "effects/EffectParticleEX.h"
#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"

#include <OgreBillboardSet.h>
#include <tinyxml.h>

#include <functional>
#include <map>

namespace {

// The attributes of one child element, each kept within the bounds of effect
// values; a value moved there is logged when the element's file is known.
struct Fields {
  const TiXmlElement* e;
  const std::string* file;

  TextPlace At(const char* name) const { return file ? TextPlace{file, e->Row(), name} : TextPlace(); }
  Ogre::Vector3 Vector(const char* name, float limit) const {
    return Bounded(ParseVector3(XmlAttr(e, name), At(name)), limit, At(name));
  }
  // Rates, radii, strengths and times.
  float Real(const char* name) const { return Bounded(ParseReal(XmlAttr(e, name)), kMaxEffectSize, At(name)); }
  // A position or direction of the file, in the library's axes.
  PSim::PVec3 Position(const char* name) const {
    const Ogre::Vector3 v = Vector(name, kMaxEffectDistance);
    return PSim::PVec3(v.x, v.z, v.y);
  }
  // A size or scale of the file, as written.
  PSim::PVec3 Size(const char* name) const {
    const Ogre::Vector3 v = Vector(name, kMaxEffectSize);
    return PSim::PVec3(v.x, v.y, v.z);
  }
};

Ogre::BillboardType BillboardTypeOf(const std::string& text) {
  if (text == "point") return Ogre::BBT_POINT;
  if (text == "oriented_self") return Ogre::BBT_ORIENTED_SELF;
  if (text == "perpendicular_common") return Ogre::BBT_PERPENDICULAR_COMMON;
  if (text == "perpendicular_self") return Ogre::BBT_PERPENDICULAR_SELF;
  return Ogre::BBT_ORIENTED_COMMON;
}

// Keys of colour or size animations: a sphere per key whose centre is the
// value, outer radius the time and inner radius alpha (or 0).
PSim::PDUnion KeySpheres(const TiXmlElement* e, bool withAlpha) {
  PSim::PDUnion keys;
  for (const TimedKey& key : ReadTimedKeys(e->FirstChildElement()))
    keys.Insert(PSim::PDSphere(PSim::PVec3(key.value.x, key.value.y, key.value.z), key.time,
                               withAlpha ? key.value.w : 0.0f, true));
  return keys;
}

}  // namespace

namespace {

// A value the library refuses (a negative radius) leaves the child out.
void Refused(const TiXmlElement* e, const PSim::PError_t& error) {
  const TiXmlDocument* doc = e->GetDocument();
  GameLog(XmlWhere(doc ? doc->ValueStr() : std::string("effect"), e) + "<" + e->ValueStr() + "> skipped: " +
          error.message);
}

}  // namespace

ParticleChildStep CGAEffectParticleEX::ReadChild(const TiXmlElement* e, const std::string* file) {
  ParticleChildStep step;
  try {
    step = ReadChildStep(e, file);
  } catch (const PSim::PError_t& error) {
    Refused(e, error);
    return nullptr;
  }
  if (!step) return step;
  const TiXmlDocument* doc = e->GetDocument();
  const std::string refused = XmlWhere(doc ? doc->ValueStr() : std::string("effect"), e) + "<" + e->ValueStr() +
                              "> skipped: ";
  return [step, refused](CGAEffectParticleEX& o) {
    try {
      step(o);
    } catch (const PSim::PError_t& error) {
      GameLog(refused + error.message);
    }
  };
}

ParticleChildStep CGAEffectParticleEX::ReadChildStep(const TiXmlElement* e, const std::string* file) {
  const Fields f{e, file};
  const std::string& tag = e->ValueStr();
  ParticleChildStep step;
  if (tag == "SetParticleEmissionRateAnim") {
    const ScalarKeys keys = ReadScalarKeys(e->FirstChildElement());
    const float length = f.Real("Length");
    const bool loop = ParseBool(XmlAttr(e, "Loop")), linear = ParseBool(XmlAttr(e, "Linear"));
    step = [keys, length, loop, linear](CGAEffectParticleEX& o) { o.SetEmissionRateAnim(keys, length, loop, linear); };
  } else if (tag == "SetMaterialName") {
    const std::string material = XmlAttr(e, "MaterialName");
    const bool copy = ParseBool(XmlAttr(e, "MaterialCopy"));
    step = [material, copy](CGAEffectParticleEX& o) { o.SetMaterialName(material, copy); };
  } else if (tag == "SetTexture") {
    const std::string texture = XmlAttr(e, "Texture");
    const uint16_t pass = uint16_t(ParseUInt(XmlAttr(e, "Pass"))), unit = uint16_t(ParseUInt(XmlAttr(e, "Index")));
    step = [texture, pass, unit](CGAEffectParticleEX& o) { o.SetTexture(texture, pass, unit); };
  } else if (tag == "SourceCylinder") {
    const PSim::PVec3 a = f.Position("PositionA"), b = f.Position("PositionB");
    const float out = f.Real("Out"), in = f.Real("In"), rate = f.Real("Rate");
    step = [=](CGAEffectParticleEX& o) { o.SetSource(new PSim::PDCylinder(a, b, out, in), rate); };
  } else if (tag == "SourceLine") {
    const PSim::PVec3 a = f.Position("PositionA"), b = f.Position("PositionB");
    const float rate = f.Real("Rate");
    step = [=](CGAEffectParticleEX& o) { o.SetSource(new PSim::PDLine(a, b), rate); };
  } else if (tag == "SourcePoint") {
    const PSim::PVec3 a = f.Position("PositionA");
    const float rate = f.Real("Rate");
    step = [=](CGAEffectParticleEX& o) { o.SetSource(new PSim::PDPoint(a), rate); };
  } else if (tag == "SourceSphere") {
    const PSim::PVec3 a = f.Position("PositionA");
    const float out = f.Real("Out"), in = f.Real("In"), rate = f.Real("Rate");
    step = [=](CGAEffectParticleEX& o) { o.SetSource(new PSim::PDSphere(a, out, in), rate); };
  } else if (tag == "VelocityCylinder") {
    const PSim::PVec3 a = f.Position("PositionA"), b = f.Position("PositionB");
    const float out = f.Real("Out"), in = f.Real("In");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.SetVelocity(PSim::PDCylinder(a, b, out, in)); };
  } else if (tag == "VelocityLine") {
    const PSim::PVec3 a = f.Position("PositionA"), b = f.Position("PositionB");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.SetVelocity(PSim::PDLine(a, b)); };
  } else if (tag == "VelocitySphere") {
    const PSim::PVec3 a = f.Position("PositionA");
    const float out = f.Real("Out"), in = f.Real("In");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.SetVelocity(PSim::PDSphere(a, out, in)); };
  } else if (tag == "SetAge") {
    const float age = f.Real("Age");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.KillOld(age, false); };
  } else if (tag == "SetColour") {
    const Ogre::ColourValue c = ParseColourValue(XmlAttr(e, "Colour"));
    step = [=](CGAEffectParticleEX& o) { o.mSystem.SetColor(c.r, c.g, c.b, c.a); };
  } else if (tag == "Explosion") {
    const PSim::PVec3 a = f.Position("PositionA");
    const float radius = f.Real("Radius"), magnitude = f.Real("Magnitude"), sigma = f.Real("Sigma");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.Explosion(a, radius, magnitude, sigma, 0.001f); };
  } else if (tag == "Gravity") {
    const PSim::PVec3 direction = f.Position("Direction");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.Gravity(direction); };
  } else if (tag == "OrbitPoint") {
    const PSim::PVec3 a = f.Position("PositionA");
    const float magnitude = f.Real("Magnitude");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.OrbitPoint(a, magnitude, 0.001f, 1e16f); };
  } else if (tag == "RotVelocity") {
    const PSim::PVec3 a = f.Position("RotA"), b = f.Position("RotB");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.SetRotVelocity(PSim::PDLine(a, b)); };
  } else if (tag == "TargetRotVelocity") {
    const PSim::PVec3 rotation = f.Position("Rot");
    const float scale = f.Real("Scale");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.TargetRotVelocity(rotation, scale); };
  } else if (tag == "SetSize") {
    const PSim::PVec3 a = f.Size("SizeA"), b = f.Size("SizeB");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.SetSize(PSim::PDLine(a, b)); };
  } else if (tag == "SetTargetColour") {
    const Ogre::ColourValue c = ParseColourValue(XmlAttr(e, "Colour"));
    const float scale = f.Real("Scale");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.TargetColor(PSim::PVec3(c.r, c.g, c.b), c.a, scale); };
  } else if (tag == "SetTargetSize") {
    const PSim::PVec3 size = f.Size("Size"), scale = f.Size("Scale");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.TargetSize(size, scale); };
  } else if (tag == "Vortex") {
    const PSim::PVec3 centre = f.Position("Center"), axis = f.Position("Axis");
    const float tightness = f.Real("TightnessExponent"), radius = f.Real("Radius"), in = f.Real("InSpeed"),
                up = f.Real("UpSpeed"), around = f.Real("AroundSpeed");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.Vortex(centre, axis, tightness, radius, in, up, around); };
  } else if (tag == "Shrink") {
    const PSim::PVec3 centre = f.Position("Center");
    const float scale = f.Real("Scale");
    step = [=](CGAEffectParticleEX& o) { o.mSystem.Shrink(centre, scale); };
  } else if (tag == "Bounce") {
    const float friction = f.Real("Friction"), resilience = f.Real("Resilience"), cutoff = f.Real("Cutoff");
    const PSim::PVec3 centre = f.Position("Center"), direction = f.Position("Direction");
    const float radius = f.Real("Radius");
    step = [=](CGAEffectParticleEX& o) {
      o.mSystem.Bounce(friction, resilience, cutoff, PSim::PDDisc(centre, direction, radius, 0.0f));
    };
  } else if (tag == "SetBillboard") {
    const Ogre::BillboardType type = BillboardTypeOf(XmlAttr(e, "Type"));
    step = [=](CGAEffectParticleEX& o) {
      if (o.mBillboards) o.mBillboards->setBillboardType(type);
    };
  } else if (tag == "ColourAnim") {
    const PSim::PDUnion keys = KeySpheres(e, true);
    step = [keys](CGAEffectParticleEX& o) { o.mSystem.ColourAnim(keys); };
  } else if (tag == "SizeAnim") {
    const PSim::PDUnion keys = KeySpheres(e, false);
    step = [keys](CGAEffectParticleEX& o) { o.mSystem.SizeAnim(keys); };
  } else if (tag == "SetMeshDir") {
    const bool direction = ParseBool(XmlAttr(e, "MeshDir"));
    step = [=](CGAEffectParticleEX& o) { o.mMeshDirection = direction; };
  }
  return step;
}

void CGAEffectParticleEX::RunChild(const ParticleChildStep& step) {
  if (mActionList >= 0) step(*this);
}
