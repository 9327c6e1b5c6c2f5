#include "screens/GUIMain.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "game/PlayerRecord.h"
#include "game/Settings.h"
#include "platform/Random.h"
#include "screens/Battlefield.h"
#include "screens/GUIManager.h"
#include "screens/GUIRecruit.h"
#include "screens/GUIStart.h"
#include "screens/GameHost.h"
#include "screens/LevelRecord.h"
#include "screens/LevelState.h"
#include "screens/UnlockList.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>

namespace {

const int kLevelNameMs = 5000;
const int kWaveTextMs = 8000;
const int kRecruitCallPrice = 1000;
const float kBarLeft = 142, kBarPitch = 75, kBarTop = 7, kIconPixels = 64;
const int kWindowedWidth = 800, kWindowedHeight = 600;
// What a level whose map cannot be loaded shows, around the map's name.
const char* const kNoMap = "这一关的地图无法读取，不能开始：";
const char* const kClickToClose = "\n（点击关闭）";

using MainAction = void (CGAGUIMain::*)();

void SetNumber(CEGUI::Window* window, int value) { window->setText(CEGUI::String(std::to_string(value))); }

// The start screen's notice of a level that could not start; null until
// first shown.
CEGUI::Window* FindNotice() {
  CEGUI::Window* start = CGAGUIManager::getSingleton().GetStartScreen()->GetRoot();
  return start->isChild("notice") ? start->getChild("notice") : nullptr;
}

// The notice shown now over the start screen, in front of everything; a
// click on it hides it, and so does the next level that starts.
void ShowNotice(const CEGUI::String& text) {
  CEGUI::Window* notice = FindNotice();
  if (!notice) {
    notice = CEGUI::WindowManager::getSingleton().createWindow("WindowsLook/StaticText", "notice");
    notice->setArea(CEGUI::URect(CEGUI::UDim(0.2f, 0), CEGUI::UDim(0.42f, 0), CEGUI::UDim(0.8f, 0),
                                 CEGUI::UDim(0.58f, 0)));
    notice->setProperty("HorzFormatting", "WordWrapCentreAligned");
    notice->setAlwaysOnTop(true);
    notice->subscribeEvent(CEGUI::Window::EventMouseClick, [notice](const CEGUI::EventArgs&) {
      notice->hide();
      return true;
    });
    CGAGUIManager::getSingleton().GetStartScreen()->GetRoot()->addChild(notice);
  }
  notice->setText(text);
  notice->show();
  notice->activate();
}

}  // namespace

CGAGUIMain::CGAGUIMain(CGAGameHost& host, CGABattlefield& battlefield)
    : mHost(host), mBattlefield(battlefield), mDriver(battlefield, platform::Rand) {
  LevelSilver = 0;
  LevelGold = 0;
  CreateMarkers();

  root = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("main.layout");
  for (const char* name : {"root/food", "root/price", "root/gold", "root/cent", "root/text", "root/defeat",
                           "root/defeat/text", "root/win", "root/win/text"})
    GetWindow(name);  // the layout must have them: the GUI library throws here rather than mid-level
  GetWindow("root/config")->hide();

  mSoundSlider = static_cast<CEGUI::Slider*>(GetWindow("root/config/sound"));
  mMusicSlider = static_cast<CEGUI::Slider*>(GetWindow("root/config/music"));
  const float volume = ReadSetting("vol") * 0.01f;
  mBattlefield.SetSoundVolume(volume);
  mSoundSlider->setCurrentValue(volume);
  mMusicSlider->setCurrentValue(0.5f);
  // Subscribed once the values are set, so setting them stores nothing.
  for (CEGUI::Slider* slider : {mSoundSlider, mMusicSlider})
    slider->subscribeEvent(CEGUI::Slider::EventValueChanged,
                           CEGUI::Event::Subscriber(&CGAGUIMain::OnVolumeChanged, this));
  mFullScreen = static_cast<CEGUI::ToggleButton*>(GetWindow("root/config/full"));
  mFullScreen->setSelected(ReadSetting("full") != 0);
  // Every change of the box, also the second of a double click, which makes
  // no click event.
  mFullScreen->subscribeEvent(CEGUI::ToggleButton::EventSelectStateChanged,
                              CEGUI::Event::Subscriber(&CGAGUIMain::OnFullScreenChanged, this));

  for (const char* button : {"root/main", "root/delete", "root/defeat/ok", "root/defeat/lock", "root/win/ok",
                             "root/win/lock", "root/config/restart", "root/config/exit", "root/config/ok",
                             "root/call_recruit"})
    GetWindow(button)->subscribeEvent(CEGUI::Window::EventMouseClick,
                                      CEGUI::Event::Subscriber(&CGAGUIMain::OnClick, this));
  mSoundSlider->subscribeEvent(CEGUI::Slider::EventThumbTrackEnded,
                               CEGUI::Event::Subscriber(&CGAGUIMain::OnSoundSliderReleased, this));
  root->subscribeEvent(CEGUI::Window::EventMouseClick, CEGUI::Event::Subscriber(&CGAGUIMain::OnClick, this));
  root->subscribeEvent(CEGUI::Window::EventMouseMove, CEGUI::Event::Subscriber(&CGAGUIMain::OnMouseMove, this));
  root->subscribeEvent(CEGUI::Window::EventUpdated, CEGUI::Event::Subscriber(&CGAGUIMain::OnWindowUpdated, this));

  CreateBar();
  mRecruit.reset(new CGAGUIRecruit(*this, mBattlefield));
}

