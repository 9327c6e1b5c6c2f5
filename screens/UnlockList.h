#pragma once
// The unlock list "lock.xml": the unit types a player can unlock with gold,
// in the order of the recruit panel, each with the window of the unlock
// screen that hosts its icon. Nothing writes it; each reader reads it anew.
#include <string>
#include <vector>

struct UnlockEntry {
  std::string id;    // the unit type's key name
  std::string icon;  // full name of the window hosting its icon
};

extern const char* const kUnlockListFile;

// The "lock" children of the root element, in document order; other
// children are skipped. An entry without "id" is left out and one without
// "icon" keeps an empty icon, each with a log line.
std::vector<UnlockEntry> ParseUnlockList(const std::string& text, const std::string& fileName);

// Reads "lock.xml" through the resource groups; empty (logged) when missing.
std::vector<UnlockEntry> ReadUnlockList();
