#include "game/app/YourView.h"

#include "effects/EffectManager.h"
#include "game/AudioManager.h"
#include "game/Camera.h"
#include "game/DataFiles.h"
#include "game/FrameClock.h"
#include "game/GAPAK/PakArchive.h"
#include "game/GameLog.h"
#include "game/LoadingProgress.h"
#include "game/LogManager.h"
#include "game/PlayerRecord.h"
#include "game/ResourcePreloader.h"
#include "game/Settings.h"
#include "game/app/GameBattlefield.h"
#include "game/app/GameEffectWorld.h"
#include "game/app/GameMapWorld.h"
#include "game/app/GameUnitWorld.h"
#include "game/app/GuiResources.h"
#include "game/app/Input.h"
#include "game/app/MainWindow.h"
#include "game/app/SceneContent.h"
#include "platform/Console.h"
#include "platform/Tick.h"
#include "platform/WebPage.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIManager.h"
#include "screens/LevelFile.h"
#include "screens/StartScene.h"
#include "terrain/CollisionManager.h"
#include "terrain/TerrainManager.h"
#include "units/UnitManager.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Ogre/ImageCodec.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <Ogre.h>

#include <locale>

namespace {

CYourView* g_view = nullptr;

void SetupFailed(const char* what) {
  OGRE_EXCEPT(Ogre::Exception::ERR_RENDERINGAPI_ERROR, what, "CYourView::SetupOgre");
}

// Sets a render system option only where this render system has it; the
// desktop's "Anti aliasing" is called "FSAA" here.
void SetRenderOption(Ogre::RenderSystem* system, std::string name, const std::string& value) {
  const Ogre::ConfigOptionMap& options = system->getConfigOptions();
  if (name == "Anti aliasing" && !options.count(name)) name = "FSAA";
  auto it = options.find(name);
  if (it == options.end()) return;
  std::string chosen = value;
  if (name == "FSAA" && value == "No") chosen = "0";
  const Ogre::StringVector& possible = it->second.possibleValues;
  if (!possible.empty() && std::find(possible.begin(), possible.end(), chosen) == possible.end()) return;
  system->setConfigOption(name, chosen);
}

// The desktop's locale name for Chinese text; a system without it keeps the
// classic locale.
void SetChineseLocale() {
  for (const char* name : {"CHS", "zh_CN.GBK", "zh_CN.gbk"}) {
    try {
      std::locale::global(std::locale(name));
      return;
    } catch (const std::runtime_error&) {
    }
  }
  Ogre::LogManager::getSingleton().logMessage("No Chinese locale on this system; keeping the classic locale");
}

}  // namespace

CYourView::CYourView() {
  g_view = this;
  // A failed start-up ends what it built, in the same order as a shutdown;
  // the engine log says why before it closes too.
  try {
    InitGame();
  } catch (const std::exception& e) {
    if (mEngineLog) mEngineLog->logMessage(e.what(), Ogre::LML_CRITICAL);
    g_view = nullptr;
    throw;
  } catch (...) {
    g_view = nullptr;
    throw;
  }
}

CYourView::~CYourView() {
  // Units first, while the effects, sounds and ground they reach still
  // exist; the members then end in the reverse order of their declaration.
  if (mUnits) mUnits->ClearUnits();
  g_view = nullptr;
}

void CYourView::GuiSystemEnd::operator()(CEGUI::OgreRenderer* renderer) const {
  if (CEGUI::System::getSingletonPtr())
    CEGUI::OgreRenderer::destroySystem();
  else
    CEGUI::OgreRenderer::destroy(*renderer);
}

CYourView* CYourView::GetSingletonPtr() { return g_view; }

