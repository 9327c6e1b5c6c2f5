#pragma once
// The in-game screen over the 3-D view: the unit bar of six icon slots, the
// silver, gold and progress, the blinking message, the settings panel, the
// recruit call and panel, and the victory and defeat panels. Its per-frame
// handler runs the level driver; its mouse handlers on the 3-D view place
// units, remove them and collect pick-ups (screens/GUIMainPlacement.cpp).
#include "screens/GUIIconEx.h"
#include "screens/LevelDriver.h"

#include <CEGUI/Vector.h>
#include <OgreRay.h>
#include <OgreVector.h>

#include <memory>
#include <string>
#include <vector>

namespace CEGUI {
class Slider;
class ToggleButton;
}  // namespace CEGUI
namespace Ogre {
class SceneNode;
}
class CGABattlefield;
class CGAGameHost;
class CGAGUIRecruit;
class CGAUnit;

class CGAGUIMain : public CGAGUIIconEx::Listener, public CGAGUICommon {
 public:
  CGAGUIMain(CGAGameHost& host, CGABattlefield& battlefield);
  ~CGAGUIMain() override;

  // Hides the panels, then makes the screen the active sheet.
  void Show() override;

  // The level driver's operations: level n of the list on its map with its
  // music (false, nothing changed, when there is none; false, back on the
  // start screen with a notice, when its map cannot be loaded); the current
  // level back to its start on the same map.
  bool StartLevel(int n);
  void ResetLevel();
  const LevelDriver& GetDriver() const { return mDriver; }

  // A blinking message for ms milliseconds; an empty text leaves the one
  // that is showing.
  void ShowMessage(const std::string& text, int ms);

  // The unit bar.
  void ClearIcons();
  bool HasUnits() const;
  // The type in the first free slot; false when it is there already or no
  // slot is free.
  bool AddUnit(const std::string& unitId);
  CGAGUIIconEx* GetBarIcon(size_t slot) const { return mBar[slot].icon.get(); }
  CEGUI::Window* GetBarSlot(size_t slot) const { return mBar[slot].window; }
  static constexpr size_t kBarSlots = 6;
  // The recruit panel's OK: the battle runs on, unless another panel is up.
  void Resume();

  CGAGUIRecruit* GetRecruit() const { return mRecruit.get(); }
  CGAUnit* GetHeldUnit() const { return mHeld; }
  bool IsDeleteMode() const { return mDeleteMode; }
  Ogre::SceneNode* GetSelectMarker() const { return mSelectMarker; }
  Ogre::SceneNode* GetDeleteMarker() const { return mDeleteMarker; }

  // Handlers.
  bool OnClick(const CEGUI::EventArgs& args);
  bool OnWindowUpdated(const CEGUI::EventArgs& args);
  bool OnVolumeChanged(const CEGUI::EventArgs& args);
  bool OnSoundSliderReleased(const CEGUI::EventArgs& args);
  bool OnFullScreenChanged(const CEGUI::EventArgs& args);
  bool OnMouseMove(const CEGUI::EventArgs& args);
  bool OnIconClick(const CEGUI::EventArgs& args, CGAGUIIconEx* icon) override;
  // Lets go of the placement preview.
  void DropHeldUnit();

 private:
  // What a purchase the silver does not cover shows.
  static constexpr const char* kNoSilver = "需要更多银币";
  static constexpr int kNoSilverMs = 5000;

  struct BarSlot {
    CEGUI::Window* window;
    std::unique_ptr<CGAGUIIconEx> icon;
  };

  void CreateMarkers();
  void CreateBar();
  void ShowFrameMessage();
  void ShowEnd(const char* panel, const std::string& text, const char* goldWords);
  bool AnyPanelOpen() const;

  // The buttons.
  void OpenSettings();
  void CallRecruit();
  void NextLevel();
  void OpenUnlock();
  void Restart();
  void ExitLevel();
  void CloseSettings();

  // The 3-D view (GUIMainPlacement.cpp).
  Ogre::Vector3 GroundUnderMouse(const CEGUI::Vector2f& mouse, Ogre::Ray* ray);
  void FollowMouse(const CEGUI::Vector2f& mouse);
  void StartDeleteMode();
  void ClickBattlefield(const CEGUI::EventArgs& args);
  void CollectPickUp(CGAUnit* unit);
  bool MayPlaceHeld(CGAUnit* unitUnder);
  // Pays, starts the type's cooldown and makes the unit, where the preview
  // is or in the place of the unit it uses up.
  void PlaceHeld(CGAUnit* replaced);
  void Cancel();
  void ForgetGoneUnits();

  CGAGameHost& mHost;
  CGABattlefield& mBattlefield;
  LevelDriver mDriver;
  std::vector<BarSlot> mBar;
  // Bar icons taken out from inside their own click handler; deleted at the
  // next frame.
  std::vector<std::unique_ptr<CGAGUIIconEx>> mRetiredIcons;
  std::unique_ptr<CGAGUIRecruit> mRecruit;
  std::string mLevelMusic;

  CEGUI::Slider* mSoundSlider = nullptr;
  CEGUI::Slider* mMusicSlider = nullptr;
  CEGUI::ToggleButton* mFullScreen = nullptr;
  int mMessageMs = 0;

  Ogre::SceneNode* mSelectMarker = nullptr;
  Ogre::SceneNode* mDeleteMarker = nullptr;
  CGAUnit* mHeld = nullptr;     // the placement preview following the mouse
  CGAUnit* mHovered = nullptr;  // in delete mode, the player's unit under the mouse
  CGAUnit* mPicked = nullptr;   // the unit under the mouse at its last move
  bool mDeleteMode = false;
};
