#pragma once
// One line to the engine's log ("Ogre.log") once the engine log exists, to the
// standard error before that. Data readers report their problems here, naming
// the file.
#include <string>

void GameLog(const std::string& line);

// A log level setting ("ogrelog", "ceguilog") held to the levels its log
// has: a value outside lowest..highest names no level, so it falls back to
// the default (0) with a log line.
int LogLevelSetting(const char* key, int value, int highest);

// Gives the engine's log the detail of the "ogrelog" setting (0 to 3). Below
// 0 the log would drop every later line, the game's own reports and
// refusals included.
void SetEngineLogDetail(int detail);
