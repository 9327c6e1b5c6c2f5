#pragma once
// The current player's persistent progress: one 216-byte record stored raw
// (little-endian, no header) as ".\save\" + player name.
#include <cstdint>
#include <string>

struct SPlayerRecord {
  int32_t Reserved0;     // not used by the game; kept as stored
  int32_t Progress;      // index (from 0) of the highest level the player may start
  int32_t Reserved2;     // not used by the game; kept as stored
  int32_t Gold;          // persistent gold
  int32_t Unlocked[50];  // one flag per unit type, 1 = unlocked
};
static_assert(sizeof(SPlayerRecord) == 216, "the player record file is 216 bytes");

constexpr int kUnlockSlots = 50;
constexpr int kNewPlayerGold = 500;

// The current player's record: all zero until the first load.
extern SPlayerRecord PlayerRecord;

// The current player's name, empty when there is none (written by the screens).
extern std::string PlayerName;

// The folder player records live in.
extern const char* const kSaveFolder;

// A name that can name a record file: not empty, no path separator, no
// control character, not beginning with a dot (such names in the save folder
// are the game's own: temporary files and saves set aside). Double-byte
// (GBK) characters are allowed.
bool IsValidPlayerName(const std::string& name);

// The record file of a player, "./save/" + name.
std::string PlayerRecordPath(const std::string& name);

// Writes the record through a temporary file renamed over the old one, so a
// crash leaves the old or the new record. Creates the save folder when
// missing. Refuses invalid names. A failure is logged; returns success.
bool WritePlayerRecord(const std::string& name, const SPlayerRecord& record);

// Sets the defaults (500 gold, level 0, nothing unlocked), then reads the
// player's file over them: a shorter file replaces only the bytes it holds,
// a longer one gives its first 216 bytes and no more is read (either is
// logged). A missing file or an empty name (no player) leaves the defaults
// silently, an invalid name with a log line. A file that cannot be read is
// set aside as "." + name + ".bad" (numbered when one is there already), so
// that the next save does not write over it. Returns whether the file gave
// any bytes.
bool ReadPlayerRecord(const std::string& name, SPlayerRecord& record);
