#pragma once
// Data files found through the engine's resource groups.
#include <string>

// Reads a file's whole text from group "General" or, when it is not there,
// from the first group that has it. False when no group has it or it cannot
// be read (logged with the file name).
bool ReadResourceText(const std::string& name, std::string& text);
