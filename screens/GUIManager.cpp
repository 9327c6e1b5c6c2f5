#include "screens/GUIManager.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "screens/GUIAnim.h"
#include "screens/GUIAnimFile.h"
#include "screens/GUILock.h"
#include "screens/GUIMain.h"
#include "screens/GUIStart.h"
#include "screens/GameHost.h"
#include "screens/LevelFile.h"

#include <CEGUI/CEGUI.h>

template <> CGAGUIManager* Ogre::Singleton<CGAGUIManager>::msSingleton = nullptr;

namespace {

// The GUI's tooltips fade in and out through the animations of their look
// ("FadeIn", "FadeOut"): their key frames are spread over `seconds` instead.
void SetTooltipFadeTime(const CEGUI::String& look, float seconds) {
  CEGUI::AnimationManager& animations = CEGUI::AnimationManager::getSingleton();
  for (const char* name : {"/FadeIn", "/FadeOut"}) {
    if (!animations.isAnimationPresent(look + name)) continue;
    CEGUI::Animation* fade = animations.getAnimation(look + name);
    const float scale = fade->getDuration() > 0 ? seconds / fade->getDuration() : 0;
    for (size_t a = 0; a < fade->getNumAffectors(); ++a) {
      CEGUI::Affector* affector = fade->getAffectorAtIdx(a);
      // In position order when shrinking, backwards when stretching, so no
      // key frame lands on one not yet moved.
      const size_t count = affector->getNumKeyFrames();
      for (size_t k = 0; k < count; ++k) {
        CEGUI::KeyFrame* frame = affector->getKeyFrameAtIdx(scale <= 1 ? k : count - 1 - k);
        affector->moveKeyFrameToPosition(frame, frame->getPosition() * scale);
      }
    }
    fade->setDuration(seconds);
  }
}

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
    SetTooltipFadeTime(tooltip->getLookNFeel(), 0.1f);
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

CGAGUIManager::CGAGUIManager(CGAGameHost& host, LevelFileSource& levelFiles, CGABattlefield& battlefield) {
  SetUpLook();
  mAnims.reset(new GUIAnimManager());
  mAnims->Load(kGUIAnimFile);
  mMain.reset(new CGAGUIMain(host, battlefield));
  mStart.reset(new CGAGUIStart(host));
  mStart->Show();
  mLock.reset(new CGAGUILock(host, battlefield));
  LevelList.clear();
  ReadLevelFiles(levelFiles, LevelList);
}

CGAGUIManager::~CGAGUIManager() {
  // The screens before the animations their icons draw.
  mLock.reset();
  mStart.reset();
  mMain.reset();
}

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
  mMain->Show();
  return mMain->StartLevel(n);
}

void CGAGUIManager::ShowUnlock(CEGUI::Window* returnTo) {
  mLock->SetReturnSheet(returnTo);
  mLock->Show(true);
}

void CGAGUIManager::ShowStart() { mStart->Show(); }
