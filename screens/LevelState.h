#pragma once
// The running level's state that units, effects and screens share. The level
// driver (screens/LevelDriver.h) owns it; units add income to the silver and
// lose the level, the effects' coin drops read the rates.
extern int LevelSilver;     // silver to spend on units and recruit calls
extern int LevelGold;       // gold collected, paid into the player record on victory
extern int LevelGoldRat;    // percent chance that a coin drop is gold
extern int LevelSilverRat;  // percent chance that a coin drop is silver

// 0 while playing, 1 once the level is lost, 2 while the unlock screen is open.
enum : int { kGamePlaying = 0, kGameLost = 1, kGameUnlocking = 2 };
extern int GameState;
