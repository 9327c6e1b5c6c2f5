#include "screens/GUIStart.h"

#include "game/FrameClock.h"
#include "game/PlayerRecord.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "screens/GUIManager.h"
#include "screens/GameHost.h"
#include "screens/LevelRecord.h"

#include <CEGUI/CEGUI.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const char* const kSelectionBrush = "ui_2/mask_0";
const char* const kWebPage = "https://example.org/yvek/";
const char* const kVersionFile = ".\\Update.cfg";

// The list entries' selection brush, drawn as its image is.
void SetSelectionBrush(CEGUI::ListboxItem& item) {
  item.setSelectionBrushImage(kSelectionBrush);
  // Untinted: the item's default blue tint darkens any brush until the locked levels' dark red is lost on it.
  item.setSelectionColours(CEGUI::Colour(1, 1, 1, 1));
}

// A player's entry: shows the name, keeps its exact bytes.
class PlayerEntry : public CEGUI::ListboxTextItem {
 public:
  explicit PlayerEntry(const std::string& name)
      : CEGUI::ListboxTextItem(CGAGUICommon::ToCEGUIString(name)), mName(name) {
    SetSelectionBrush(*this);
  }
  const std::string& Name() const { return mName; }

 private:
  std::string mName;
};

using StartAction = void (CGAGUIStart::*)();

// Appends items to a list box with one update at the end. The list box's own
// addItem measures every item it holds for its scroll bars each time, so a
// list of thousands took minutes to fill. The GUI library keeps the item
// store and the change notice for its derived widgets; pointers to members
// named through this class reach them on any list box.
class ListboxFiller : public CEGUI::Listbox {
 public:
  static void Append(CEGUI::Listbox& list, const std::vector<CEGUI::ListboxItem*>& items) {
    if (list.isSortEnabled()) {  // each item must take its place
      for (CEGUI::ListboxItem* item : items) list.addItem(item);
      return;
    }
    auto& held = list.*(&ListboxFiller::d_listItems);
    held.reserve(held.size() + items.size());
    for (CEGUI::ListboxItem* item : items) {
      item->setOwnerWindow(&list);
      held.push_back(item);
    }
    CEGUI::WindowEventArgs args(&list);
    (list.*(&ListboxFiller::onListContentsChanged))(args);
  }
};

}  // namespace

CGAGUIStart::CGAGUIStart(CGAGameHost& host) : mHost(host) {
  root = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("start.layout");

  mLevelList = static_cast<CEGUI::Listbox*>(GetWindow("start_root/level_list/listbox"));
  mLevelList->subscribeEvent(CEGUI::Listbox::EventSelectionChanged,
                             CEGUI::Event::Subscriber(&CGAGUIStart::OnLevelSelected, this));
  root->subscribeEvent(CEGUI::Window::EventUpdated, CEGUI::Event::Subscriber(&CGAGUIStart::OnWindowUpdated, this));
  for (const char* button :
       {"start_root/new_game", "start_root/exit_game", "start_root/level_list/ok", "start_root/level_list/beak",
        "start_root/lock", "start_root/player/newplayer/ok", "start_root/player/new", "start_root/player/delect",
        "start_root/select_player/select", "start_root/player/select", "start_root/logo", "start_root/bbs",
        "start_root/studio", "start_root/studio/show/exit"})
    GetWindow(button)->subscribeEvent(CEGUI::Window::EventMouseClick,
                                      CEGUI::Event::Subscriber(&CGAGUIStart::OnClick, this));
  mPlayerList = static_cast<CEGUI::Listbox*>(GetWindow("start_root/player/listbox"));

  const unsigned version = static_cast<unsigned>(platform::GetProfileInt(kVersionFile, "update", "LocalVersion", 0));
  GetWindow("start_root/ver")->setText(CEGUI::String(std::to_string(version)));

  LoadPlayers();
  mHost.LoadPlayerRecord(PlayerName);

  mLogos.push_back(LogoFade{GetWindow("start_root/logo/Quenrix"), 0.0f});
  mLogos.push_back(LogoFade{GetWindow("start_root/logo/vell"), 0.0f});
  CEGUI::Window* logo = GetWindow("start_root/logo");
  logo->show();
  logo->activate();
}

CGAGUIStart::~CGAGUIStart() {
  if (CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow() == root)
    CEGUI::System::getSingleton().getDefaultGUIContext().setRootWindow(nullptr);
  CEGUI::WindowManager::getSingleton().destroyWindow(root);
}

