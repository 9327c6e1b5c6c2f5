#include "screens/LevelState.h"

int LevelSilver = 0;
int LevelGold = 0;
int LevelGoldRat = 0;
int LevelSilverRat = 0;
int GameState = kGamePlaying;
