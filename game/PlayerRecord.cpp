#include "game/PlayerRecord.h"

#include "game/GameLog.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

SPlayerRecord PlayerRecord = {};
std::string PlayerName;
const char* const kSaveFolder = ".\\save\\";

namespace {

// Where an unreadable save is kept: a name no player can have, numbered so
// that no earlier one is written over. Empty when a thousand are there.
std::string SetAsidePath(const std::string& name) {
  for (int n = 1; n <= 1000; ++n) {
    const std::string number = n > 1 ? "." + std::to_string(n) : "";
    const std::string kept = PlayerRecordPath("." + name + number + ".bad");
    std::error_code error;
    if (std::filesystem::symlink_status(kept, error).type() == std::filesystem::file_type::not_found) return kept;
  }
  return "";
}

void SetAside(const std::string& name) {
  const std::string path = PlayerRecordPath(name);
  const std::string kept = SetAsidePath(name);
  if (!kept.empty() && std::rename(path.c_str(), kept.c_str()) == 0)
    GameLog("Player record " + path + " cannot be read; kept as " + kept + ", the player starts anew");
  else
    GameLog("Player record " + path + " cannot be read, nor kept aside: " +
            (kept.empty() ? std::string("too many kept already") : platform::LastErrorText()));
}

}  // namespace

bool IsValidPlayerName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < name.size()) {
      const unsigned char trail = static_cast<unsigned char>(name[i + 1]);
      if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
        ++i;  // a double-byte character: its second byte may look like '\\'
        continue;
      }
    }
    if (c < 0x20 || c == 0x7f || c == '/' || c == '\\') return false;
  }
  return true;
}

std::string PlayerRecordPath(const std::string& name) {
  return platform::NativePath(kSaveFolder) + name;
}

bool WritePlayerRecord(const std::string& name, const SPlayerRecord& record) {
  if (!IsValidPlayerName(name)) {
    GameLog("Player record not saved: invalid player name '" + name + "'");
    return false;
  }
  const std::string folder = platform::NativePath(kSaveFolder);
  if (!platform::MakeDirectories(folder)) {
    GameLog("Player record not saved: cannot create folder " + folder + ": " + platform::LastErrorText());
    return false;
  }
  const std::string path = PlayerRecordPath(name);
  std::string bytes(reinterpret_cast<const char*>(&record), sizeof record);
  if (!platform::WriteFileAtomically(path, bytes)) {
    GameLog("Player record not saved: cannot write " + path + ": " + platform::LastErrorText());
    return false;
  }
  return true;
}

bool ReadPlayerRecord(const std::string& name, SPlayerRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.Gold = kNewPlayerGold;
  if (name.empty()) return false;  // no current player: a new player's record
  if (!IsValidPlayerName(name)) {
    GameLog("Player record not read: invalid player name '" + name + "'");
    return false;
  }
  const std::string path = PlayerRecordPath(name);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return false;  // a new player
  // One byte more than a record tells a longer file; the rest is never read.
  std::string bytes;
  if (status.type() != std::filesystem::file_type::regular ||
      !platform::ReadFileHead(path, sizeof record + 1, bytes)) {
    SetAside(name);
    return false;
  }
  if (bytes.size() < sizeof record)
    GameLog("Player record " + path + " holds " + std::to_string(bytes.size()) + " bytes, not " +
            std::to_string(sizeof record) + "; the rest keeps the defaults");
  else if (bytes.size() > sizeof record)
    GameLog("Player record " + path + " holds " + std::to_string(std::filesystem::file_size(path, error)) +
            " bytes, not " + std::to_string(sizeof record) + "; the rest is ignored");
  const size_t size = std::min(bytes.size(), sizeof record);
  std::memcpy(&record, bytes.data(), size);
  return size > 0;
}
