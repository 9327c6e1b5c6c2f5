#pragma once
// INI-style profile files: "[section]" headers and "key=value" lines.
// Sections and keys match without regard to letter case.
#include <cstddef>
#include <string>

namespace platform {

// A profile holds a few hundred bytes. A file larger than this is not read
// (a damaged or hostile one was read whole at every setting): like a file
// that cannot be read, it gives the defaults and takes no writes, so it
// stays as it is.
constexpr size_t kMaxProfileBytes = size_t(1) << 20;

// What a lookup found.
enum class ProfileLookup {
  Found,       // the key, its value given
  Missing,     // no file, section or key
  Unreadable,  // the file is there but cannot be read, or is too large (errno says which)
};
ProfileLookup FindProfileValue(const std::string& file, const std::string& section, const std::string& key,
                               std::string& value);

// The integer value of a key, or the default when the file, the section or
// the key is missing or the file cannot be read. A value reads as its
// leading digits (an optional sign, then digits); a value with no leading
// digits reads as 0.
int GetProfileInt(const std::string& file, const std::string& section,
                  const std::string& key, int defaultValue);

// The text value of a key, or the default when it is missing or the file
// cannot be read.
std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue);

// Writes key=value, creating the file and the section when missing and keeping
// every other line. The file is replaced whole (a temporary file renamed over
// it), so a crash never leaves it half written. Returns false, errno set, on
// failure; a file that cannot be read is not written (its other lines would
// be lost).
bool WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Parses the leading integer of a profile value the way GetProfileInt does.
int ParseProfileInt(const std::string& value);

}  // namespace platform
