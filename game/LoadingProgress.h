#pragma once
// Loading progress: written during start-up and map loads by whoever loads,
// shown nowhere yet.
#include <string>

extern int LoadingPercent;
extern std::string LoadingText;
void SetLoadingProgress(int percent, const std::string& caption);
