#pragma once
// File paths. The game names its files the desktop way (".\save\name"); here
// they are relative to the game's data folder, which is the working directory.
#include <cstddef>
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

// The temporary file WriteFileAtomically writes a path through: the file's
// name with a dot before it and ".tmp" after it, beside it ("save/abc" ->
// "save/.abc.tmp"). Names beginning with a dot are never the game's own
// data files, so the temporary file stands on nobody's file.
std::string TemporaryPathFor(const std::string& path);

// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Reads at most `limit` bytes from the start of a file (all of a shorter
// one): a file of any size costs no more. False, with errno set, when it
// cannot be opened or read.
bool ReadFileHead(const std::string& path, size_t limit, std::string& head);

// The text of the last failed system call, for log lines.
std::string LastErrorText();

}  // namespace platform