void CGAGUIStart::Show() {
  mLevelList->getParent()->hide();
  CGAGUICommon::Show();
}

bool CGAGUIStart::OnClick(const CEGUI::EventArgs& args) {
  static const std::pair<const char*, StartAction> kButtons[] = {
      {"start_root/new_game", &CGAGUIStart::OpenLevelList},
      {"start_root/studio/show/exit", &CGAGUIStart::CloseStudio},
      {"start_root/logo", &CGAGUIStart::CloseLogo},
      {"start_root/bbs", &CGAGUIStart::OpenWebPage},
      {"start_root/studio", &CGAGUIStart::OpenStudio},
      {"start_root/select_player/select", &CGAGUIStart::OpenPlayerPanel},
      {"start_root/player/new", &CGAGUIStart::OpenNewPlayerPanel},
      {"start_root/player/select", &CGAGUIStart::ChoosePlayer},
      {"start_root/player/delect", &CGAGUIStart::DeletePlayer},
      {"start_root/player/newplayer/ok", &CGAGUIStart::CreatePlayer},
      {"start_root/lock", &CGAGUIStart::OpenUnlock},
      {"start_root/exit_game", &CGAGUIStart::ExitGame},
      {"start_root/level_list/ok", &CGAGUIStart::StartSelectedLevel},
      {"start_root/level_list/beak", &CGAGUIStart::CloseLevelList},
  };
  const CEGUI::String name = static_cast<const CEGUI::WindowEventArgs&>(args).window->getNamePath();
  for (const auto& button : kButtons) {
    if (name == button.first) {
      (this->*button.second)();
      break;
    }
  }
  return true;
}

bool CGAGUIStart::OnWindowUpdated(const CEGUI::EventArgs&) {
  if (mLogos.empty()) return true;
  LogoFade& front = mLogos.front();
  front.t += FrameDeltaSeconds * 0.8f;
  // In for a while, opaque, out, then transparent while the sine is negative.
  front.window->setAlpha(std::min(1.0f, std::max(0.0f, 2.0f * std::sin(front.t))));
  if (front.t > 4.0f) mLogos.pop_front();
  if (mLogos.empty()) GetWindow("start_root/logo")->hide();
  return true;
}

bool CGAGUIStart::OnLevelSelected(const CEGUI::EventArgs&) {
  if (const CEGUI::ListboxItem* item = mLevelList->getFirstSelectedItem())
    mSelectedLevel = static_cast<int>(item->getID());
  return true;
}

void CGAGUIStart::ShowPlayerPrompt(bool visible) {
  GetWindow("start_root/select_player")->setVisible(visible);
  GetWindow("start_root/select_player/text")
      ->setText(ToCEGUIString(PlayerName) + "\n" + ToCEGUIString("如果不是你的存档，请重新选择"));
}

void CGAGUIStart::LoadPlayers() {
  mPlayers.Load();
  PlayerName = mPlayers.Current();
  // Every player is listed, also with no current player: otherwise the
  // players of a list without a current one could never be chosen again.
  std::vector<CEGUI::ListboxItem*> entries;
  for (const std::string& name : mPlayers.Names()) entries.push_back(new PlayerEntry(name));
  ListboxFiller::Append(*mPlayerList, entries);
  if (PlayerName.empty()) {
    OpenPlayerPanel();
    OpenNewPlayerPanel();
    ShowPlayerPrompt(false);
  } else {
    GetWindow("start_root/player")->hide();
    ShowPlayerPrompt(true);
  }
}

void CGAGUIStart::AddPlayerEntry(const std::string& name) { mPlayerList->addItem(new PlayerEntry(name)); }

std::string CGAGUIStart::SelectedPlayer() const {
  const CEGUI::ListboxItem* item = mPlayerList->getFirstSelectedItem();
  return item ? static_cast<const PlayerEntry*>(item)->Name() : std::string();
}

void CGAGUIStart::SaveOutgoingPlayer() {
  if (!PlayerName.empty()) mHost.SavePlayerRecord(PlayerName);
}

void CGAGUIStart::ShowNameProblem(PlayerNameProblem problem) {
  const char* text = "";
  switch (problem) {
    case PlayerNameProblem::None: break;
    case PlayerNameProblem::Empty: text = "请输入玩家名字"; break;
    case PlayerNameProblem::StartsWithDigit: text = "名字不能以数字开头"; break;
    case PlayerNameProblem::BadCharacter: text = "名字只能由汉字、字母、数字和 _ - . 组成"; break;
    case PlayerNameProblem::TooLong: text = "名字最多16个字"; break;
  }
  GetWindow("start_root/player/newplayer/message")->setText(ToCEGUIString(text));
}