CGAGUIMain::~CGAGUIMain() {
  // Icons first: their windows live in the layout's tree.
  mRetiredIcons.clear();
  mBar.clear();
  mRecruit.reset();
  CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
  if (context.getRootWindow() == root) context.setRootWindow(nullptr);
  CEGUI::WindowManager::getSingleton().destroyWindow(root);
  if (Ogre::SceneManager* scene = mBattlefield.GetSceneManager()) {
    for (Ogre::SceneNode* marker : {mSelectMarker, mDeleteMarker}) {
      if (!marker) continue;
      for (Ogre::MovableObject* object : marker->getAttachedObjects()) scene->destroyMovableObject(object);
      scene->destroySceneNode(marker);
    }
  }
}

void CGAGUIMain::CreateMarkers() {
  Ogre::SceneManager* scene = mBattlefield.GetSceneManager();
  if (!scene) return;
  mSelectMarker = scene->getRootSceneNode()->createChildSceneNode();
  mDeleteMarker = scene->getRootSceneNode()->createChildSceneNode();

  // The unit picking shape in red, tall, where a click would remove a unit.
  if (Ogre::ResourceGroupManager::getSingleton().resourceExistsInAnyGroup("collider.mesh")) {
    Ogre::Entity* shape = scene->createEntity("delect", "collider.mesh");
    shape->setMaterialName("red");
    shape->setRenderQueueGroup(90);
    mDeleteMarker->attachObject(shape);
  }
  mDeleteMarker->setScale(2, 22, 2);
  mDeleteMarker->setVisible(false);

  // A green square outline around the held unit; its scale shows the reach.
  mSelectMarker->setScale(2, 2, 2);
  Ogre::ManualObject* outline = scene->createManualObject("select");
  outline->begin("effect_alpha_off", Ogre::RenderOperation::OT_LINE_LIST);
  const Ogre::Vector3 corners[] = {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0.5f, 0, 0.5f}, {-0.5f, 0, 0.5f}};
  for (int i = 0; i < 4; ++i) {
    for (const Ogre::Vector3& corner : {corners[i], corners[(i + 1) % 4]}) {
      outline->position(corner);
      outline->colour(Ogre::ColourValue(0, 1, 0, 1));
    }
  }
  outline->end();
  mSelectMarker->attachObject(outline);
  // Hidden until a unit is held, not until the first level reset: shown, it
  // would stand at the origin behind the start screen and have every idle
  // frame drawn again.
  mSelectMarker->setVisible(false);
}

void CGAGUIMain::CreateBar() {
  CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
  for (size_t i = 0; i < kBarSlots; ++i) {
    CEGUI::Window* slot = windows.createWindow("WindowsLook/StaticImage");
    slot->setAlwaysOnTop(true);
    slot->setProperty("FrameEnabled", "False");
    slot->setProperty("BackgroundEnabled", "False");
    root->addChild(slot);
    slot->setPosition(CEGUI::UVector2(CEGUI::UDim(0, kBarLeft + kBarPitch * i), CEGUI::UDim(0, kBarTop)));
    slot->setSize(CEGUI::USize(CEGUI::UDim(0, kIconPixels), CEGUI::UDim(0, kIconPixels)));
    mBar.push_back(BarSlot{slot, nullptr});
  }
}

void CGAGUIMain::Show() {
  for (const char* panel : {"root/text", "root/defeat", "root/win", "root/config"}) GetWindow(panel)->hide();
  mRecruit->SetVisible(false);
  CGAGUICommon::Show();
}

