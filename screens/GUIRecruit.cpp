#include "screens/GUIRecruit.h"

#include "screens/Battlefield.h"
#include "screens/GUIMain.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>

namespace {

const int kGridSize = 6;
const float kCellPixels = 64;
const float kCellPitch = 66;
const float kGridMargin = 10;
const int kNoUnitsMessageMs = 5000;

}  // namespace

CGAGUIRecruit::CGAGUIRecruit(CGAGUIMain& main, CGABattlefield& battlefield)
    : mMain(main), mBattlefield(battlefield) {
  root = main.GetRoot()->getChild("recruit");
  CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
  for (int row = 0; row < kGridSize; ++row) {
    for (int column = 0; column < kGridSize; ++column) {
      CEGUI::Window* cell = windows.createWindow("WindowsLook/StaticImage");
      cell->setProperty("FrameEnabled", "False");
      cell->setProperty("BackgroundEnabled", "False");
      root->addChild(cell);
      cell->setPosition(CEGUI::UVector2(CEGUI::UDim(0, kGridMargin + kCellPitch * column),
                                        CEGUI::UDim(0, kGridMargin + kCellPitch * row)));
      cell->setSize(CEGUI::USize(CEGUI::UDim(0, kCellPixels), CEGUI::UDim(0, kCellPixels)));
      mSlots.push_back(Slot{cell, nullptr});
    }
  }
  root->getChild("ok")->subscribeEvent(CEGUI::Window::EventMouseClick,
                                       CEGUI::Event::Subscriber(&CGAGUIRecruit::OnOk, this));
  root->hide();
}

CGAGUIRecruit::~CGAGUIRecruit() = default;

void CGAGUIRecruit::SetVisible(bool visible) {
  root->setVisible(visible);
  if (visible) root->activate();
}

bool CGAGUIRecruit::IsVisible() const { return root->isVisible(); }

void CGAGUIRecruit::Clear() {
  for (Slot& slot : mSlots) slot.icon.reset();
}

void CGAGUIRecruit::AddUnitIcon(const std::string& name, bool selected) {
  UnitTemplate* unitType = mBattlefield.GetUnitTemplate(name);
  if (!unitType || !unitType->unlocked) return;
  for (Slot& slot : mSlots) {
    if (slot.icon) continue;
    slot.icon.reset(new CGAGUIIconEx(0));
    slot.icon->SetUnit(unitType);
    slot.icon->SetListener(this);
    slot.icon->SetSelected(selected);
    slot.icon->AttachTo(slot.cell, true);
    return;
  }
}

void CGAGUIRecruit::Unselect(const std::string& name) {
  for (Slot& slot : mSlots)
    if (slot.icon && slot.icon->GetUnit()->Name == name) slot.icon->SetSelected(false);
}

bool CGAGUIRecruit::OnIconClick(const CEGUI::EventArgs&, CGAGUIIconEx* icon) {
  if (mMain.AddUnit(icon->GetUnit()->Name)) icon->SetSelected(true);
  return true;
}

bool CGAGUIRecruit::OnOk(const CEGUI::EventArgs&) {
  if (mMain.HasUnits()) {
    root->hide();
    mMain.Resume();
  } else {
    mMain.ShowMessage("你必须挑选出征单位！！！", kNoUnitsMessageMs);
  }
  return true;
}
