// The children of a particle effect element: where particles are born and
// how fast, what they start with, and the actions recorded into the list
// that runs every frame, in document order.
#include "effects/EffectKeys.h"
#include "effects/EffectParticleEX.h"
#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Parse.h"

#include <OgreBillboardSet.h>
#include <tinyxml.h>

#include <functional>
#include <map>

namespace {

float Real(const TiXmlElement* e, const char* name) { return ParseReal(XmlAttr(e, name)); }

// A position or direction of the file, in the library's axes.
PSim::PVec3 Position(const TiXmlElement* e, const char* name) {
  const Ogre::Vector3 v = ParseVector3(XmlAttr(e, name));
  return PSim::PVec3(v.x, v.z, v.y);
}

// A size or scale of the file, as written.
PSim::PVec3 Unswapped(const TiXmlElement* e, const char* name) {
  const Ogre::Vector3 v = ParseVector3(XmlAttr(e, name));
  return PSim::PVec3(v.x, v.y, v.z);
}

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

void CGAEffectParticleEX::ReadChild(const TiXmlElement* e) {
  if (mActionList < 0) return;
  PSim::PSystem& s = mSystem;
  const std::string& tag = e->ValueStr();
  // A value the library refuses (a negative radius) leaves the child out.
  try {
    if (tag == "SetParticleEmissionRateAnim") {
      SetEmissionRateAnim(ReadScalarKeys(e->FirstChildElement()), Real(e, "Length"), ParseBool(XmlAttr(e, "Loop")),
                          ParseBool(XmlAttr(e, "Linear")));
    } else if (tag == "SetMaterialName") {
      SetMaterialName(XmlAttr(e, "MaterialName"), ParseBool(XmlAttr(e, "MaterialCopy")));
    } else if (tag == "SetTexture") {
      SetTexture(XmlAttr(e, "Texture"), uint16_t(ParseUInt(XmlAttr(e, "Pass"))),
                 uint16_t(ParseUInt(XmlAttr(e, "Index"))));
    } else if (tag == "SourceCylinder") {
      SetSource(new PSim::PDCylinder(Position(e, "PositionA"), Position(e, "PositionB"), Real(e, "Out"), Real(e, "In")),
                Real(e, "Rate"));
    } else if (tag == "SourceLine") {
      SetSource(new PSim::PDLine(Position(e, "PositionA"), Position(e, "PositionB")), Real(e, "Rate"));
    } else if (tag == "SourcePoint") {
      SetSource(new PSim::PDPoint(Position(e, "PositionA")), Real(e, "Rate"));
    } else if (tag == "SourceSphere") {
      SetSource(new PSim::PDSphere(Position(e, "PositionA"), Real(e, "Out"), Real(e, "In")), Real(e, "Rate"));
    } else if (tag == "VelocityCylinder") {
      s.SetVelocity(PSim::PDCylinder(Position(e, "PositionA"), Position(e, "PositionB"), Real(e, "Out"), Real(e, "In")));
    } else if (tag == "VelocityLine") {
      s.SetVelocity(PSim::PDLine(Position(e, "PositionA"), Position(e, "PositionB")));
    } else if (tag == "VelocitySphere") {
      s.SetVelocity(PSim::PDSphere(Position(e, "PositionA"), Real(e, "Out"), Real(e, "In")));
    } else if (tag == "SetAge") {
      s.KillOld(Real(e, "Age"), false);
    } else if (tag == "SetColour") {
      const Ogre::ColourValue c = ParseColourValue(XmlAttr(e, "Colour"));
      s.SetColor(c.r, c.g, c.b, c.a);
    } else if (tag == "Explosion") {
      s.Explosion(Position(e, "PositionA"), Real(e, "Radius"), Real(e, "Magnitude"), Real(e, "Sigma"), 0.001f);
    } else if (tag == "Gravity") {
      s.Gravity(Position(e, "Direction"));
    } else if (tag == "OrbitPoint") {
      s.OrbitPoint(Position(e, "PositionA"), Real(e, "Magnitude"), 0.001f, 1e16f);
    } else if (tag == "RotVelocity") {
      s.SetRotVelocity(PSim::PDLine(Position(e, "RotA"), Position(e, "RotB")));
    } else if (tag == "TargetRotVelocity") {
      s.TargetRotVelocity(Position(e, "Rot"), Real(e, "Scale"));
    } else if (tag == "SetSize") {
      s.SetSize(PSim::PDLine(Unswapped(e, "SizeA"), Unswapped(e, "SizeB")));
    } else if (tag == "SetTargetColour") {
      const Ogre::ColourValue c = ParseColourValue(XmlAttr(e, "Colour"));
      s.TargetColor(PSim::PVec3(c.r, c.g, c.b), c.a, Real(e, "Scale"));
    } else if (tag == "SetTargetSize") {
      s.TargetSize(Unswapped(e, "Size"), Unswapped(e, "Scale"));
    } else if (tag == "Vortex") {
      s.Vortex(Position(e, "Center"), Position(e, "Axis"), Real(e, "TightnessExponent"), Real(e, "Radius"),
               Real(e, "InSpeed"), Real(e, "UpSpeed"), Real(e, "AroundSpeed"));
    } else if (tag == "Shrink") {
      s.Shrink(Position(e, "Center"), Real(e, "Scale"));
    } else if (tag == "Bounce") {
      s.Bounce(Real(e, "Friction"), Real(e, "Resilience"), Real(e, "Cutoff"),
               PSim::PDDisc(Position(e, "Center"), Position(e, "Direction"), Real(e, "Radius"), 0.0f));
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