bool CGAGUIMain::StartLevel(int n) {
  if (!mDriver.Start(LevelList, n)) return false;
  if (mDriver.ProgressRaised() && !PlayerName.empty()) mHost.SavePlayerRecord(PlayerName);
  const LevelRecord& level = *mDriver.GetLevel();
  mBattlefield.PlayMusic(level.music);
  if (!mBattlefield.LoadMap(level.id)) {
    // Without its map the level has no field to play on and would never
    // end: it does not start, and the player is told so on the start screen.
    GameLog("Level " + std::to_string(n) + " not started: its map " + level.id + " cannot be loaded");
    ExitLevel();
    ShowNotice(ToCEGUIString(kNoMap + level.id + kClickToClose));
    return false;
  }
  // What an earlier level's notice said no longer holds.
  if (CEGUI::Window* notice = FindNotice()) notice->hide();
  ResetLevel();
  ShowMessage(level.name, kLevelNameMs);
  return true;
}

void CGAGUIMain::ResetLevel() {
  ClearIcons();
  mRecruit->Clear();
  if (mDriver.GetLevel())
    for (const UnlockEntry& entry : ReadUnlockList()) mRecruit->AddUnitIcon(entry.id, false);
  mDriver.Reset();
  if (mDriver.GetLevel()) GetWindow("root/cent")->setText(ToCEGUIString(mDriver.ProgressText(0)));
  if (mHovered) mBattlefield.SetHighlight(mHovered, false);
  mHovered = nullptr;
  mPicked = nullptr;
  DropHeldUnit();
  mMessageMs = 0;
  for (const char* panel : {"root/text", "root/defeat", "root/win", "root/config"}) GetWindow(panel)->hide();
  mRecruit->SetVisible(false);
  mBattlefield.ClearUnits();
  mBattlefield.DestroyAllEffects();
}

void CGAGUIMain::ShowMessage(const std::string& text, int ms) {
  if (text.empty()) return;
  mMessageMs = ms;
  GetWindow("root/text")->setText(ToCEGUIString(text));
  GameLog("Message shown: " + text);
}

void CGAGUIMain::ClearIcons() {
  for (BarSlot& slot : mBar) slot.icon.reset();
}

bool CGAGUIMain::HasUnits() const {
  for (const BarSlot& slot : mBar)
    if (slot.icon) return true;
  return false;
}

bool CGAGUIMain::AddUnit(const std::string& unitId) {
  for (const BarSlot& slot : mBar)
    if (slot.icon && slot.icon->GetUnit()->Name == unitId) return false;
  UnitTemplate* unitType = mBattlefield.GetUnitTemplate(unitId);
  if (!unitType) return false;
  for (BarSlot& slot : mBar) {
    if (slot.icon) continue;
    slot.icon.reset(new CGAGUIIconEx(0));
    slot.icon->SetUnit(unitType);
    slot.icon->SetListener(this);
    slot.icon->AttachTo(slot.window, true);
    return true;
  }
  return false;
}

bool CGAGUIMain::AnyPanelOpen() const {
  for (const char* panel : {"root/defeat", "root/win", "root/config"})
    if (GetWindow(panel)->isVisible()) return true;
  return mRecruit->IsVisible();
}

void CGAGUIMain::Resume() {
  if (!AnyPanelOpen()) BattlePaused = 0;
}

bool CGAGUIMain::OnClick(const CEGUI::EventArgs& args) {
  static const std::pair<const char*, MainAction> kButtons[] = {
      {"root/main", &CGAGUIMain::OpenSettings},
      {"root/call_recruit", &CGAGUIMain::CallRecruit},
      {"root/defeat/ok", &CGAGUIMain::Restart},
      {"root/win/ok", &CGAGUIMain::NextLevel},
      {"root/win/lock", &CGAGUIMain::OpenUnlock},
      {"root/defeat/lock", &CGAGUIMain::OpenUnlock},
      {"root/config/restart", &CGAGUIMain::Restart},
      {"root/config/exit", &CGAGUIMain::ExitLevel},
      {"root/config/ok", &CGAGUIMain::CloseSettings},
  };
  const CEGUI::String name = static_cast<const CEGUI::WindowEventArgs&>(args).window->getNamePath();
  for (const auto& button : kButtons) {
    if (name == button.first) {
      (this->*button.second)();
      break;
    }
  }
  // The battlefield takes no clicks while the battle is paused.
  if (BattlePaused) return true;
  if (name == "root/delete")
    StartDeleteMode();
  else if (name == "root")
    ClickBattlefield(args);
  return true;
}

void CGAGUIMain::OpenSettings() {
  CEGUI::Window* panel = GetWindow("root/config");
  panel->show();
  panel->activate();  // in front of the recruit panel
  BattlePaused = 1;
}

