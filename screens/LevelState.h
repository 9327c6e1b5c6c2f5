#pragma once
// The running level's state, owned by the in-game screen and written also by
// units and effects.
extern int LevelSilver;     // silver to spend; the level's money at each reset
extern int LevelGold;       // gold collected, paid into the player record on victory
extern int LevelGoldRat;    // percent chance of a gold drop
extern int LevelSilverRat;  // percent chance of a silver drop
extern int GameState;       // 0 playing, 1 the level is lost, 2 the unlock screen is open
