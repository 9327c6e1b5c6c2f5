#include "game/AudioXML.h"

#include "game/AudioManager.h"
#include "game/Parse.h"

#include <CEGUI/XMLAttributes.h>

namespace {

std::string Attribute(const CEGUI::XMLAttributes& attributes, const char* name, const char* fallback) {
  return attributes.exists(name) ? attributes.getValue(name).c_str() : fallback;
}

}  // namespace

void CTPAudioXML::elementStart(const CEGUI::String& element, const CEGUI::XMLAttributes& attributes) {
  if (element != "Res") return;
  const bool is3D = ParseBool(Attribute(attributes, "s3d", "true"));
  const bool loop = ParseBool(Attribute(attributes, "loop", "false"));
  const int mode = is3D ? (loop ? CTPAudioManager::kMode3DLoop : CTPAudioManager::kMode3D)
                        : (loop ? CTPAudioManager::kModeStreamLoop : CTPAudioManager::kModeStream);
  // The GUI library's parser gives no line numbers: the place is the file.
  const auto at = [this](const char* name) { return TextPlace{mFile.empty() ? nullptr : &mFile, 0, name}; };
  mManager->CreateSound(Attribute(attributes, "name", ""), Attribute(attributes, "file", ""),
                        ParseReal(Attribute(attributes, "vol", "1.0"), 1.0f, at("vol")),
                        ParseInt(Attribute(attributes, "mindis", "50000"), 50000, at("mindis")),
                        ParseInt(Attribute(attributes, "maxdis", "100000"), 100000, at("maxdis")), mode);
}

void CTPAudioXML::elementEnd(const CEGUI::String&) {}

void CTPAudioXML::text(const CEGUI::String& text) { mText += text.c_str(); }

const CEGUI::String& CTPAudioXML::getDefaultResourceGroup() const {
  static const CEGUI::String group;
  return group;
}
