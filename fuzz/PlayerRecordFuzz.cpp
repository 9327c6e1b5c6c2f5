// Player record files of any size and contents, under names of any bytes:
// a read gives the defaults overwritten by the file's first 216 bytes, and
// nothing is written outside the save folder.
#include "FuzzSupport.h"
#include "game/PlayerRecord.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzScratchDir();
  if (size == 0) return 0;
  const size_t nameLength = std::min<size_t>(data[0] % 16, size - 1);
  const std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
  const uint8_t* contents = data + 1 + nameLength;
  const size_t contentsSize = size - 1 - nameLength;

  std::filesystem::create_directories("save");
  if (IsValidPlayerName(name)) WriteScratchFile("save/" + name, contents, contentsSize);

  SPlayerRecord record, expected;
  ReadPlayerRecord("", expected);  // the defaults
  const bool valid = IsValidPlayerName(name);
  if (valid) std::memcpy(&expected, contents, std::min(contentsSize, sizeof expected));
  const bool read = ReadPlayerRecord(name, record);
  if (read != (valid && contentsSize > 0)) std::abort();
  if (std::memcmp(&record, &expected, sizeof record) != 0) std::abort();
  if (read && !WritePlayerRecord(name, record)) std::abort();
  // Nothing but the save folder may appear in the scratch folder.
  for (const auto& entry : std::filesystem::directory_iterator("."))
    if (entry.path().filename() != "save") std::abort();
  std::filesystem::remove_all("save");
  return 0;
}
