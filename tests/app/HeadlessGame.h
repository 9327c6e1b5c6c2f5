#pragma once
// The game without a window: its managers in the start-up order on the
// headless engine and the GUI's null renderer, with the shipped data (level
// files, maps, units, effects), a level played through the in-game screen,
// and a player's hand that clicks as the window procedure passes clicks on.
// Frames run the game's logic in the game's order, without drawing.
#include "tests/screens/LevelGlobals.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Ogre {
class SceneManager;
}  // namespace Ogre
class CGACamera;
class CGACollisionManager;
class CGAEffectManager;
class CGAGUILabelEx;
class CGAGUIMain;
class CGAGUIManager;
class CGATerrainManager;
class CGAUnit;
class CGAUnitManager;
class CTPAudioManager;

class HeadlessGame {
 public:
  // The shipped level files; a new player with the record's defaults.
  HeadlessGame();
  ~HeadlessGame();

  // A unit type the player has bought on the unlock screen.
  void Unlock(const std::string& type);
  // Level n (from 0) started as the start screen starts it.
  bool StartLevel(int n);
  // One frame's logic of the given length, in the game's order.
  void Frame(uint32_t ms);

  // The player's hand. The types of the recruit panel named (comma
  // separated) go into the bar; then OK. False when the panel is not up.
  bool Recruit(const std::string& types);
  // A bar icon clicked, the mouse moved over ground (x, z), a left click:
  // true when a unit of the type now stands in that grid cell.
  bool Place(const std::string& type, float x, float z);
  // A left click on the ground at (x, z) (pick-ups are collected so).
  void ClickGround(float x, float z);
  // The window pixel (800 x 600) that shows ground (x, z).
  bool ScreenPoint(float x, float z, float* px, float* py) const;

  CGAGUIMain& Screen() const;
  // The units waves sent to the player's side: the places drawn for them,
  // and those that came (a place in a cell the player's side holds is
  // skipped).
  int ReinforcementsDrawn() const;
  int ReinforcementsArrived() const;
  CGAUnitManager& Units() const { return *mUnits; }
  CGATerrainManager& Terrain() const { return *mTerrain; }

 private:
  class Host;
  class Levels;
  class UnitWorld;
  class EffectWorld;
  class Field;

  ScopedLevelGlobals mGlobals;
  Ogre::SceneManager* mScene;
  std::unique_ptr<Host> mHost;
  std::unique_ptr<Levels> mLevels;
  std::unique_ptr<UnitWorld> mUnitWorld;
  std::unique_ptr<EffectWorld> mEffectWorld;
  std::unique_ptr<Field> mField;
  std::unique_ptr<CTPAudioManager> mSound;
  std::unique_ptr<CGATerrainManager> mTerrain;
  std::unique_ptr<CGACollisionManager> mCollision;
  std::unique_ptr<CGAUnitManager> mUnits;
  std::unique_ptr<CGACamera> mCamera;
  std::unique_ptr<CGAEffectManager> mEffects;
  std::unique_ptr<CGAGUIManager> mGui;
  std::unique_ptr<CGAGUILabelEx> mLabels;
};
