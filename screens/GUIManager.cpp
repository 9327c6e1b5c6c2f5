#include "screens/GUIManager.h"

#include "game/FrameClock.h"

#include <CEGUI/CEGUI.h>

template <> CGAGUIManager* Ogre::Singleton<CGAGUIManager>::msSingleton = nullptr;

CGAGUIManager::CGAGUIManager() {
  CEGUI::SchemeManager::getSingleton().createFromFile("WindowsLook.scheme");
  CEGUI::FontManager::getSingleton().createFromFile("simhei-10.font");
  CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
  context.setDefaultFont("simhei-10");
  context.setDefaultTooltipType("WindowsLook/Tooltip");
  context.getMouseCursor().setDefaultImage("WindowsLook/MouseArrow");
  CEGUI::Window* root = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "root");
  context.setRootWindow(root);
}

void CGAGUIManager::Update() { CEGUI::System::getSingleton().injectTimePulse(FrameDeltaSeconds); }

void CGAGUIManager::StartLevel(int) {}
