#include "game/GAPAK/PakWriter.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const size_t kHeaderSize = 72;
const size_t kNameSize = 64;

void PutU32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

}  // namespace

bool WritePak(const std::string& path, const std::vector<PakSource>& entries, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    error = "cannot create " + path;
    return false;
  }
  uint64_t offset = 0;
  for (const PakSource& entry : entries) {
    if (entry.name.empty() || entry.name.size() >= kNameSize) {
      error = "entry name '" + entry.name + "' must have 1 to 63 bytes";
      return false;
    }
    if (offset + kHeaderSize + entry.data.size() > UINT32_MAX) {
      error = "pak file would pass 4 GiB at entry '" + entry.name + "'";
      return false;
    }
    char header[kHeaderSize] = {};
    std::copy(entry.name.begin(), entry.name.end(), header);
    PutU32(header + kNameSize, static_cast<uint32_t>(offset));
    PutU32(header + kNameSize + 4, static_cast<uint32_t>(entry.data.size()));
    out.write(header, kHeaderSize);
    out.write(entry.data.data(), static_cast<std::streamsize>(entry.data.size()));
    offset += kHeaderSize + entry.data.size();
  }
  out.close();
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool PackFolder(const std::string& folder, const std::string& path, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = folder + " is not a folder";
    return false;
  }
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file()) files.push_back(it->path());
  if (ec) {
    error = "cannot list " + folder + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  std::vector<PakSource> entries;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    if (!in) {
      error = "cannot read " + file.string();
      return false;
    }
    entries.push_back({fs::relative(file, folder).generic_string(), data.str()});
  }
  return WritePak(path, entries, error);
}
