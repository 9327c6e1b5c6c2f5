#pragma once
// One line to the engine's log ("Ogre.log") once the engine log exists, to the
// standard error before that. Data readers report their problems here, naming
// the file.
#include <string>

void GameLog(const std::string& line);

// Gives the engine's log the detail of the "ogrelog" setting. Below 0 the
// log would drop every later line, the game's own reports and refusals
// included; such a value falls back to the default (0) with a log line.
void SetEngineLogDetail(int detail);
