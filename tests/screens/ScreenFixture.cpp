#include "ScreenFixture.h"

#include "GuiTestSystem.h"
#include "game/FrameClock.h"
#include "screens/GUICommon.h"
#include "screens/GUIManager.h"

#include <CEGUI/CEGUI.h>

ScreenFixture::ScreenFixture() { GuiTestSystem(); }

ScreenFixture::~ScreenFixture() = default;

void ScreenFixture::BuildScreens() { manager.reset(new CGAGUIManager(host, levels, battlefield)); }

CEGUI::Window* ScreenFixture::W(const std::string& fullName) const {
  CEGUI::Window* root = ScreenRoot();
  const std::string rootName = root->getName().c_str();
  return fullName == rootName ? root : root->getChild(fullName.substr(rootName.size() + 1));
}

std::string ScreenFixture::Text(const std::string& fullName) const { return W(fullName)->getText().c_str(); }

bool ScreenFixture::Shown(const std::string& fullName) const { return W(fullName)->isEffectiveVisible(); }

std::string ScreenFixture::Utf8(const std::string& text) { return CGAGUICommon::ToCEGUIString(text).c_str(); }

void ScreenFixture::Frame(uint32_t ms) {
  FrameDeltaMs = ms;
  FrameDeltaSeconds = ms * 0.001f;
  CEGUI::System::getSingleton().injectTimePulse(FrameDeltaSeconds);
  Context().injectTimePulse(FrameDeltaSeconds);
}
