#pragma once
// The integer settings of ".\game.cfg", section "system". Nothing is cached:
// each read goes to the file, each write rewrites it at once.
#include <string>

// The file and section every setting lives in.
extern const char* const kSettingsFile;
extern const char* const kSettingsSection;

// Reads a key; a missing file, section or key gives the key's own default
// ("vol" 50, every other key 0). So does a file that cannot be read or is
// larger than any settings file (platform::kMaxProfileBytes), with a log
// line naming it; such a file takes no writes, so nothing in it is lost.
int ReadSetting(const std::string& key);

// Reads a key with an explicit default.
int ReadSetting(const std::string& key, int defaultValue);

// Writes a key as decimal text, creating the file and section when missing.
// A failed write is logged; the next reader sees the old value.
void WriteSetting(const std::string& key, int value);

// The default of a key when the file does not hold it.
int SettingDefault(const std::string& key);
