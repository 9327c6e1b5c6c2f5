#pragma once
// INI-style profile files: "[section]" headers and "key=value" lines.
// Sections and keys match without regard to letter case.
#include <string>

namespace platform {

// The integer value of a key, or the default when the file, the section or
// the key is missing. A value reads as its leading digits (an optional sign,
// then digits); a value with no leading digits reads as 0.
int GetProfileInt(const std::string& file, const std::string& section,
                  const std::string& key, int defaultValue);

// The text value of a key, or the default when it is missing.
std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue);

// Writes key=value, creating the file and the section when missing and keeping
// every other line. The file is replaced whole (a temporary file renamed over
// it), so a crash never leaves it half written. Returns false on failure.
bool WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Parses the leading integer of a profile value the way GetProfileInt does.
int ParseProfileInt(const std::string& value);

}  // namespace platform
