// The children of a particle effect element: where particles are born and
// how fast, what they start with, and the actions recorded into the list
// that runs every frame, in document order.
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

void CGAEffectParticleEX::ReadChild(const TiXmlElement* e, const std::string* file) {
  if (mActionList < 0) return;
  PSim::PSystem& s = mSystem;
  const std::string& tag = e->ValueStr();
  const Fields f{e, file};
  // A value the library refuses (a negative radius) leaves the child out.
  try {
    if (tag == "SetParticleEmissionRateAnim") {
      SetEmissionRateAnim(ReadScalarKeys(e->FirstChildElement()), f.Real("Length"), ParseBool(XmlAttr(e, "Loop")),
                          ParseBool(XmlAttr(e, "Linear")));
    } else if (tag == "SetMaterialName") {
      SetMaterialName(XmlAttr(e, "MaterialName"), ParseBool(XmlAttr(e, "MaterialCopy")));
    } else if (tag == "SetTexture") {
      SetTexture(XmlAttr(e, "Texture"), uint16_t(ParseUInt(XmlAttr(e, "Pass"))),
                 uint16_t(ParseUInt(XmlAttr(e, "Index"))));
    } else if (tag == "SourceCylinder") {
      SetSource(new PSim::PDCylinder(f.Position("PositionA"), f.Position("PositionB"), f.Real("Out"), f.Real("In")),
                f.Real("Rate"));
    } else if (tag == "SourceLine") {
      SetSource(new PSim::PDLine(f.Position("PositionA"), f.Position("PositionB")), f.Real("Rate"));
    } else if (tag == "SourcePoint") {
      SetSource(new PSim::PDPoint(f.Position("PositionA")), f.Real("Rate"));
    } else if (tag == "SourceSphere") {
      SetSource(new PSim::PDSphere(f.Position("PositionA"), f.Real("Out"), f.Real("In")), f.Real("Rate"));
    } else if (tag == "VelocityCylinder") {
      s.SetVelocity(PSim::PDCylinder(f.Position("PositionA"), f.Position("PositionB"), f.Real("Out"), f.Real("In")));
    } else if (tag == "VelocityLine") {
      s.SetVelocity(PSim::PDLine(f.Position("PositionA"), f.Position("PositionB")));
    } else if (tag == "VelocitySphere") {
      s.SetVelocity(PSim::PDSphere(f.Position("PositionA"), f.Real("Out"), f.Real("In")));
    } else if (tag == "SetAge") {
      s.KillOld(f.Real("Age"), false);
    } else if (tag == "SetColour") {
      const Ogre::ColourValue c = ParseColourValue(XmlAttr(e, "Colour"));
      s.SetColor(c.r, c.g, c.b, c.a);
    } else if (tag == "Explosion") {
      s.Explosion(f.Position("PositionA"), f.Real("Radius"), f.Real("Magnitude"), f.Real("Sigma"), 0.001f);
    } else if (tag == "Gravity") {
      s.Gravity(f.Position("Direction"));
    } else if (tag == "OrbitPoint") {
      s.OrbitPoint(f.Position("PositionA"), f.Real("Magnitude"), 0.001f, 1e16f);
    } else if (tag == "RotVelocity") {
      s.SetRotVelocity(PSim::PDLine(f.Position("RotA"), f.Position("RotB")));
    } else if (tag == "TargetRotVelocity") {
      s.TargetRotVelocity(f.Position("Rot"), f.Real("Scale"));
    } else if (tag == "SetSize") {
      s.SetSize(PSim::PDLine(f.Size("SizeA"), f.Size("SizeB")));
    } else if (tag == "SetTargetColour") {
      const Ogre::ColourValue c = ParseColourValue(XmlAttr(e, "Colour"));
      s.TargetColor(PSim::PVec3(c.r, c.g, c.b), c.a, f.Real("Scale"));
    } else if (tag == "SetTargetSize") {
      s.TargetSize(f.Size("Size"), f.Size("Scale"));
    } else if (tag == "Vortex") {
      s.Vortex(f.Position("Center"), f.Position("Axis"), f.Real("TightnessExponent"), f.Real("Radius"),
               f.Real("InSpeed"), f.Real("UpSpeed"), f.Real("AroundSpeed"));
    } else if (tag == "Shrink") {
      s.Shrink(f.Position("Center"), f.Real("Scale"));
    } else if (tag == "Bounce") {
      s.Bounce(f.Real("Friction"), f.Real("Resilience"), f.Real("Cutoff"),
               PSim::PDDisc(f.Position("Center"), f.Position("Direction"), f.Real("Radius"), 0.0f));
    } else if (tag == "SetBillboard") {
      if (mBillboards) mBillboards->setBillboardType(BillboardTypeOf(XmlAttr(e, "Type")));
    } else if (tag == "ColourAnim") {
      s.ColourAnim(KeySpheres(e, true));
    } else if (tag == "SizeAnim") {
      s.SizeAnim(KeySpheres(e, false));
    } else if (tag == "SetMeshDir") {
      mMeshDirection = ParseBool(XmlAttr(e, "MeshDir"));
    }
  } catch (const PSim::PError_t& error) {
    const TiXmlDocument* doc = e->GetDocument();
    GameLog(XmlWhere(doc ? doc->ValueStr() : std::string("effect"), e) + "<" + tag + "> skipped: " + error.message);
  }
}
