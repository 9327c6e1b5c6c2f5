#include "game/Settings.h"

#include "game/GameLog.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

const char* const kSettingsFile = ".\\game.cfg";
const char* const kSettingsSection = "system";

int SettingDefault(const std::string& key) { return key == "vol" ? 50 : 0; }

int ReadSetting(const std::string& key) { return ReadSetting(key, SettingDefault(key)); }

int ReadSetting(const std::string& key, int defaultValue) {
  std::string value;
  const platform::ProfileLookup lookup = platform::FindProfileValue(kSettingsFile, kSettingsSection, key, value);
  if (lookup == platform::ProfileLookup::Found) return platform::ParseProfileInt(value);
  if (lookup == platform::ProfileLookup::Unreadable)
    GameLog(std::string("Settings file ") + platform::NativePath(kSettingsFile) + " cannot be read (" +
            platform::LastErrorText() + "); setting " + key + " takes its default " +
            std::to_string(defaultValue) + ", and no setting is written into the file");
  return defaultValue;
}

void WriteSetting(const std::string& key, int value) {
  if (!platform::WriteProfileString(kSettingsFile, kSettingsSection, key, std::to_string(value)))
    GameLog(std::string("Cannot write setting ") + key + " to " + platform::NativePath(kSettingsFile) +
            ": " + platform::LastErrorText());
}
