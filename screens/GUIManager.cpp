#include "screens/GUIManager.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "screens/GUIAnim.h"
#include "screens/GUIAnimFile.h"
#include "screens/GUIStart.h"
#include "screens/GameHost.h"
#include "screens/LevelFile.h"

#include <CEGUI/CEGUI.h>

template <> CGAGUIManager* Ogre::Singleton<CGAGUIManager>::msSingleton = nullptr;

namespace {

void SetUpLook() {
  CEGUI::SchemeManager::getSingleton().createFromFile("WindowsLook.scheme");
  // Our own images and widget looks on top of it.
  CEGUI::SchemeManager::getSingleton().createFromFile("Yvek.scheme");
  CEGUI::FontManager::getSingleton().createFromFile("simhei-10.font");

  CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
  context.setDefaultFont("simhei-10");
  context.setDefaultTooltipType("WindowsLook/Tooltip");
  if (CEGUI::Tooltip* tooltip = context.getDefaultTooltipObject()) {
    tooltip->setDisplayTime(0);  // never times out
    tooltip->setHoverTime(0.1f);
    tooltip->setMousePassThroughEnabled(true);
  }
  // The pointer is drawn only once it has an image and a position; without
  // them it would stay hidden until the mouse first moves.
  CEGUI::MouseCursor& cursor = context.getMouseCursor();
  cursor.setDefaultImage("WindowsLook/MouseArrow");
  cursor.setImage("WindowsLook/MouseArrow");
  const CEGUI::Sizef& display = CEGUI::System::getSingleton().getRenderer()->getDisplaySize();
  cursor.setPosition(CEGUI::Vector2f(display.d_width / 2, display.d_height / 2));
}

}  // namespace

CGAGUIManager::CGAGUIManager(CGAGameHost& host) {
  static ResourceLevelFiles levelFiles;
  Init(host, levelFiles);
}

CGAGUIManager::CGAGUIManager(CGAGameHost& host, LevelFileSource& levelFiles) { Init(host, levelFiles); }

void CGAGUIManager::Init(CGAGameHost& host, LevelFileSource& levelFiles) {
  SetUpLook();
  mAnims.reset(new GUIAnimManager());
  mAnims->Load(kGUIAnimFile);
  mStart.reset(new CGAGUIStart(host));
  mStart->Show();
  LevelList.clear();
  ReadLevelFiles(levelFiles, LevelList);
}

CGAGUIManager::~CGAGUIManager() {}

void CGAGUIManager::Update() {
  CEGUI::System::getSingleton().injectTimePulse(FrameDeltaSeconds);
  CEGUI::System::getSingleton().getDefaultGUIContext().injectTimePulse(FrameDeltaSeconds);
}

bool CGAGUIManager::StartLevel(int n) {
  if (n < 0 || static_cast<size_t>(n) >= LevelList.size()) {
    GameLog("No level " + std::to_string(n) + " to start (" + std::to_string(LevelList.size()) + " levels)");
    return false;
  }
  GameLog("Starting level " + std::to_string(n) + " on map " + LevelList[n].id);
  mLevelIndex = n;
  return true;
}

void CGAGUIManager::ShowUnlock(CEGUI::Window*) { GameLog("The unlock screen is not there yet"); }

void CGAGUIManager::ShowStart() { mStart->Show(); }
