#pragma once
// The application object: the engine, the GUI renderer and the input, set up
// once in a fixed order by the constructor together with every manager of
// the game, and the frame that the window's timer drives. It is the screens'
// host: the player record, the web browser and the program's end.
#include "game/FrameSteps.h"
#include "game/SceneContent.h"
#include "screens/GameHost.h"

#include <cstdint>
#include <string>

namespace CEGUI {
class OgreRenderer;
}
namespace Ogre {
class ArchiveFactory;
class Camera;
class RenderWindow;
class Root;
class SceneManager;
class Timer;
class Viewport;
}  // namespace Ogre
class CGAInput;
class GameEffectWorld;
class GameUnitWorld;

class CYourView : public CGAGameHost, private CGAFrameSteps {
 public:
  CYourView();
  // Shuts everything down in the reverse order of start-up.
  ~CYourView() override;
  static CYourView* GetSingletonPtr();

  CGAInput* GetInput() const { return mInput; }
  Ogre::Root* GetRoot() const { return mRoot; }
  Ogre::SceneManager* GetSceneManager() const { return mSceneManager; }
  Ogre::Camera* GetCamera() const { return mCamera; }
  Ogre::RenderWindow* GetRenderWindow() const { return mRenderWindow; }
  CEGUI::OgreRenderer* GetGuiRenderer() const { return mGuiRenderer; }

  void OnSize();
  void OnPaint();
  void UpdateFrame();

  void StepState();
  void SetState(int state) { mState = state; }
  int GetState() const { return mState; }

  // Window modes, for the in-game settings panel.
  void SetFullScreen(bool on) override;
  void SetWindowedSize(int width, int height) override;

  // The player record of a player name (see game/PlayerRecord.h).
  void SavePlayerRecord(const std::string& name) override;
  void LoadPlayerRecord(const std::string& name) override;
  void OpenWebPage(const std::string& address) override;
  // Ends the message loop after this message; the program then shuts down.
  void ExitGame() override;

 private:
  void SetupOgre();
  void InitGame();
  // Whether this frame's picture can differ from the one on screen.
  bool PictureMayHaveChanged();

  // The frame's steps.
  void RedrawGui() override;
  uint32_t ReadFrameTimer() override;
  void UpdateInput() override;
  void UpdateSound() override;
  void UpdateUnits() override;
  void UpdateEffects() override;
  void UpdateTerrain() override;
  void UpdateCamera() override;
  void UpdateGui() override;
  void UpdateLabels() override;
  void Render() override;

  Ogre::Root* mRoot = nullptr;
  Ogre::ArchiveFactory* mPakFactory = nullptr;
  GameUnitWorld* mUnitWorld = nullptr;
  GameEffectWorld* mEffectWorld = nullptr;
  Ogre::SceneManager* mSceneManager = nullptr;
  Ogre::Camera* mCamera = nullptr;
  Ogre::RenderWindow* mRenderWindow = nullptr;
  Ogre::Viewport* mViewport = nullptr;
  Ogre::Timer* mFrameTimer = nullptr;
  CEGUI::OgreRenderer* mGuiRenderer = nullptr;
  CGAInput* mInput = nullptr;
  int mState = 0;
  // What the picture on screen was drawn with.
  bool mPictureStale = true;
  float mDrawnCursorX = -1, mDrawnCursorY = -1;
  const void* mDrawnCursorImage = nullptr;
  SceneChangeTest mSceneChange;
};
