#pragma once
// The recruit panel: a 6 x 6 grid of the unit types the player has unlocked,
// in the unlock list's order. A click puts a type into the in-game unit bar
// and dims its icon; OK closes the panel and resumes the battle once the bar
// holds at least one type.
#include "screens/GUIIconEx.h"

#include <memory>
#include <string>
#include <vector>

class CGABattlefield;
class CGAGUIMain;

class CGAGUIRecruit : public CGAGUIIconEx::Listener, public CGAGUICommon {
 public:
  // The panel is "root/recruit" of the in-game screen's layout.
  CGAGUIRecruit(CGAGUIMain& main, CGABattlefield& battlefield);
  ~CGAGUIRecruit() override;

  void SetVisible(bool visible);
  bool IsVisible() const;
  // Every icon goes.
  void Clear();
  // An icon of the type in the first free cell; nothing for a locked or
  // unknown type, or when all 36 cells are taken.
  void AddUnitIcon(const std::string& name, bool selected);
  // The type's icon brightens again (it left the bar).
  void Unselect(const std::string& name);

  bool OnIconClick(const CEGUI::EventArgs& args, CGAGUIIconEx* icon) override;
  bool OnOk(const CEGUI::EventArgs& args);

  // Cell i (row by row) and its icon, null when empty.
  CEGUI::Window* GetCell(size_t i) const { return mSlots[i].cell; }
  CGAGUIIconEx* GetIcon(size_t i) const { return mSlots[i].icon.get(); }
  static constexpr size_t kCells = 36;

 private:
  struct Slot {
    CEGUI::Window* cell;
    std::unique_ptr<CGAGUIIconEx> icon;
  };

  CGAGUIMain& mMain;
  CGABattlefield& mBattlefield;
  std::vector<Slot> mSlots;
};