void CGAGUIMain::CallRecruit() {
  // One panel, one price: a panel already paid for (or due after a wave)
  // opens at the next frame.
  if (mRecruit->IsVisible() || mDriver.IsRecruitPending()) return;
  if (LevelSilver < kRecruitCallPrice) {
    ShowMessage(kNoSilver, kNoSilverMs);
    return;
  }
  LevelSilver -= kRecruitCallPrice;
  mDriver.RequestRecruit();
}

void CGAGUIMain::NextLevel() {
  // After the last level the game goes back to the start screen.
  if (mDriver.IsLastLevel())
    ExitLevel();
  else
    StartLevel(mDriver.GetLevelIndex() + 1);
}

void CGAGUIMain::OpenUnlock() { CGAGUIManager::getSingleton().ShowUnlock(root); }

void CGAGUIMain::Restart() { ResetLevel(); }

void CGAGUIMain::ExitLevel() {
  mBattlefield.ClearMap();
  ResetLevel();
  CGAGUIManager::getSingleton().ShowStart();
}

void CGAGUIMain::CloseSettings() {
  GetWindow("root/config")->hide();
  // Not under another panel: the recruit choice or the level's end stays.
  Resume();
}

bool CGAGUIMain::OnFullScreenChanged(const CEGUI::EventArgs&) {
  const bool on = mFullScreen->isSelected();
  mHost.SetFullScreen(on);
  if (!on) mHost.SetWindowedSize(kWindowedWidth, kWindowedHeight);
  WriteSetting("full", on ? 1 : 0);
  return true;
}

bool CGAGUIMain::OnVolumeChanged(const CEGUI::EventArgs&) {
  mBattlefield.SetMusicVolume(mMusicSlider->getCurrentValue());
  mBattlefield.SetSoundVolume(mSoundSlider->getCurrentValue());
  // The music volume is not kept.
  WriteSetting("vol", static_cast<int>(mSoundSlider->getCurrentValue() * 100));
  return true;
}

bool CGAGUIMain::OnSoundSliderReleased(const CEGUI::EventArgs&) {
  mBattlefield.PlaySound("pointassign.wav");
  return true;
}

bool CGAGUIMain::OnWindowUpdated(const CEGUI::EventArgs&) {
  mRetiredIcons.clear();
  ForgetGoneUnits();
  ShowFrameMessage();
  SetNumber(GetWindow("root/price"), LevelSilver);
  SetNumber(GetWindow("root/gold"), LevelGold);

  const LevelDriver::FrameEvents events = mDriver.Frame(FrameDeltaMs);
  const LevelRecord* level = mDriver.GetLevel();
  if (events.lost) {
    GameLog("Level " + std::to_string(mDriver.GetLevelIndex()) + " lost");
    ShowEnd("root/defeat", level->defeat, "\n扣除黄金");
  }
  if (events.recruitOpened) {
    GameLog("Recruit panel open");
    mRecruit->SetVisible(true);
  }
  if (events.wave) {
    GameLog("Wave " + std::to_string(mDriver.GetWavesSent()) + " sent");
    ShowMessage(events.wave->text, kWaveTextMs);
    if (!events.wave->sound.empty()) mBattlefield.PlaySound(events.wave->sound);
    GetWindow("root/cent")->setText(ToCEGUIString(mDriver.ProgressText(mDriver.GetWavesSent() - 1)));
  }
  if (events.won) {
    GameLog("Level " + std::to_string(mDriver.GetLevelIndex()) + " won, gold " + std::to_string(LevelGold));
    ShowEnd("root/win", level->win, "\n获得黄金");
    if (!PlayerName.empty()) mHost.SavePlayerRecord(PlayerName);
  }
  return true;
}

// 800 ms shown, 200 ms hidden, and hidden at the end.
void CGAGUIMain::ShowFrameMessage() {
  CEGUI::Window* text = GetWindow("root/text");
  if (mMessageMs > 0) {
    mMessageMs -= static_cast<int>(FrameDeltaMs);
    text->setVisible(mMessageMs % 1000 > 200);
    if (mMessageMs <= 0) GameLog("Message over");
  } else if (text->isVisible()) {
    text->hide();
  }
}

void CGAGUIMain::ShowEnd(const char* panel, const std::string& text, const char* goldWords) {
  const CEGUI::String message =
      ToCEGUIString(text) + ToCEGUIString(goldWords) + CEGUI::String(std::to_string(LevelGold));
  CEGUI::Window* window = GetWindow(panel);
  GetWindow(std::string(panel) + "/text")->setText(message);
  window->setText(message);
  window->show();
}