void CYourView::SetupOgre() {
  // The engine logs to "Ogre.log" only (by default it also writes to stdout).
  if (!Ogre::LogManager::getSingletonPtr()) {
    mEngineLog = std::make_unique<Ogre::LogManager>();
    mEngineLog->createLog("Ogre.log", true, false, false);
  }
  mRoot = std::make_unique<Ogre::Root>("plugins.cfg", "ogre.cfg", "Ogre.log");

  mPakFactory = std::make_unique<Ogre::PakArchiveFactory>();
  Ogre::ArchiveManager::getSingleton().addArchiveFactory(mPakFactory.get());

  AddResourceLocations("resources.cfg");

  if (!Ogre::Root::getSingletonPtr()) SetupFailed("No root node available!");

  Ogre::RenderSystem* system = nullptr;
  for (const char* name : {"Direct3D9 Rendering Subsystem", "OpenGL Rendering Subsystem",
                           "Direct3D7 Rendering Subsystem"}) {
    system = mRoot->getRenderSystemByName(name);
    if (system) break;
  }
  if (!system) SetupFailed("No supported render system available!");
  SetRenderOption(system, "Full Screen", "No");
  SetRenderOption(system, "VSync", "Yes");
  SetRenderOption(system, "Anti aliasing", "No");
  SetRenderOption(system, "Video Mode", "800 x 600 @ 32-bit colour");
  mRoot->setRenderSystem(system);
  mRoot->initialise(false, "OGRE Render Window");

  const platform::Rect outer = platform::GetWindowRect(GetMainWindow());
  Ogre::NameValuePairList params;
  params["externalWindowHandle"] = platform::NativeWindowId(GetMainWindow());
  mRenderWindow = mRoot->createRenderWindow("renderwin", outer.width(), outer.height(), false, &params);
  mSceneManager = mRoot->createSceneManager("OctreeSceneManager");
  if (!mRenderWindow) SetupFailed("Couldn't create render window!");
  if (!mSceneManager) SetupFailed("Couldn't create generic scene manager!");

  mCamera = mSceneManager->createCamera("maincam");
  if (!mCamera) SetupFailed("Couldn't create main camera!");
  mCamera->setNearClipDistance(1.0f);
  mCamera->setFarClipDistance(20000.0f);
  mCamera->setAspectRatio(static_cast<Ogre::Real>(static_cast<double>(mRenderWindow->getWidth()) /
                                                  mRenderWindow->getHeight()));
  // The camera hangs on a node of its own; the camera controller moves it.
  Ogre::SceneNode* cameraNode = mSceneManager->getRootSceneNode()->createChildSceneNode("maincam");
  cameraNode->attachObject(mCamera);
  cameraNode->setFixedYawAxis(true);
  cameraNode->setPosition(40.864f, 45.1078f, 54.2307f);
  cameraNode->setDirection(Ogre::Vector3(0, -0.927184f, -0.374607f), Ogre::Node::TS_WORLD);

  mViewport = mRenderWindow->addViewport(mCamera, 0, 0, 0, 1, 1);
  if (!mViewport) SetupFailed("Couldn't create viewport!");
  mViewport->setBackgroundColour(Ogre::ColourValue(0, 0, 0, 1));
  mViewport->setClearEveryFrame(true);

  mRenderWindow->setActive(true);
  mRenderWindow->update(true);
}

