#pragma once
// File paths. The game names its files the desktop way (".\save\name"); here
// they are relative to the game's data folder, which is the working directory.
#include <string>

namespace platform {

// ".\save\name" -> "./save/name": backslashes become slashes.
std::string NativePath(const std::string& gamePath);

// Creates a folder and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path);

// Writes a whole file through a temporary file in the same folder, flushed to
// disk and renamed over the target: readers see the old or the new contents,
// never a mix. The temporary file is removed on failure.
bool WriteFileAtomically(const std::string& path, const std::string& contents);

// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& contents);

// The text of the last failed system call, for log lines.
std::string LastErrorText();

}  // namespace platform
