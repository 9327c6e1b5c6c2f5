#pragma once
// One line to the engine's log ("Ogre.log") once the engine log exists, to the
// standard error before that. Data readers report their problems here, naming
// the file.
#include <string>

void GameLog(const std::string& line);
