// The player's hand on the battlefield: a bar icon picks up a preview of its
// unit type, which follows the mouse snapped to the unit grid, white where it
// may stand and red where not; a left click pays and places it. Delete mode
// removes the player's units; every left click collects the pick-up under
// the mouse.
#include "screens/GUIMain.h"

#include "game/FrameClock.h"
#include "game/GameLog.h"
#include "game/Parse.h"
#include "screens/Battlefield.h"
#include "screens/GUILabelEx.h"
#include "screens/GUIRecruit.h"
#include "screens/LevelState.h"
#include "screens/Placement.h"
#include "units/Unit.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace {

const int kPreviewFadeMs = 100;
const int kRemoveFadeMs = 100;
const int kPickUpFadeMs = 200;
const float kLabelSeconds = 3.0f;

CEGUI::Vector2f MousePosition() {
  return CEGUI::System::getSingleton().getDefaultGUIContext().getMouseCursor().getPosition();
}

}  // namespace

Ogre::Vector3 CGAGUIMain::GroundUnderMouse(const CEGUI::Vector2f& mouse, Ogre::Ray* ray) {
  const CEGUI::Sizef& display = CEGUI::System::getSingleton().getRenderer()->getDisplaySize();
  *ray = mBattlefield.GetPickRay(mouse.d_x / display.d_width, mouse.d_y / display.d_height);
  return mBattlefield.PickGround(*ray);
}

bool CGAGUIMain::OnIconClick(const CEGUI::EventArgs&, CGAGUIIconEx* icon) {
  if (BattlePaused) {
    // Choosing in the recruit panel: the type goes back to the panel. The
    // icon is inside its own click handler, so it is deleted next frame.
    if (!mRecruit->IsVisible()) return true;
    for (BarSlot& slot : mBar) {
      if (slot.icon.get() != icon) continue;
      mRecruit->Unselect(icon->GetUnit()->Name);
      icon->AttachTo(nullptr);
      mRetiredIcons.push_back(std::move(slot.icon));
    }
    return true;
  }
  const UnitTemplate* unitType = icon->GetUnit();
  if (unitType->cooldownLeft > 0) return true;
  if (!CanAfford(unitType->price, LevelSilver)) {
    ShowMessage(kNoSilver, kNoSilverMs);
    return true;
  }
  DropHeldUnit();
  mHeld = mBattlefield.CreateUnit(unitType->Name);
  if (!mHeld) return true;
  mHeld->SetType(kUnitPreview);
  if (mSelectMarker) mSelectMarker->setVisible(true);
  mDeleteMode = false;
  if (mDeleteMarker) mDeleteMarker->setVisible(false);
  FollowMouse(MousePosition());
  return true;
}

void CGAGUIMain::DropHeldUnit() {
  if (mHeld && mBattlefield.IsLive(mHeld)) mHeld->SetFadeOut(true, kPreviewFadeMs);
  mHeld = nullptr;
  if (mSelectMarker) mSelectMarker->setVisible(false);
}

bool CGAGUIMain::OnMouseMove(const CEGUI::EventArgs& args) {
  FollowMouse(static_cast<const CEGUI::MouseEventArgs&>(args).position);
  return true;
}

void CGAGUIMain::FollowMouse(const CEGUI::Vector2f& mouse) {
  Ogre::Ray ray;
  const Ogre::Vector3 ground = GroundUnderMouse(mouse, &ray);
  const Ogre::Vector3 cell = SnapToGridCell(ground);
  if (mPicked && mBattlefield.IsLive(mPicked)) mPicked->SetVisible(true);
  mPicked = mBattlefield.PickUnitByRay(Ogre::Ray(cell, ray.getDirection()));

  if (mHeld) {
    // The preview stands in the place of the unit under it.
    if (mPicked) mPicked->SetVisible(false);
    mHeld->SetPositionXZ(cell.x, cell.z);
    const bool may = MayPlaceHeld(mPicked);
    mHeld->SetColour(may ? Ogre::Vector4(1, 1, 1, 0.5f) : Ogre::Vector4(1, 0, 0, 0.5f));
    if (mSelectMarker) {
      mSelectMarker->setPosition(mHeld->GetPosition() + Ogre::Vector3(0, 0.05f, 0));
      mSelectMarker->setScale(ReachMarkerScale(mHeld->GetInt(kSlotRange), mHeld->GetInt(kSlotLaneSpan)));
    }
  } else if (mDeleteMode) {
    if (mHovered) mBattlefield.SetHighlight(mHovered, false);
    mHovered = nullptr;
    if (mPicked && mPicked->GetInt(kSlotSide) == kSidePlayer) {
      mHovered = mPicked;
      mBattlefield.SetHighlight(mHovered, true);
    }
    if (mDeleteMarker) mDeleteMarker->setPosition(cell);
  }
}

