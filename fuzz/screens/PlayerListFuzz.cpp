// Player lists of any bytes: loading never fails, the list it writes back
// reads the same, an allowed name always survives the file, and nothing is
// written outside the working folder's list and save folder; no name too long
// to save under is listed.
#include "FuzzSupport.h"
#include "screens/PlayerList.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  FuzzScratchDir();
  if (size == 0) return 0;
  // The first byte splits the input into a candidate name and the file.
  const size_t nameLength = std::min<size_t>(data[0] % 24, size - 1);
  const std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
  WriteScratchFile("record.xml", data + 1 + nameLength, size - 1 - nameLength);

  PlayerList list;
  list.Load();
  const std::vector<std::string> names = list.Names();
  for (const std::string& listed : names)
    if (PlayerNameTooLong(listed)) std::abort();  // its record could never be saved
  const std::string current = list.Current();
  list.SetCurrent(current);  // writes the file back

  PlayerList again;
  again.Load();
  if (again.Names() != names || again.Current() != current) std::abort();

  const bool allowed = CheckPlayerName(name) == PlayerNameProblem::None;
  const bool added = again.Add(name);
  if (added != (allowed && !list.Has(name))) std::abort();
  PlayerList third;
  third.Load();
  if (added && (third.Current() != name || !third.Has(name))) std::abort();
  if (added) {
    third.Remove(name);
    if (!third.Current().empty() || third.Has(name)) std::abort();
  }

  for (const auto& entry : fs::directory_iterator(".")) {
    const std::string file = entry.path().filename().string();
    if (file != "record.xml" && file != "record.xml.bad" && file != "save") std::abort();
  }
  fs::remove_all("save");
  fs::remove("record.xml.bad");
  return 0;
}
