#pragma once
// The application object: the engine, the GUI renderer and the input, set up
// once in a fixed order by the constructor together with every manager of
// the game, and the frame that the window's timer drives. It is the screens'
// host: the player record, the web browser and the program's end.
#include "game/app/FrameSteps.h"
#include "game/app/SceneContent.h"
#include "screens/GameHost.h"

#include <cstdint>
#include <memory>
#include <string>

namespace CEGUI {
class OgreRenderer;
}
namespace Ogre {
class ArchiveFactory;
class Camera;
class LogManager;
class RenderWindow;
class Root;
class SceneManager;
class Timer;
class Viewport;
}  // namespace Ogre
class CGACamera;
class CGACollisionManager;
class CGAEffectManager;
class CGAGameBattlefield;
class CGAGUILabelEx;
class CGAGUIManager;
class CGAInput;
class CGALogManager;
class CGAResourcePreloader;
class CGAStartScene;
class CGATerrainManager;
class CGAUnitManager;
class CTPAudioManager;
class GameEffectWorld;
class GameMapWorld;
class GameUnitWorld;
class ResourceLevelFiles;

class CYourView : public CGAGameHost, private CGAFrameSteps {
 public:
  CYourView();
  // Shuts everything down in the reverse order of start-up.
  ~CYourView() override;
  static CYourView* GetSingletonPtr();

  CGAInput* GetInput() const { return mInput.get(); }
  Ogre::Root* GetRoot() const { return mRoot.get(); }
  Ogre::SceneManager* GetSceneManager() const { return mSceneManager; }
  Ogre::Camera* GetCamera() const { return mCamera; }
  Ogre::RenderWindow* GetRenderWindow() const { return mRenderWindow; }
  CEGUI::OgreRenderer* GetGuiRenderer() const { return mGuiRenderer.get(); }

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

  // Ends the GUI system with the renderer it was made on.
  struct GuiSystemEnd {
    void operator()(CEGUI::OgreRenderer* renderer) const;
  };
  // Made first, ended last: the engine's log, when there was none.
  std::unique_ptr<Ogre::LogManager> mEngineLog;
  // Archives of the pak type are closed by the engine root, so the factory
  // outlives it.
  std::unique_ptr<Ogre::ArchiveFactory> mPakFactory;
  std::unique_ptr<Ogre::Root> mRoot;  // the render window, the scene and the plug-ins
  Ogre::SceneManager* mSceneManager = nullptr;
  Ogre::Camera* mCamera = nullptr;
  Ogre::RenderWindow* mRenderWindow = nullptr;
  Ogre::Viewport* mViewport = nullptr;
  std::unique_ptr<CGAInput> mInput;
  // With the GUI's textures, its resource provider and image codec.
  std::unique_ptr<CEGUI::OgreRenderer, GuiSystemEnd> mGuiRenderer;
  // The game's managers, ended in the reverse order. The worlds the managers
  // reach the game through outlive them.
  std::unique_ptr<GameMapWorld> mMapWorld;
  std::unique_ptr<GameUnitWorld> mUnitWorld;
  std::unique_ptr<GameEffectWorld> mEffectWorld;
  std::unique_ptr<CGALogManager> mLogManager;
  std::unique_ptr<CGATerrainManager> mTerrain;
  std::unique_ptr<CGACollisionManager> mCollision;
  std::unique_ptr<CGAUnitManager> mUnits;
  std::unique_ptr<CGACamera> mCameraControl;
  std::unique_ptr<CGAEffectManager> mEffects;
  std::unique_ptr<CGAResourcePreloader> mPreloader;
  std::unique_ptr<CTPAudioManager> mAudio;  // closes the sound device
  std::unique_ptr<CGAStartScene> mStartScene;
  std::unique_ptr<Ogre::Timer> mFrameTimer;
  // What the screens reach: the level files and the battlefield.
  std::unique_ptr<ResourceLevelFiles> mLevelFiles;
  std::unique_ptr<CGAGameBattlefield> mBattlefield;
  std::unique_ptr<CGAGUIManager> mGui;
  std::unique_ptr<CGAGUILabelEx> mLabels;
  int mState = 0;
  // What the picture on screen was drawn with.
  bool mPictureStale = true;
  float mDrawnCursorX = -1, mDrawnCursorY = -1;
  const void* mDrawnCursorImage = nullptr;
  SceneChangeTest mSceneChange;
};