void CGAGUIStart::OpenLevelList() {
  mLevelList->resetList();
  const CEGUI::String goldRate = ToCEGUIString(" 出金率％");
  std::vector<CEGUI::ListboxItem*> items;
  items.reserve(LevelList.size());
  for (size_t i = 0; i < LevelList.size(); ++i) {
    const LevelRecord& level = LevelList[i];
    auto* item = new CEGUI::ListboxTextItem(
        ToCEGUIString(level.name) + goldRate + CEGUI::String(std::to_string(level.gold_rat)),
        static_cast<CEGUI::uint>(i));
    const bool open = static_cast<int>(i) <= PlayerRecord.Progress;
    item->setTextColours(open ? CEGUI::Colour(1, 1, 0, 1) : CEGUI::Colour(0.3f, 0, 0, 1));
    SetSelectionBrush(*item);
    items.push_back(item);
  }
  ListboxFiller::Append(*mLevelList, items);
  mLevelList->getParent()->show();
  mLevelList->getParent()->activate();
}

void CGAGUIStart::CloseStudio() { GetWindow("start_root/studio/show")->hide(); }

void CGAGUIStart::CloseLogo() { GetWindow("start_root/logo")->hide(); }

void CGAGUIStart::OpenWebPage() { mHost.OpenWebPage(kWebPage); }

void CGAGUIStart::OpenStudio() {
  CEGUI::Window* panel = GetWindow("start_root/studio/show");
  panel->show();
  panel->activate();
}

void CGAGUIStart::OpenPlayerPanel() {
  mLevelList->getParent()->hide();
  CEGUI::Window* panel = GetWindow("start_root/player");
  panel->show();
  panel->activate();
  ShowPlayerPrompt(false);
}

void CGAGUIStart::OpenNewPlayerPanel() {
  CEGUI::Window* panel = GetWindow("start_root/player/newplayer");
  panel->show();
  panel->activate();
}

void CGAGUIStart::ChoosePlayer() {
  const std::string chosen = SelectedPlayer();
  if (chosen.empty()) return;
  SaveOutgoingPlayer();
  PlayerName = chosen;
  GetWindow("start_root/player")->hide();
  ShowPlayerPrompt(true);
  mPlayers.SetCurrent(PlayerName);
  mHost.LoadPlayerRecord(PlayerName);
}

void CGAGUIStart::DeletePlayer() {
  CEGUI::ListboxItem* item = mPlayerList->getFirstSelectedItem();
  if (!item) return;
  const std::string name = static_cast<const PlayerEntry*>(item)->Name();
  mPlayers.Remove(name);
  mPlayerList->removeItem(item);
  if (name == PlayerName) {
    // Nobody plays now: the record in memory goes back to a new player's, and
    // nothing writes the deleted player's file again.
    PlayerName.clear();
    mHost.LoadPlayerRecord(PlayerName);
    ShowPlayerPrompt(false);
  }
}

void CGAGUIStart::CreatePlayer() {
  const std::string name = platform::Utf8ToGbk(GetWindow("start_root/player/newplayer/edit")->getText().c_str());
  const PlayerNameProblem problem = CheckPlayerName(name);
  ShowNameProblem(problem);
  if (problem != PlayerNameProblem::None || mPlayers.Has(name)) return;
  // The outgoing player's record is saved first, as choosing another does.
  SaveOutgoingPlayer();
  PlayerName = name;
  AddPlayerEntry(name);
  mPlayers.Add(name);
  GetWindow("start_root/player/newplayer")->hide();
  mHost.LoadPlayerRecord(name);
}

void CGAGUIStart::OpenUnlock() { CGAGUIManager::getSingleton().ShowUnlock(root); }

void CGAGUIStart::ExitGame() {
  SaveOutgoingPlayer();
  mHost.ExitGame();
}

void CGAGUIStart::StartSelectedLevel() {
  if (mSelectedLevel <= PlayerRecord.Progress) CGAGUIManager::getSingleton().StartLevel(mSelectedLevel);
}

void CGAGUIStart::CloseLevelList() { mLevelList->getParent()->hide(); }
