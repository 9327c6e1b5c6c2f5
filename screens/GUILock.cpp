#include "screens/GUILock.h"

#include "game/GameLog.h"
#include "game/Parse.h"
#include "game/PlayerRecord.h"
#include "screens/Battlefield.h"
#include "screens/GameHost.h"
#include "screens/LevelState.h"
#include "screens/UnlockList.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>

namespace {

const char* const kLayout = "unlock.layout";
const char* const kUnlocked = "解锁成功！！";
const char* const kNeedGold = "需要更多金币！！";
const char* const kNeedFirst = " 需要首先解锁！！";
// A type past the record's unlock flags: it could never be stored.
const char* const kNoFlag = "该兵种无法解锁！！";

CEGUI::GUIContext& Context() { return CEGUI::System::getSingleton().getDefaultGUIContext(); }

// The window of the layout a full name ("Root/unlock/icon_0") names; null
// when there is none.
CEGUI::Window* FindWindow(CEGUI::Window* root, const std::string& fullName) {
  const std::string prefix = std::string(root->getName().c_str()) + "/";
  if (fullName.compare(0, prefix.size(), prefix) != 0) return nullptr;
  const CEGUI::String path(fullName.substr(prefix.size()));
  return root->isChild(path) ? root->getChild(path) : nullptr;
}

// Only the layout's icon slots ("icon_" and a number) hold icons: one on any
// other window could cover the screen or its OK button.
bool IsIconSlot(const CEGUI::Window* window) {
  const std::string name = window->getName().c_str();
  const std::string prefix = "icon_";
  return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

}  // namespace

CGAGUILock::CGAGUILock(CGAGameHost& host, CGABattlefield& battlefield) : mHost(host), mBattlefield(battlefield) {
  root = CEGUI::WindowManager::getSingleton().loadLayoutFromFile(kLayout);
  GetWindow("Root/unlock/ok")
      ->subscribeEvent(CEGUI::Window::EventMouseClick, CEGUI::Event::Subscriber(&CGAGUILock::OnOk, this));
  mGold = GetWindow("Root/unlock/gold");
  mMessage = GetWindow("Root/unlock/Text");

  // An entry the game cannot show is left out rather than ending the game.
  for (const UnlockEntry& entry : ReadUnlockList()) {
    UnitTemplate* unitType = mBattlefield.GetUnitTemplate(entry.id);
    CEGUI::Window* host = FindWindow(root, entry.icon);
    std::string problem;
    if (!unitType)
      problem = "no such unit type";
    else if (!host)
      problem = "no window \"" + entry.icon + "\" in " + kLayout;
    else if (!IsIconSlot(host))
      problem = "\"" + entry.icon + "\" is no icon slot of " + kLayout;
    if (!problem.empty()) {
      GameLog(std::string(kUnlockListFile) + ": " + entry.id + " left out: " + problem);
      continue;
    }
    mIcons.emplace_back(new CGAGUIIconEx(0));
    mIcons.back()->SetUnit(unitType);
    mIcons.back()->SetListener(this);
    mIcons.back()->AttachTo(host, true);
  }
  ShowGold();
}

CGAGUILock::~CGAGUILock() {
  mIcons.clear();
  if (Context().getRootWindow() == root) Context().setRootWindow(nullptr);
  CEGUI::WindowManager::getSingleton().destroyWindow(root);
}

void CGAGUILock::Show(bool open) {
  ShowGold();
  if (open) {
    if (!mOpen) mStateBeforeOpen = GameState;
    mOpen = true;
    Context().setRootWindow(root);
    GameState = kGameUnlocking;
    return;
  }
  Context().setRootWindow(mReturnSheet);
  // Back to the state it was opened in: a lost level stays lost.
  if (mOpen) GameState = mStateBeforeOpen;
  mOpen = false;
}

bool CGAGUILock::OnOk(const CEGUI::EventArgs&) {
  Show(false);
  return true;
}

bool CGAGUILock::OnIconClick(const CEGUI::EventArgs&, CGAGUIIconEx* icon) {
  UnitTemplate* unitType = icon->GetUnit();
  if (!unitType || unitType->unlocked) return true;
  // Exactly enough gold is enough.
  if (unitType->gold > PlayerRecord.Gold) {
    Say(kNeedGold);
    return true;
  }
  // A prerequisite that names no unit type does not block.
  if (!unitType->lock_0.empty()) {
    const UnitTemplate* first = mBattlefield.GetUnitTemplate(unitType->lock_0);
    if (first && !first->unlocked) {
      Say(first->name + kNeedFirst);
      return true;
    }
  }
  if (!UnlockUnitType(*unitType, PlayerRecord)) {
    Say(kNoFlag);
    return true;
  }
  PlayerRecord.Gold = SaturatingSub(PlayerRecord.Gold, unitType->gold);
  Say(kUnlocked);
  ShowGold();
  GameLog("Unlocked " + unitType->Name + ", gold left " + std::to_string(PlayerRecord.Gold));
  mHost.SavePlayerRecord(PlayerName);
  return true;
}

void CGAGUILock::ShowGold() { mGold->setText(CEGUI::String(std::to_string(PlayerRecord.Gold))); }

void CGAGUILock::Say(const std::string& text) { mMessage->setText(ToCEGUIString(text)); }