void CYourView::InitGame() {
  if (ReadSetting("Debug")) platform::AttachConsole();
  platform::ConsolePrint("/***游戏启动***\n");
  platform::ConsolePrint("/***Init***\n");
  SetupOgre();

  platform::ConsolePrint("/***Init Input***\n");
  mInput = std::make_unique<CGAInput>(platform::NativeWindowId(GetMainWindow()));

  Ogre::MaterialManager::getSingleton().setDefaultTextureFiltering(Ogre::TFO_NONE);
  Ogre::MaterialManager::getSingleton().setDefaultAnisotropy(5);

  platform::ConsolePrint("/***Init UI***\n");
  Ogre::ResourceGroupManager::getSingleton().initialiseResourceGroup("Main");
  SetChineseLocale();
  // The GUI's own start-up, with the font files mapped rather than read and
  // no copies kept of the pixels uploaded.
  mGuiRenderer.reset(&GuiRenderer::Create(*mRenderWindow));
  CEGUI::System::create(*mGuiRenderer, new GuiResourceProvider(), nullptr,
                        &CEGUI::OgreRenderer::createOgreImageCodec());
  SetLoadingProgress(0, "初始化资源");
  Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();

  platform::ConsolePrint("/***预读资源组*** \n");
  SetLoadingProgress(50, "预读资源");
  platform::ConsolePrint("/***加载管理器***\n");
  SetLoadingProgress(70, "加载管理器");

  const int shadow = ReadSetting("Shadow");
  SetEngineLogDetail(ReadSetting("ogrelog"));
  CEGUI::Logger::getSingleton().setLoggingLevel(
      static_cast<CEGUI::LoggingLevel>(LogLevelSetting("ceguilog", ReadSetting("ceguilog"), CEGUI::Insane)));

  mLogManager = std::make_unique<CGALogManager>("Ostrel.txt", false);
  mTerrain = std::make_unique<CGATerrainManager>(mSceneManager, false);
  mTerrain->SetShadows(shadow != 0);
  mMapWorld = std::make_unique<GameMapWorld>();
  mTerrain->SetMapWorld(mMapWorld.get());
  mCollision = std::make_unique<CGACollisionManager>(mSceneManager);
  mUnits = std::make_unique<CGAUnitManager>(mSceneManager);
  mUnitWorld = std::make_unique<GameUnitWorld>();
  mUnits->SetUnitWorld(mUnitWorld.get());
  mCameraControl = std::make_unique<CGACamera>(mCamera, mSceneManager);
  Ogre::SceneNode* effectRoot = mSceneManager->getRootSceneNode()->createChildSceneNode(
      "effect_root", Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
  mEffects = std::make_unique<CGAEffectManager>(mSceneManager, effectRoot, mCamera);
  mEffectWorld = std::make_unique<GameEffectWorld>();
  mEffects->SetWorld(mEffectWorld.get());
  mPreloader = std::make_unique<CGAResourcePreloader>();
  mAudio = std::make_unique<CTPAudioManager>();
  mStartScene = std::make_unique<CGAStartScene>();

  Ogre::Animation::setDefaultInterpolationMode(Ogre::Animation::IM_LINEAR);
  Ogre::Animation::setDefaultRotationInterpolationMode(Ogre::Animation::RIM_LINEAR);

  CTPAudioManager::getSingleton().Init();

  CGACamera& camera = CGACamera::getSingleton();
  camera.SetPitchLimits(Ogre::Vector2(30, 50));
  camera.SetDistanceLimits(Ogre::Vector2(10, 25));
  camera.SetLookAt(Ogre::Vector3(42, 32, 48));
  camera.Zoom(4);
  camera.Rotate(0, -20);
  camera.SetSmoothFollow(true);
  CGATerrainManager::getSingleton().Init();

  uint32_t start = platform::GetTickCount();
  CGAEffectManager::getSingleton().LoadEffectFiles("Main");
  platform::ConsolePrint("读取特效脚本 %d \n", static_cast<int>(platform::GetTickCount() - start));
  start = platform::GetTickCount();
  CGAUnitManager::getSingleton().LoadUnitTemplates("Main");
  platform::ConsolePrint("读取单位脚本 %d \n", static_cast<int>(platform::GetTickCount() - start));

  SetLoadingProgress(100, "初始化完毕");
  platform::ConsolePrint("/***装载完毕*** \n");

  mFrameTimer = std::make_unique<Ogre::Timer>();
  Ogre::MaterialManager::getSingleton().setDefaultTextureFiltering(Ogre::TFO_BILINEAR);

  mLevelFiles = std::make_unique<ResourceLevelFiles>();
  mBattlefield = std::make_unique<CGAGameBattlefield>();
  mGui = std::make_unique<CGAGUIManager>(*this, *mLevelFiles, *mBattlefield);
  mLabels = std::make_unique<CGAGUILabelEx>();

  if (ReadSetting("full")) {
    platform::SetWindowDecorated(GetMainWindow(), false);
    platform::MaximizeWindow(GetMainWindow());
  }
}

void CYourView::OnSize() {
  const platform::Rect client = platform::GetClientRect(GetMainWindow());
  if (mInput) mInput->SetWindowSize(client.width(), client.height());
  // A minimised window has no area: keep the last size.
  if (client.width() <= 0 || client.height() <= 0 || !mRenderWindow) return;
  mPictureStale = true;
  mRenderWindow->resize(client.width(), client.height());
  mRenderWindow->windowMovedOrResized();
  if (mCamera)
    mCamera->setAspectRatio(static_cast<Ogre::Real>(static_cast<double>(client.width()) / client.height()));
  if (mGuiRenderer) {
    const CEGUI::Sizef size(static_cast<float>(client.width()), static_cast<float>(client.height()));
    CEGUI::System::getSingleton().notifyDisplaySizeChanged(size);
    if (mInput) mInput->SetGuiSize(size.d_width, size.d_height);
  }
}

void CYourView::OnPaint() {
  mPictureStale = true;
  if (mGuiRenderer) RedrawCountdown = 500;
}

void CYourView::StepState() {
  switch (mState) {
    case 0: SetState(1); break;
    case 1: SetState(2); break;
    case 3: SetState(4); break;
    // An orderly quit rather than an end on the spot: the loop's end saves
    // the player's record and shuts everything down.
    case 10: platform::PostQuitMessage(0); break;
    default: break;
  }
}

void CYourView::UpdateFrame() { RunFrame(*this); }

void CYourView::RedrawGui() {
  CEGUI::System& gui = CEGUI::System::getSingleton();
  gui.invalidateAllCachedRendering();
  mGuiRenderer->setDisplaySize(mGuiRenderer->getDisplaySize());
  if (CEGUI::Window* sheet = gui.getDefaultGUIContext().getRootWindow()) {
    sheet->setAlpha(0.5f);
    sheet->setAlpha(1.0f);
  }
}

uint32_t CYourView::ReadFrameTimer() { return static_cast<uint32_t>(mFrameTimer->getMilliseconds()); }

void CYourView::UpdateInput() { mInput->Update(); }

void CYourView::UpdateSound() {
  const Ogre::Vector3 listener = CGACamera::getSingleton().GetLookAt();
  CTPAudioManager::getSingleton().Update(listener, FrameDeltaSeconds);
}

void CYourView::UpdateUnits() { CGAUnitManager::getSingleton().Update(); }

void CYourView::UpdateEffects() { CGAEffectManager::getSingleton().Update(); }

void CYourView::UpdateTerrain() { CGATerrainManager::getSingleton().Update(); }

void CYourView::UpdateCamera() { CGACamera::getSingleton().Update(); }

void CYourView::UpdateGui() { CGAGUIManager::getSingleton().Update(); }

void CYourView::UpdateLabels() { CGAGUILabelEx::getSingleton().Update(); }

// A frame whose picture would equal the one on screen is not drawn again: the
// window keeps showing it. With software rendering this is what keeps an idle
// screen cheap.
bool CYourView::PictureMayHaveChanged() {
  bool changed = mPictureStale;
  CEGUI::GUIContext& gui = CEGUI::System::getSingleton().getDefaultGUIContext();
  const CEGUI::MouseCursor& cursor = gui.getMouseCursor();
  const CEGUI::Vector2f at = cursor.getPosition();
  if (gui.isDirty() || at.d_x != mDrawnCursorX || at.d_y != mDrawnCursorY || cursor.getImage() != mDrawnCursorImage)
    changed = true;
  if (mSceneChange.MayHaveChanged(mSceneManager->getRootSceneNode())) changed = true;
  mDrawnCursorX = at.d_x;
  mDrawnCursorY = at.d_y;
  mDrawnCursorImage = cursor.getImage();
  mPictureStale = false;
  return changed;
}

void CYourView::Render() {
  if (PictureMayHaveChanged()) {
    mRoot->renderOneFrame();
    return;
  }
  // Nothing to draw, but the engine's other per-frame duties still run:
  // frame listeners and finishing background loads.
  mRoot->_fireFrameStarted();
  mRoot->_fireFrameEnded();
}

void CYourView::SavePlayerRecord(const std::string& name) { WritePlayerRecord(name, PlayerRecord); }

void CYourView::LoadPlayerRecord(const std::string& name) {
  ReadPlayerRecord(name, PlayerRecord);
  // The unlock flags decide which unit types the player may recruit.
  CGAUnitManager::getSingleton().LoadUnitXml("unit.xml");
}

void CYourView::OpenWebPage(const std::string& address) {
  if (!platform::OpenWebPage(address)) GameLog("Cannot open the web page " + address);
}

// The exit button quits as closing the window does, rather than ending the
// process on the spot: the record is saved and everything shut down in order.
void CYourView::ExitGame() { platform::PostQuitMessage(0); }
