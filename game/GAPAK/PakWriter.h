#pragma once
// Writing pak files (the format PakArchive reads). Needs no engine.
#include <string>
#include <vector>

struct PakSource {
  std::string name;  // entry name, at most 63 bytes
  std::string data;
};

// Writes the entries in order; false (with a reason) on a bad name or a
// write failure.
bool WritePak(const std::string& path, const std::vector<PakSource>& entries, std::string& error);

// Packs every regular file under a folder, named by its path relative to the
// folder with '/' separators, in sorted order.
bool PackFolder(const std::string& folder, const std::string& path, std::string& error);
