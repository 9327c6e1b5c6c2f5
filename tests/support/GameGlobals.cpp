#include "tests/support/GameGlobals.h"

#include "game/FrameClock.h"
#include "game/LoadingProgress.h"
#include "game/PlayerRecord.h"

#include <string>

// Each value starts as the process starts it.
struct ScopedGameGlobals::Saved {
  ScopedValue<uint32_t> frameTimeMs{FrameTimeMs};
  ScopedValue<uint32_t> frameDeltaMs{FrameDeltaMs};
  ScopedValue<float> frameDeltaSeconds{FrameDeltaSeconds};
  ScopedValue<int32_t> redrawCountdown{RedrawCountdown};
  ScopedValue<unsigned char> battlePaused{BattlePaused};
  ScopedValue<SPlayerRecord> playerRecord{PlayerRecord};
  ScopedValue<std::string> playerName{PlayerName};
  ScopedValue<int> loadingPercent{LoadingPercent};
  ScopedValue<std::string> loadingText{LoadingText};
};

ScopedGameGlobals::ScopedGameGlobals() : mSaved(std::make_unique<Saved>()) {}

ScopedGameGlobals::~ScopedGameGlobals() = default;
