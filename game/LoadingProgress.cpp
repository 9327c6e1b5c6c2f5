#include "game/LoadingProgress.h"

int LoadingPercent = 0;
std::string LoadingText;

void SetLoadingProgress(int percent, const std::string& caption) {
  LoadingPercent = percent;
  LoadingText = caption;
}