bool CGAGUIMain::MayPlaceHeld(CGAUnit* unitUnder) {
  const UnitTemplate* unitType = mHeld->GetTemplate();
  const Ogre::Vector3& at = mHeld->GetPosition();
  return MayPlace(unitType ? unitType->need : std::string(), unitUnder ? unitUnder->GetTemplateName() : "",
                  mBattlefield.IsPlaceBlocked(mHeld), mBattlefield.GetLogic(static_cast<int>(at.x), static_cast<int>(at.z)));
}

void CGAGUIMain::StartDeleteMode() {
  DropHeldUnit();
  mDeleteMode = true;
  if (mDeleteMarker) mDeleteMarker->setVisible(true);
}

void CGAGUIMain::ClickBattlefield(const CEGUI::EventArgs& args) {
  const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
  if (mouse.button != CEGUI::LeftButton) {
    Cancel();
    return;
  }
  Ogre::Ray ray;
  CGAUnit* under = mBattlefield.PickUnitAt(GroundUnderMouse(mouse.position, &ray));
  if (under && *under->GetType() == kUnitPickUp) CollectPickUp(under);

  if (mDeleteMode) {
    if (under && under->GetInt(kSlotSide) == kSidePlayer && *under->GetType() != kUnitMustSurvive)
      under->SetFadeOut(true, kRemoveFadeMs);  // no silver comes back
    Cancel();
    return;
  }
  if (!mHeld) {
    Cancel();
    return;
  }
  const UnitTemplate* held = mHeld->GetTemplate();
  if (!held) return;
  if (!held->need.empty()) {
    // Placed on a unit of the needed type, which it uses up.
    if (under && under->GetTemplateName() == held->need) PlaceHeld(under);
    return;
  }
  const Ogre::Vector3& at = mHeld->GetPosition();
  if (MayPlace("", "", mBattlefield.IsPlaceBlocked(mHeld),
               mBattlefield.GetLogic(static_cast<int>(at.x), static_cast<int>(at.z))))
    PlaceHeld(nullptr);
}

void CGAGUIMain::PlaceHeld(CGAUnit* replaced) {
  UnitTemplate* unitType = mBattlefield.GetUnitTemplate(mHeld->GetTemplateName());
  if (!unitType) return;
  // The held unit's own price: unit.xml may set it apart from its type's.
  // Read as 0 when negative: a purchase never pays the player.
  const int price = std::max(0, mHeld->GetInt(kSlotPrice));
  if (!CanAfford(price, LevelSilver)) {
    ShowMessage(kNoSilver, kNoSilverMs);
    return;
  }
  unitType->cooldownLeft = unitType->ready;
  LevelSilver = SaturatingSub(LevelSilver, price);
  const Ogre::Vector3 at = replaced ? replaced->GetPosition() : mHeld->GetPosition();
  if (replaced) replaced->SetFadeOut(true, kRemoveFadeMs);
  if (CGAUnit* unit = mBattlefield.CreateUnit(unitType->Name)) {
    unit->SetInt(kSlotSide, kSidePlayer);
    unit->SetPosition(at);
    GameLog("Placed " + unitType->Name + " at " + std::to_string(static_cast<int>(at.x)) + ", " +
            std::to_string(static_cast<int>(at.z)));
  }
  DropHeldUnit();
  mBattlefield.PlaySound("pointassign.wav");
}

void CGAGUIMain::CollectPickUp(CGAUnit* pickUp) {
  const int value = pickUp->GetInt(kSlotPrice);
  const std::string& name = pickUp->GetTemplateName();
  const char* colour = nullptr;
  if (name == "gold") {
    LevelGold = SaturatingAdd(LevelGold, value);
    colour = "FFFFFF00";
  } else if (name == "goldA") {
    LevelSilver = SaturatingAdd(LevelSilver, value);
    colour = "FFFFFFFF";
  }
  if (colour) {
    GameLog("Collected " + name + " " + std::to_string(value));
    if (CGAGUILabelEx* labels = CGAGUILabelEx::getSingletonPtr())
      labels->AddLabel(CEGUI::String("{colour,") + colour + "}+$" + CEGUI::String(std::to_string(value)),
                       pickUp->GetPosition(), kLabelSeconds, "simhei-10");
    pickUp->SetFadeOut(true, kPickUpFadeMs);
  }
  mBattlefield.PlaySound("gold.wav");
}

void CGAGUIMain::Cancel() {
  if (mHovered) mBattlefield.SetHighlight(mHovered, false);
  mHovered = nullptr;
  mDeleteMode = false;
  DropHeldUnit();
  if (mDeleteMarker) mDeleteMarker->setVisible(false);
}

// Units the screen points at may fade out and be deleted under it.
void CGAGUIMain::ForgetGoneUnits() {
  for (CGAUnit** unit : {&mHovered, &mPicked})
    if (*unit && (!mBattlefield.IsLive(*unit) || (*unit)->IsFading())) *unit = nullptr;
  if (mHeld && !mBattlefield.IsLive(mHeld)) mHeld = nullptr;
}
