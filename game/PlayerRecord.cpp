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

bool IsValidPlayerName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
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
  std::string bytes;
  if (status.type() != std::filesystem::file_type::regular || !platform::ReadWholeFile(path, bytes)) {
    const std::string kept = path + ".bad";
    if (std::rename(path.c_str(), kept.c_str()) == 0)
      GameLog("Player record " + path + " cannot be read; kept as " + kept + ", the player starts anew");
    else
      GameLog("Player record " + path + " cannot be read, nor kept aside: " + platform::LastErrorText());
    return false;
  }
  const size_t size = std::min(bytes.size(), sizeof record);
  if (bytes.size() != sizeof record)
    GameLog("Player record " + path + " holds " + std::to_string(bytes.size()) + " bytes, not " +
            std::to_string(sizeof record) + "; " +
            (bytes.size() < sizeof record ? "the rest keeps the defaults" : "the rest is ignored"));
  std::memcpy(&record, bytes.data(), size);
  return size > 0;
}
